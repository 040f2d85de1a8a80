// Serpent on AVX2, bitsliced: the round function of serpent_circuits.h run on
// 256-bit registers, sixteen blocks per pass.
//
// Register layout: one register holds the same state word of eight blocks,
// one 32-bit lane per block; four registers (x0..x3) make one set of eight
// blocks, and two sets run side by side so the vector units stay busy (with
// a third, the sixteen registers overflow). A tail of eight or more blocks
// runs one set at a time, the rest on the portable code. The lanes of a set
// hold blocks 0 2 4 6 | 1 3 5 7 (low | high 128 bits), the order an in-lane
// 4x4 transpose gives; the store undoes it the same way.
// x0 is the block's last little-endian word (bytes 12-15), as in serpent.h.
#include "engine/ciphers/serpent/serpent_simd.h"

#if TESSIRAL_X86_KERNELS

#include <immintrin.h>

#include <utility>

#define SERPENT_TARGET __attribute__((target("avx2")))
#include "engine/ciphers/serpent/serpent_circuits.h"

namespace {

constexpr int kSets = 2; // register sets per pass in the bulk
constexpr std::size_t kSetBlocks = 8; // blocks per register set
constexpr int kKeyWords = 8; // schedule words ahead of the round keys

// One state word of every block in the pass.
template <int Sets> struct Words {
    __m256i r[Sets];
};

template <int Sets> SERPENT_INLINE Words<Sets> operator&(Words<Sets> a, Words<Sets> b)
{
    for (int i = 0; i < Sets; ++i)
        a.r[i] = _mm256_and_si256(a.r[i], b.r[i]);
    return a;
}
template <int Sets> SERPENT_INLINE Words<Sets> operator|(Words<Sets> a, Words<Sets> b)
{
    for (int i = 0; i < Sets; ++i)
        a.r[i] = _mm256_or_si256(a.r[i], b.r[i]);
    return a;
}
template <int Sets> SERPENT_INLINE Words<Sets> operator^(Words<Sets> a, Words<Sets> b)
{
    for (int i = 0; i < Sets; ++i)
        a.r[i] = _mm256_xor_si256(a.r[i], b.r[i]);
    return a;
}
template <int Sets> SERPENT_INLINE Words<Sets>& operator^=(Words<Sets>& a, Words<Sets> b)
{
    return a = a ^ b;
}
template <int Sets> SERPENT_INLINE Words<Sets> operator~(Words<Sets> a)
{
    for (int i = 0; i < Sets; ++i)
        a.r[i] = _mm256_xor_si256(a.r[i], _mm256_set1_epi32(-1));
    return a;
}

template <int N, int Sets> SERPENT_INLINE Words<Sets> shl(Words<Sets> a)
{
    for (int i = 0; i < Sets; ++i)
        a.r[i] = _mm256_slli_epi32(a.r[i], N);
    return a;
}
template <int N, int Sets> SERPENT_INLINE Words<Sets> rotl(Words<Sets> a)
{
    for (int i = 0; i < Sets; ++i)
        a.r[i] = _mm256_or_si256(_mm256_slli_epi32(a.r[i], N), _mm256_srli_epi32(a.r[i], 32 - N));
    return a;
}
template <int N, int Sets> SERPENT_INLINE Words<Sets> rotr(Words<Sets> a)
{
    return rotl<32 - N, Sets>(a);
}

// Round-key words broadcast to every lane as the rounds ask for them: a
// broadcast from memory costs no more than a load, and no copy of the key
// schedule is left on the stack.
template <int Sets> struct BroadcastKeys {
    const uint32* k;
    SERPENT_INLINE BroadcastKeys operator+(int i) const { return { k + i }; }
    SERPENT_INLINE Words<Sets> operator[](int i) const
    {
        Words<Sets> w;
        const __m256i word = _mm256_set1_epi32(int(k[i]));
        for (int s = 0; s < Sets; ++s)
            w.r[s] = word;
        return w;
    }
};

// Eight blocks' words into four registers; the reversed word order makes
// word 3 the state's x0.
SERPENT_INLINE void load_set(const uint8* in, __m256i& x0, __m256i& x1, __m256i& x2, __m256i& x3)
{
    const __m256i r0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
    const __m256i r1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 32));
    const __m256i r2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 64));
    const __m256i r3 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 96));
    const __m256i lo01 = _mm256_unpacklo_epi32(r0, r1), lo23 = _mm256_unpacklo_epi32(r2, r3);
    const __m256i hi01 = _mm256_unpackhi_epi32(r0, r1), hi23 = _mm256_unpackhi_epi32(r2, r3);
    x0 = _mm256_unpackhi_epi64(hi01, hi23);
    x1 = _mm256_unpacklo_epi64(hi01, hi23);
    x2 = _mm256_unpackhi_epi64(lo01, lo23);
    x3 = _mm256_unpacklo_epi64(lo01, lo23);
}

SERPENT_INLINE void store_set(uint8* out, __m256i x0, __m256i x1, __m256i x2, __m256i x3)
{
    const __m256i a = _mm256_unpacklo_epi32(x3, x2), b = _mm256_unpacklo_epi32(x1, x0);
    const __m256i c = _mm256_unpackhi_epi32(x3, x2), d = _mm256_unpackhi_epi32(x1, x0);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_unpacklo_epi64(a, b));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32), _mm256_unpackhi_epi64(a, b));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 64), _mm256_unpacklo_epi64(c, d));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 96), _mm256_unpackhi_epi64(c, d));
}

// Runs whole passes of Sets register sets; returns the blocks done.
template <bool Decrypt, int Sets>
SERPENT_TARGET std::size_t crypt_passes(const uint32* schedule, const uint8* in, uint8* out, std::size_t blocks)
{
    constexpr std::size_t pass = kSetBlocks * Sets;
    const std::size_t passes = blocks / pass;
    const BroadcastKeys<Sets> k{ schedule + kKeyWords };
    for (std::size_t p = 0; p < passes; ++p, in += 16 * pass, out += 16 * pass) {
        Words<Sets> x0, x1, x2, x3;
        for (int s = 0; s < Sets; ++s)
            load_set(in + 128 * s, x0.r[s], x1.r[s], x2.r[s], x3.r[s]);
        if constexpr (Decrypt)
            decrypt_state(k, x0, x1, x2, x3, kAllRounds);
        else
            encrypt_state(k, x0, x1, x2, x3, kAllRounds);
        for (int s = 0; s < Sets; ++s)
            store_set(out + 128 * s, x0.r[s], x1.r[s], x2.r[s], x3.r[s]);
    }
    return passes * pass;
}

} // namespace

void serpent_encrypt_blocks_avx2(const SerpentContext* ctx, const uint8* in, uint8* out, std::size_t blocks)
{
    std::size_t done = crypt_passes<false, kSets>(ctx->schedule, in, out, blocks);
    done += crypt_passes<false, 1>(ctx->schedule, in + 16 * done, out + 16 * done, blocks - done);
    encrypt_serpent_blocks(ctx, in + 16 * done, out + 16 * done, blocks - done);
}

void serpent_decrypt_blocks_avx2(const SerpentContext* ctx, const uint8* in, uint8* out, std::size_t blocks)
{
    std::size_t done = crypt_passes<true, kSets>(ctx->schedule, in, out, blocks);
    done += crypt_passes<true, 1>(ctx->schedule, in + 16 * done, out + 16 * done, blocks - done);
    decrypt_serpent_blocks(ctx, in + 16 * done, out + 16 * done, blocks - done);
}

#endif
