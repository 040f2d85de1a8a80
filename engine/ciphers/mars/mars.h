// MARS (revised key schedule with the 15-word work array), the cipher behind
// algorithm code "2". Little-endian words for key and block.
#pragma once

#include "engine/ciphers/block_cipher.h"

#include <cstddef>

class CMars : public CBlockCipher {
public:
    CMars() = default;
    CMars(const CMars&) = default;
    CMars& operator=(const CMars&) = default;
    ~CMars() = default;

    // Accepts key_bits / 32 from 4 to 14 words; anything else leaves the
    // previous round keys in force.
    void set_key(const uint8* key, uint32 key_bits) override;
    void encrypt(const uint8* in, uint8* out) override;
    void decrypt(const uint8* in, uint8* out) override;

    void encrypt_blocks(const uint8* in, uint8* out, std::size_t blocks) const;
    void decrypt_blocks(const uint8* in, uint8* out, std::size_t blocks) const;

    uint32 round_keys[40] = {};
};
