// The constant-time portable GHASH: carry-less products built from integer
// multiplies whose operands keep only every fourth bit, so no carry reaches
// a bit that is kept (no table, no branch on secret data). Also the hash
// key's powers and the choice of kernel.
#include "engine/modes/gcm/ghash.h"

#if TESSIRAL_X86_KERNELS
#include <cpuid.h>
#endif

namespace tessiral::gcm {

namespace {

// 32 x 32 -> 64-bit carry-less product. Each quarter of an operand holds at
// most 8 set bits, so each sum stays below 16 and never carries into the
// next bit of its own quarter.
std::uint64_t clmul32(std::uint32_t x, std::uint32_t y)
{
    const std::uint64_t x0 = x & 0x11111111u, x1 = x & 0x22222222u, x2 = x & 0x44444444u, x3 = x & 0x88888888u;
    const std::uint64_t y0 = y & 0x11111111u, y1 = y & 0x22222222u, y2 = y & 0x44444444u, y3 = y & 0x88888888u;
    std::uint64_t z0 = (x0 * y0) ^ (x1 * y3) ^ (x2 * y2) ^ (x3 * y1);
    std::uint64_t z1 = (x0 * y1) ^ (x1 * y0) ^ (x2 * y3) ^ (x3 * y2);
    std::uint64_t z2 = (x0 * y2) ^ (x1 * y1) ^ (x2 * y0) ^ (x3 * y3);
    std::uint64_t z3 = (x0 * y3) ^ (x1 * y2) ^ (x2 * y1) ^ (x3 * y0);
    z0 &= 0x1111111111111111u;
    z1 &= 0x2222222222222222u;
    z2 &= 0x4444444444444444u;
    z3 &= 0x8888888888888888u;
    return z0 | z1 | z2 | z3;
}

// 64 x 64 -> 128-bit carry-less product: lo, hi.
void clmul64(std::uint64_t x, std::uint64_t y, std::uint64_t& lo, std::uint64_t& hi)
{
    const auto xl = static_cast<std::uint32_t>(x), xh = static_cast<std::uint32_t>(x >> 32);
    const auto yl = static_cast<std::uint32_t>(y), yh = static_cast<std::uint32_t>(y >> 32);
    const std::uint64_t l = clmul32(xl, yl);
    const std::uint64_t h = clmul32(xh, yh);
    const std::uint64_t m = clmul32(xl, yh) ^ clmul32(xh, yl);
    lo = l ^ (m << 32);
    hi = h ^ (m >> 32);
}

void hash_portable(const GhashKey& key, FieldElement& state, const unsigned char* data, std::size_t blocks)
{
    const FieldElement& h = key.power[kGhashPowers - 1];
    for (std::size_t i = 0; i < blocks; ++i, data += 16) {
        const FieldElement x = load_block(data);
        state.w[0] ^= x.w[0];
        state.w[1] ^= x.w[1];
        state = polyval_multiply(state, h);
    }
}

void crypt_portable(const GhashKey& key, FieldElement& state, const unsigned char* keystream, const unsigned char* in,
    unsigned char* out, std::size_t blocks, bool encrypt)
{
    for (std::size_t i = 0; i < blocks; ++i) {
        unsigned char block[16];
        for (int j = 0; j < 16; ++j)
            block[j] = in[16 * i + j];
        if (!encrypt)
            hash_portable(key, state, block, 1);
        for (int j = 0; j < 16; ++j) {
            block[j] ^= keystream[16 * i + j];
            out[16 * i + j] = block[j];
        }
        if (encrypt)
            hash_portable(key, state, block, 1);
    }
}

const GhashKernel kPortable = { "portable", CpuLevel::Portable, hash_portable, crypt_portable, make_counters };

struct ClmulSupport {
    bool pclmul = false;
    bool vpclmul = false;
};

ClmulSupport detect_clmul()
{
    ClmulSupport s;
#if TESSIRAL_X86_KERNELS
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(1, &a, &b, &c, &d) == 0)
        return s;
    s.pclmul = (c >> 1) & 1;
    if (__get_cpuid_max(0, nullptr) >= 7) {
        __cpuid_count(7, 0, a, b, c, d);
        s.vpclmul = s.pclmul && ((c >> 10) & 1);
    }
#endif
    return s;
}

const ClmulSupport& clmul_support()
{
    static const ClmulSupport support = detect_clmul();
    return support;
}

} // namespace

void make_counters(const unsigned char j0[16], std::uint32_t first, unsigned char* out, std::size_t blocks)
{
    for (std::size_t i = 0; i < blocks; ++i, out += 16) {
        for (int j = 0; j < 12; ++j)
            out[j] = j0[j];
        const auto c = static_cast<std::uint32_t>(first + i);
        out[12] = static_cast<unsigned char>(c >> 24);
        out[13] = static_cast<unsigned char>(c >> 16);
        out[14] = static_cast<unsigned char>(c >> 8);
        out[15] = static_cast<unsigned char>(c);
    }
}

FieldElement polyval_multiply(const FieldElement& a, const FieldElement& b)
{
    // Karatsuba: three 64-bit products make the 256-bit one, p3:p2:p1:p0.
    std::uint64_t l0, l1, h0, h1, m0, m1;
    clmul64(a.w[0], b.w[0], l0, l1);
    clmul64(a.w[1], b.w[1], h0, h1);
    clmul64(a.w[0] ^ a.w[1], b.w[0] ^ b.w[1], m0, m1);
    m0 ^= l0 ^ h0;
    m1 ^= l1 ^ h1;
    const std::uint64_t p0 = l0, p1 = l1 ^ m0, p2 = h0 ^ m1, p3 = h1;
    // Montgomery reduction by x^128 modulo x^128 + x^127 + x^126 + x^121 + 1,
    // 64 bits at a time: each step adds the low word times the polynomial.
    const std::uint64_t t0 = (p0 << 63) ^ (p0 << 62) ^ (p0 << 57);
    const std::uint64_t t1 = (p0 >> 1) ^ (p0 >> 2) ^ (p0 >> 7);
    const std::uint64_t a0 = p1 ^ t0;
    const std::uint64_t u0 = (a0 << 63) ^ (a0 << 62) ^ (a0 << 57);
    const std::uint64_t u1 = (a0 >> 1) ^ (a0 >> 2) ^ (a0 >> 7);
    FieldElement r;
    r.w[0] = p2 ^ p0 ^ t1 ^ u0;
    r.w[1] = p3 ^ a0 ^ u1;
    return r;
}

void ghash_init(GhashKey& key, const unsigned char hashBlock[16], const GhashKernel& kernel)
{
    // mulX: H times x, reduced without a branch on the key.
    FieldElement h = load_block(hashBlock);
    const std::uint64_t carry = 0 - (h.w[1] >> 63);
    h.w[1] = (h.w[1] << 1) | (h.w[0] >> 63);
    h.w[0] = (h.w[0] << 1) ^ (carry & 1);
    h.w[1] ^= carry & 0xc200000000000000u;
    key.power[kGhashPowers - 1] = h;
    // Hashing a zero block into a state of H^k gives H^(k+1): one block uses
    // H alone.
    static const unsigned char kZero[16] = {};
    for (std::size_t i = kGhashPowers - 1; i-- > 0;) {
        key.power[i] = key.power[i + 1];
        kernel.hash(key, key.power[i], kZero, 1);
    }
}

const GhashKernel* ghash_portable()
{
    return &kPortable;
}

#if TESSIRAL_X86_KERNELS
const GhashKernel* ghash_clmul_kernel();
const GhashKernel* ghash_vpclmul256_kernel();
const GhashKernel* ghash_vpclmul512_kernel();

const GhashKernel* ghash_clmul()
{
    return clmul_support().pclmul ? ghash_clmul_kernel() : nullptr;
}

const GhashKernel* ghash_vpclmul256()
{
    return clmul_support().vpclmul && cpu_features().avx2 ? ghash_vpclmul256_kernel() : nullptr;
}

const GhashKernel* ghash_vpclmul512()
{
    return clmul_support().vpclmul && cpu_features().avx512 ? ghash_vpclmul512_kernel() : nullptr;
}
#else
const GhashKernel* ghash_clmul()
{
    return nullptr;
}

const GhashKernel* ghash_vpclmul256()
{
    return nullptr;
}

const GhashKernel* ghash_vpclmul512()
{
    return nullptr;
}
#endif

GhashKernel ghash_kernel(CpuLevel level)
{
    const GhashKernel* candidates[] = { ghash_vpclmul512(), ghash_vpclmul256(), ghash_clmul() };
    for (const GhashKernel* k : candidates)
        if (k != nullptr && k->level <= level)
            return *k;
    return kPortable;
}

} // namespace tessiral::gcm
