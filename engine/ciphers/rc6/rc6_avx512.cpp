// RC6 on AVX-512: 64 blocks per pass (the register layout: rc6_avx512.h).
// Four register sets run side by side, because one round is a chain of
// dependent steps (multiply, rotate, rotate) and only independent sets keep
// the vector units busy. A tail of sixteen or more blocks runs one set at a
// time, the rest on the portable code.
#include "engine/ciphers/rc6/rc6_simd.h"

#if TESSIRAL_X86_KERNELS

#include "engine/ciphers/rc6/rc6_avx512.h"

#define RC6_TARGET KVN_RC6_512

namespace {

using namespace rc6x512;

constexpr int kSets = 4; // register sets per pass in the bulk

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
