// GHASH kernels of the GCM mode. They work in the bit order of POLYVAL
// (RFC 8452, appendix A): every block byte-reversed, the hash key multiplied
// by x, so that a carry-less multiply and a Montgomery reduction by x^128
// give GHASH's product without reversing bits. Inside the mode only.
#pragma once

#include "engine/dispatch/cpu_features.h"

#include <cstddef>
#include <cstdint>

namespace tessiral::gcm {

// A field element in POLYVAL order: w[0] the low 64 bits.
struct alignas(16) FieldElement {
    std::uint64_t w[2];
};

// How many powers of the hash key the kernels may use at once.
inline constexpr std::size_t kGhashPowers = 32;

struct alignas(64) GhashKey {
    // power[i] = H^(kGhashPowers - i): a run of n blocks starts at
    // power[kGhashPowers - n], so its first block meets H^n.
    FieldElement power[kGhashPowers];
};

struct GhashKernel {
    const char* name;
    CpuLevel level; // the level the kernel needs
    // Hashes `blocks` whole blocks into `state`.
    void (*hash)(const GhashKey& key, FieldElement& state, const unsigned char* data, std::size_t blocks);
    // The counter mode's XOR fused with the hash: out = in ^ keystream, and
    // the cipher text (out when encrypting, in when decrypting) hashed.
    // `in` and `out` may be the same buffer.
    void (*crypt)(const GhashKey& key, FieldElement& state, const unsigned char* keystream, const unsigned char* in,
        unsigned char* out, std::size_t blocks, bool encrypt);
    // Counter blocks: the first 12 bytes of `j0`, then the big-endian 32-bit
    // counter first, first + 1, ... (modulo 2^32), `blocks` of them.
    void (*counters)(const unsigned char j0[16], std::uint32_t first, unsigned char* out, std::size_t blocks);
};

// The portable counter blocks (for kernels without a faster way).
void make_counters(const unsigned char j0[16], std::uint32_t first, unsigned char* out, std::size_t blocks);

// The POLYVAL product a * b * x^-128, in constant time.
FieldElement polyval_multiply(const FieldElement& a, const FieldElement& b);

// The hash key's powers from the block E(K, 0^128), multiplied with
// `kernel` (a GCM object is made per file: the portable multiply would cost
// more than a small file's data).
void ghash_init(GhashKey& key, const unsigned char hashBlock[16], const GhashKernel& kernel);

// The best kernel for `level` that this processor runs; the portable one at
// worst. Each kernel asks the processor itself for carry-less multiply.
GhashKernel ghash_kernel(CpuLevel level);

// The kernels one by one, for the kernel's own tests; null where the
// processor or the compiler lacks them.
const GhashKernel* ghash_portable();
const GhashKernel* ghash_clmul();
const GhashKernel* ghash_vpclmul256();
const GhashKernel* ghash_vpclmul512();

// Loads a GHASH block as a POLYVAL element (the bytes reversed), and back.
inline FieldElement load_block(const unsigned char* p)
{
    FieldElement e{};
    for (int i = 0; i < 8; ++i) {
        e.w[1] = (e.w[1] << 8) | p[i];
        e.w[0] = (e.w[0] << 8) | p[8 + i];
    }
    return e;
}

inline void store_block(const FieldElement& e, unsigned char* p)
{
    for (int i = 0; i < 8; ++i) {
        p[7 - i] = static_cast<unsigned char>(e.w[1] >> (8 * i));
        p[15 - i] = static_cast<unsigned char>(e.w[0] >> (8 * i));
    }
}

} // namespace tessiral::gcm
