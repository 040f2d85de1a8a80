// AES with VAES: the AES instructions on 256-bit registers (two blocks each)
// and on 512-bit registers (four blocks each). Within a register, block k of
// the group sits in 128-bit lane k, memory byte 0 lowest, as AES-NI lays out
// one block; every lane gets the same round key, broadcast once per call.
// Eight registers go through each round together (16 or 32 blocks), then
// single registers, then the last blocks one by one on 128-bit registers.
#include "engine/ciphers/aes/aes_vector.h"

#if TESSIRAL_X86_KERNELS

#define TESSIRAL_VAES256 __attribute__((target("aes,avx2,vaes")))
#define TESSIRAL_VAES512 __attribute__((target("aes,avx2,vaes,avx512f,avx512bw,avx512vl")))
#define AES_TARGET TESSIRAL_VAES256 // the shared helpers, for both widths
#include "engine/ciphers/aes/aes_x86.h"

namespace {

constexpr int kInFlight = 8; // registers per round

template <bool Decrypt> TESSIRAL_VAES256 __m256i round256(__m256i b, __m256i k)
{
    return Decrypt ? _mm256_aesdec_epi128(b, k) : _mm256_aesenc_epi128(b, k);
}

template <bool Decrypt> TESSIRAL_VAES256 __m256i last256(__m256i b, __m256i k)
{
    return Decrypt ? _mm256_aesdeclast_epi128(b, k) : _mm256_aesenclast_epi128(b, k);
}

template <bool Decrypt, int Rounds>
TESSIRAL_VAES256 void run256(const __m128i* keys, const uint8* in, uint8* out, std::size_t blocks)
{
    __m256i k[Rounds + 1];
    for (int r = 0; r <= Rounds; ++r)
        k[r] = _mm256_broadcastsi128_si256(keys[r]);
    constexpr std::size_t kGroup = 2 * kInFlight;
    std::size_t i = 0;
    for (; i + kGroup <= blocks; i += kGroup) {
        __m256i b[kInFlight];
        for (int j = 0; j < kInFlight; ++j)
            b[j] = _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 16 * i + 32 * j)), k[0]);
        for (int r = 1; r < Rounds; ++r)
            for (int j = 0; j < kInFlight; ++j)
                b[j] = round256<Decrypt>(b[j], k[r]);
        for (int j = 0; j < kInFlight; ++j)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 16 * i + 32 * j), last256<Decrypt>(b[j], k[Rounds]));
    }
    for (; i + 2 <= blocks; i += 2) {
        __m256i b = _mm256_xor_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 16 * i)), k[0]);
        for (int r = 1; r < Rounds; ++r)
            b = round256<Decrypt>(b, k[r]);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 16 * i), last256<Decrypt>(b, k[Rounds]));
    }
    if (i < blocks)
        one_block<Decrypt, Rounds>(keys, in + 16 * i, out + 16 * i);
}

template <bool Decrypt> TESSIRAL_VAES512 __m512i round512(__m512i b, __m512i k)
{
    return Decrypt ? _mm512_aesdec_epi128(b, k) : _mm512_aesenc_epi128(b, k);
}

template <bool Decrypt> TESSIRAL_VAES512 __m512i last512(__m512i b, __m512i k)
{
    return Decrypt ? _mm512_aesdeclast_epi128(b, k) : _mm512_aesenclast_epi128(b, k);
}

template <bool Decrypt, int Rounds>
TESSIRAL_VAES512 void run512(const __m128i* keys, const uint8* in, uint8* out, std::size_t blocks)
{
    __m512i k[Rounds + 1];
    for (int r = 0; r <= Rounds; ++r)
        k[r] = _mm512_maskz_broadcast_i32x4(0xFFFF, keys[r]); // the unmasked form trips a false GCC 12 warning
    constexpr std::size_t kGroup = 4 * kInFlight;
    std::size_t i = 0;
    for (; i + kGroup <= blocks; i += kGroup) {
        __m512i b[kInFlight];
        for (int j = 0; j < kInFlight; ++j)
            b[j] = _mm512_xor_si512(_mm512_loadu_si512(in + 16 * i + 64 * j), k[0]);
        for (int r = 1; r < Rounds; ++r)
            for (int j = 0; j < kInFlight; ++j)
                b[j] = round512<Decrypt>(b[j], k[r]);
        for (int j = 0; j < kInFlight; ++j)
            _mm512_storeu_si512(out + 16 * i + 64 * j, last512<Decrypt>(b[j], k[Rounds]));
    }
    for (; i + 4 <= blocks; i += 4) {
        __m512i b = _mm512_xor_si512(_mm512_loadu_si512(in + 16 * i), k[0]);
        for (int r = 1; r < Rounds; ++r)
            b = round512<Decrypt>(b, k[r]);
        _mm512_storeu_si512(out + 16 * i, last512<Decrypt>(b, k[Rounds]));
    }
    for (; i < blocks; ++i)
        one_block<Decrypt, Rounds>(keys, in + 16 * i, out + 16 * i);
}

// 10, 12 or 14 rounds as the key length gives; a schedule never keyed falls
// back on the portable code, which defines what it gives.
template <bool Decrypt, template <bool, int> class Width>
void run(const CAes& k, const uint8* in, uint8* out, std::size_t blocks)
{
    const int rounds = int(k.key_words) + 6;
    if (rounds != 10 && rounds != 12 && rounds != 14) {
        Decrypt ? k.decrypt_blocks(in, out, blocks) : k.encrypt_blocks(in, out, blocks);
        return;
    }
    __m128i keys[15];
    load_keys(k, rounds, Decrypt, keys);
    if (rounds == 10)
        Width<Decrypt, 10>::run(keys, in, out, blocks);
    else if (rounds == 12)
        Width<Decrypt, 12>::run(keys, in, out, blocks);
    else
        Width<Decrypt, 14>::run(keys, in, out, blocks);
}

template <bool Decrypt, int Rounds> struct Vaes256 {
    static void run(const __m128i* keys, const uint8* in, uint8* out, std::size_t n)
    {
        run256<Decrypt, Rounds>(keys, in, out, n);
    }
};

template <bool Decrypt, int Rounds> struct Vaes512 {
    static void run(const __m128i* keys, const uint8* in, uint8* out, std::size_t n)
    {
        run512<Decrypt, Rounds>(keys, in, out, n);
    }
};

} // namespace

void aes_encrypt_blocks_vaes256(const CAes& key, const uint8* in, uint8* out, std::size_t blocks)
{
    run<false, Vaes256>(key, in, out, blocks);
}

void aes_decrypt_blocks_vaes256(const CAes& key, const uint8* in, uint8* out, std::size_t blocks)
{
    run<true, Vaes256>(key, in, out, blocks);
}

void aes_encrypt_blocks_vaes512(const CAes& key, const uint8* in, uint8* out, std::size_t blocks)
{
    run<false, Vaes512>(key, in, out, blocks);
}

void aes_decrypt_blocks_vaes512(const CAes& key, const uint8* in, uint8* out, std::size_t blocks)
{
    run<true, Vaes512>(key, in, out, blocks);
}

#endif
