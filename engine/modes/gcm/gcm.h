// GCM (Galois/Counter Mode, NIST SP 800-38D) over any 128-bit block cipher
// given as a bulk "encrypt n blocks" call: 96-bit IVs, 16-byte tags, one
// message (a chunk) sealed or opened per call with its associated data.
// GHASH runs on the fastest kernel the CPU level allows: carry-less multiply
// on 512- or 256-bit registers, on 128-bit registers, or a constant-time
// portable multiply (no table indexed by secret data).
#pragma once

#include "engine/dispatch/cpu_features.h"
#include "engine/modes/gcm/ghash.h"

#include <cstddef>
#include <cstdint>

namespace tessiral::gcm {

inline constexpr std::size_t kBlockBytes = 16;
inline constexpr std::size_t kIvBytes = 12;
inline constexpr std::size_t kTagBytes = 16;
// The most one message may hold: 2^32 - 2 blocks (SP 800-38D, 5.2.1.1).
inline constexpr std::uint64_t kMaxMessageBytes = (std::uint64_t(1) << 36) - 32;

// A cipher's own counter mode run in one pass with the hash: whole blocks
// from `in` to `out` (possibly the same), counter blocks j0's first 12 bytes
// then first, first + 1, ... big-endian; the cipher text hashed into `state`.
// Returns how many leading blocks it did; the caller does the rest.
using StitchedCtr
    = std::size_t (*)(const void* cipherKey, const GhashKey& hashKey, FieldElement& state, const unsigned char j0[16],
        std::uint32_t first, const unsigned char* in, unsigned char* out, std::size_t blocks, bool encrypt);

// A block cipher's encryption of `blocks` 16-byte blocks from `in` to `out`
// (which may be the same buffer), with the key already set in `context`;
// optionally a stitched counter mode for the same key (see stitched.h).
struct BlockEncryptor {
    void (*encrypt_blocks)(void* context, const unsigned char* in, unsigned char* out, std::size_t blocks);
    void* context;
    StitchedCtr stitched = nullptr;
    const void* stitchedKey = nullptr;
};

class Gcm {
public:
    // Derives the hash key with the cipher (its key must be set and stay set
    // while this object is used) and picks the GHASH kernel for `level`
    // (never above what the processor has).
    explicit Gcm(BlockEncryptor cipher, CpuLevel level = cpu_level());
    ~Gcm();
    Gcm(const Gcm&) = delete;
    Gcm& operator=(const Gcm&) = delete;

    // Encrypts `length` bytes from `plain` to `out` (the same buffer or one
    // not overlapping it) and writes the tag. False, nothing written, when
    // the message is longer than kMaxMessageBytes.
    bool seal(const unsigned char iv[kIvBytes], const unsigned char* aad, std::size_t aadLength,
        const unsigned char* plain, std::size_t length, unsigned char* out, unsigned char tag[kTagBytes]) const;

    // Decrypts and authenticates; the tag is compared in constant time. On a
    // mismatch (or a message too long) returns false and `out` holds zeros.
    bool open(const unsigned char iv[kIvBytes], const unsigned char* aad, std::size_t aadLength,
        const unsigned char* cipher, std::size_t length, const unsigned char tag[kTagBytes], unsigned char* out) const;

    // The same with the pre-counter block J0 given whole rather than made
    // from a 96-bit IV: for the tests, which start the 32-bit counter near
    // its wrap-around.
    bool seal_j0(const unsigned char j0[kBlockBytes], const unsigned char* aad, std::size_t aadLength,
        const unsigned char* plain, std::size_t length, unsigned char* out, unsigned char tag[kTagBytes]) const;
    bool open_j0(const unsigned char j0[kBlockBytes], const unsigned char* aad, std::size_t aadLength,
        const unsigned char* cipher, std::size_t length, const unsigned char tag[kTagBytes], unsigned char* out) const;

    // The GHASH kernel in use, e.g. "vpclmul512".
    const char* ghash_name() const { return m_kernel.name; }

private:
    // Runs the counter mode and the hash over one message; `tag` receives
    // the computed tag.
    void crypt(const unsigned char j0[kBlockBytes], const unsigned char* aad, std::size_t aadLength,
        const unsigned char* in, std::size_t length, unsigned char* out, bool encrypt,
        unsigned char tag[kTagBytes]) const;

    BlockEncryptor m_cipher;
    GhashKernel m_kernel;
    GhashKey m_key;
};

} // namespace tessiral::gcm
