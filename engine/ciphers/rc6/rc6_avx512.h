// RC6's rounds on AVX-512 registers, shared by the bulk kernels
// (rc6_avx512.cpp) and GCM's stitched counter mode: each 32-bit lane holds
// one block's word, a register set (a, b, c, d) sixteen blocks. The lanes of
// a set hold blocks 0 4 8 12 | 1 5 9 13 | 2 6 10 14 | 3 7 11 15 (one group
// per 128 bits), the order an in-lane 4x4 transpose gives; the store undoes
// it the same way. vprold / vprolvd rotate in one instruction and take the
// count modulo 32, as the cipher wants. x86 only; callers check the CPU.
#pragma once

#include "engine/ciphers/rc6/rc6.h"
#include "engine/dispatch/cpu_features.h"

#if TESSIRAL_X86_KERNELS

// GCC before 12.3 warns that the merge source its AVX-512 intrinsics leave
// undefined on purpose may be used uninitialized (its bug 105593).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#include <cstddef>

#define KVN_RC6_512 __attribute__((target("avx512f,avx512bw,avx512vl")))
#define KVN_RC6_512_INLINE inline __attribute__((always_inline)) KVN_RC6_512

namespace rc6x512 {

constexpr int kRounds = 20;
constexpr std::size_t kSetBlocks = 16; // blocks per register set

template <int Sets> struct State {
    __m512i a[Sets], b[Sets], c[Sets], d[Sets];
};

KVN_RC6_512_INLINE __m512i add(__m512i x, __m512i y)
{
    return _mm512_add_epi32(x, y);
}
KVN_RC6_512_INLINE __m512i sub(__m512i x, __m512i y)
{
    return _mm512_sub_epi32(x, y);
}
KVN_RC6_512_INLINE __m512i key(const uint32* S, int i)
{
    return _mm512_set1_epi32(int(S[i]));
}

// x * (2x + 1), rotated left by 5.
KVN_RC6_512_INLINE __m512i quad(__m512i x)
{
    const __m512i odd = _mm512_or_si512(_mm512_add_epi32(x, x), _mm512_set1_epi32(1));
    return _mm512_rol_epi32(_mm512_mullo_epi32(x, odd), 5);
}

// One round on every set, the registers named in their current roles as in
// rc6.cpp; the caller rotates the names.
template <int Sets>
KVN_RC6_512_INLINE void enc_round(__m512i* a, const __m512i* b, __m512i* c, const __m512i* d, const uint32* k)
{
    for (int s = 0; s < Sets; ++s) {
        const __m512i t = quad(b[s]);
        const __m512i u = quad(d[s]);
        a[s] = add(_mm512_rolv_epi32(_mm512_xor_si512(a[s], t), u), key(k, 0));
        c[s] = add(_mm512_rolv_epi32(_mm512_xor_si512(c[s], u), t), key(k, 1));
    }
}

template <int Sets>
KVN_RC6_512_INLINE void dec_round(__m512i* a, const __m512i* b, __m512i* c, const __m512i* d, const uint32* k)
{
    for (int s = 0; s < Sets; ++s) {
        const __m512i t = quad(b[s]);
        const __m512i u = quad(d[s]);
        c[s] = _mm512_xor_si512(_mm512_rorv_epi32(sub(c[s], key(k, 1)), t), u);
        a[s] = _mm512_xor_si512(_mm512_rorv_epi32(sub(a[s], key(k, 0)), u), t);
    }
}

// Sixteen blocks' words a, b, c, d (little-endian, in block order) into four
// registers.
template <int Sets> KVN_RC6_512_INLINE void load_set(const uint8* in, State<Sets>& st, int s)
{
    const __m512i r0 = _mm512_loadu_si512(in);
    const __m512i r1 = _mm512_loadu_si512(in + 64);
    const __m512i r2 = _mm512_loadu_si512(in + 128);
    const __m512i r3 = _mm512_loadu_si512(in + 192);
    const __m512i lo01 = _mm512_unpacklo_epi32(r0, r1), lo23 = _mm512_unpacklo_epi32(r2, r3);
    const __m512i hi01 = _mm512_unpackhi_epi32(r0, r1), hi23 = _mm512_unpackhi_epi32(r2, r3);
    st.a[s] = _mm512_unpacklo_epi64(lo01, lo23);
    st.b[s] = _mm512_unpackhi_epi64(lo01, lo23);
    st.c[s] = _mm512_unpacklo_epi64(hi01, hi23);
    st.d[s] = _mm512_unpackhi_epi64(hi01, hi23);
}

// A set's four registers back into sixteen blocks in block order.
template <int Sets> KVN_RC6_512_INLINE void unload_set(const State<Sets>& st, int s, __m512i (&r)[4])
{
    const __m512i ab_lo = _mm512_unpacklo_epi32(st.a[s], st.b[s]), cd_lo = _mm512_unpacklo_epi32(st.c[s], st.d[s]);
    const __m512i ab_hi = _mm512_unpackhi_epi32(st.a[s], st.b[s]), cd_hi = _mm512_unpackhi_epi32(st.c[s], st.d[s]);
    r[0] = _mm512_unpacklo_epi64(ab_lo, cd_lo);
    r[1] = _mm512_unpackhi_epi64(ab_lo, cd_lo);
    r[2] = _mm512_unpacklo_epi64(ab_hi, cd_hi);
    r[3] = _mm512_unpackhi_epi64(ab_hi, cd_hi);
}

template <int Sets> KVN_RC6_512_INLINE void store_set(uint8* out, const State<Sets>& st, int s)
{
    __m512i r[4];
    unload_set(st, s, r);
    for (int i = 0; i < 4; ++i)
        _mm512_storeu_si512(out + 64 * i, r[i]);
}

} // namespace rc6x512

#endif
