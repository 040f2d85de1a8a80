// Serpent (32 rounds, bitslice), the cipher behind algorithm code "4".
// Key and block bytes map to the algorithm's words as little-endian words in
// reversed word order; files depend on this mapping.
#pragma once

#include "engine/ciphers/cipher_types.h"

#include <cstddef>

struct SerpentContext {
    // Words 0-7: the padded key words w-8..w-1; 8-139: the 33 round keys
    // (K i in words 8+4i .. 11+4i, bitslice order X0..X3).
    uint32 schedule[140];
};

// Returns ctx->schedule, or null (nothing changed) for more than 256 bits.
uint32* en_key_serpent(SerpentContext* ctx, const uint8* key, uint32 key_bits);
void encrypt_serpent(const SerpentContext* ctx, const uint8* in, uint8* out);
void decrypt_serpent(const SerpentContext* ctx, const uint8* in, uint8* out);

void encrypt_serpent_blocks(const SerpentContext* ctx, const uint8* in, uint8* out, std::size_t blocks);
void decrypt_serpent_blocks(const SerpentContext* ctx, const uint8* in, uint8* out, std::size_t blocks);
