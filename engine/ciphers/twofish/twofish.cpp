// Twofish. The fixed q and MDS tables are compile-time constants and the
// key-dependent tables belong to the context, so nothing here is shared.
#include "engine/ciphers/twofish/twofish.h"

#include "engine/os/secure_zero.h"

#include <array>

namespace {

using tessiral::load_le32;
using tessiral::rotl32;
using tessiral::rotr32;
using tessiral::store_le32;

using Nibbles = std::array<uint8, 16>;
using ByteTable = std::array<uint8, 256>;

// The 4-bit permutations t0..t3 from which q0 and q1 are built.
constexpr Nibbles kQ0Parts[4] = {
    { 0x8, 0x1, 0x7, 0xD, 0x6, 0xF, 0x3, 0x2, 0x0, 0xB, 0x5, 0x9, 0xE, 0xC, 0xA, 0x4 },
    { 0xE, 0xC, 0xB, 0x8, 0x1, 0x2, 0x3, 0x5, 0xF, 0x4, 0xA, 0x6, 0x7, 0x0, 0x9, 0xD },
    { 0xB, 0xA, 0x5, 0xE, 0x6, 0xD, 0x9, 0x0, 0xC, 0x8, 0xF, 0x3, 0x2, 0x4, 0x7, 0x1 },
    { 0xD, 0x7, 0xF, 0x4, 0x1, 0x2, 0x6, 0xE, 0x9, 0xB, 0x3, 0x0, 0x8, 0x5, 0xC, 0xA },
};
constexpr Nibbles kQ1Parts[4] = {
    { 0x2, 0x8, 0xB, 0xD, 0xF, 0x7, 0x6, 0xE, 0x3, 0x1, 0x9, 0x4, 0x0, 0xA, 0xC, 0x5 },
    { 0x1, 0xE, 0x2, 0xB, 0x4, 0xC, 0x3, 0x7, 0x6, 0xD, 0xA, 0x5, 0xF, 0x9, 0x0, 0x8 },
    { 0x4, 0xC, 0x7, 0x5, 0x1, 0x6, 0x9, 0xA, 0x0, 0xE, 0xD, 0x8, 0x2, 0xB, 0x3, 0xF },
    { 0xB, 0x9, 0x5, 0x1, 0xC, 0x3, 0xD, 0xE, 0x6, 0x4, 0x7, 0xF, 0x2, 0x0, 0x8, 0xA },
};

constexpr uint8 ror4(uint8 x)
{
    return uint8(((x >> 1) | (x << 3)) & 0xF);
}

// Two rounds of the nibble Feistel-like mixing, each through a pair of t's.
constexpr ByteTable make_q(const Nibbles (&t)[4])
{
    ByteTable q{};
    for (unsigned x = 0; x < 256; ++x) {
        uint8 a = uint8(x >> 4), b = uint8(x & 0xF);
        for (int stage = 0; stage < 2; ++stage) {
            const uint8 mixed_a = a ^ b;
            const uint8 mixed_b = uint8((a ^ ror4(b) ^ (a << 3)) & 0xF);
            a = t[2 * stage][mixed_a];
            b = t[2 * stage + 1][mixed_b];
        }
        q[x] = uint8((b << 4) | a);
    }
    return q;
}

constexpr ByteTable kQ[2] = { make_q(kQ0Parts), make_q(kQ1Parts) };

// GF(2^8) product modulo the given field polynomial (MDS: 0x169, RS: 0x14D).
constexpr uint8 gf_mul(uint8 a, uint8 b, unsigned poly)
{
    unsigned x = a, r = 0;
    for (; b != 0; b >>= 1) {
        if (b & 1)
            r ^= x;
        x <<= 1;
        if (x & 0x100)
            x ^= poly;
    }
    return uint8(r);
}

constexpr uint8 kMds[4][4] = {
    { 0x01, 0xEF, 0x5B, 0x5B },
    { 0x5B, 0xEF, 0xEF, 0x01 },
    { 0xEF, 0x5B, 0x01, 0xEF },
    { 0xEF, 0x01, 0xEF, 0x5B },
};

constexpr uint8 kRs[4][8] = {
    { 0x01, 0xA4, 0x55, 0x87, 0x5A, 0x58, 0xDB, 0x9E },
    { 0xA4, 0x56, 0x82, 0xF3, 0x1E, 0xC6, 0x68, 0xE5 },
    { 0x02, 0xA1, 0xFC, 0xC1, 0x47, 0xAE, 0x3D, 0x19 },
    { 0xA4, 0x55, 0x87, 0x5A, 0x58, 0xDB, 0x9E, 0x03 },
};

// Which q each byte column passes through, outermost (4-unit keys only)
// first. The last one is folded into kMdsTables, so a shorter key simply
// starts further along its row.
constexpr int kQChain[4][5] = {
    { 1, 1, 0, 0, 1 },
    { 0, 1, 1, 0, 0 },
    { 0, 0, 0, 1, 1 },
    { 1, 0, 1, 1, 0 },
};

using WordTables = std::array<std::array<uint32, 256>, 4>;

// Column j of the MDS matrix times the final q of column j.
constexpr WordTables make_mds_tables()
{
    WordTables t{};
    for (int col = 0; col < 4; ++col) {
        for (unsigned x = 0; x < 256; ++x) {
            const uint8 y = kQ[kQChain[col][4]][x];
            uint32 word = 0;
            for (int row = 0; row < 4; ++row)
                word |= uint32(gf_mul(kMds[row][col], y, 0x169)) << (8 * row);
            t[col][x] = word;
        }
    }
    return t;
}

constexpr WordTables kMdsTables = make_mds_tables();

inline uint8 byte_of(uint32 w, int n)
{
    return uint8(w >> (8 * n));
}

// Everything of h except the MDS step, for byte column `col`.
inline uint8 q_cascade(uint8 y, int col, const uint32* l, uint32 units)
{
    for (uint32 stage = 4 - units; stage < 4; ++stage)
        y = kQ[kQChain[col][stage]][y] ^ byte_of(l[3 - stage], col);
    return y;
}

uint32 h(uint32 x, const uint32* l, uint32 units)
{
    uint32 r = 0;
    for (int col = 0; col < 4; ++col)
        r ^= kMdsTables[col][q_cascade(byte_of(x, col), col, l, units)];
    return r;
}

// The Reed-Solomon code of eight key bytes, which gives one S-box key word.
uint32 rs_remainder(const uint8* m)
{
    uint32 r = 0;
    for (int row = 0; row < 4; ++row) {
        uint8 s = 0;
        for (int j = 0; j < 8; ++j)
            s ^= gf_mul(kRs[row][j], m[j], 0x14D);
        r |= uint32(s) << (8 * row);
    }
    return r;
}

using KeyTables = uint32[4][256];

inline uint32 g0(const KeyTables& t, uint32 x)
{
    return t[0][x & 0xFF] ^ t[1][(x >> 8) & 0xFF] ^ t[2][(x >> 16) & 0xFF] ^ t[3][x >> 24];
}

// g of the word rotated left by 8, without rotating it.
inline uint32 g1(const KeyTables& t, uint32 x)
{
    return t[0][x >> 24] ^ t[1][x & 0xFF] ^ t[2][(x >> 8) & 0xFF] ^ t[3][(x >> 16) & 0xFF];
}

// N blocks advance in lockstep so their independent lookups overlap; the
// inner loops over N are unrolled by the compiler.
template <int N> struct Lanes {
    uint32 x0[N], x1[N], x2[N], x3[N];
};

template <int N> inline void load(Lanes<N>& s, const uint32* k, const uint8* in)
{
    for (int b = 0; b < N; ++b) {
        s.x0[b] = load_le32(in + 16 * b) ^ k[0];
        s.x1[b] = load_le32(in + 16 * b + 4) ^ k[1];
        s.x2[b] = load_le32(in + 16 * b + 8) ^ k[2];
        s.x3[b] = load_le32(in + 16 * b + 12) ^ k[3];
    }
}

template <int N>
inline void store(const uint32* w0, const uint32* w1, const uint32* w2, const uint32* w3, const uint32* k, uint8* out)
{
    for (int b = 0; b < N; ++b) {
        store_le32(out + 16 * b, w0[b] ^ k[0]);
        store_le32(out + 16 * b + 4, w1[b] ^ k[1]);
        store_le32(out + 16 * b + 8, w2[b] ^ k[2]);
        store_le32(out + 16 * b + 12, w3[b] ^ k[3]);
    }
}

// Two rounds without the swap: the halves trade roles instead.
template <int N>
inline void encrypt_two_rounds(const KeyTables& t, const uint32* k, uint32* a, uint32* b, uint32* c, uint32* d)
{
    for (int i = 0; i < N; ++i) {
        const uint32 t0 = g0(t, a[i]);
        const uint32 t1 = g1(t, b[i]);
        c[i] = rotr32(c[i] ^ (t0 + t1 + k[0]), 1);
        d[i] = rotl32(d[i], 1) ^ (t0 + 2 * t1 + k[1]);
    }
    for (int i = 0; i < N; ++i) {
        const uint32 t0 = g0(t, c[i]);
        const uint32 t1 = g1(t, d[i]);
        a[i] = rotr32(a[i] ^ (t0 + t1 + k[2]), 1);
        b[i] = rotl32(b[i], 1) ^ (t0 + 2 * t1 + k[3]);
    }
}

template <int N>
inline void decrypt_two_rounds(const KeyTables& t, const uint32* k, uint32* a, uint32* b, uint32* c, uint32* d)
{
    for (int i = 0; i < N; ++i) {
        const uint32 t0 = g0(t, c[i]);
        const uint32 t1 = g1(t, d[i]);
        b[i] = rotr32(b[i] ^ (t0 + 2 * t1 + k[3]), 1);
        a[i] = rotl32(a[i], 1) ^ (t0 + t1 + k[2]);
    }
    for (int i = 0; i < N; ++i) {
        const uint32 t0 = g0(t, a[i]);
        const uint32 t1 = g1(t, b[i]);
        d[i] = rotr32(d[i] ^ (t0 + 2 * t1 + k[1]), 1);
        c[i] = rotl32(c[i], 1) ^ (t0 + t1 + k[0]);
    }
}

template <int N> void encrypt_lanes(const TwofishContext* ctx, const uint8* in, uint8* out)
{
    const KeyTables& t = ctx->key_tables;
    const uint32* k = ctx->round_keys;
    Lanes<N> s;
    load(s, k, in);
    encrypt_two_rounds<N>(t, k + 8, s.x0, s.x1, s.x2, s.x3);
    encrypt_two_rounds<N>(t, k + 12, s.x0, s.x1, s.x2, s.x3);
    encrypt_two_rounds<N>(t, k + 16, s.x0, s.x1, s.x2, s.x3);
    encrypt_two_rounds<N>(t, k + 20, s.x0, s.x1, s.x2, s.x3);
    encrypt_two_rounds<N>(t, k + 24, s.x0, s.x1, s.x2, s.x3);
    encrypt_two_rounds<N>(t, k + 28, s.x0, s.x1, s.x2, s.x3);
    encrypt_two_rounds<N>(t, k + 32, s.x0, s.x1, s.x2, s.x3);
    encrypt_two_rounds<N>(t, k + 36, s.x0, s.x1, s.x2, s.x3);
    // The last round's swap is undone, so the halves leave crossed.
    store<N>(s.x2, s.x3, s.x0, s.x1, k + 4, out);
}

template <int N> void decrypt_lanes(const TwofishContext* ctx, const uint8* in, uint8* out)
{
    const KeyTables& t = ctx->key_tables;
    const uint32* k = ctx->round_keys;
    Lanes<N> s;
    load(s, k + 4, in); // x0..x3 hold the crossed halves c, d, a, b
    decrypt_two_rounds<N>(t, k + 36, s.x2, s.x3, s.x0, s.x1);
    decrypt_two_rounds<N>(t, k + 32, s.x2, s.x3, s.x0, s.x1);
    decrypt_two_rounds<N>(t, k + 28, s.x2, s.x3, s.x0, s.x1);
    decrypt_two_rounds<N>(t, k + 24, s.x2, s.x3, s.x0, s.x1);
    decrypt_two_rounds<N>(t, k + 20, s.x2, s.x3, s.x0, s.x1);
    decrypt_two_rounds<N>(t, k + 16, s.x2, s.x3, s.x0, s.x1);
    decrypt_two_rounds<N>(t, k + 12, s.x2, s.x3, s.x0, s.x1);
    decrypt_two_rounds<N>(t, k + 8, s.x2, s.x3, s.x0, s.x1);
    store<N>(s.x2, s.x3, s.x0, s.x1, k, out);
}

constexpr int kLanes = 4;

} // namespace

void en_key_twofish(TwofishContext* ctx, const uint8* key, uint32 key_bits)
{
    // Only 2, 3 or 4 units are Twofish; the cap merely keeps a wrong length
    // from writing past the key arrays.
    const uint32 units = (key_bits >> 6) < 4 ? (key_bits >> 6) : 4;
    uint32 even[4] = {};
    uint32 odd[4] = {};
    uint32 sbox_keys[4] = {};
    for (uint32 i = 0; i < units; ++i) {
        even[i] = load_le32(key + 8 * i);
        odd[i] = load_le32(key + 8 * i + 4);
        sbox_keys[units - 1 - i] = rs_remainder(key + 8 * i);
    }

    ctx->key_units = units;
    for (int i = 0; i < 4; ++i)
        ctx->sbox_keys[i] = sbox_keys[i];

    constexpr uint32 kStep = 0x01010101;
    for (uint32 i = 0; i < 20; ++i) {
        const uint32 a = h(2 * i * kStep, even, units);
        const uint32 b = rotl32(h((2 * i + 1) * kStep, odd, units), 8);
        ctx->round_keys[2 * i] = a + b;
        ctx->round_keys[2 * i + 1] = rotl32(a + 2 * b, 9);
    }

    for (int col = 0; col < 4; ++col) {
        for (unsigned x = 0; x < 256; ++x)
            ctx->key_tables[col][x] = kMdsTables[col][q_cascade(uint8(x), col, sbox_keys, units)];
    }

    tessiral::secure_zero(even, sizeof even);
    tessiral::secure_zero(odd, sizeof odd);
    tessiral::secure_zero(sbox_keys, sizeof sbox_keys);
}

void encrypt_twofish(const TwofishContext* ctx, const uint8* in, uint8* out)
{
    encrypt_lanes<1>(ctx, in, out);
}

void decrypt_twofish(const TwofishContext* ctx, const uint8* in, uint8* out)
{
    decrypt_lanes<1>(ctx, in, out);
}

void encrypt_twofish_blocks(const TwofishContext* ctx, const uint8* in, uint8* out, std::size_t blocks)
{
    for (; blocks >= kLanes; blocks -= kLanes, in += 16 * kLanes, out += 16 * kLanes)
        encrypt_lanes<kLanes>(ctx, in, out);
    for (; blocks != 0; --blocks, in += 16, out += 16)
        encrypt_lanes<1>(ctx, in, out);
}

void decrypt_twofish_blocks(const TwofishContext* ctx, const uint8* in, uint8* out, std::size_t blocks)
{
    for (; blocks >= kLanes; blocks -= kLanes, in += 16 * kLanes, out += 16 * kLanes)
        decrypt_lanes<kLanes>(ctx, in, out);
    for (; blocks != 0; --blocks, in += 16, out += 16)
        decrypt_lanes<1>(ctx, in, out);
}
