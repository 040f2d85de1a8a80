// AES (FIPS-197), the cipher behind algorithm code "1". The portable code is
// table driven, its tables computed by the compiler (nothing is built at run
// time); faster kernels beside it take the same round keys.
#pragma once

#include "engine/ciphers/block_cipher.h"

#include <cstddef>

class CAes : public CBlockCipher {
public:
    CAes() = default;
    CAes(const CAes&) = default;
    CAes& operator=(const CAes&) = default;
    ~CAes() = default;

    void set_key(const uint8* key, uint32 key_bits) override;
    void encrypt(const uint8* in, uint8* out) override;
    void decrypt(const uint8* in, uint8* out) override;

    // Many blocks at once; the same bytes as one call per block.
    void encrypt_blocks(const uint8* in, uint8* out, std::size_t blocks) const;
    void decrypt_blocks(const uint8* in, uint8* out, std::size_t blocks) const;

    uint32 key_words = 0;
    uint32 round_keys[64] = {};
    uint32 dec_round_keys[64] = {};
};
