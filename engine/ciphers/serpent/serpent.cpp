// Serpent in bitslice form: the round function of serpent_circuits.h on one
// block in plain words or on eight blocks in SSE2 lanes; the key schedule.
#include "engine/ciphers/serpent/serpent.h"

#include "engine/ciphers/serpent/serpent_circuits.h"
#include "engine/os/secure_zero.h"

#include <utility>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define SERPENT_HAVE_SSE2 1
#include <emmintrin.h>
#endif

namespace {

using tessiral::load_le32;
using tessiral::store_le32;

constexpr uint32 kPhi = 0x9E3779B9;
constexpr int kRounds = kSerpentRounds;
constexpr int kKeyWords = 8; // schedule words ahead of the round keys
constexpr int kRoundKeyWords = 4 * (kRounds + 1);

#if defined(SERPENT_HAVE_SSE2)
// Word i of eight blocks: blocks 0-3 in `lo`, 4-7 in `hi`. Two independent
// vectors per word keep more of the processor's vector units busy than one;
// the wrapper exists because not every compiler gives __m128i operators.
struct Lanes {
    __m128i lo, hi;
};

SERPENT_INLINE Lanes operator&(Lanes a, Lanes b)
{
    return { _mm_and_si128(a.lo, b.lo), _mm_and_si128(a.hi, b.hi) };
}
SERPENT_INLINE Lanes operator|(Lanes a, Lanes b)
{
    return { _mm_or_si128(a.lo, b.lo), _mm_or_si128(a.hi, b.hi) };
}
SERPENT_INLINE Lanes operator^(Lanes a, Lanes b)
{
    return { _mm_xor_si128(a.lo, b.lo), _mm_xor_si128(a.hi, b.hi) };
}
SERPENT_INLINE Lanes& operator^=(Lanes& a, Lanes b)
{
    return a = a ^ b;
}

SERPENT_INLINE Lanes operator~(Lanes a)
{
    const __m128i ones = _mm_set1_epi32(-1);
    return { _mm_xor_si128(a.lo, ones), _mm_xor_si128(a.hi, ones) };
}

template <int N> SERPENT_INLINE __m128i rotl(__m128i x)
{
    return _mm_or_si128(_mm_slli_epi32(x, N), _mm_srli_epi32(x, 32 - N));
}
template <int N> SERPENT_INLINE Lanes rotl(Lanes x)
{
    return { rotl<N>(x.lo), rotl<N>(x.hi) };
}
template <int N> SERPENT_INLINE Lanes rotr(Lanes x)
{
    return rotl<32 - N>(x);
}
template <int N> SERPENT_INLINE Lanes shl(Lanes x)
{
    return { _mm_slli_epi32(x.lo, N), _mm_slli_epi32(x.hi, N) };
}

constexpr std::size_t kLaneBlocks = 8;

// Transposing four blocks puts word j of every block into one vector; the
// reversed word order then makes word 3 the state's x0.
SERPENT_INLINE void load_four(const uint8* in, __m128i& x0, __m128i& x1, __m128i& x2, __m128i& x3)
{
    const __m128i r0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i r1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16));
    const __m128i r2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 32));
    const __m128i r3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 48));
    const __m128i lo01 = _mm_unpacklo_epi32(r0, r1), lo23 = _mm_unpacklo_epi32(r2, r3);
    const __m128i hi01 = _mm_unpackhi_epi32(r0, r1), hi23 = _mm_unpackhi_epi32(r2, r3);
    x0 = _mm_unpackhi_epi64(hi01, hi23);
    x1 = _mm_unpacklo_epi64(hi01, hi23);
    x2 = _mm_unpackhi_epi64(lo01, lo23);
    x3 = _mm_unpacklo_epi64(lo01, lo23);
}

SERPENT_INLINE void store_four(uint8* out, __m128i x0, __m128i x1, __m128i x2, __m128i x3)
{
    const __m128i a = _mm_unpacklo_epi32(x3, x2), b = _mm_unpacklo_epi32(x1, x0);
    const __m128i c = _mm_unpackhi_epi32(x3, x2), d = _mm_unpackhi_epi32(x1, x0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi64(a, b));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), _mm_unpackhi_epi64(a, b));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32), _mm_unpacklo_epi64(c, d));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 48), _mm_unpackhi_epi64(c, d));
}
#endif

// Round key i is S((3 - i) mod 8) of prekeys 4i..4i+3, worked in place.
template <int I> SERPENT_INLINE void make_round_key(uint32* k)
{
    uint32* p = k + 4 * I;
    uint32 x0 = p[0], x1 = p[1], x2 = p[2], x3 = p[3];
    sbox<(kRounds + 3 - I) % 8>(x0, x1, x2, x3);
    p[0] = x0;
    p[1] = x1;
    p[2] = x2;
    p[3] = x3;
}

template <int... I> void make_round_keys(uint32* k, std::integer_sequence<int, I...>)
{
    (make_round_key<I>(k), ...);
}

// The block's little-endian words taken in reverse order: bytes 12-15 are x0.
template <bool Decrypt> SERPENT_INLINE void crypt_one(const uint32* k, const uint8* in, uint8* out)
{
    uint32 x0 = load_le32(in + 12), x1 = load_le32(in + 8), x2 = load_le32(in + 4), x3 = load_le32(in);
    if constexpr (Decrypt)
        decrypt_state(k, x0, x1, x2, x3, kAllRounds);
    else
        encrypt_state(k, x0, x1, x2, x3, kAllRounds);
    store_le32(out + 12, x0);
    store_le32(out + 8, x1);
    store_le32(out + 4, x2);
    store_le32(out, x3);
}

template <bool Decrypt> void crypt_blocks(const SerpentContext* ctx, const uint8* in, uint8* out, std::size_t blocks)
{
    const uint32* k = ctx->schedule + kKeyWords;
#if defined(SERPENT_HAVE_SSE2)
    if (blocks >= kLaneBlocks) {
        Lanes lane_keys[kRoundKeyWords];
        for (int i = 0; i < kRoundKeyWords; ++i) {
            const __m128i word = _mm_set1_epi32(int(k[i]));
            lane_keys[i] = { word, word };
        }
        for (; blocks >= kLaneBlocks; blocks -= kLaneBlocks, in += 16 * kLaneBlocks, out += 16 * kLaneBlocks) {
            Lanes x0, x1, x2, x3;
            load_four(in, x0.lo, x1.lo, x2.lo, x3.lo);
            load_four(in + 64, x0.hi, x1.hi, x2.hi, x3.hi);
            if constexpr (Decrypt)
                decrypt_state(lane_keys, x0, x1, x2, x3, kAllRounds);
            else
                encrypt_state(lane_keys, x0, x1, x2, x3, kAllRounds);
            store_four(out, x0.lo, x1.lo, x2.lo, x3.lo);
            store_four(out + 64, x0.hi, x1.hi, x2.hi, x3.hi);
        }
        tessiral::secure_zero(lane_keys, sizeof lane_keys);
    }
#endif
    for (; blocks != 0; --blocks, in += 16, out += 16)
        crypt_one<Decrypt>(k, in, out);
}

} // namespace

uint32* en_key_serpent(SerpentContext* ctx, const uint8* key, uint32 key_bits)
{
    if (key_bits > 256)
        return nullptr;

    // Key words in reverse order. A length that is not a whole number of
    // words still reads whole words; the padding then trims word n-1, which
    // in this order came from key bytes 0-3.
    uint32* w = ctx->schedule;
    const uint32 n = (key_bits + 31) / 32;
    for (uint32 i = 0; i < n; ++i)
        w[i] = load_le32(key + 4 * (n - 1 - i));
    if (key_bits < 256) {
        for (uint32 i = n; i < kKeyWords; ++i)
            w[i] = 0;
        const uint32 word = key_bits / 32;
        const uint32 bit = uint32(1) << (key_bits % 32);
        w[word] = (w[word] & (bit - 1)) | bit;
    }

    for (uint32 i = 0; i < kRoundKeyWords; ++i)
        w[kKeyWords + i] = tessiral::rotl32(w[i] ^ w[i + 3] ^ w[i + 5] ^ w[i + 7] ^ kPhi ^ i, 11);
    make_round_keys(w + kKeyWords, std::make_integer_sequence<int, kRounds + 1>{});
    return w;
}

void encrypt_serpent(const SerpentContext* ctx, const uint8* in, uint8* out)
{
    crypt_one<false>(ctx->schedule + kKeyWords, in, out);
}

void decrypt_serpent(const SerpentContext* ctx, const uint8* in, uint8* out)
{
    crypt_one<true>(ctx->schedule + kKeyWords, in, out);
}

void encrypt_serpent_blocks(const SerpentContext* ctx, const uint8* in, uint8* out, std::size_t blocks)
{
    crypt_blocks<false>(ctx, in, out, blocks);
}

void decrypt_serpent_blocks(const SerpentContext* ctx, const uint8* in, uint8* out, std::size_t blocks)
{
    crypt_blocks<true>(ctx, in, out, blocks);
}
