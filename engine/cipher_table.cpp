// The cipher table: how each algorithm code keys its cipher and runs blocks.
#include "cipher_table.h"

#include "idea_access.h"

namespace {

using A = CIdeaAccess;

void idea_set_key(CIdea& e, unsigned char* key)
{
    std::memcpy(A::idea_key(e), key, 16);
}

void idea_prepare_encrypt(CIdea& e)
{
    A::en_key_idea(e, A::idea_key(e), A::idea_enc(e));
}

void idea_prepare_decrypt(CIdea& e)
{
    A::en_key_idea(e, A::idea_key(e), A::idea_enc(e));
    A::de_key_idea(e, A::idea_enc(e), A::idea_dec(e));
}

void idea_run(CIdea& e, const unsigned char* in, unsigned char* out, std::size_t blocks, unsigned short* z)
{
    for (std::size_t i = 0; i < blocks; ++i)
        A::cipher_idea(e, const_cast<unsigned char*>(in + 8 * i), out + 8 * i, z);
}

void nothing(CIdea&) { }

const CipherRow kRows[] = {
    { "1", "AES", 16, "KelvanetrixPlus", "Error: ", [](CIdea& e, unsigned char* key) { A::aes(e).set_key(key, 256); },
        nothing, nothing,
        [](CIdea& e, const unsigned char* in, unsigned char* out, std::size_t n) {
            A::aes(e).encrypt_blocks(in, out, n);
        },
        [](CIdea& e, const unsigned char* in, unsigned char* out, std::size_t n) {
            A::aes(e).decrypt_blocks(in, out, n);
        } },
    { "10", "IDEA", 8, "Kelvanp", "Error:", idea_set_key, idea_prepare_encrypt, idea_prepare_decrypt,
        [](CIdea& e, const unsigned char* in, unsigned char* out, std::size_t n) {
            idea_run(e, in, out, n, A::idea_enc(e));
        },
        [](CIdea& e, const unsigned char* in, unsigned char* out, std::size_t n) {
            idea_run(e, in, out, n, A::idea_dec(e));
        } },
    { "2", "MARS", 16, "KelvanetrixPlus", "Error: ", [](CIdea& e, unsigned char* key) { A::mars(e).set_key(key, 448); },
        nothing, nothing,
        [](CIdea& e, const unsigned char* in, unsigned char* out, std::size_t n) {
            A::mars(e).encrypt_blocks(in, out, n);
        },
        [](CIdea& e, const unsigned char* in, unsigned char* out, std::size_t n) {
            A::mars(e).decrypt_blocks(in, out, n);
        } },
    { "3", "RC-6", 16, "KelvanetrixPlus",
        "Error: ", [](CIdea& e, unsigned char* key) { (void)A::rc6(e).set_key(key, 32, 0); }, nothing, nothing,
        [](CIdea& e, const unsigned char* in, unsigned char* out, std::size_t n) {
            A::rc6(e).encrypt_blocks(in, out, n);
        },
        [](CIdea& e, const unsigned char* in, unsigned char* out, std::size_t n) {
            A::rc6(e).decrypt_blocks(in, out, n);
        } },
    { "4", "Serpent", 16, "KelvanetrixPlus", "Error: ",
        [](CIdea& e, unsigned char* key) { (void)en_key_serpent(&A::serpent(e), key, 256); }, nothing, nothing,
        [](CIdea& e, const unsigned char* in, unsigned char* out, std::size_t n) {
            encrypt_serpent_blocks(&A::serpent(e), in, out, n);
        },
        [](CIdea& e, const unsigned char* in, unsigned char* out, std::size_t n) {
            decrypt_serpent_blocks(&A::serpent(e), in, out, n);
        } },
    { "5", "Twofish", 16, "KelvanetrixPlus",
        "Error: ", [](CIdea& e, unsigned char* key) { en_key_twofish(&A::twofish(e), key, 256); }, nothing, nothing,
        [](CIdea& e, const unsigned char* in, unsigned char* out, std::size_t n) {
            encrypt_twofish_blocks(&A::twofish(e), in, out, n);
        },
        [](CIdea& e, const unsigned char* in, unsigned char* out, std::size_t n) {
            decrypt_twofish_blocks(&A::twofish(e), in, out, n);
        } },
};

} // namespace

const CipherRow* find_cipher(const std::string& code)
{
    for (const auto& row : kRows)
        if (code == row.code)
            return &row;
    return nullptr;
}

const CipherRow* cipher_rows(std::size_t& count)
{
    count = sizeof kRows / sizeof kRows[0];
    return kRows;
}
