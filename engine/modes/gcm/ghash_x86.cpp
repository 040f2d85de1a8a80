// GHASH with carry-less multiply: PCLMULQDQ on 128-bit registers, and
// VPCLMULQDQ on 256- and 512-bit registers (two or four blocks a register).
// A run of up to 16 blocks is multiplied by the hash key's matching powers,
// the products summed unreduced, and reduced once (aggregated reduction).
// The fused calls XOR the keystream in the same pass, so the cipher text is
// hashed straight from registers. Each function carries its instruction set
// as a target attribute; the dispatcher calls a kernel only where the
// processor has it.
#include "engine/modes/gcm/ghash.h"

#if TESSIRAL_X86_KERNELS

// GCC before 12.3 warns that the merge source its AVX-512 intrinsics leave
// undefined on purpose may be used uninitialized (its bug 105593).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif
#include <immintrin.h>

namespace tessiral::gcm {

namespace {

#define KVN_CLMUL __attribute__((target("pclmul,ssse3")))
#define KVN_VPCLMUL256 __attribute__((target("vpclmulqdq,avx2,pclmul,ssse3")))
#define KVN_VPCLMUL512 __attribute__((target("vpclmulqdq,avx512f,avx512bw,avx512vl,avx2,pclmul,ssse3")))

// What a run does beside hashing.
enum class Run { Hash, Encrypt, Decrypt };

struct Sums {
    __m128i lo, mid, hi;
};

KVN_CLMUL inline __m128i reverse_bytes(__m128i x)
{
    return _mm_shuffle_epi8(x, _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
}

KVN_CLMUL inline void multiply_add(Sums& s, __m128i x, __m128i h)
{
    s.lo = _mm_xor_si128(s.lo, _mm_clmulepi64_si128(x, h, 0x00));
    s.hi = _mm_xor_si128(s.hi, _mm_clmulepi64_si128(x, h, 0x11));
    s.mid = _mm_xor_si128(s.mid, _mm_clmulepi64_si128(x, h, 0x01));
    s.mid = _mm_xor_si128(s.mid, _mm_clmulepi64_si128(x, h, 0x10));
}

// The unreduced 256-bit sum times x^-128, modulo the field polynomial.
KVN_CLMUL inline __m128i reduce(const Sums& s)
{
    __m128i lo = _mm_xor_si128(s.lo, _mm_slli_si128(s.mid, 8));
    const __m128i hi = _mm_xor_si128(s.hi, _mm_srli_si128(s.mid, 8));
    const __m128i poly = _mm_set_epi64x(static_cast<long long>(0xc200000000000000u), 1);
    lo = _mm_xor_si128(_mm_shuffle_epi32(lo, 0x4e), _mm_clmulepi64_si128(lo, poly, 0x10));
    lo = _mm_xor_si128(_mm_shuffle_epi32(lo, 0x4e), _mm_clmulepi64_si128(lo, poly, 0x10));
    return _mm_xor_si128(hi, lo);
}

KVN_CLMUL inline __m128i load_power(const GhashKey& key, std::size_t i)
{
    return _mm_load_si128(reinterpret_cast<const __m128i*>(&key.power[i]));
}

// The cipher text block i of a run, with the output written.
template <Run R>
KVN_CLMUL inline __m128i take_block(const unsigned char* ks, const unsigned char* in, unsigned char* out, std::size_t i)
{
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16 * i));
    if constexpr (R == Run::Hash) {
        return x;
    } else {
        const __m128i y = _mm_xor_si128(x, _mm_loadu_si128(reinterpret_cast<const __m128i*>(ks + 16 * i)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * i), y);
        return R == Run::Encrypt ? y : x;
    }
}

// n <= kGhashPowers blocks one at a time, reduced once.
template <Run R>
KVN_CLMUL inline __m128i run_narrow(const GhashKey& key, __m128i state, const unsigned char* ks,
    const unsigned char* in, unsigned char* out, std::size_t n)
{
    Sums s = { _mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128() };
    for (std::size_t i = 0; i < n; ++i) {
        __m128i x = reverse_bytes(take_block<R>(ks, in, out, i));
        if (i == 0)
            x = _mm_xor_si128(x, state);
        multiply_add(s, x, load_power(key, kGhashPowers - n + i));
    }
    return reduce(s);
}

template <Run R>
KVN_CLMUL void run_clmul(const GhashKey& key, FieldElement& state, const unsigned char* ks, const unsigned char* in,
    unsigned char* out, std::size_t blocks)
{
    constexpr std::size_t kRun = 8;
    __m128i y = _mm_load_si128(reinterpret_cast<const __m128i*>(&state));
    for (; blocks >= kRun; blocks -= kRun) {
        y = run_narrow<R>(key, y, ks, in, out, kRun);
        in += 16 * kRun;
        if constexpr (R != Run::Hash) {
            out += 16 * kRun;
            ks += 16 * kRun;
        }
    }
    if (blocks > 0)
        y = run_narrow<R>(key, y, ks, in, out, blocks);
    _mm_store_si128(reinterpret_cast<__m128i*>(&state), y);
}

KVN_CLMUL void hash_clmul(const GhashKey& key, FieldElement& state, const unsigned char* data, std::size_t blocks)
{
    run_clmul<Run::Hash>(key, state, nullptr, data, nullptr, blocks);
}

KVN_CLMUL void crypt_clmul(const GhashKey& key, FieldElement& state, const unsigned char* ks, const unsigned char* in,
    unsigned char* out, std::size_t blocks, bool encrypt)
{
    if (encrypt)
        run_clmul<Run::Encrypt>(key, state, ks, in, out, blocks);
    else
        run_clmul<Run::Decrypt>(key, state, ks, in, out, blocks);
}

// ---- 256-bit registers: two blocks each, 16 blocks a reduction ----

KVN_VPCLMUL256 inline __m128i fold256(__m256i x)
{
    return _mm_xor_si128(_mm256_castsi256_si128(x), _mm256_extracti128_si256(x, 1));
}

template <Run R>
KVN_VPCLMUL256 void run_vpclmul256(const GhashKey& key, FieldElement& state, const unsigned char* ks,
    const unsigned char* in, unsigned char* out, std::size_t blocks)
{
    const __m256i reverse
        = _mm256_broadcastsi128_si256(_mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
    const __m128i top = load_power(key, 0);
    __m128i y = _mm_load_si128(reinterpret_cast<const __m128i*>(&state));
    for (; blocks >= kGhashPowers; blocks -= kGhashPowers) {
        // The data's products do not wait for the state: only its own
        // product (by the highest power) lies on the chain from run to run.
        __m256i lo = _mm256_setzero_si256(), mid = _mm256_setzero_si256(), hi = _mm256_setzero_si256();
        for (std::size_t j = 0; j < kGhashPowers / 2; ++j) {
            __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 32 * j));
            if constexpr (R != Run::Hash) {
                const __m256i c
                    = _mm256_xor_si256(x, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ks + 32 * j)));
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32 * j), c);
                if constexpr (R == Run::Encrypt)
                    x = c;
            }
            x = _mm256_shuffle_epi8(x, reverse);
            const __m256i h = _mm256_load_si256(reinterpret_cast<const __m256i*>(&key.power[2 * j]));
            lo = _mm256_xor_si256(lo, _mm256_clmulepi64_epi128(x, h, 0x00));
            hi = _mm256_xor_si256(hi, _mm256_clmulepi64_epi128(x, h, 0x11));
            mid = _mm256_xor_si256(mid, _mm256_clmulepi64_epi128(x, h, 0x01));
            mid = _mm256_xor_si256(mid, _mm256_clmulepi64_epi128(x, h, 0x10));
        }
        Sums s = { fold256(lo), fold256(mid), fold256(hi) };
        multiply_add(s, y, top);
        y = reduce(s);
        in += 16 * kGhashPowers;
        if constexpr (R != Run::Hash) {
            out += 16 * kGhashPowers;
            ks += 16 * kGhashPowers;
        }
    }
    if (blocks > 0)
        y = run_narrow<R>(key, y, ks, in, out, blocks);
    _mm_store_si128(reinterpret_cast<__m128i*>(&state), y);
}

KVN_VPCLMUL256 void counters256(const unsigned char j0[16], std::uint32_t first, unsigned char* out, std::size_t blocks)
{
    // Two blocks a register: the counter kept native in the last 32-bit
    // word of each half, byte-swapped into the prefix on the way out.
    const __m256i base = _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(j0)));
    const __m256i swap
        = _mm256_broadcastsi128_si256(_mm_set_epi8(12, 13, 14, 15, 8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3));
    const __m256i step = _mm256_set_epi32(2, 0, 0, 0, 2, 0, 0, 0);
    __m256i c = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(first)), _mm256_set_epi32(1, 0, 0, 0, 0, 0, 0, 0));
    std::size_t i = 0;
    for (; i + 2 <= blocks; i += 2, out += 32) {
        _mm256_storeu_si256(
            reinterpret_cast<__m256i*>(out), _mm256_blend_epi32(base, _mm256_shuffle_epi8(c, swap), 0x88));
        c = _mm256_add_epi32(c, step);
    }
    if (i < blocks)
        make_counters(j0, static_cast<std::uint32_t>(first + i), out, blocks - i);
}

KVN_VPCLMUL256 void hash_vpclmul256(
    const GhashKey& key, FieldElement& state, const unsigned char* data, std::size_t blocks)
{
    run_vpclmul256<Run::Hash>(key, state, nullptr, data, nullptr, blocks);
}

KVN_VPCLMUL256 void crypt_vpclmul256(const GhashKey& key, FieldElement& state, const unsigned char* ks,
    const unsigned char* in, unsigned char* out, std::size_t blocks, bool encrypt)
{
    if (encrypt)
        run_vpclmul256<Run::Encrypt>(key, state, ks, in, out, blocks);
    else
        run_vpclmul256<Run::Decrypt>(key, state, ks, in, out, blocks);
}

// ---- 512-bit registers: four blocks each, 16 blocks a reduction ----

KVN_VPCLMUL512 inline __m128i fold512(__m512i x)
{
    const __m256i h = _mm256_xor_si256(_mm512_castsi512_si256(x), _mm512_extracti64x4_epi64(x, 1));
    return _mm_xor_si128(_mm256_castsi256_si128(h), _mm256_extracti128_si256(h, 1));
}

template <Run R>
KVN_VPCLMUL512 void run_vpclmul512(const GhashKey& key, FieldElement& state, const unsigned char* ks,
    const unsigned char* in, unsigned char* out, std::size_t blocks)
{
    const __m512i reverse = _mm512_broadcast_i32x4(_mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
    const __m128i top = load_power(key, 0);
    __m128i y = _mm_load_si128(reinterpret_cast<const __m128i*>(&state));
    for (; blocks >= kGhashPowers; blocks -= kGhashPowers) {
        // As on 256-bit registers: only the state's product is on the chain.
        __m512i lo = _mm512_setzero_si512(), mid = _mm512_setzero_si512(), hi = _mm512_setzero_si512();
        for (std::size_t j = 0; j < kGhashPowers / 4; ++j) {
            __m512i x = _mm512_loadu_si512(in + 64 * j);
            if constexpr (R != Run::Hash) {
                const __m512i c = _mm512_xor_si512(x, _mm512_loadu_si512(ks + 64 * j));
                _mm512_storeu_si512(out + 64 * j, c);
                if constexpr (R == Run::Encrypt)
                    x = c;
            }
            x = _mm512_shuffle_epi8(x, reverse);
            const __m512i h = _mm512_load_si512(&key.power[4 * j]);
            lo = _mm512_xor_si512(lo, _mm512_clmulepi64_epi128(x, h, 0x00));
            hi = _mm512_xor_si512(hi, _mm512_clmulepi64_epi128(x, h, 0x11));
            mid = _mm512_ternarylogic_epi64(
                mid, _mm512_clmulepi64_epi128(x, h, 0x01), _mm512_clmulepi64_epi128(x, h, 0x10), 0x96);
        }
        Sums s = { fold512(lo), fold512(mid), fold512(hi) };
        multiply_add(s, y, top);
        y = reduce(s);
        in += 16 * kGhashPowers;
        if constexpr (R != Run::Hash) {
            out += 16 * kGhashPowers;
            ks += 16 * kGhashPowers;
        }
    }
    if (blocks > 0)
        y = run_narrow<R>(key, y, ks, in, out, blocks);
    _mm_store_si128(reinterpret_cast<__m128i*>(&state), y);
}

KVN_VPCLMUL512 void counters512(const unsigned char j0[16], std::uint32_t first, unsigned char* out, std::size_t blocks)
{
    const __m512i base = _mm512_broadcast_i32x4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(j0)));
    const __m512i swap = _mm512_broadcast_i32x4(_mm_set_epi8(12, 13, 14, 15, 8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3));
    const __m512i step = _mm512_set_epi32(4, 0, 0, 0, 4, 0, 0, 0, 4, 0, 0, 0, 4, 0, 0, 0);
    __m512i c = _mm512_add_epi32(
        _mm512_set1_epi32(static_cast<int>(first)), _mm512_set_epi32(3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0));
    std::size_t i = 0;
    for (; i + 4 <= blocks; i += 4, out += 64) {
        _mm512_storeu_si512(out, _mm512_mask_blend_epi32(0x8888, base, _mm512_shuffle_epi8(c, swap)));
        c = _mm512_add_epi32(c, step);
    }
    if (i < blocks)
        make_counters(j0, static_cast<std::uint32_t>(first + i), out, blocks - i);
}

KVN_VPCLMUL512 void hash_vpclmul512(
    const GhashKey& key, FieldElement& state, const unsigned char* data, std::size_t blocks)
{
    run_vpclmul512<Run::Hash>(key, state, nullptr, data, nullptr, blocks);
}

KVN_VPCLMUL512 void crypt_vpclmul512(const GhashKey& key, FieldElement& state, const unsigned char* ks,
    const unsigned char* in, unsigned char* out, std::size_t blocks, bool encrypt)
{
    if (encrypt)
        run_vpclmul512<Run::Encrypt>(key, state, ks, in, out, blocks);
    else
        run_vpclmul512<Run::Decrypt>(key, state, ks, in, out, blocks);
}

const GhashKernel kClmul = { "pclmul", CpuLevel::AesNi, hash_clmul, crypt_clmul, make_counters };
const GhashKernel kVpclmul256 = { "vpclmul256", CpuLevel::Avx2, hash_vpclmul256, crypt_vpclmul256, counters256 };
const GhashKernel kVpclmul512 = { "vpclmul512", CpuLevel::Avx512, hash_vpclmul512, crypt_vpclmul512, counters512 };

} // namespace

const GhashKernel* ghash_clmul_kernel()
{
    return &kClmul;
}

const GhashKernel* ghash_vpclmul256_kernel()
{
    return &kVpclmul256;
}

const GhashKernel* ghash_vpclmul512_kernel()
{
    return &kVpclmul512;
}

} // namespace tessiral::gcm

#endif
