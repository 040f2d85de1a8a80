// AES with AES-NI on 128-bit registers. Each register holds one block with
// memory byte 0 in its lowest byte: the layout the instructions expect, and
// on x86 also how the schedule's little-endian words lie in memory, so round
// keys load as they are. Eight blocks go through each round together (the
// instruction's latency hides behind the other seven); the rest one by one.
#include "engine/ciphers/aes_vector.h"

#if TESSIRAL_X86_KERNELS

#include <immintrin.h>

#define TESSIRAL_AESNI __attribute__((target("aes,sse2")))

namespace {

constexpr int kLanes = 8;

TESSIRAL_AESNI __m128i at(const uint32* words, int round)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(words + 4 * round));
}

// The round keys in the order the rounds use them. Decryption walks the
// equivalent inverse cipher: the last encryption key, the inverse-mixed keys
// backwards, then the first encryption key.
TESSIRAL_AESNI void load_keys(const CAes& k, int rounds, bool decrypt, __m128i* keys)
{
    for (int r = 0; r <= rounds; ++r)
        keys[r] = !decrypt ? at(k.round_keys, r) : r == 0 ? at(k.round_keys, rounds) : at(k.dec_round_keys, rounds - r);
}

template <int Rounds>
TESSIRAL_AESNI void encrypt_run(const __m128i* keys, const uint8* in, uint8* out, std::size_t blocks)
{
    std::size_t i = 0;
    for (; i + kLanes <= blocks; i += kLanes) {
        __m128i b[kLanes];
        for (int j = 0; j < kLanes; ++j)
            b[j] = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16 * (i + j))), keys[0]);
        for (int r = 1; r < Rounds; ++r)
            for (int j = 0; j < kLanes; ++j)
                b[j] = _mm_aesenc_si128(b[j], keys[r]);
        for (int j = 0; j < kLanes; ++j)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * (i + j)), _mm_aesenclast_si128(b[j], keys[Rounds]));
    }
    for (; i < blocks; ++i) {
        __m128i b = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16 * i)), keys[0]);
        for (int r = 1; r < Rounds; ++r)
            b = _mm_aesenc_si128(b, keys[r]);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * i), _mm_aesenclast_si128(b, keys[Rounds]));
    }
}

template <int Rounds>
TESSIRAL_AESNI void decrypt_run(const __m128i* keys, const uint8* in, uint8* out, std::size_t blocks)
{
    std::size_t i = 0;
    for (; i + kLanes <= blocks; i += kLanes) {
        __m128i b[kLanes];
        for (int j = 0; j < kLanes; ++j)
            b[j] = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16 * (i + j))), keys[0]);
        for (int r = 1; r < Rounds; ++r)
            for (int j = 0; j < kLanes; ++j)
                b[j] = _mm_aesdec_si128(b[j], keys[r]);
        for (int j = 0; j < kLanes; ++j)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * (i + j)), _mm_aesdeclast_si128(b[j], keys[Rounds]));
    }
    for (; i < blocks; ++i) {
        __m128i b = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16 * i)), keys[0]);
        for (int r = 1; r < Rounds; ++r)
            b = _mm_aesdec_si128(b, keys[r]);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * i), _mm_aesdeclast_si128(b, keys[Rounds]));
    }
}

// 10, 12 or 14 rounds as the key length gives; a schedule never keyed falls
// back on the portable code, which defines what it gives.
TESSIRAL_AESNI void run(const CAes& k, bool decrypt, const uint8* in, uint8* out, std::size_t blocks)
{
    const int rounds = int(k.key_words) + 6;
    if (rounds != 10 && rounds != 12 && rounds != 14) {
        decrypt ? k.decrypt_blocks(in, out, blocks) : k.encrypt_blocks(in, out, blocks);
        return;
    }
    __m128i keys[15];
    load_keys(k, rounds, decrypt, keys);
    if (!decrypt)
        rounds == 10       ? encrypt_run<10>(keys, in, out, blocks)
            : rounds == 12 ? encrypt_run<12>(keys, in, out, blocks)
                           : encrypt_run<14>(keys, in, out, blocks);
    else
        rounds == 10       ? decrypt_run<10>(keys, in, out, blocks)
            : rounds == 12 ? decrypt_run<12>(keys, in, out, blocks)
                           : decrypt_run<14>(keys, in, out, blocks);
}

} // namespace

void aes_encrypt_blocks_aesni(const CAes& key, const uint8* in, uint8* out, std::size_t blocks)
{
    run(key, false, in, out, blocks);
}

void aes_decrypt_blocks_aesni(const CAes& key, const uint8* in, uint8* out, std::size_t blocks)
{
    run(key, true, in, out, blocks);
}

#endif
