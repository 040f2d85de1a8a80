// AES counter mode and GHASH stitched: each loop enciphers 32 counter blocks
// (eight 512-bit registers through every round) while the carry-less
// products of 32 cipher-text blocks run beside them (when encrypting, the
// previous run's output; when decrypting, this run's input).
#include "engine/modes/gcm/stitched.h"

#if TESSIRAL_X86_KERNELS

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif

#define KVN_STITCHED __attribute__((target("aes,pclmul,ssse3,avx2,vaes,vpclmulqdq,avx512f,avx512bw,avx512vl")))
#define AES_TARGET KVN_STITCHED
#include "engine/ciphers/aes/aes_x86.h"
#include "engine/modes/gcm/stitched_avx512.h"

namespace tessiral::gcm {

namespace {

constexpr std::size_t kRun = 32; // blocks a loop
static_assert(kRun == kGhashPowers);

template <int Rounds, bool Encrypt>
KVN_STITCHED std::size_t run(const CAes& aes, const GhashKey& key, FieldElement& state, const unsigned char j0[16],
    std::uint32_t first, const unsigned char* in, unsigned char* out, std::size_t blocks)
{
    __m128i keys[15];
    load_keys(aes, Rounds, false, keys);
    __m512i k[Rounds + 1];
    for (int r = 0; r <= Rounds; ++r)
        k[r] = _mm512_maskz_broadcast_i32x4(0xFFFF, keys[r]);
    const __m512i base = _mm512_broadcast_i32x4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(j0)));
    const __m512i swap = _mm512_broadcast_i32x4(_mm_set_epi8(12, 13, 14, 15, 8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3));
    const __m512i step = _mm512_set_epi32(4, 0, 0, 0, 4, 0, 0, 0, 4, 0, 0, 0, 4, 0, 0, 0);
    __m512i c = _mm512_add_epi32(
        _mm512_set1_epi32(static_cast<int>(first)), _mm512_set_epi32(3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0));
    __m128i y = _mm_load_si128(reinterpret_cast<const __m128i*>(&state));
    const unsigned char* pending = nullptr; // encrypting: the last run's output, not yet hashed
    const std::size_t runs = blocks / kRun;
    for (std::size_t g = 0; g < runs; ++g) {
        const unsigned char* src = in + 16 * kRun * g;
        unsigned char* dst = out + 16 * kRun * g;
        __m512i b[kRun / 4];
        for (std::size_t j = 0; j < kRun / 4; ++j) {
            b[j] = _mm512_xor_si512(_mm512_mask_blend_epi32(0x8888, base, _mm512_shuffle_epi8(c, swap)), k[0]);
            c = _mm512_add_epi32(c, step);
        }
        for (int r = 1; r < Rounds; ++r)
            for (std::size_t j = 0; j < kRun / 4; ++j)
                b[j] = _mm512_aesenc_epi128(b[j], k[r]);
        // Independent of the rounds above: the processor overlaps the two.
        if (!Encrypt)
            y = x512::hash_run(key, y, src);
        else if (pending != nullptr)
            y = x512::hash_run(key, y, pending);
        for (std::size_t j = 0; j < kRun / 4; ++j)
            _mm512_storeu_si512(dst + 64 * j,
                _mm512_xor_si512(_mm512_aesenclast_epi128(b[j], k[Rounds]), _mm512_loadu_si512(src + 64 * j)));
        pending = dst;
    }
    if (Encrypt && pending != nullptr)
        y = x512::hash_run(key, y, pending);
    _mm_store_si128(reinterpret_cast<__m128i*>(&state), y);
    return runs * kRun;
}

template <int Rounds>
std::size_t stitched(const void* cipherKey, const GhashKey& key, FieldElement& state, const unsigned char j0[16],
    std::uint32_t first, const unsigned char* in, unsigned char* out, std::size_t blocks, bool encrypt)
{
    const auto& aes = *static_cast<const CAes*>(cipherKey);
    return encrypt ? run<Rounds, true>(aes, key, state, j0, first, in, out, blocks)
                   : run<Rounds, false>(aes, key, state, j0, first, in, out, blocks);
}

} // namespace

StitchedCtr aes_stitched(const CAes& key, CpuLevel level)
{
    if (level < CpuLevel::Avx512 || !cpu_features().avx512 || !cpu_features().vaes || ghash_vpclmul512() == nullptr)
        return nullptr;
    switch (key.key_words) {
    case 4:
        return stitched<10>;
    case 6:
        return stitched<12>;
    case 8:
        return stitched<14>;
    default:
        return nullptr;
    }
}

} // namespace tessiral::gcm

#endif
