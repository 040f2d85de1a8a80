// Serpent on AVX-512, bitsliced: sixteen blocks per register, four sets of
// registers per pass (64 blocks; the register layout and the S-boxes:
// serpent_avx512.h). The round function is a chain of dependent steps, so
// four independent sets run side by side to keep the vector units busy; a
// tail of sixteen or more blocks runs one set at a time, the rest on the
// portable code.
#include "engine/ciphers/serpent/serpent_simd.h"

#if TESSIRAL_X86_KERNELS

#include "engine/ciphers/serpent/serpent_avx512.h"

#define SERPENT_TARGET KVN_SERPENT_512

namespace {

using namespace serpentx512;

constexpr int kSets = 4; // register sets per pass in the bulk

// Runs whole passes of Sets register sets; returns the blocks done.
template <bool Decrypt, int Sets>
SERPENT_TARGET std::size_t crypt_passes(const uint32* schedule, const uint8* in, uint8* out, std::size_t blocks)
{
    constexpr std::size_t pass = kSetBlocks * Sets;
    const std::size_t passes = blocks / pass;
    const uint32* k = schedule + kKeyWords;
    constexpr auto rounds = std::make_integer_sequence<int, kRounds>{};
    for (std::size_t p = 0; p < passes; ++p, in += 16 * pass, out += 16 * pass) {
        State<Sets> st;
        for (int s = 0; s < Sets; ++s)
            load_set(in + 256 * s, st, s);
        if constexpr (Decrypt)
            decrypt_state(st, k, rounds);
        else
            encrypt_state(st, k, rounds);
        for (int s = 0; s < Sets; ++s)
            store_set(out + 256 * s, st, s);
    }
    return passes * pass;
}

} // namespace

void serpent_encrypt_blocks_avx512(const SerpentContext* ctx, const uint8* in, uint8* out, std::size_t blocks)
{
    std::size_t done = crypt_passes<false, kSets>(ctx->schedule, in, out, blocks);
    done += crypt_passes<false, 1>(ctx->schedule, in + 16 * done, out + 16 * done, blocks - done);
    encrypt_serpent_blocks(ctx, in + 16 * done, out + 16 * done, blocks - done);
}

void serpent_decrypt_blocks_avx512(const SerpentContext* ctx, const uint8* in, uint8* out, std::size_t blocks)
{
    std::size_t done = crypt_passes<true, kSets>(ctx->schedule, in, out, blocks);
    done += crypt_passes<true, 1>(ctx->schedule, in + 16 * done, out + 16 * done, blocks - done);
    decrypt_serpent_blocks(ctx, in + 16 * done, out + 16 * done, blocks - done);
}

#endif
