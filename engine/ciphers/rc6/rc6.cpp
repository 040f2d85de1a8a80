// RC6-32/20/b with little-endian words. The rounds are written out by hand
// because the file loop spends nearly all of its time here.
#include "engine/ciphers/rc6/rc6.h"

#include "engine/os/secure_zero.h"

#include <bit>

namespace {

constexpr uint32 kP32 = 0xB7E15163;
constexpr uint32 kQ32 = 0x9E3779B9;
constexpr int kRounds = 20;
constexpr int kRoundKeys = 2 * kRounds + 4;
constexpr uint32 kMaxKeyBytes = 32;

// std::rotl masks the count itself and lowers to a single rotate instruction.
inline uint32 rol(uint32 x, uint32 n)
{
    return std::rotl(x, int(n & 31));
}
inline uint32 ror(uint32 x, uint32 n)
{
    return std::rotr(x, int(n & 31));
}

inline uint32 quad(uint32 x)
{
    return rol(x * (2 * x + 1), 5);
}

// One round with the registers named in their current roles; the caller
// rotates the names instead of moving the values.
inline void enc_round(uint32& a, uint32 b, uint32& c, uint32 d, const uint32* k)
{
    const uint32 t = quad(b);
    const uint32 u = quad(d);
    a = rol(a ^ t, u) + k[0];
    c = rol(c ^ u, t) + k[1];
}

inline void dec_round(uint32& a, uint32 b, uint32& c, uint32 d, const uint32* k)
{
    const uint32 t = quad(b);
    const uint32 u = quad(d);
    c = ror(c - k[1], t) ^ u;
    a = ror(a - k[0], u) ^ t;
}

void encrypt_block(const uint32* S, const uint8* in, uint8* out)
{
    uint32 a = tessiral::load_le32(in);
    uint32 b = tessiral::load_le32(in + 4) + S[0];
    uint32 c = tessiral::load_le32(in + 8);
    uint32 d = tessiral::load_le32(in + 12) + S[1];

    enc_round(a, b, c, d, S + 2);
    enc_round(b, c, d, a, S + 4);
    enc_round(c, d, a, b, S + 6);
    enc_round(d, a, b, c, S + 8);
    enc_round(a, b, c, d, S + 10);
    enc_round(b, c, d, a, S + 12);
    enc_round(c, d, a, b, S + 14);
    enc_round(d, a, b, c, S + 16);
    enc_round(a, b, c, d, S + 18);
    enc_round(b, c, d, a, S + 20);
    enc_round(c, d, a, b, S + 22);
    enc_round(d, a, b, c, S + 24);
    enc_round(a, b, c, d, S + 26);
    enc_round(b, c, d, a, S + 28);
    enc_round(c, d, a, b, S + 30);
    enc_round(d, a, b, c, S + 32);
    enc_round(a, b, c, d, S + 34);
    enc_round(b, c, d, a, S + 36);
    enc_round(c, d, a, b, S + 38);
    enc_round(d, a, b, c, S + 40);

    tessiral::store_le32(out, a + S[42]);
    tessiral::store_le32(out + 4, b);
    tessiral::store_le32(out + 8, c + S[43]);
    tessiral::store_le32(out + 12, d);
}

void decrypt_block(const uint32* S, const uint8* in, uint8* out)
{
    uint32 a = tessiral::load_le32(in) - S[42];
    uint32 b = tessiral::load_le32(in + 4);
    uint32 c = tessiral::load_le32(in + 8) - S[43];
    uint32 d = tessiral::load_le32(in + 12);

    dec_round(d, a, b, c, S + 40);
    dec_round(c, d, a, b, S + 38);
    dec_round(b, c, d, a, S + 36);
    dec_round(a, b, c, d, S + 34);
    dec_round(d, a, b, c, S + 32);
    dec_round(c, d, a, b, S + 30);
    dec_round(b, c, d, a, S + 28);
    dec_round(a, b, c, d, S + 26);
    dec_round(d, a, b, c, S + 24);
    dec_round(c, d, a, b, S + 22);
    dec_round(b, c, d, a, S + 20);
    dec_round(a, b, c, d, S + 18);
    dec_round(d, a, b, c, S + 16);
    dec_round(c, d, a, b, S + 14);
    dec_round(b, c, d, a, S + 12);
    dec_round(a, b, c, d, S + 10);
    dec_round(d, a, b, c, S + 8);
    dec_round(c, d, a, b, S + 6);
    dec_round(b, c, d, a, S + 4);
    dec_round(a, b, c, d, S + 2);

    tessiral::store_le32(out, a);
    tessiral::store_le32(out + 4, b - S[0]);
    tessiral::store_le32(out + 8, c);
    tessiral::store_le32(out + 12, d - S[1]);
}

} // namespace

CRc6::CRc6()
    : round_keys{}
{
}

CRc6::~CRc6() = default;

int32 CRc6::set_key(const uint8* key, uint32 key_len_bytes, int32)
{
    if (key_len_bytes > kMaxKeyBytes)
        return -1;
    key_bytes = key_len_bytes;

    // Only whole words are key material; a key shorter than one word still
    // mixes against a single zero word so the schedule stays well defined.
    uint32 L[kMaxKeyBytes / 4] = {};
    const uint32 c = key_len_bytes / 4;
    for (uint32 i = 0; i < c; ++i)
        L[i] = tessiral::load_le32(key + 4 * i);
    const uint32 words = c ? c : 1;

    uint32* S = round_keys;
    S[0] = kP32;
    for (int i = 1; i < kRoundKeys; ++i)
        S[i] = S[i - 1] + kQ32;

    uint32 A = 0, B = 0;
    uint32 i = 0, j = 0;
    for (int step = 0; step < 3 * kRoundKeys; ++step) {
        A = S[i] = rol(S[i] + A + B, 3);
        B = L[j] = rol(L[j] + A + B, A + B);
        i = (i + 1) % kRoundKeys;
        j = (j + 1) % words;
    }

    tessiral::secure_zero(L, sizeof L);
    return 0;
}

int32 CRc6::encrypt(uint8* block, uint32)
{
    encrypt_block(round_keys, block, block);
    return 0;
}

int32 CRc6::decrypt(uint8* block, uint32)
{
    decrypt_block(round_keys, block, block);
    return 0;
}

int32 CRc6::key_length()
{
    return int32(key_bytes);
}

void CRc6::encrypt_blocks(const uint8* in, uint8* out, std::size_t blocks) const
{
    for (std::size_t n = 0; n < blocks; ++n, in += 16, out += 16)
        encrypt_block(round_keys, in, out);
}

void CRc6::decrypt_blocks(const uint8* in, uint8* out, std::size_t blocks) const
{
    for (std::size_t n = 0; n < blocks; ++n, in += 16, out += 16)
        decrypt_block(round_keys, in, out);
}
