// AES with AES-NI on 128-bit registers. Each register holds one block with
// memory byte 0 in its lowest byte: the layout the instructions expect, and
// on x86 also how the schedule's little-endian words lie in memory, so round
// keys load as they are. Eight blocks go through each round together (the
// instruction's latency hides behind the other seven); the rest one by one.
#include "engine/ciphers/aes/aes_vector.h"

#if TESSIRAL_X86_KERNELS

#define AES_TARGET __attribute__((target("aes,sse2")))
#include "engine/ciphers/aes/aes_x86.h"

namespace {

constexpr int kLanes = 8;

template <bool Decrypt, int Rounds>
AES_TARGET void crypt_run(const __m128i* keys, const uint8* in, uint8* out, std::size_t blocks)
{
    std::size_t i = 0;
    for (; i + kLanes <= blocks; i += kLanes) {
        __m128i b[kLanes];
        for (int j = 0; j < kLanes; ++j)
            b[j] = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16 * (i + j))), keys[0]);
        for (int r = 1; r < Rounds; ++r)
            for (int j = 0; j < kLanes; ++j)
                b[j] = round128<Decrypt>(b[j], keys[r]);
        for (int j = 0; j < kLanes; ++j)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * (i + j)), last128<Decrypt>(b[j], keys[Rounds]));
    }
    for (; i < blocks; ++i)
        one_block<Decrypt, Rounds>(keys, in + 16 * i, out + 16 * i);
}

// 10, 12 or 14 rounds as the key length gives; a schedule never keyed falls
// back on the portable code, which defines what it gives.
template <bool Decrypt> AES_TARGET void run(const CAes& k, const uint8* in, uint8* out, std::size_t blocks)
{
    const int rounds = int(k.key_words) + 6;
    if (rounds != 10 && rounds != 12 && rounds != 14) {
        Decrypt ? k.decrypt_blocks(in, out, blocks) : k.encrypt_blocks(in, out, blocks);
        return;
    }
    __m128i keys[15];
    load_keys(k, rounds, Decrypt, keys);
    if (rounds == 10)
        crypt_run<Decrypt, 10>(keys, in, out, blocks);
    else if (rounds == 12)
        crypt_run<Decrypt, 12>(keys, in, out, blocks);
    else
        crypt_run<Decrypt, 14>(keys, in, out, blocks);
}

} // namespace

void aes_encrypt_blocks_aesni(const CAes& key, const uint8* in, uint8* out, std::size_t blocks)
{
    run<false>(key, in, out, blocks);
}

void aes_decrypt_blocks_aesni(const CAes& key, const uint8* in, uint8* out, std::size_t blocks)
{
    run<true>(key, in, out, blocks);
}

#endif
