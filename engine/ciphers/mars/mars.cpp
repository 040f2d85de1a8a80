// MARS with the revised key schedule. The work array stays on the stack of
// set_key, so keying is reentrant and block operations read only constants.
#include "engine/ciphers/mars/mars.h"

#include "engine/ciphers/mars/mars_sbox.h"
#include "engine/ciphers/mars/mars_steps.h"
#include "engine/os/secure_zero.h"

namespace {

using namespace tessiral::mars;

constexpr uint32 kMinWords = 4;
constexpr uint32 kMaxWords = 14;
constexpr int kWork = 15;

// Patterns XORed into weak multiplication keys; they are S-box entries
// 265..268, repeated here because the schedule names them on their own.
constexpr uint32 kFixPatterns[4] = { 0xA4A8D57B, 0x5B5D193B, 0xC8A8309B, 0x73F9A978 };

// Bits of w that sit strictly inside a run of ten or more equal bits, limited
// to positions 2..30. Runs are found on "same as the bit below" flags: nine
// consecutive flags mark the top of a ten-bit run.
uint32 weak_run_mask(uint32 w)
{
    const uint32 same_below = ~(w ^ (w << 1)) & ~1u;
    uint32 top = same_below & (same_below << 1);
    top &= top << 2;
    top &= top << 4;
    top &= same_below << 8;
    if (top == 0)
        return 0;

    uint32 run = top | (top >> 1);
    run |= run >> 2;
    run |= run >> 4;
    run |= run >> 2;

    // The ends of a run differ from one neighbour and are left alone.
    const uint32 same_above = same_below >> 1;
    return run & same_below & same_above & 0x7FFFFFFC;
}

void key_schedule(const uint8* key, uint32 words, uint32* K)
{
    uint32 T[kWork] = {};
    for (uint32 i = 0; i < words; ++i)
        T[i] = tessiral::load_le32(key + 4 * i);
    T[words] = words;

    for (uint32 j = 0; j < 4; ++j) {
        for (int i = 0; i < kWork; ++i)
            T[i] ^= rol(T[(i + 8) % kWork] ^ T[(i + 13) % kWork], 3) ^ (4 * uint32(i) + j);
        for (int pass = 0; pass < 4; ++pass)
            for (int i = 0; i < kWork; ++i)
                T[i] = rol(T[i] + mars_sbox[T[(i + 14) % kWork] & 0x1FF], 9);
        for (int i = 0; i < 10; ++i)
            K[10 * j + i] = T[(4 * i) % kWork];
    }

    // Multiplication keys with long runs of equal bits make weak
    // multipliers; break the runs up without touching the low two bits.
    for (int i = 5; i <= 35; i += 2) {
        const uint32 original = K[i];
        const uint32 w = original | 3;
        const uint32 mask = weak_run_mask(w);
        K[i] = w ^ (rol(kFixPatterns[original & 3], K[i - 1]) & mask);
    }

    tessiral::secure_zero(T, sizeof T);
}

void encrypt_block(const uint32* K, const uint8* in, uint8* out)
{
    uint32 a = tessiral::load_le32(in) + K[0];
    uint32 b = tessiral::load_le32(in + 4) + K[1];
    uint32 c = tessiral::load_le32(in + 8) + K[2];
    uint32 d = tessiral::load_le32(in + 12) + K[3];

    mix_forward(a, b, c, d);
    a += d;
    mix_forward(b, c, d, a);
    b += c;
    mix_forward(c, d, a, b);
    mix_forward(d, a, b, c);
    mix_forward(a, b, c, d);
    a += d;
    mix_forward(b, c, d, a);
    b += c;
    mix_forward(c, d, a, b);
    mix_forward(d, a, b, c);

    // Forward mode: L to the next word, M to the one after, R to the last.
    core(a, b, c, d, K[4], K[5]);
    core(b, c, d, a, K[6], K[7]);
    core(c, d, a, b, K[8], K[9]);
    core(d, a, b, c, K[10], K[11]);
    core(a, b, c, d, K[12], K[13]);
    core(b, c, d, a, K[14], K[15]);
    core(c, d, a, b, K[16], K[17]);
    core(d, a, b, c, K[18], K[19]);
    // Backwards mode: L and R trade places.
    core(a, d, c, b, K[20], K[21]);
    core(b, a, d, c, K[22], K[23]);
    core(c, b, a, d, K[24], K[25]);
    core(d, c, b, a, K[26], K[27]);
    core(a, d, c, b, K[28], K[29]);
    core(b, a, d, c, K[30], K[31]);
    core(c, b, a, d, K[32], K[33]);
    core(d, c, b, a, K[34], K[35]);

    mix_backward(a, b, c, d);
    mix_backward(b, c, d, a);
    c -= b;
    mix_backward(c, d, a, b);
    d -= a;
    mix_backward(d, a, b, c);
    mix_backward(a, b, c, d);
    mix_backward(b, c, d, a);
    c -= b;
    mix_backward(c, d, a, b);
    d -= a;
    mix_backward(d, a, b, c);

    tessiral::store_le32(out, a - K[36]);
    tessiral::store_le32(out + 4, b - K[37]);
    tessiral::store_le32(out + 8, c - K[38]);
    tessiral::store_le32(out + 12, d - K[39]);
}

// Decryption runs the encryption structure mirrored: the words are taken in
// reverse order, so the same mixing steps undo each other.
void decrypt_block(const uint32* K, const uint8* in, uint8* out)
{
    uint32 d = tessiral::load_le32(in) + K[36];
    uint32 c = tessiral::load_le32(in + 4) + K[37];
    uint32 b = tessiral::load_le32(in + 8) + K[38];
    uint32 a = tessiral::load_le32(in + 12) + K[39];

    mix_forward(a, b, c, d);
    a += d;
    mix_forward(b, c, d, a);
    b += c;
    mix_forward(c, d, a, b);
    mix_forward(d, a, b, c);
    mix_forward(a, b, c, d);
    a += d;
    mix_forward(b, c, d, a);
    b += c;
    mix_forward(c, d, a, b);
    mix_forward(d, a, b, c);

    core_inverse(a, b, c, d, K[34], K[35]);
    core_inverse(b, c, d, a, K[32], K[33]);
    core_inverse(c, d, a, b, K[30], K[31]);
    core_inverse(d, a, b, c, K[28], K[29]);
    core_inverse(a, b, c, d, K[26], K[27]);
    core_inverse(b, c, d, a, K[24], K[25]);
    core_inverse(c, d, a, b, K[22], K[23]);
    core_inverse(d, a, b, c, K[20], K[21]);
    core_inverse(a, d, c, b, K[18], K[19]);
    core_inverse(b, a, d, c, K[16], K[17]);
    core_inverse(c, b, a, d, K[14], K[15]);
    core_inverse(d, c, b, a, K[12], K[13]);
    core_inverse(a, d, c, b, K[10], K[11]);
    core_inverse(b, a, d, c, K[8], K[9]);
    core_inverse(c, b, a, d, K[6], K[7]);
    core_inverse(d, c, b, a, K[4], K[5]);

    mix_backward(a, b, c, d);
    mix_backward(b, c, d, a);
    c -= b;
    mix_backward(c, d, a, b);
    d -= a;
    mix_backward(d, a, b, c);
    mix_backward(a, b, c, d);
    mix_backward(b, c, d, a);
    c -= b;
    mix_backward(c, d, a, b);
    d -= a;
    mix_backward(d, a, b, c);

    tessiral::store_le32(out, d - K[0]);
    tessiral::store_le32(out + 4, c - K[1]);
    tessiral::store_le32(out + 8, b - K[2]);
    tessiral::store_le32(out + 12, a - K[3]);
}

} // namespace

void CMars::set_key(const uint8* key, uint32 key_bits)
{
    const uint32 words = key_bits / 32;
    if (words < kMinWords || words > kMaxWords)
        return;
    key_schedule(key, words, round_keys);
}

void CMars::encrypt(const uint8* in, uint8* out)
{
    encrypt_block(round_keys, in, out);
}

void CMars::decrypt(const uint8* in, uint8* out)
{
    decrypt_block(round_keys, in, out);
}

void CMars::encrypt_blocks(const uint8* in, uint8* out, std::size_t blocks) const
{
    for (std::size_t n = 0; n < blocks; ++n, in += 16, out += 16)
        encrypt_block(round_keys, in, out);
}

void CMars::decrypt_blocks(const uint8* in, uint8* out, std::size_t blocks) const
{
    for (std::size_t n = 0; n < blocks; ++n, in += 16, out += 16)
        decrypt_block(round_keys, in, out);
}
