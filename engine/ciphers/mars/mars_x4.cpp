// MARS, several blocks interleaved. Each block keeps its four words in its
// own slot of four-element arrays (a[i], b[i], c[i], d[i] for block i), and
// every step of the cipher runs across all slots before the next one, so the
// S-box loads, multiplications and rotations of different blocks overlap
// instead of waiting on one block's dependency chain. Plain scalar code: it
// builds everywhere and needs no CPU check. Four blocks measured best (two
// and three leave the core's chains exposed, six and more spill registers).
// The block functions are flattened: left to itself GCC keeps the mixing
// passes as calls and the sixteen words in memory, which halves the gain.
#include "engine/ciphers/mars/mars_x4.h"

#include "engine/ciphers/mars/mars_steps.h"

namespace {

using namespace tessiral::mars;
using tessiral::load_le32;
using tessiral::store_le32;

constexpr int kLanes = 4;

template <int N, class Step> inline void each(Step step)
{
    for (int i = 0; i < N; ++i)
        step(i);
}

// The unkeyed forward mixing, the same for both directions.
template <int N> inline void mix_in(uint32* a, uint32* b, uint32* c, uint32* d)
{
    for (int pass = 0; pass < 2; ++pass) {
        each<N>([&](int i) {
            mix_forward(a[i], b[i], c[i], d[i]);
            a[i] += d[i];
        });
        each<N>([&](int i) {
            mix_forward(b[i], c[i], d[i], a[i]);
            b[i] += c[i];
        });
        each<N>([&](int i) { mix_forward(c[i], d[i], a[i], b[i]); });
        each<N>([&](int i) { mix_forward(d[i], a[i], b[i], c[i]); });
    }
}

// The unkeyed backward mixing, the same for both directions.
template <int N> inline void mix_out(uint32* a, uint32* b, uint32* c, uint32* d)
{
    for (int pass = 0; pass < 2; ++pass) {
        each<N>([&](int i) { mix_backward(a[i], b[i], c[i], d[i]); });
        each<N>([&](int i) {
            mix_backward(b[i], c[i], d[i], a[i]);
            c[i] -= b[i];
        });
        each<N>([&](int i) {
            mix_backward(c[i], d[i], a[i], b[i]);
            d[i] -= a[i];
        });
        each<N>([&](int i) { mix_backward(d[i], a[i], b[i], c[i]); });
    }
}

template <int N> __attribute__((flatten)) void encrypt_lanes(const uint32* K, const uint8* in, uint8* out)
{
    uint32 a[N], b[N], c[N], d[N];
    each<N>([&](int i) {
        a[i] = load_le32(in + 16 * i) + K[0];
        b[i] = load_le32(in + 16 * i + 4) + K[1];
        c[i] = load_le32(in + 16 * i + 8) + K[2];
        d[i] = load_le32(in + 16 * i + 12) + K[3];
    });
    mix_in<N>(a, b, c, d);
    // Forward mode: L to the next word, M to the one after, R to the last.
    for (int r = 0; r < 2; ++r) {
        const uint32* k = K + 4 + 8 * r;
        each<N>([&](int i) { core(a[i], b[i], c[i], d[i], k[0], k[1]); });
        each<N>([&](int i) { core(b[i], c[i], d[i], a[i], k[2], k[3]); });
        each<N>([&](int i) { core(c[i], d[i], a[i], b[i], k[4], k[5]); });
        each<N>([&](int i) { core(d[i], a[i], b[i], c[i], k[6], k[7]); });
    }
    // Backwards mode: L and R trade places.
    for (int r = 0; r < 2; ++r) {
        const uint32* k = K + 20 + 8 * r;
        each<N>([&](int i) { core(a[i], d[i], c[i], b[i], k[0], k[1]); });
        each<N>([&](int i) { core(b[i], a[i], d[i], c[i], k[2], k[3]); });
        each<N>([&](int i) { core(c[i], b[i], a[i], d[i], k[4], k[5]); });
        each<N>([&](int i) { core(d[i], c[i], b[i], a[i], k[6], k[7]); });
    }
    mix_out<N>(a, b, c, d);
    each<N>([&](int i) {
        store_le32(out + 16 * i, a[i] - K[36]);
        store_le32(out + 16 * i + 4, b[i] - K[37]);
        store_le32(out + 16 * i + 8, c[i] - K[38]);
        store_le32(out + 16 * i + 12, d[i] - K[39]);
    });
}

// The encryption structure mirrored, words taken in reverse order.
template <int N> __attribute__((flatten)) void decrypt_lanes(const uint32* K, const uint8* in, uint8* out)
{
    uint32 a[N], b[N], c[N], d[N];
    each<N>([&](int i) {
        d[i] = load_le32(in + 16 * i) + K[36];
        c[i] = load_le32(in + 16 * i + 4) + K[37];
        b[i] = load_le32(in + 16 * i + 8) + K[38];
        a[i] = load_le32(in + 16 * i + 12) + K[39];
    });
    mix_in<N>(a, b, c, d);
    for (int r = 0; r < 2; ++r) {
        const uint32* k = K + 34 - 8 * r;
        each<N>([&](int i) { core_inverse(a[i], b[i], c[i], d[i], k[0], k[1]); });
        each<N>([&](int i) { core_inverse(b[i], c[i], d[i], a[i], k[-2], k[-1]); });
        each<N>([&](int i) { core_inverse(c[i], d[i], a[i], b[i], k[-4], k[-3]); });
        each<N>([&](int i) { core_inverse(d[i], a[i], b[i], c[i], k[-6], k[-5]); });
    }
    for (int r = 0; r < 2; ++r) {
        const uint32* k = K + 18 - 8 * r;
        each<N>([&](int i) { core_inverse(a[i], d[i], c[i], b[i], k[0], k[1]); });
        each<N>([&](int i) { core_inverse(b[i], a[i], d[i], c[i], k[-2], k[-1]); });
        each<N>([&](int i) { core_inverse(c[i], b[i], a[i], d[i], k[-4], k[-3]); });
        each<N>([&](int i) { core_inverse(d[i], c[i], b[i], a[i], k[-6], k[-5]); });
    }
    mix_out<N>(a, b, c, d);
    each<N>([&](int i) {
        store_le32(out + 16 * i, d[i] - K[0]);
        store_le32(out + 16 * i + 4, c[i] - K[1]);
        store_le32(out + 16 * i + 8, b[i] - K[2]);
        store_le32(out + 16 * i + 12, a[i] - K[3]);
    });
}

} // namespace

void mars_encrypt_blocks_x4(const uint32* round_keys, const uint8* in, uint8* out, std::size_t blocks)
{
    for (; blocks >= kLanes; blocks -= kLanes, in += 16 * kLanes, out += 16 * kLanes)
        encrypt_lanes<kLanes>(round_keys, in, out);
    for (; blocks != 0; --blocks, in += 16, out += 16)
        encrypt_lanes<1>(round_keys, in, out);
}

void mars_decrypt_blocks_x4(const uint32* round_keys, const uint8* in, uint8* out, std::size_t blocks)
{
    for (; blocks >= kLanes; blocks -= kLanes, in += 16 * kLanes, out += 16 * kLanes)
        decrypt_lanes<kLanes>(round_keys, in, out);
    for (; blocks != 0; --blocks, in += 16, out += 16)
        decrypt_lanes<1>(round_keys, in, out);
}
