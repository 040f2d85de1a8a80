// Twofish (16 rounds, 128-bit block), the cipher behind algorithm code "5".
// The key-dependent tables live in the context, so two contexts with
// different keys work side by side; the fixed tables are constants.
#pragma once

#include "engine/ciphers/cipher_types.h"

#include <cstddef>

struct TwofishContext {
    uint32 key_units; // key length in 64-bit units
    uint32 round_keys[40]; // 0-3 input whitening, 4-7 output whitening, 8-39 round subkeys
    uint32 sbox_keys[4]; // Reed-Solomon remainders of the key
    uint32 key_tables[4][256]; // key-dependent S-boxes combined with the MDS matrix
};

// Key is read as little-endian 32-bit words; 128, 192 or 256 bits.
void en_key_twofish(TwofishContext* ctx, const uint8* key, uint32 key_bits);
void encrypt_twofish(const TwofishContext* ctx, const uint8* in, uint8* out);
void decrypt_twofish(const TwofishContext* ctx, const uint8* in, uint8* out);

void encrypt_twofish_blocks(const TwofishContext* ctx, const uint8* in, uint8* out, std::size_t blocks);
void decrypt_twofish_blocks(const TwofishContext* ctx, const uint8* in, uint8* out, std::size_t blocks);
