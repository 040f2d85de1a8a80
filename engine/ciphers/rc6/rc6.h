// RC6-32/20/b, the cipher behind algorithm code "3". Works in place on a
// 16-byte block; little-endian words.
#pragma once

#include "engine/ciphers/block_cipher.h"

#include <cstddef>

class CRc6 : public CBufferCipher {
public:
    CRc6();
    CRc6(const CRc6&) = default;
    CRc6& operator=(const CRc6&) = default;

    // 0 when accepted; -1 for more than 32 bytes, nothing changed then.
    int32 set_key(const uint8* key, uint32 key_len_bytes, int32 reserved) override;
    int32 encrypt(uint8* block, uint32 len) override;
    int32 decrypt(uint8* block, uint32 len) override;
    int32 key_length() override;
    virtual ~CRc6();

    void encrypt_blocks(const uint8* in, uint8* out, std::size_t blocks) const;
    void decrypt_blocks(const uint8* in, uint8* out, std::size_t blocks) const;

    uint32 round_keys[44];
    uint32 key_bytes = 0;
};
