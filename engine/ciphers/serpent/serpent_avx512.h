// Serpent's rounds on AVX-512, bitsliced, shared by the bulk kernels
// (serpent_avx512.cpp) and GCM's stitched counter mode.
//
// Register layout: one 512-bit register holds the same state word of sixteen
// blocks, one 32-bit lane per block; x0..x3 make a set. The lanes hold blocks
// 0 4 8 12 | 1 5 9 13 | 2 6 10 14 | 3 7 11 15 (one group per 128 bits), the
// order an in-lane 4x4 transpose gives; the store undoes it the same way.
// x0 is the block's last little-endian word (bytes 12-15), as in serpent.h.
//
// The S-boxes do not use the circuits of the portable code: vpternlogd
// computes any function of three inputs in one instruction, so each output
// bit is two such functions of x0..x2 (one for x3 = 0, one for x3 = 1) and a
// third instruction choosing between them by x3: twelve instructions a box,
// their immediates worked out at compile time from the published tables.
// x86 only; callers check the CPU.
#pragma once

#include "engine/ciphers/serpent/serpent.h"
#include "engine/dispatch/cpu_features.h"

#if TESSIRAL_X86_KERNELS

// GCC before 12.3 warns that the merge source its AVX-512 intrinsics leave
// undefined on purpose may be used uninitialized (its bug 105593).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#include <array>
#include <cstddef>
#include <utility>

#define KVN_SERPENT_512 __attribute__((target("avx512f,avx512bw,avx512vl")))
#define KVN_SERPENT_512_INLINE inline __attribute__((always_inline)) KVN_SERPENT_512

namespace serpentx512 {

constexpr int kRounds = 32;
constexpr std::size_t kSetBlocks = 16; // blocks per register set
constexpr int kKeyWords = 8; // schedule words ahead of the round keys

using Box = std::array<uint8, 16>;

constexpr Box kBoxes[8] = {
    { 3, 8, 15, 1, 10, 6, 5, 11, 14, 13, 4, 2, 7, 0, 9, 12 },
    { 15, 12, 2, 7, 9, 0, 5, 10, 1, 11, 14, 8, 6, 13, 3, 4 },
    { 8, 6, 7, 9, 3, 12, 10, 15, 13, 1, 14, 4, 0, 11, 5, 2 },
    { 0, 15, 11, 8, 12, 9, 6, 3, 13, 1, 2, 4, 10, 7, 5, 14 },
    { 1, 15, 8, 3, 12, 0, 11, 6, 2, 5, 4, 10, 9, 14, 7, 13 },
    { 15, 5, 2, 11, 4, 10, 9, 12, 0, 3, 14, 8, 13, 6, 7, 1 },
    { 7, 2, 12, 5, 8, 4, 6, 11, 14, 9, 1, 15, 13, 3, 10, 0 },
    { 1, 13, 15, 0, 14, 8, 2, 11, 7, 4, 12, 10, 9, 3, 5, 6 },
};

constexpr Box box(int s, bool inverse)
{
    if (!inverse)
        return kBoxes[s];
    Box inv{};
    for (int i = 0; i < 16; ++i)
        inv[kBoxes[s][i]] = uint8(i);
    return inv;
}

// vpternlogd(a, b, c, imm) gives bit (4a + 2b + c) of imm. With a = x2,
// b = x1, c = x0 that index is the low three bits of the nibble, so the
// immediate for output bit `bit` is read straight off half of the table.
constexpr int half_immediate(int s, bool inverse, int bit, int x3)
{
    const Box t = box(s, inverse);
    int imm = 0;
    for (int i = 0; i < 8; ++i)
        imm |= ((t[8 * x3 + i] >> bit) & 1) << i;
    return imm;
}

constexpr int kChooseByA = 0xCA; // a ? b : c
constexpr int kXor3 = 0x96; // a ^ b ^ c

template <int Imm> KVN_SERPENT_512_INLINE __m512i tern(__m512i a, __m512i b, __m512i c)
{
    return _mm512_ternarylogic_epi32(a, b, c, Imm);
}

template <int Sets> struct State {
    __m512i x[4][Sets]; // x[word][set]
};

template <int S, bool Inverse, int Bit>
KVN_SERPENT_512_INLINE __m512i box_bit(__m512i x0, __m512i x1, __m512i x2, __m512i x3)
{
    const __m512i low = tern<half_immediate(S, Inverse, Bit, 0)>(x2, x1, x0);
    const __m512i high = tern<half_immediate(S, Inverse, Bit, 1)>(x2, x1, x0);
    return tern<kChooseByA>(x3, high, low);
}

template <int S, bool Inverse, int Sets> KVN_SERPENT_512_INLINE void apply_box(State<Sets>& st)
{
    for (int s = 0; s < Sets; ++s) {
        const __m512i x0 = st.x[0][s], x1 = st.x[1][s], x2 = st.x[2][s], x3 = st.x[3][s];
        st.x[0][s] = box_bit<S, Inverse, 0>(x0, x1, x2, x3);
        st.x[1][s] = box_bit<S, Inverse, 1>(x0, x1, x2, x3);
        st.x[2][s] = box_bit<S, Inverse, 2>(x0, x1, x2, x3);
        st.x[3][s] = box_bit<S, Inverse, 3>(x0, x1, x2, x3);
    }
}

template <int Sets> KVN_SERPENT_512_INLINE void mix_key(State<Sets>& st, const uint32* k)
{
    for (int w = 0; w < 4; ++w) {
        const __m512i key = _mm512_set1_epi32(int(k[w]));
        for (int s = 0; s < Sets; ++s)
            st.x[w][s] = _mm512_xor_si512(st.x[w][s], key);
    }
}

template <int Sets> KVN_SERPENT_512_INLINE void linear(State<Sets>& st)
{
    for (int s = 0; s < Sets; ++s) {
        __m512i x0 = st.x[0][s], x1 = st.x[1][s], x2 = st.x[2][s], x3 = st.x[3][s];
        x0 = _mm512_rol_epi32(x0, 13);
        x2 = _mm512_rol_epi32(x2, 3);
        x1 = tern<kXor3>(x1, x0, x2);
        x3 = tern<kXor3>(x3, x2, _mm512_slli_epi32(x0, 3));
        x1 = _mm512_rol_epi32(x1, 1);
        x3 = _mm512_rol_epi32(x3, 7);
        x0 = tern<kXor3>(x0, x1, x3);
        x2 = tern<kXor3>(x2, x3, _mm512_slli_epi32(x1, 7));
        st.x[0][s] = _mm512_rol_epi32(x0, 5);
        st.x[1][s] = x1;
        st.x[2][s] = _mm512_rol_epi32(x2, 22);
        st.x[3][s] = x3;
    }
}

template <int Sets> KVN_SERPENT_512_INLINE void linear_inverse(State<Sets>& st)
{
    for (int s = 0; s < Sets; ++s) {
        __m512i x0 = st.x[0][s], x1 = st.x[1][s], x2 = st.x[2][s], x3 = st.x[3][s];
        x2 = _mm512_ror_epi32(x2, 22);
        x0 = _mm512_ror_epi32(x0, 5);
        x2 = tern<kXor3>(x2, x3, _mm512_slli_epi32(x1, 7));
        x0 = tern<kXor3>(x0, x1, x3);
        x3 = _mm512_ror_epi32(x3, 7);
        x1 = _mm512_ror_epi32(x1, 1);
        x3 = tern<kXor3>(x3, x2, _mm512_slli_epi32(x0, 3));
        x1 = tern<kXor3>(x1, x0, x2);
        st.x[0][s] = _mm512_ror_epi32(x0, 13);
        st.x[1][s] = x1;
        st.x[2][s] = _mm512_ror_epi32(x2, 3);
        st.x[3][s] = x3;
    }
}

template <int R, int Sets> KVN_SERPENT_512_INLINE void encrypt_round(State<Sets>& st, const uint32* k)
{
    mix_key(st, k + 4 * R);
    apply_box<R % 8, false>(st);
    if constexpr (R < kRounds - 1)
        linear(st);
    else
        mix_key(st, k + 4 * kRounds);
}

template <int R, int Sets> KVN_SERPENT_512_INLINE void decrypt_round(State<Sets>& st, const uint32* k)
{
    if constexpr (R < kRounds - 1)
        linear_inverse(st);
    else
        mix_key(st, k + 4 * kRounds);
    apply_box<R % 8, true>(st);
    mix_key(st, k + 4 * R);
}

template <int Sets, int... R>
KVN_SERPENT_512_INLINE void encrypt_state(State<Sets>& st, const uint32* k, std::integer_sequence<int, R...>)
{
    (encrypt_round<R>(st, k), ...);
}

template <int Sets, int... R>
KVN_SERPENT_512_INLINE void decrypt_state(State<Sets>& st, const uint32* k, std::integer_sequence<int, R...>)
{
    (decrypt_round<kRounds - 1 - R>(st, k), ...);
}

// Sixteen blocks' words into four registers; the reversed word order makes
// word 3 the state's x0.
template <int Sets> KVN_SERPENT_512_INLINE void load_set(const uint8* in, State<Sets>& st, int s)
{
    const __m512i r0 = _mm512_loadu_si512(in);
    const __m512i r1 = _mm512_loadu_si512(in + 64);
    const __m512i r2 = _mm512_loadu_si512(in + 128);
    const __m512i r3 = _mm512_loadu_si512(in + 192);
    const __m512i lo01 = _mm512_unpacklo_epi32(r0, r1), lo23 = _mm512_unpacklo_epi32(r2, r3);
    const __m512i hi01 = _mm512_unpackhi_epi32(r0, r1), hi23 = _mm512_unpackhi_epi32(r2, r3);
    st.x[0][s] = _mm512_unpackhi_epi64(hi01, hi23);
    st.x[1][s] = _mm512_unpacklo_epi64(hi01, hi23);
    st.x[2][s] = _mm512_unpackhi_epi64(lo01, lo23);
    st.x[3][s] = _mm512_unpacklo_epi64(lo01, lo23);
}

template <int Sets> KVN_SERPENT_512_INLINE void store_set(uint8* out, const State<Sets>& st, int s)
{
    const __m512i x0 = st.x[0][s], x1 = st.x[1][s], x2 = st.x[2][s], x3 = st.x[3][s];
    const __m512i a = _mm512_unpacklo_epi32(x3, x2), b = _mm512_unpacklo_epi32(x1, x0);
    const __m512i c = _mm512_unpackhi_epi32(x3, x2), d = _mm512_unpackhi_epi32(x1, x0);
    _mm512_storeu_si512(out, _mm512_unpacklo_epi64(a, b));
    _mm512_storeu_si512(out + 64, _mm512_unpackhi_epi64(a, b));
    _mm512_storeu_si512(out + 128, _mm512_unpacklo_epi64(c, d));
    _mm512_storeu_si512(out + 192, _mm512_unpackhi_epi64(c, d));
}

} // namespace serpentx512

#endif
