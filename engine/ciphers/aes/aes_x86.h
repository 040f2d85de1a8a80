// What the AES-NI and VAES kernels share: the round keys in round order and
// one block on a 128-bit register. The including
// file defines AES_TARGET (a target attribute) first, so every function here
// is compiled for its instruction set; each file gets its own copies
// (unnamed namespace).
#pragma once

#include "engine/ciphers/aes/aes.h"

#include <immintrin.h>

namespace {

// The round keys in the order the rounds use them. Decryption walks the
// equivalent inverse cipher: the last encryption key, the inverse-mixed keys
// backwards, then the first encryption key.
AES_TARGET void load_keys(const CAes& k, int rounds, bool decrypt, __m128i* keys)
{
    for (int r = 0; r <= rounds; ++r) {
        const uint32* words = !decrypt ? k.round_keys + 4 * r
            : r == 0                   ? k.round_keys + 4 * rounds
                                       : k.dec_round_keys + 4 * (rounds - r);
        keys[r] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(words));
    }
}

template <bool Decrypt> AES_TARGET __m128i round128(__m128i b, __m128i k)
{
    return Decrypt ? _mm_aesdec_si128(b, k) : _mm_aesenc_si128(b, k);
}

template <bool Decrypt> AES_TARGET __m128i last128(__m128i b, __m128i k)
{
    return Decrypt ? _mm_aesdeclast_si128(b, k) : _mm_aesenclast_si128(b, k);
}

// One block on a 128-bit register, for the tails.
template <bool Decrypt, int Rounds> AES_TARGET void one_block(const __m128i* keys, const uint8* in, uint8* out)
{
    __m128i b = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)), keys[0]);
    for (int r = 1; r < Rounds; ++r)
        b = round128<Decrypt>(b, keys[r]);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), last128<Decrypt>(b, keys[Rounds]));
}

} // namespace
