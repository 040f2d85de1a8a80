// Twofish's rounds on AVX-512 with VBMI and GFNI, shared by the bulk kernels
// (twofish_avx512.cpp) and GCM's stitched counter mode. Sixteen blocks per
// register set of four: after the transpose register a holds word 0 of all
// sixteen blocks (one block per 32-bit lane, blocks 0 4 8 12 | 1 5 9 13 |
// 2 6 10 14 | 3 7 11 15 in the four 128-bit groups), b word 1, and so on.
// The function g works on the bytes in place: byte c of each lane goes
// through the key's S-box c with byte permutes over 128-byte halves of that
// S-box (sixteen registers hold all four S-boxes), and the MDS matrix is byte
// shuffles plus two GF(2^8) multiplications by constants as affine maps.
// x86 only; callers check the CPU.
#pragma once

#include "engine/ciphers/twofish/twofish.h"
#include "engine/dispatch/cpu_features.h"

#if TESSIRAL_X86_KERNELS

#include "engine/os/secure_zero.h"

#include <immintrin.h>

#include <cstddef>

#define KVN_AVX512_VBMI __attribute__((target("avx512f,avx512bw,avx512vbmi,gfni")))

namespace twofishx512 {

using V = __m512i;

using V = __m512i;

constexpr std::size_t kSet = 16; // blocks per register set

// Product in GF(2^8) modulo Twofish's MDS polynomial.
constexpr unsigned gf_mul(unsigned a, unsigned b)
{
    unsigned r = 0;
    for (; b != 0; b >>= 1) {
        if (b & 1)
            r ^= a;
        a <<= 1;
        if (a & 0x100)
            a ^= 0x169;
    }
    return r;
}

// Multiplication by c as the bit matrix gf2p8affineqb takes: the byte for
// result bit i sits at position 7 - i and selects the input bits feeding it.
constexpr unsigned long long affine_of(unsigned c)
{
    unsigned long long m = 0;
    for (unsigned i = 0; i < 8; ++i) {
        unsigned row = 0;
        for (unsigned j = 0; j < 8; ++j)
            row |= ((gf_mul(c, 1u << j) >> i) & 1) << j;
        m |= static_cast<unsigned long long>(row) << (8 * (7 - i));
    }
    return m;
}

// Byte shuffles within each 32-bit lane: entry r names the source byte for
// result byte r, 0x80 leaves it zero. The byte shuffle indexes a whole
// 128-bit lane, so 32-bit lane j adds 4 * j to its entries.
constexpr unsigned long long lane_pair(const int (&b)[4], int first)
{
    unsigned long long v = 0;
    for (int j = 0; j < 2; ++j)
        for (int r = 0; r < 4; ++r) {
            const unsigned entry = b[r] == 0x80 ? 0x80u : unsigned(b[r] + 4 * (first + j));
            v |= static_cast<unsigned long long>(entry) << (8 * (4 * j + r));
        }
    return v;
}

struct Shuffle {
    long long low, high;
    constexpr Shuffle(int b0, int b1, int b2, int b3)
        : low(static_cast<long long>(lane_pair({ b0, b1, b2, b3 }, 0)))
        , high(static_cast<long long>(lane_pair({ b0, b1, b2, b3 }, 2)))
    {
    }
};

KVN_AVX512_VBMI inline V shuffle(V x, Shuffle s)
{
    return _mm512_shuffle_epi8(x, _mm512_set_epi64(s.high, s.low, s.high, s.low, s.high, s.low, s.high, s.low));
}

struct Consts {
    V sbox[4][4]; // S-box c, bytes 64 * h .. 64 * h + 63
    __mmask64 column[4]; // byte c of every lane
};

// The key's S-box bytes out of its combined tables: key_tables[c][x] is
// column c of the MDS matrix times S-box c at x, and the row where that
// column holds 1 carries the S-box byte itself.
inline void fill_sboxes(const TwofishContext* ctx, uint8 (&sbox)[4][256])
{
    constexpr int kRowOfOne[4] = { 0, 3, 2, 1 };
    for (int c = 0; c < 4; ++c)
        for (int x = 0; x < 256; ++x)
            sbox[c][x] = uint8(ctx->key_tables[c][x] >> (8 * kRowOfOne[c]));
}

// Rotations through their masked forms with every lane selected: GCC 12's
// plain forms start from an undefined register and trip its warning.
template <int N> KVN_AVX512_VBMI inline V rol(V x)
{
    return _mm512_maskz_rol_epi32(0xFFFF, x, N);
}
KVN_AVX512_VBMI inline V ror1(V x)
{
    return _mm512_maskz_ror_epi32(0xFFFF, x, 1);
}

// Byte c of each lane through S-box c. Bit 7 of a byte picks the S-box half,
// bit 6 the register within it; positions not yet looked up still hold their
// input bytes, so each masked permute can take the running result as index.
KVN_AVX512_VBMI inline V sboxes(const Consts& k, V x)
{
    const __mmask64 high = _mm512_movepi8_mask(x);
    V y = x;
    for (int c = 0; c < 4; ++c) {
        y = _mm512_mask2_permutex2var_epi8(k.sbox[c][0], y, _kandn_mask64(high, k.column[c]), k.sbox[c][1]);
        y = _mm512_mask2_permutex2var_epi8(k.sbox[c][2], y, _kand_mask64(high, k.column[c]), k.sbox[c][3]);
    }
    return y;
}

// The MDS matrix on the S-box bytes y0..y3 of each lane. Result byte r is
// the sum of M[r][c] * yc; grouping the terms by coefficient (1, 5B, EF)
// leaves five byte shuffles and two multiplications.
KVN_AVX512_VBMI inline V mds(V y)
{
    const V m5b = _mm512_gf2p8affine_epi64_epi8(y, _mm512_set1_epi64(static_cast<long long>(affine_of(0x5B))), 0);
    const V mef = _mm512_gf2p8affine_epi64_epi8(y, _mm512_set1_epi64(static_cast<long long>(affine_of(0xEF))), 0);
    const V ones = shuffle(y, Shuffle(0, 3, 2, 1));
    const V b1 = shuffle(m5b, Shuffle(2, 0, 1, 3));
    const V b2 = shuffle(m5b, Shuffle(3, 0x80, 0x80, 0x80));
    const V e1 = shuffle(mef, Shuffle(1, 1, 0, 0));
    const V e2 = shuffle(mef, Shuffle(0x80, 2, 3, 2));
    return _mm512_ternarylogic_epi32(_mm512_ternarylogic_epi32(ones, b1, b2, 0x96), e1, e2, 0x96);
}

KVN_AVX512_VBMI inline V g0(const Consts& k, V x)
{
    return mds(sboxes(k, x));
}
KVN_AVX512_VBMI inline V g1(const Consts& k, V x)
{
    return mds(sboxes(k, rol<8>(x)));
}

KVN_AVX512_VBMI inline V word(uint32 w)
{
    return _mm512_set1_epi32(static_cast<int>(w));
}

struct Set {
    V a, b, c, d;
};

// Four registers of four blocks into one register per block word (a 4x4
// transpose of 32-bit words inside each 128-bit lane, its own inverse). The
// masked forms keep GCC 12 from warning, as for the rotations.
KVN_AVX512_VBMI inline Set transpose(V r0, V r1, V r2, V r3)
{
    const V t0 = _mm512_maskz_unpacklo_epi32(0xFFFF, r0, r1), t1 = _mm512_maskz_unpackhi_epi32(0xFFFF, r0, r1);
    const V t2 = _mm512_maskz_unpacklo_epi32(0xFFFF, r2, r3), t3 = _mm512_maskz_unpackhi_epi32(0xFFFF, r2, r3);
    return { _mm512_maskz_unpacklo_epi64(0xFF, t0, t2), _mm512_maskz_unpackhi_epi64(0xFF, t0, t2),
        _mm512_maskz_unpacklo_epi64(0xFF, t1, t3), _mm512_maskz_unpackhi_epi64(0xFF, t1, t3) };
}

KVN_AVX512_VBMI inline Set load(const uint8* in, const uint32* w)
{
    Set s = transpose(_mm512_loadu_si512(in), _mm512_loadu_si512(in + 64), _mm512_loadu_si512(in + 128),
        _mm512_loadu_si512(in + 192));
    return { _mm512_xor_si512(s.a, word(w[0])), _mm512_xor_si512(s.b, word(w[1])), _mm512_xor_si512(s.c, word(w[2])),
        _mm512_xor_si512(s.d, word(w[3])) };
}

// The four words of sixteen blocks, whitened with w, back into block order.
KVN_AVX512_VBMI inline Set unload(V w0, V w1, V w2, V w3, const uint32* w)
{
    return transpose(_mm512_xor_si512(w0, word(w[0])), _mm512_xor_si512(w1, word(w[1])),
        _mm512_xor_si512(w2, word(w[2])), _mm512_xor_si512(w3, word(w[3])));
}

KVN_AVX512_VBMI inline void store(uint8* out, V w0, V w1, V w2, V w3, const uint32* w)
{
    const Set s = unload(w0, w1, w2, w3, w);
    _mm512_storeu_si512(out, s.a);
    _mm512_storeu_si512(out + 64, s.b);
    _mm512_storeu_si512(out + 128, s.c);
    _mm512_storeu_si512(out + 192, s.d);
}

// Half a round pair on one set: c and d take a and b's g values with the
// subkeys key[0], key[1]. Named the other way round, a and b take c and d's.
KVN_AVX512_VBMI inline void half_round(const Consts& k, V a, V b, V& c, V& d, const uint32* key)
{
    const V t0 = g0(k, a), t1 = g1(k, b);
    c = ror1(_mm512_xor_si512(c, _mm512_add_epi32(_mm512_add_epi32(t0, t1), word(key[0]))));
    d = _mm512_xor_si512(rol<1>(d), _mm512_add_epi32(_mm512_add_epi32(t0, _mm512_add_epi32(t1, t1)), word(key[1])));
}

// The key's S-boxes in registers, and the byte masks of the four columns.
KVN_AVX512_VBMI inline void make_consts(const TwofishContext* ctx, Consts& k)
{
    alignas(64) uint8 sbox[4][256];
    fill_sboxes(ctx, sbox);
    for (int c = 0; c < 4; ++c)
        for (int h = 0; h < 4; ++h)
            k.sbox[c][h] = _mm512_load_si512(sbox[c] + 64 * h);
    tessiral::secure_zero(sbox, sizeof sbox);
    for (int c = 0; c < 4; ++c)
        k.column[c] = 0x1111111111111111ull << c;
}

} // namespace twofishx512

#endif
