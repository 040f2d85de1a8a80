// The two abstract shapes a cipher presents to the engine object. Slot order
// matters: it is part of the engine's published layout.
#pragma once

#include "engine/ciphers/cipher_types.h"

// Keyed once, then one 16-byte block from `in` to `out` per call.
class CBlockCipher {
public:
    virtual void set_key(const uint8* key, uint32 key_bits) = 0;
    virtual void encrypt(const uint8* in, uint8* out) = 0;
    virtual void decrypt(const uint8* in, uint8* out) = 0;

protected:
    CBlockCipher() = default;
    CBlockCipher(const CBlockCipher&) = default;
    CBlockCipher& operator=(const CBlockCipher&) = default;
    ~CBlockCipher() = default;
};

// Works in place on a caller's buffer; set_key answers 0 (accepted) or -1.
class CBufferCipher {
public:
    virtual int32 set_key(const uint8* key, uint32 key_len_bytes, int32 reserved) = 0;
    virtual int32 encrypt(uint8* block, uint32 len) = 0;
    virtual int32 decrypt(uint8* block, uint32 len) = 0;
    virtual int32 key_length() = 0;

protected:
    CBufferCipher() = default;
    CBufferCipher(const CBufferCipher&) = default;
    CBufferCipher& operator=(const CBufferCipher&) = default;
    ~CBufferCipher() = default;
};
