// RC6 on AVX2: 32 blocks per pass, each 32-bit lane one block's word.
//
// Register layout: a, b, c, d are four registers holding that word of eight
// blocks; four such sets run side by side, because one round is a chain of
// dependent steps (multiply, rotate, rotate) and only independent sets keep
// the vector units busy. A tail of eight or more blocks runs one set at a
// time, the rest on the portable code. The lanes of a set hold blocks
// 0 2 4 6 | 1 3 5 7 (low | high 128 bits), the order an in-lane 4x4
// transpose gives; the store undoes it the same way. AVX2 has no rotate: a
// rotation is two shifts and an OR, by a variable count vpsllvd/vpsrlvd
// (a count of 32 shifts everything out, which makes a rotation by 0 work).
#include "engine/ciphers/rc6/rc6_simd.h"

#if TESSIRAL_X86_KERNELS

#include <immintrin.h>

#define RC6_TARGET __attribute__((target("avx2")))
#define RC6_INLINE inline __attribute__((always_inline)) RC6_TARGET

namespace {

constexpr int kRounds = 20;
constexpr int kSets = 4; // register sets per pass in the bulk
constexpr std::size_t kSetBlocks = 8; // blocks per register set

template <int Sets> struct State {
    __m256i a[Sets], b[Sets], c[Sets], d[Sets];
};

RC6_INLINE __m256i add(__m256i x, __m256i y)
{
    return _mm256_add_epi32(x, y);
}
RC6_INLINE __m256i sub(__m256i x, __m256i y)
{
    return _mm256_sub_epi32(x, y);
}
RC6_INLINE __m256i key(const uint32* S, int i)
{
    return _mm256_set1_epi32(int(S[i]));
}

template <int N> RC6_INLINE __m256i rotl(__m256i x)
{
    return _mm256_or_si256(_mm256_slli_epi32(x, N), _mm256_srli_epi32(x, 32 - N));
}

// Rotations by the low five bits of each lane of `n`.
RC6_INLINE __m256i rotl_var(__m256i x, __m256i n)
{
    const __m256i left = _mm256_and_si256(n, _mm256_set1_epi32(31));
    const __m256i right = _mm256_sub_epi32(_mm256_set1_epi32(32), left);
    return _mm256_or_si256(_mm256_sllv_epi32(x, left), _mm256_srlv_epi32(x, right));
}

RC6_INLINE __m256i rotr_var(__m256i x, __m256i n)
{
    const __m256i right = _mm256_and_si256(n, _mm256_set1_epi32(31));
    const __m256i left = _mm256_sub_epi32(_mm256_set1_epi32(32), right);
    return _mm256_or_si256(_mm256_srlv_epi32(x, right), _mm256_sllv_epi32(x, left));
}

// x * (2x + 1), rotated left by 5.
RC6_INLINE __m256i quad(__m256i x)
{
    const __m256i odd = _mm256_or_si256(_mm256_add_epi32(x, x), _mm256_set1_epi32(1));
    return rotl<5>(_mm256_mullo_epi32(x, odd));
}

// One round on every set, the registers named in their current roles as in
// rc6.cpp; the caller rotates the names.
template <int Sets>
RC6_INLINE void enc_round(__m256i* a, const __m256i* b, __m256i* c, const __m256i* d, const uint32* k)
{
    for (int s = 0; s < Sets; ++s) {
        const __m256i t = quad(b[s]);
        const __m256i u = quad(d[s]);
        a[s] = add(rotl_var(_mm256_xor_si256(a[s], t), u), key(k, 0));
        c[s] = add(rotl_var(_mm256_xor_si256(c[s], u), t), key(k, 1));
    }
}

template <int Sets>
RC6_INLINE void dec_round(__m256i* a, const __m256i* b, __m256i* c, const __m256i* d, const uint32* k)
{
    for (int s = 0; s < Sets; ++s) {
        const __m256i t = quad(b[s]);
        const __m256i u = quad(d[s]);
        c[s] = _mm256_xor_si256(rotr_var(sub(c[s], key(k, 1)), t), u);
        a[s] = _mm256_xor_si256(rotr_var(sub(a[s], key(k, 0)), u), t);
    }
}

// Eight blocks' words a, b, c, d (little-endian, in block order) into four
// registers, and back.
template <int Sets> RC6_INLINE void load_set(const uint8* in, State<Sets>& st, int s)
{
    const __m256i r0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
    const __m256i r1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 32));
    const __m256i r2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 64));
    const __m256i r3 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 96));
    const __m256i lo01 = _mm256_unpacklo_epi32(r0, r1), lo23 = _mm256_unpacklo_epi32(r2, r3);
    const __m256i hi01 = _mm256_unpackhi_epi32(r0, r1), hi23 = _mm256_unpackhi_epi32(r2, r3);
    st.a[s] = _mm256_unpacklo_epi64(lo01, lo23);
    st.b[s] = _mm256_unpackhi_epi64(lo01, lo23);
    st.c[s] = _mm256_unpacklo_epi64(hi01, hi23);
    st.d[s] = _mm256_unpackhi_epi64(hi01, hi23);
}

template <int Sets> RC6_INLINE void store_set(uint8* out, const State<Sets>& st, int s)
{
    const __m256i ab_lo = _mm256_unpacklo_epi32(st.a[s], st.b[s]), cd_lo = _mm256_unpacklo_epi32(st.c[s], st.d[s]);
    const __m256i ab_hi = _mm256_unpackhi_epi32(st.a[s], st.b[s]), cd_hi = _mm256_unpackhi_epi32(st.c[s], st.d[s]);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_unpacklo_epi64(ab_lo, cd_lo));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32), _mm256_unpackhi_epi64(ab_lo, cd_lo));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 64), _mm256_unpacklo_epi64(ab_hi, cd_hi));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 96), _mm256_unpackhi_epi64(ab_hi, cd_hi));
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
            load_set(in + 128 * s, st, s);
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
            store_set(out + 128 * s, st, s);
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
            load_set(in + 128 * s, st, s);
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
            store_set(out + 128 * s, st, s);
        }
    }
    return passes * pass;
}

} // namespace

void rc6_encrypt_blocks_avx2(const CRc6& c, const uint8* in, uint8* out, std::size_t blocks)
{
    std::size_t done = encrypt_passes<kSets>(c.round_keys, in, out, blocks);
    done += encrypt_passes<1>(c.round_keys, in + 16 * done, out + 16 * done, blocks - done);
    c.encrypt_blocks(in + 16 * done, out + 16 * done, blocks - done);
}

void rc6_decrypt_blocks_avx2(const CRc6& c, const uint8* in, uint8* out, std::size_t blocks)
{
    std::size_t done = decrypt_passes<kSets>(c.round_keys, in, out, blocks);
    done += decrypt_passes<1>(c.round_keys, in + 16 * done, out + 16 * done, blocks - done);
    c.decrypt_blocks(in + 16 * done, out + 16 * done, blocks - done);
}

#endif
