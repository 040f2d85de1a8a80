// CIdea's life cycle, key setting and the two single-block IDEA string calls.
#include "idea.h"

#include "cipher_table.h"
#include "secure_zero.h"

#include <cstring>

CIdea::CIdea() = default;

CIdea::CIdea(const CIdea& other) = default;

CIdea& CIdea::operator=(const CIdea& other) = default;

// Key schedules are secrets: nothing of them outlives the object.
CIdea::~CIdea()
{
    tessiral::secure_zero_object(m_aes.round_keys);
    tessiral::secure_zero_object(m_aes.dec_round_keys);
    tessiral::secure_zero_object(m_mars.round_keys);
    tessiral::secure_zero_object(m_rc6.round_keys);
    tessiral::secure_zero_object(m_twofish);
    tessiral::secure_zero_object(m_serpent);
    tessiral::secure_zero_object(m_ideaKey);
    tessiral::secure_zero_object(m_ideaEncSubkeys);
    tessiral::secure_zero_object(m_ideaDecSubkeys);
}

void CIdea::SetKey(unsigned char* key)
{
    if (const CipherRow* row = find_cipher(m_strArith))
        row->set_key(*this, key);
}

void CIdea::GetKey(unsigned char* out)
{
    std::memcpy(out, m_ideaKey, sizeof m_ideaKey);
}

void CIdea::EnString(unsigned char* in, unsigned char* out)
{
    en_key_idea(m_ideaKey, m_ideaEncSubkeys);
    unsigned char block[8], result[8];
    std::memcpy(block, in, 8);
    cipher_idea(block, result, m_ideaEncSubkeys);
    std::memcpy(out, result, 8);
    tessiral::secure_zero(block, sizeof block);
}

void CIdea::DeString(unsigned char* in, unsigned char* out)
{
    en_key_idea(m_ideaKey, m_ideaEncSubkeys);
    de_key_idea(m_ideaEncSubkeys, m_ideaDecSubkeys);
    unsigned char block[8], result[8];
    std::memcpy(block, in, 8);
    cipher_idea(block, result, m_ideaDecSubkeys);
    std::memcpy(out, result, 8);
    tessiral::secure_zero(block, sizeof block);
    tessiral::secure_zero(result, sizeof result);
}

void CIdea::MakeRadomKey(unsigned char*) { }
