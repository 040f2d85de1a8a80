// The one place that knows every cipher: its algorithm code, block size,
// header text, key call and bulk block calls. The file loops and SetKey look
// a row up here instead of repeating themselves per cipher.
#pragma once

#include "idea.h"

#include <cstddef>
#include <string>

struct CipherRow {
    const char* code; // exact, case-sensitive algorithm code
    const char* name; // as the key-check message names the cipher
    unsigned block; // B: 16, or 8 for IDEA
    const char* header; // the B-1 header characters before the marker
    const char* decryptOpenCaption; // caption of "Don't open this file!" when decrypting
    void (*set_key)(CIdea& engine, unsigned char* key);
    void (*prepare_encrypt)(CIdea& engine); // schedules computed when a file starts
    void (*prepare_decrypt)(CIdea& engine);
    void (*encrypt_blocks)(CIdea& engine, const unsigned char* in, unsigned char* out, std::size_t blocks);
    void (*decrypt_blocks)(CIdea& engine, const unsigned char* in, unsigned char* out, std::size_t blocks);
};

// The row for an algorithm code, or null when the code selects no cipher.
const CipherRow* find_cipher(const std::string& code);

// All rows, in the engine's dispatch order ("1", "10", "2", "3", "4", "5").
const CipherRow* cipher_rows(std::size_t& count);
