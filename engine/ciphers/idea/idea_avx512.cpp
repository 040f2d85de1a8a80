// IDEA on AVX-512 (F and BW), thirty-two blocks per register set of four:
// after the transpose register x1 holds word 1 of all thirty-two blocks (one
// block per 16-bit lane), x2 word 2, and so on. The main loop runs two sets
// side by side so the dependent multiplications of a round overlap. The
// modular multiplication's corrections use mask registers instead of blends.
#include "engine/ciphers/idea/idea_blocks.h"

#include "engine/dispatch/cpu_features.h"

#if TESSIRAL_X86_KERNELS

#include "engine/os/secure_zero.h"

#include <immintrin.h>

#include <cstring>

#define KVN_AVX512 __attribute__((target("avx512f,avx512bw")))

namespace {

using V = __m512i;

constexpr std::size_t kSet = 32; // blocks per register set
constexpr std::size_t kWords = 52; // schedule length

// a * b modulo 65537 in every lane, 0 standing for 65536: lo - hi of the
// 32-bit product, plus 1 when lo < hi. lo == hi only when a factor is 0, and
// then the answer is 1 - a - b; one_minus_b holds 1 - b.
KVN_AVX512 inline V mul(V a, V b, V one_minus_b)
{
    const V lo = _mm512_mullo_epi16(a, b);
    const V hi = _mm512_mulhi_epu16(a, b);
    V r = _mm512_sub_epi16(lo, hi);
    r = _mm512_mask_sub_epi16(r, _mm512_cmplt_epu16_mask(lo, hi), r, _mm512_set1_epi16(-1));
    return _mm512_mask_sub_epi16(r, _mm512_cmpeq_epi16_mask(lo, hi), one_minus_b, a);
}

struct Keys {
    V k[kWords];
    V one_minus[kWords]; // 1 - k, for the multiplications
};

struct Set {
    V x1, x2, x3, x4;
};

// The 64-bit unpacks through their masked forms with every lane selected:
// GCC 12's plain forms start from an undefined register and trip its
// uninitialised-value warning.
KVN_AVX512 inline V unpacklo64(V a, V b)
{
    return _mm512_maskz_unpacklo_epi64(0xFF, a, b);
}
KVN_AVX512 inline V unpackhi64(V a, V b)
{
    return _mm512_maskz_unpackhi_epi64(0xFF, a, b);
}

// Four registers of eight blocks each into one register per block word; the
// unpacks work inside each 128-bit lane, as on AVX2.
KVN_AVX512 inline Set load(const uint8* in)
{
    const V r0 = _mm512_loadu_si512(in);
    const V r1 = _mm512_loadu_si512(in + 64);
    const V r2 = _mm512_loadu_si512(in + 128);
    const V r3 = _mm512_loadu_si512(in + 192);
    const V a0 = _mm512_unpacklo_epi16(r0, r1), a1 = _mm512_unpackhi_epi16(r0, r1);
    const V a2 = _mm512_unpacklo_epi16(r2, r3), a3 = _mm512_unpackhi_epi16(r2, r3);
    const V w01a = _mm512_unpacklo_epi16(a0, a1), w23a = _mm512_unpackhi_epi16(a0, a1);
    const V w01b = _mm512_unpacklo_epi16(a2, a3), w23b = _mm512_unpackhi_epi16(a2, a3);
    return { unpacklo64(w01a, w01b), unpackhi64(w01a, w01b), unpacklo64(w23a, w23b), unpackhi64(w23a, w23b) };
}

// The inverse of load.
KVN_AVX512 inline void store(uint8* out, V y1, V y2, V y3, V y4)
{
    const V w01a = unpacklo64(y1, y2), w01b = unpackhi64(y1, y2);
    const V w23a = unpacklo64(y3, y4), w23b = unpackhi64(y3, y4);
    const V a0 = _mm512_unpacklo_epi16(w01a, w23a), a1 = _mm512_unpackhi_epi16(w01a, w23a);
    const V a2 = _mm512_unpacklo_epi16(w01b, w23b), a3 = _mm512_unpackhi_epi16(w01b, w23b);
    _mm512_storeu_si512(out, _mm512_unpacklo_epi16(a0, a1));
    _mm512_storeu_si512(out + 64, _mm512_unpackhi_epi16(a0, a1));
    _mm512_storeu_si512(out + 128, _mm512_unpacklo_epi16(a2, a3));
    _mm512_storeu_si512(out + 192, _mm512_unpackhi_epi16(a2, a3));
}

// N register sets through the eight rounds and the output transformation,
// step by step across the sets so their instructions overlap.
template <int N> KVN_AVX512 inline void crypt_sets(const Keys& keys, const uint8* in, uint8* out)
{
    Set s[N];
    for (int i = 0; i < N; ++i)
        s[i] = load(in + 256 * i);
    for (int r = 0; r < 8; ++r) {
        const int z = 6 * r;
        for (int i = 0; i < N; ++i) {
            Set& x = s[i];
            x.x1 = mul(x.x1, keys.k[z], keys.one_minus[z]);
            x.x2 = _mm512_add_epi16(x.x2, keys.k[z + 1]);
            x.x3 = _mm512_add_epi16(x.x3, keys.k[z + 2]);
            x.x4 = mul(x.x4, keys.k[z + 3], keys.one_minus[z + 3]);
            V t2 = mul(_mm512_xor_si512(x.x1, x.x3), keys.k[z + 4], keys.one_minus[z + 4]);
            const V t1 = mul(_mm512_add_epi16(t2, _mm512_xor_si512(x.x2, x.x4)), keys.k[z + 5], keys.one_minus[z + 5]);
            t2 = _mm512_add_epi16(t1, t2);
            x.x1 = _mm512_xor_si512(x.x1, t1);
            x.x4 = _mm512_xor_si512(x.x4, t2);
            t2 = _mm512_xor_si512(t2, x.x2);
            x.x2 = _mm512_xor_si512(x.x3, t1);
            x.x3 = t2;
        }
    }
    for (int i = 0; i < N; ++i) {
        const Set& x = s[i];
        store(out + 256 * i, mul(x.x1, keys.k[48], keys.one_minus[48]), _mm512_add_epi16(x.x3, keys.k[49]),
            _mm512_add_epi16(x.x2, keys.k[50]), mul(x.x4, keys.k[51], keys.one_minus[51]));
    }
}

} // namespace

KVN_AVX512 void idea_encrypt_blocks_avx512(
    const unsigned short* subkeys, const uint8* in, uint8* out, std::size_t blocks)
{
    Keys keys;
    for (std::size_t i = 0; i < kWords; ++i) {
        keys.k[i] = _mm512_set1_epi16(static_cast<short>(subkeys[i]));
        keys.one_minus[i] = _mm512_set1_epi16(static_cast<short>(1 - subkeys[i]));
    }
    for (; blocks >= 2 * kSet; blocks -= 2 * kSet, in += 16 * kSet, out += 16 * kSet)
        crypt_sets<2>(keys, in, out);
    for (; blocks >= kSet; blocks -= kSet, in += 8 * kSet, out += 8 * kSet)
        crypt_sets<1>(keys, in, out);
    if (blocks != 0) {
        // The last few blocks go through a full set on the stack.
        alignas(64) uint8 tail[8 * kSet] = {};
        std::memcpy(tail, in, 8 * blocks);
        crypt_sets<1>(keys, tail, tail);
        std::memcpy(out, tail, 8 * blocks);
        tessiral::secure_zero(tail, sizeof tail);
    }
    tessiral::secure_zero(&keys, sizeof keys);
}

#endif
