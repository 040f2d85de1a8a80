// Serpent in bitslice form. The S-boxes are fixed Boolean circuits, so the
// same code runs one block in plain words or eight blocks in SSE2 lanes.
#include "serpent.h"

#include "secure_zero.h"

#include <utility>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define SERPENT_HAVE_SSE2 1
#include <emmintrin.h>
#endif

#if defined(_MSC_VER)
#define SERPENT_INLINE __forceinline
#else
#define SERPENT_INLINE inline __attribute__((always_inline))
#endif

namespace {

using tessiral::load_le32;
using tessiral::store_le32;

constexpr uint32 kPhi = 0x9E3779B9;
constexpr int kRounds = 32;
constexpr int kKeyWords = 8; // schedule words ahead of the round keys
constexpr int kRoundKeyWords = 4 * (kRounds + 1);

template <int N> SERPENT_INLINE uint32 rotl(uint32 x)
{
    return tessiral::rotl32(x, N);
}
template <int N> SERPENT_INLINE uint32 rotr(uint32 x)
{
    return tessiral::rotr32(x, N);
}
template <int N> SERPENT_INLINE uint32 shl(uint32 x)
{
    return x << N;
}

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

// The eight S-boxes and their inverses as circuits of AND, OR, XOR and NOT,
// found by a search over the published 4-bit tables (listed above each one).
// Bit j of x0..x3 forms the nibble x0 + 2 x1 + 4 x2 + 8 x3 for position j.

// S0: 3 8 15 1 10 6 5 11 14 13 4 2 7 0 9 12 (17 operations)
template <class W> SERPENT_INLINE void sbox0(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = a | d;
    const W t1 = c ^ t0;
    const W t2 = b ^ t1;
    const W t3 = a & b;
    const W t4 = t2 | d;
    const W t5 = c & t4;
    const W t6 = t3 | t5;
    const W t7 = d ^ t6;
    const W t8 = a ^ t7;
    const W t9 = ~t8;
    const W t10 = t9 ^ t5;
    const W t11 = b | t10;
    const W t12 = c ^ t11;
    const W t13 = t7 ^ t12;
    const W t14 = t13 | c;
    const W t15 = b ^ t14;
    const W t16 = t10 ^ t15;
    x0 = t9;
    x1 = t13;
    x2 = t16;
    x3 = t2;
}

// S1: 15 12 2 7 9 0 5 10 1 11 14 8 6 13 3 4 (17 operations)
template <class W> SERPENT_INLINE void sbox1(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = ~b;
    const W t1 = a | t0;
    const W t2 = d ^ t1;
    const W t3 = c ^ t2;
    const W t4 = t0 | t3;
    const W t5 = a & t3;
    const W t6 = d | t5;
    const W t7 = t4 & t6;
    const W t8 = a ^ t7;
    const W t9 = t0 ^ t8;
    const W t10 = a ^ b;
    const W t11 = d | t10;
    const W t12 = t3 ^ t11;
    const W t13 = t8 ^ t12;
    const W t14 = c & t11;
    const W t15 = t5 ^ t14;
    const W t16 = t0 ^ t15;
    x0 = t16;
    x1 = t13;
    x2 = t3;
    x3 = t9;
}

// S2: 8 6 7 9 3 12 10 15 13 1 14 4 0 11 5 2 (16 operations)
template <class W> SERPENT_INLINE void sbox2(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = a | c;
    const W t1 = d ^ t0;
    const W t2 = b ^ t1;
    const W t3 = a ^ t2;
    const W t4 = t3 ^ c;
    const W t5 = b | t4;
    const W t6 = t1 ^ t5;
    const W t7 = ~t6;
    const W t8 = t2 | t6;
    const W t9 = c | d;
    const W t10 = t8 & t9;
    const W t11 = t4 ^ t10;
    const W t12 = t1 ^ t11;
    const W t13 = t7 | t12;
    const W t14 = t9 & t13;
    const W t15 = t2 ^ t14;
    x0 = t3;
    x1 = t15;
    x2 = t12;
    x3 = t7;
}

// S3: 0 15 11 8 12 9 6 3 13 1 2 4 10 7 5 14 (17 operations)
template <class W> SERPENT_INLINE void sbox3(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = a & d;
    const W t1 = b | t0;
    const W t2 = a | d;
    const W t3 = c & t2;
    const W t4 = t1 ^ t3;
    const W t5 = a ^ t4;
    const W t6 = t1 & d;
    const W t7 = a & b;
    const W t8 = c | t7;
    const W t9 = t6 ^ t8;
    const W t10 = t2 ^ t9;
    const W t11 = t5 | t10;
    const W t12 = t7 ^ t11;
    const W t13 = t9 ^ t12;
    const W t14 = t12 & t10;
    const W t15 = t6 ^ t14;
    const W t16 = t4 ^ t15;
    x0 = t13;
    x1 = t5;
    x2 = t10;
    x3 = t16;
}

// S4: 1 15 8 3 12 0 11 6 2 5 4 10 9 14 7 13 (16 operations)
template <class W> SERPENT_INLINE void sbox4(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = a ^ b;
    const W t1 = a ^ d;
    const W t2 = t0 | t1;
    const W t3 = c ^ t2;
    const W t4 = a ^ t3;
    const W t5 = ~t4;
    const W t6 = t4 | b;
    const W t7 = t1 ^ t6;
    const W t8 = t3 | t5;
    const W t9 = t1 ^ t8;
    const W t10 = t6 & t9;
    const W t11 = t0 ^ t10;
    const W t12 = t1 ^ t11;
    const W t13 = t7 | t12;
    const W t14 = d ^ t13;
    const W t15 = t4 ^ t14;
    x0 = t5;
    x1 = t15;
    x2 = t11;
    x3 = t7;
}

// S5: 15 5 2 11 4 10 9 12 0 3 14 8 13 6 7 1 (16 operations)
template <class W> SERPENT_INLINE void sbox5(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = a ^ b;
    const W t1 = a ^ d;
    const W t2 = t0 | t1;
    const W t3 = c ^ t2;
    const W t4 = a ^ t3;
    const W t5 = ~t4;
    const W t6 = t4 | d;
    const W t7 = t0 ^ t6;
    const W t8 = ~t7;
    const W t9 = t0 | t7;
    const W t10 = b | t5;
    const W t11 = t9 ^ t10;
    const W t12 = t1 ^ t11;
    const W t13 = t1 ^ t10;
    const W t14 = t7 | t13;
    const W t15 = t3 ^ t14;
    x0 = t5;
    x1 = t8;
    x2 = t12;
    x3 = t15;
}

// S6: 7 2 12 5 8 4 6 11 14 9 1 15 13 3 10 0 (16 operations)
template <class W> SERPENT_INLINE void sbox6(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = a & d;
    const W t1 = c ^ t0;
    const W t2 = b ^ t1;
    const W t3 = ~t2;
    const W t4 = t1 & t3;
    const W t5 = t1 & a;
    const W t6 = d ^ t5;
    const W t7 = t4 | t6;
    const W t8 = a ^ t7;
    const W t9 = t3 ^ t8;
    const W t10 = t9 & t3;
    const W t11 = b | t10;
    const W t12 = t6 ^ t11;
    const W t13 = t12 & t9;
    const W t14 = t1 ^ t13;
    const W t15 = t12 ^ t14;
    x0 = t9;
    x1 = t3;
    x2 = t12;
    x3 = t15;
}

// S7: 1 13 15 0 14 8 2 11 7 4 12 10 9 3 5 6 (19 operations)
template <class W> SERPENT_INLINE void sbox7(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = a & b;
    const W t1 = a ^ b;
    const W t2 = c | t1;
    const W t3 = d & t2;
    const W t4 = t0 ^ t3;
    const W t5 = c ^ t4;
    const W t6 = ~t5;
    const W t7 = t5 & t3;
    const W t8 = t2 | d;
    const W t9 = a ^ t8;
    const W t10 = t7 | t9;
    const W t11 = t4 ^ t10;
    const W t12 = c ^ t2;
    const W t13 = t1 ^ t11;
    const W t14 = t10 & t13;
    const W t15 = t12 | t14;
    const W t16 = t5 & t10;
    const W t17 = t13 ^ t16;
    const W t18 = t9 ^ t17;
    x0 = t6;
    x1 = t11;
    x2 = t15;
    x3 = t18;
}

// S0 inverse: 13 3 11 0 10 6 5 12 1 14 4 7 15 9 8 2 (17 operations)
template <class W> SERPENT_INLINE void inverse_sbox0(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = a | b;
    const W t1 = d ^ t0;
    const W t2 = c ^ t1;
    const W t3 = ~t2;
    const W t4 = t2 & d;
    const W t5 = b & c;
    const W t6 = a ^ t5;
    const W t7 = t4 | t6;
    const W t8 = b ^ t7;
    const W t9 = t3 ^ t8;
    const W t10 = t8 & d;
    const W t11 = t4 | t10;
    const W t12 = t6 ^ t11;
    const W t13 = ~t12;
    const W t14 = t9 | t13;
    const W t15 = d ^ t14;
    const W t16 = t3 ^ t15;
    x0 = t9;
    x1 = t16;
    x2 = t3;
    x3 = t13;
}

// S1 inverse: 5 8 2 14 15 6 12 3 11 4 7 9 1 13 10 0 (18 operations)
template <class W> SERPENT_INLINE void inverse_sbox1(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = b | d;
    const W t1 = c ^ t0;
    const W t2 = b ^ t1;
    const W t3 = a ^ t2;
    const W t4 = t3 | a;
    const W t5 = b ^ d;
    const W t6 = t4 & t5;
    const W t7 = t3 ^ t6;
    const W t8 = t0 & t7;
    const W t9 = t1 ^ t8;
    const W t10 = t5 | t9;
    const W t11 = d ^ t10;
    const W t12 = t7 ^ t11;
    const W t13 = ~t12;
    const W t14 = t9 & t12;
    const W t15 = c ^ t14;
    const W t16 = t3 ^ t15;
    const W t17 = ~t16;
    x0 = t13;
    x1 = t9;
    x2 = t17;
    x3 = t3;
}

// S2 inverse: 12 9 15 4 11 14 1 2 0 3 6 13 5 8 10 7 (17 operations)
template <class W> SERPENT_INLINE void inverse_sbox2(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = c ^ d;
    const W t1 = b | t0;
    const W t2 = d ^ t1;
    const W t3 = a ^ t2;
    const W t4 = a | c;
    const W t5 = b & t4;
    const W t6 = ~d;
    const W t7 = a & c;
    const W t8 = t6 | t7;
    const W t9 = t5 ^ t8;
    const W t10 = a | b;
    const W t11 = t0 & t10;
    const W t12 = t4 ^ t11;
    const W t13 = t9 ^ t12;
    const W t14 = t3 | t13;
    const W t15 = t9 ^ t14;
    const W t16 = t2 ^ t15;
    x0 = t3;
    x1 = t16;
    x2 = t13;
    x3 = t9;
}

// S3 inverse: 0 9 10 7 11 14 6 13 3 5 12 2 4 8 15 1 (17 operations)
template <class W> SERPENT_INLINE void inverse_sbox3(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = a | d;
    const W t1 = c | d;
    const W t2 = b & t1;
    const W t3 = t0 ^ t2;
    const W t4 = c ^ t3;
    const W t5 = t4 ^ b;
    const W t6 = t3 & t5;
    const W t7 = d ^ t6;
    const W t8 = a ^ t7;
    const W t9 = t8 ^ b;
    const W t10 = t7 ^ t1;
    const W t11 = t9 | t10;
    const W t12 = d ^ t11;
    const W t13 = t8 | t12;
    const W t14 = t0 ^ t13;
    const W t15 = t4 ^ t14;
    const W t16 = t10 ^ t15;
    x0 = t4;
    x1 = t16;
    x2 = t8;
    x3 = t12;
}

// S4 inverse: 5 0 8 3 10 9 7 14 2 12 11 6 4 15 13 1 (17 operations)
template <class W> SERPENT_INLINE void inverse_sbox4(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = c | d;
    const W t1 = b ^ t0;
    const W t2 = a & t1;
    const W t3 = d ^ t2;
    const W t4 = c ^ t3;
    const W t5 = t4 | d;
    const W t6 = a & t5;
    const W t7 = d ^ t6;
    const W t8 = t1 ^ t7;
    const W t9 = ~a;
    const W t10 = t4 | t9;
    const W t11 = t6 ^ t10;
    const W t12 = t1 ^ t11;
    const W t13 = t8 | d;
    const W t14 = t3 & c;
    const W t15 = t13 ^ t14;
    const W t16 = t9 ^ t15;
    x0 = t12;
    x1 = t4;
    x2 = t16;
    x3 = t8;
}

// S5 inverse: 8 15 2 9 4 1 13 14 11 6 5 3 7 12 10 0 (16 operations)
template <class W> SERPENT_INLINE void inverse_sbox5(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = a & d;
    const W t1 = c ^ t0;
    const W t2 = b & t1;
    const W t3 = d ^ t2;
    const W t4 = a ^ t3;
    const W t5 = t4 & b;
    const W t6 = t1 ^ b;
    const W t7 = c & t6;
    const W t8 = t5 | t7;
    const W t9 = a ^ t8;
    const W t10 = t5 & a;
    const W t11 = t6 ^ t10;
    const W t12 = ~t11;
    const W t13 = t11 & a;
    const W t14 = b ^ t13;
    const W t15 = t4 ^ t14;
    x0 = t4;
    x1 = t15;
    x2 = t9;
    x3 = t12;
}

// S6 inverse: 15 10 1 13 5 3 6 0 4 9 14 7 2 12 8 11 (16 operations)
template <class W> SERPENT_INLINE void inverse_sbox6(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = ~c;
    const W t1 = a | t0;
    const W t2 = d ^ t1;
    const W t3 = b ^ t2;
    const W t4 = t2 & b;
    const W t5 = t0 & b;
    const W t6 = a ^ t5;
    const W t7 = t4 | t6;
    const W t8 = c ^ t7;
    const W t9 = t3 ^ t8;
    const W t10 = t2 & t9;
    const W t11 = t4 | t10;
    const W t12 = t6 ^ t11;
    const W t13 = t9 & t12;
    const W t14 = t2 ^ t13;
    const W t15 = ~t14;
    x0 = t9;
    x1 = t3;
    x2 = t15;
    x3 = t12;
}

// S7 inverse: 3 0 6 13 9 14 15 8 5 12 11 7 10 1 4 2 (17 operations)
template <class W> SERPENT_INLINE void inverse_sbox7(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = a & b;
    const W t1 = c | t0;
    const W t2 = a | b;
    const W t3 = d & t2;
    const W t4 = t1 ^ t3;
    const W t5 = b ^ t3;
    const W t6 = t4 ^ d;
    const W t7 = ~t6;
    const W t8 = t5 | t7;
    const W t9 = a ^ t8;
    const W t10 = t9 | d;
    const W t11 = c ^ t10;
    const W t12 = t5 ^ t11;
    const W t13 = t4 | a;
    const W t14 = b ^ t13;
    const W t15 = t8 ^ t14;
    const W t16 = t11 ^ t15;
    x0 = t12;
    x1 = t9;
    x2 = t16;
    x3 = t4;
}

template <int S, class W> SERPENT_INLINE void sbox(W& x0, W& x1, W& x2, W& x3)
{
    if constexpr (S == 0)
        sbox0(x0, x1, x2, x3);
    else if constexpr (S == 1)
        sbox1(x0, x1, x2, x3);
    else if constexpr (S == 2)
        sbox2(x0, x1, x2, x3);
    else if constexpr (S == 3)
        sbox3(x0, x1, x2, x3);
    else if constexpr (S == 4)
        sbox4(x0, x1, x2, x3);
    else if constexpr (S == 5)
        sbox5(x0, x1, x2, x3);
    else if constexpr (S == 6)
        sbox6(x0, x1, x2, x3);
    else
        sbox7(x0, x1, x2, x3);
}

template <int S, class W> SERPENT_INLINE void inverse_sbox(W& x0, W& x1, W& x2, W& x3)
{
    if constexpr (S == 0)
        inverse_sbox0(x0, x1, x2, x3);
    else if constexpr (S == 1)
        inverse_sbox1(x0, x1, x2, x3);
    else if constexpr (S == 2)
        inverse_sbox2(x0, x1, x2, x3);
    else if constexpr (S == 3)
        inverse_sbox3(x0, x1, x2, x3);
    else if constexpr (S == 4)
        inverse_sbox4(x0, x1, x2, x3);
    else if constexpr (S == 5)
        inverse_sbox5(x0, x1, x2, x3);
    else if constexpr (S == 6)
        inverse_sbox6(x0, x1, x2, x3);
    else
        inverse_sbox7(x0, x1, x2, x3);
}

template <class W> SERPENT_INLINE void linear(W& x0, W& x1, W& x2, W& x3)
{
    x0 = rotl<13>(x0);
    x2 = rotl<3>(x2);
    x1 = x1 ^ x0 ^ x2;
    x3 = x3 ^ x2 ^ shl<3>(x0);
    x1 = rotl<1>(x1);
    x3 = rotl<7>(x3);
    x0 = x0 ^ x1 ^ x3;
    x2 = x2 ^ x3 ^ shl<7>(x1);
    x0 = rotl<5>(x0);
    x2 = rotl<22>(x2);
}

template <class W> SERPENT_INLINE void linear_inverse(W& x0, W& x1, W& x2, W& x3)
{
    x2 = rotr<22>(x2);
    x0 = rotr<5>(x0);
    x2 = x2 ^ x3 ^ shl<7>(x1);
    x0 = x0 ^ x1 ^ x3;
    x3 = rotr<7>(x3);
    x1 = rotr<1>(x1);
    x3 = x3 ^ x2 ^ shl<3>(x0);
    x1 = x1 ^ x0 ^ x2;
    x2 = rotr<3>(x2);
    x0 = rotr<13>(x0);
}

// `k` is the round-key array in the state's own word type.
template <class W> SERPENT_INLINE void mix_key(const W* k, W& x0, W& x1, W& x2, W& x3)
{
    x0 ^= k[0];
    x1 ^= k[1];
    x2 ^= k[2];
    x3 ^= k[3];
}

template <int R, class W> SERPENT_INLINE void encrypt_round(const W* k, W& x0, W& x1, W& x2, W& x3)
{
    mix_key(k + 4 * R, x0, x1, x2, x3);
    sbox<R % 8>(x0, x1, x2, x3);
    if constexpr (R < kRounds - 1)
        linear(x0, x1, x2, x3);
    else
        mix_key(k + 4 * kRounds, x0, x1, x2, x3);
}

template <int R, class W> SERPENT_INLINE void decrypt_round(const W* k, W& x0, W& x1, W& x2, W& x3)
{
    if constexpr (R < kRounds - 1)
        linear_inverse(x0, x1, x2, x3);
    else
        mix_key(k + 4 * kRounds, x0, x1, x2, x3);
    inverse_sbox<R % 8>(x0, x1, x2, x3);
    mix_key(k + 4 * R, x0, x1, x2, x3);
}

template <class W, int... R>
SERPENT_INLINE void encrypt_state(const W* k, W& x0, W& x1, W& x2, W& x3, std::integer_sequence<int, R...>)
{
    (encrypt_round<R>(k, x0, x1, x2, x3), ...);
}

template <class W, int... R>
SERPENT_INLINE void decrypt_state(const W* k, W& x0, W& x1, W& x2, W& x3, std::integer_sequence<int, R...>)
{
    (decrypt_round<kRounds - 1 - R>(k, x0, x1, x2, x3), ...);
}

constexpr auto kAllRounds = std::make_integer_sequence<int, kRounds>{};

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
