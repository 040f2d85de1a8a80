// RC6 on AVX-512: 64 blocks per pass, each 32-bit lane one block's word.
//
// Register layout: a, b, c, d are four 512-bit registers holding that word of
// sixteen blocks; four such sets run side by side, because one round is a
// chain of dependent steps (multiply, rotate, rotate) and only independent
// sets keep the vector units busy. A tail of sixteen or more blocks runs one
// set at a time, the rest on the portable code. The lanes of a set hold blocks
// 0 4 8 12 | 1 5 9 13 | 2 6 10 14 | 3 7 11 15 (one group per 128 bits), the
// order an in-lane 4x4 transpose gives; the store undoes it the same way.
// vprold / vprolvd rotate in one instruction and take the count modulo 32,
// as the cipher wants.
#include "engine/ciphers/rc6/rc6_simd.h"

#if TESSIRAL_X86_KERNELS

// GCC before 12.3 warns that the merge source its AVX-512 intrinsics leave
// undefined on purpose may be used uninitialized (its bug 105593).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#define RC6_TARGET __attribute__((target("avx512f,avx512bw,avx512vl")))
#define RC6_INLINE inline __attribute__((always_inline)) RC6_TARGET

namespace {

constexpr int kRounds = 20;
constexpr int kSets = 4; // register sets per pass in the bulk
constexpr std::size_t kSetBlocks = 16; // blocks per register set

template <int Sets> struct State {
    __m512i a[Sets], b[Sets], c[Sets], d[Sets];
};

RC6_INLINE __m512i add(__m512i x, __m512i y)
{
    return _mm512_add_epi32(x, y);
}
RC6_INLINE __m512i sub(__m512i x, __m512i y)
{
    return _mm512_sub_epi32(x, y);
}
RC6_INLINE __m512i key(const uint32* S, int i)
{
    return _mm512_set1_epi32(int(S[i]));
}

// x * (2x + 1), rotated left by 5.
RC6_INLINE __m512i quad(__m512i x)
{
    const __m512i odd = _mm512_or_si512(_mm512_add_epi32(x, x), _mm512_set1_epi32(1));
    return _mm512_rol_epi32(_mm512_mullo_epi32(x, odd), 5);
}

// One round on every set, the registers named in their current roles as in
// rc6.cpp; the caller rotates the names.
template <int Sets>
RC6_INLINE void enc_round(__m512i* a, const __m512i* b, __m512i* c, const __m512i* d, const uint32* k)
{
    for (int s = 0; s < Sets; ++s) {
        const __m512i t = quad(b[s]);
        const __m512i u = quad(d[s]);
        a[s] = add(_mm512_rolv_epi32(_mm512_xor_si512(a[s], t), u), key(k, 0));
        c[s] = add(_mm512_rolv_epi32(_mm512_xor_si512(c[s], u), t), key(k, 1));
    }
}

template <int Sets>
RC6_INLINE void dec_round(__m512i* a, const __m512i* b, __m512i* c, const __m512i* d, const uint32* k)
{
    for (int s = 0; s < Sets; ++s) {
        const __m512i t = quad(b[s]);
        const __m512i u = quad(d[s]);
        c[s] = _mm512_xor_si512(_mm512_rorv_epi32(sub(c[s], key(k, 1)), t), u);
        a[s] = _mm512_xor_si512(_mm512_rorv_epi32(sub(a[s], key(k, 0)), u), t);
    }
}

// Sixteen blocks' words a, b, c, d (little-endian, in block order) into four
// registers, and back.
template <int Sets> RC6_INLINE void load_set(const uint8* in, State<Sets>& st, int s)
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

template <int Sets> RC6_INLINE void store_set(uint8* out, const State<Sets>& st, int s)
{
    const __m512i ab_lo = _mm512_unpacklo_epi32(st.a[s], st.b[s]), cd_lo = _mm512_unpacklo_epi32(st.c[s], st.d[s]);
    const __m512i ab_hi = _mm512_unpackhi_epi32(st.a[s], st.b[s]), cd_hi = _mm512_unpackhi_epi32(st.c[s], st.d[s]);
    _mm512_storeu_si512(out, _mm512_unpacklo_epi64(ab_lo, cd_lo));
    _mm512_storeu_si512(out + 64, _mm512_unpackhi_epi64(ab_lo, cd_lo));
    _mm512_storeu_si512(out + 128, _mm512_unpacklo_epi64(ab_hi, cd_hi));
    _mm512_storeu_si512(out + 192, _mm512_unpackhi_epi64(ab_hi, cd_hi));
}

// Runs whole passes of Sets register sets; returns the blocks done.
template <int Sets>
RC6_TARGET std::size_t encrypt_passes(const uint32* S, const uint8* in, uint8* out, std::size_t blocks)
{
    constexpr std::size_t pass = kSetBlocks * Sets;
    const std::size_t passes = blocks / pass;
    for (std::size_t p = 0; p < passes; ++p, in += 16 * pass, out += 16 * pass) {
        State<Sets> st;
        for (int s = 0; s < Sets; ++s) {
            load_set(in + 256 * s, st, s);
            st.b[s] = add(st.b[s], key(S, 0));
            st.d[s] = add(st.d[s], key(S, 1));
        }
        for (int r = 0; r < kRounds; r += 4) {
            enc_round<Sets>(st.a, st.b, st.c, st.d, S + 2 + 2 * r);
            enc_round<Sets>(st.b, st.c, st.d, st.a, S + 4 + 2 * r);
            enc_round<Sets>(st.c, st.d, st.a, st.b, S + 6 + 2 * r);
            enc_round<Sets>(st.d, st.a, st.b, st.c, S + 8 + 2 * r);
        }
        for (int s = 0; s < Sets; ++s) {
            st.a[s] = add(st.a[s], key(S, 2 * kRounds + 2));
            st.c[s] = add(st.c[s], key(S, 2 * kRounds + 3));
            store_set(out + 256 * s, st, s);
        }
    }
    return passes * pass;
}

// Runs whole passes of Sets register sets; returns the blocks done.
template <int Sets>
RC6_TARGET std::size_t decrypt_passes(const uint32* S, const uint8* in, uint8* out, std::size_t blocks)
{
    constexpr std::size_t pass = kSetBlocks * Sets;
    const std::size_t passes = blocks / pass;
    for (std::size_t p = 0; p < passes; ++p, in += 16 * pass, out += 16 * pass) {
        State<Sets> st;
        for (int s = 0; s < Sets; ++s) {
            load_set(in + 256 * s, st, s);
            st.a[s] = sub(st.a[s], key(S, 2 * kRounds + 2));
            st.c[s] = sub(st.c[s], key(S, 2 * kRounds + 3));
        }
        for (int r = kRounds - 4; r >= 0; r -= 4) {
            dec_round<Sets>(st.d, st.a, st.b, st.c, S + 8 + 2 * r);
            dec_round<Sets>(st.c, st.d, st.a, st.b, S + 6 + 2 * r);
            dec_round<Sets>(st.b, st.c, st.d, st.a, S + 4 + 2 * r);
            dec_round<Sets>(st.a, st.b, st.c, st.d, S + 2 + 2 * r);
        }
        for (int s = 0; s < Sets; ++s) {
            st.b[s] = sub(st.b[s], key(S, 0));
            st.d[s] = sub(st.d[s], key(S, 1));
            store_set(out + 256 * s, st, s);
        }
    }
    return passes * pass;
}

} // namespace

void rc6_encrypt_blocks_avx512(const CRc6& c, const uint8* in, uint8* out, std::size_t blocks)
{
    std::size_t done = encrypt_passes<kSets>(c.round_keys, in, out, blocks);
    done += encrypt_passes<1>(c.round_keys, in + 16 * done, out + 16 * done, blocks - done);
    c.encrypt_blocks(in + 16 * done, out + 16 * done, blocks - done);
}

void rc6_decrypt_blocks_avx512(const CRc6& c, const uint8* in, uint8* out, std::size_t blocks)
{
    std::size_t done = decrypt_passes<kSets>(c.round_keys, in, out, blocks);
    done += decrypt_passes<1>(c.round_keys, in + 16 * done, out + 16 * done, blocks - done);
    c.decrypt_blocks(in + 16 * done, out + 16 * done, blocks - done);
}

#endif
