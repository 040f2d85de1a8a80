// The one place that knows every cipher: its algorithm code, name, block
// size, key call and bulk block calls. The file formats and SetKey look a
// row up here instead of repeating themselves per cipher. The bulk calls
// run the kernels dispatch/cipher_kernels.cpp picks for the CPU level.
#pragma once

#include "engine/api/idea.h"
#include "engine/dispatch/cpu_features.h"

#include <cstddef>
#include <string>

// One cipher's bulk block calls on one CPU level.
struct CipherPath {
    const char* name; // the kernels' name, e.g. "portable"
    tessiral::CpuLevel level; // the level they need: at most the one asked for
    void (*encrypt_blocks)(CIdea& engine, const unsigned char* in, unsigned char* out, std::size_t blocks);
    void (*decrypt_blocks)(CIdea& engine, const unsigned char* in, unsigned char* out, std::size_t blocks);
};

struct CipherRow {
    const char* code; // exact, case-sensitive algorithm code
    const char* name; // as the key-check message names the cipher
    unsigned block; // B: 16, or 8 for IDEA
    unsigned keyBits; // the key length set_key reads
    void (*set_key)(CIdea& engine, unsigned char* key);
    void (*prepare_encrypt)(CIdea& engine); // schedules computed when a file starts
    void (*prepare_decrypt)(CIdea& engine);
    // The bulk calls of path(cpu_level()), chosen once.
    void (*encrypt_blocks)(CIdea& engine, const unsigned char* in, unsigned char* out, std::size_t blocks);
    void (*decrypt_blocks)(CIdea& engine, const unsigned char* in, unsigned char* out, std::size_t blocks);
    // The bulk calls on any level (never above the CPU's), for comparing paths.
    CipherPath (*path)(tessiral::CpuLevel level);
};

// The row for an algorithm code, or null when the code selects no cipher.
const CipherRow* find_cipher(const std::string& code);

// All rows, in the engine's dispatch order ("1", "10", "2", "3", "4", "5").
const CipherRow* cipher_rows(std::size_t& count);
