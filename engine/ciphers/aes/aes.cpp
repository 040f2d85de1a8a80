// AES as in FIPS-197, table driven. The tables are compile-time constants
// derived from the field arithmetic, so there is nothing to build or race on.
#include "engine/ciphers/aes/aes.h"

#include <array>

using tessiral::load_le32;
using tessiral::rotl32;
using tessiral::store_le32;

namespace {

constexpr uint8 xtime(uint8 x)
{
    return uint8((x << 1) ^ ((x & 0x80) ? 0x1B : 0));
}

constexpr uint8 gmul(uint8 a, uint8 b)
{
    uint8 r = 0;
    while (b) {
        if (b & 1)
            r ^= a;
        a = xtime(a);
        b >>= 1;
    }
    return r;
}

struct AesTables {
    uint8 sbox[256];
    uint8 inv_sbox[256];
    uint32 rcon[10];
    uint32 te[4][256]; // S-box with MixColumns, one table per byte rotation
    uint32 td[4][256]; // inverse S-box with InvMixColumns
    uint32 te_last[4][256]; // S-box value alone in byte position 0..3
    uint32 td_last[4][256];
    uint32 inv_mix_byte[4][256]; // InvMixColumns of a byte in position 0..3 (for the decryption schedule)
};

constexpr AesTables make_tables()
{
    AesTables t{};
    uint8 pow[256] = {}, log[256] = {};
    uint8 x = 1;
    for (int i = 0; i < 256; ++i) {
        pow[i] = x;
        log[x] = uint8(i);
        x ^= xtime(x); // multiply by the generator 3
    }
    log[1] = 0;
    uint8 r = 1;
    for (auto& c : t.rcon) {
        c = r;
        r = xtime(r);
    }
    for (int i = 0; i < 256; ++i) {
        uint8 inv = i == 0 ? 0 : pow[255 - log[i]];
        uint8 s = inv;
        for (int k = 1; k <= 4; ++k)
            s ^= uint8((inv << k) | (inv >> (8 - k)));
        s ^= 0x63;
        t.sbox[i] = s;
        t.inv_sbox[s] = uint8(i);
    }
    for (int i = 0; i < 256; ++i) {
        const uint8 s = t.sbox[i], is = t.inv_sbox[i];
        const uint32 e = uint32(gmul(s, 2)) | uint32(s) << 8 | uint32(s) << 16 | uint32(gmul(s, 3)) << 24;
        const uint32 d
            = uint32(gmul(is, 14)) | uint32(gmul(is, 9)) << 8 | uint32(gmul(is, 13)) << 16 | uint32(gmul(is, 11)) << 24;
        const uint8 b = uint8(i);
        const uint32 m
            = uint32(gmul(b, 14)) | uint32(gmul(b, 9)) << 8 | uint32(gmul(b, 13)) << 16 | uint32(gmul(b, 11)) << 24;
        for (int k = 0; k < 4; ++k) {
            t.te[k][i] = rotl32(e, 8 * k);
            t.td[k][i] = rotl32(d, 8 * k);
            t.te_last[k][i] = uint32(s) << (8 * k);
            t.td_last[k][i] = uint32(is) << (8 * k);
            t.inv_mix_byte[k][i] = rotl32(m, 8 * k);
        }
    }
    return t;
}

constexpr AesTables T = make_tables();

constexpr uint32 sub_word(uint32 w)
{
    return T.te_last[0][w & 0xFF] | T.te_last[1][(w >> 8) & 0xFF] | T.te_last[2][(w >> 16) & 0xFF]
        | T.te_last[3][w >> 24];
}

constexpr uint32 inv_mix_column(uint32 w)
{
    return T.inv_mix_byte[0][w & 0xFF] ^ T.inv_mix_byte[1][(w >> 8) & 0xFF] ^ T.inv_mix_byte[2][(w >> 16) & 0xFF]
        ^ T.inv_mix_byte[3][w >> 24];
}

inline void encrypt_block(const CAes& k, const uint8* in, uint8* out)
{
    const uint32* rk = k.round_keys;
    const int rounds = int(k.key_words) + 6;
    uint32 s0 = load_le32(in) ^ rk[0], s1 = load_le32(in + 4) ^ rk[1];
    uint32 s2 = load_le32(in + 8) ^ rk[2], s3 = load_le32(in + 12) ^ rk[3];
    for (int r = 1; r < rounds; ++r) {
        rk += 4;
        const uint32 t0
            = T.te[0][s0 & 0xFF] ^ T.te[1][(s1 >> 8) & 0xFF] ^ T.te[2][(s2 >> 16) & 0xFF] ^ T.te[3][s3 >> 24] ^ rk[0];
        const uint32 t1
            = T.te[0][s1 & 0xFF] ^ T.te[1][(s2 >> 8) & 0xFF] ^ T.te[2][(s3 >> 16) & 0xFF] ^ T.te[3][s0 >> 24] ^ rk[1];
        const uint32 t2
            = T.te[0][s2 & 0xFF] ^ T.te[1][(s3 >> 8) & 0xFF] ^ T.te[2][(s0 >> 16) & 0xFF] ^ T.te[3][s1 >> 24] ^ rk[2];
        const uint32 t3
            = T.te[0][s3 & 0xFF] ^ T.te[1][(s0 >> 8) & 0xFF] ^ T.te[2][(s1 >> 16) & 0xFF] ^ T.te[3][s2 >> 24] ^ rk[3];
        s0 = t0;
        s1 = t1;
        s2 = t2;
        s3 = t3;
    }
    rk += 4;
    store_le32(out,
        T.te_last[0][s0 & 0xFF] ^ T.te_last[1][(s1 >> 8) & 0xFF] ^ T.te_last[2][(s2 >> 16) & 0xFF]
            ^ T.te_last[3][s3 >> 24] ^ rk[0]);
    store_le32(out + 4,
        T.te_last[0][s1 & 0xFF] ^ T.te_last[1][(s2 >> 8) & 0xFF] ^ T.te_last[2][(s3 >> 16) & 0xFF]
            ^ T.te_last[3][s0 >> 24] ^ rk[1]);
    store_le32(out + 8,
        T.te_last[0][s2 & 0xFF] ^ T.te_last[1][(s3 >> 8) & 0xFF] ^ T.te_last[2][(s0 >> 16) & 0xFF]
            ^ T.te_last[3][s1 >> 24] ^ rk[2]);
    store_le32(out + 12,
        T.te_last[0][s3 & 0xFF] ^ T.te_last[1][(s0 >> 8) & 0xFF] ^ T.te_last[2][(s1 >> 16) & 0xFF]
            ^ T.te_last[3][s2 >> 24] ^ rk[3]);
}

// The equivalent inverse cipher: start from the last encryption round key,
// then walk the InvMixColumns-transformed schedule backwards.
inline void decrypt_block(const CAes& k, const uint8* in, uint8* out)
{
    const int rounds = int(k.key_words) + 6;
    const uint32* rk = k.round_keys + 4 * rounds;
    uint32 s0 = load_le32(in) ^ rk[0], s1 = load_le32(in + 4) ^ rk[1];
    uint32 s2 = load_le32(in + 8) ^ rk[2], s3 = load_le32(in + 12) ^ rk[3];
    const uint32* dk = k.dec_round_keys + 4 * rounds;
    for (int r = 1; r < rounds; ++r) {
        dk -= 4;
        const uint32 t0
            = T.td[0][s0 & 0xFF] ^ T.td[1][(s3 >> 8) & 0xFF] ^ T.td[2][(s2 >> 16) & 0xFF] ^ T.td[3][s1 >> 24] ^ dk[0];
        const uint32 t1
            = T.td[0][s1 & 0xFF] ^ T.td[1][(s0 >> 8) & 0xFF] ^ T.td[2][(s3 >> 16) & 0xFF] ^ T.td[3][s2 >> 24] ^ dk[1];
        const uint32 t2
            = T.td[0][s2 & 0xFF] ^ T.td[1][(s1 >> 8) & 0xFF] ^ T.td[2][(s0 >> 16) & 0xFF] ^ T.td[3][s3 >> 24] ^ dk[2];
        const uint32 t3
            = T.td[0][s3 & 0xFF] ^ T.td[1][(s2 >> 8) & 0xFF] ^ T.td[2][(s1 >> 16) & 0xFF] ^ T.td[3][s0 >> 24] ^ dk[3];
        s0 = t0;
        s1 = t1;
        s2 = t2;
        s3 = t3;
    }
    dk -= 4;
    store_le32(out,
        T.td_last[0][s0 & 0xFF] ^ T.td_last[1][(s3 >> 8) & 0xFF] ^ T.td_last[2][(s2 >> 16) & 0xFF]
            ^ T.td_last[3][s1 >> 24] ^ dk[0]);
    store_le32(out + 4,
        T.td_last[0][s1 & 0xFF] ^ T.td_last[1][(s0 >> 8) & 0xFF] ^ T.td_last[2][(s3 >> 16) & 0xFF]
            ^ T.td_last[3][s2 >> 24] ^ dk[1]);
    store_le32(out + 8,
        T.td_last[0][s2 & 0xFF] ^ T.td_last[1][(s1 >> 8) & 0xFF] ^ T.td_last[2][(s0 >> 16) & 0xFF]
            ^ T.td_last[3][s3 >> 24] ^ dk[2]);
    store_le32(out + 12,
        T.td_last[0][s3 & 0xFF] ^ T.td_last[1][(s2 >> 8) & 0xFF] ^ T.td_last[2][(s1 >> 16) & 0xFF]
            ^ T.td_last[3][s0 >> 24] ^ dk[3]);
}

} // namespace

void CAes::set_key(const uint8* key, uint32 key_bits)
{
    key_words = (key_bits + 31) / 32;
    uint32 total; // words of schedule the expansion writes
    if (key_words <= 4) {
        key_words = 4;
        total = 44;
    } else if (key_words <= 6) {
        key_words = 6;
        total = 54;
    } else {
        key_words = 8;
        total = 64;
    }
    const uint32 nk = key_words;
    for (uint32 i = 0; i < nk; ++i)
        round_keys[i] = load_le32(key + 4 * i);
    for (uint32 i = nk; i < total; ++i) {
        uint32 w = round_keys[i - 1];
        if (i % nk == 0)
            w = sub_word(rotl32(w, 24)) ^ T.rcon[i / nk - 1];
        else if (nk > 6 && i % nk == 4)
            w = sub_word(w);
        round_keys[i] = round_keys[i - nk] ^ w;
    }
    for (uint32 i = 0; i < 4; ++i)
        dec_round_keys[i] = round_keys[i];
    for (uint32 i = 4; i < 4 * nk + 24 && i < 64; ++i)
        dec_round_keys[i] = inv_mix_column(round_keys[i]);
}

void CAes::encrypt(const uint8* in, uint8* out)
{
    encrypt_block(*this, in, out);
}

void CAes::decrypt(const uint8* in, uint8* out)
{
    decrypt_block(*this, in, out);
}

void CAes::encrypt_blocks(const uint8* in, uint8* out, std::size_t blocks) const
{
    for (std::size_t i = 0; i < blocks; ++i)
        encrypt_block(*this, in + 16 * i, out + 16 * i);
}

void CAes::decrypt_blocks(const uint8* in, uint8* out, std::size_t blocks) const
{
    for (std::size_t i = 0; i < blocks; ++i)
        decrypt_block(*this, in + 16 * i, out + 16 * i);
}
