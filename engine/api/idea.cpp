// CIdea's life cycle, key setting and the two single-block IDEA string calls.
#include "engine/api/idea.h"

#include "engine/api/batch_control.h"
#include "engine/dispatch/cipher_table.h"
#include "engine/jobs/engine_workers.h"
#include "engine/os/secure_zero.h"

#include <cstring>

CIdea::CIdea() = default;

CIdea::CIdea(const CIdea& other) = default;

CIdea& CIdea::operator=(const CIdea& other) = default;

// Key schedules are secrets: nothing of them outlives the object. Its
// workers and chunk buffers go with it.
CIdea::~CIdea()
{
    CEngineWorkers::Release(this);
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

// When the cipher may be found by the header, every cipher gets the key:
// the file tells which one it needs.
void CIdea::SetKey(unsigned char* key)
{
    const CipherRow* chosen = find_cipher(m_strArith);
    if (chosen == nullptr)
        return;
    if (m_pControl == nullptr || !m_pControl->findCipher) {
        chosen->set_key(*this, key);
        return;
    }
    std::size_t count = 0;
    const CipherRow* rows = cipher_rows(count);
    for (std::size_t i = 0; i < count; ++i)
        rows[i].set_key(*this, key);
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
