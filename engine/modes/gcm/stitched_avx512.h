// What the stitched counter modes on 512-bit registers share: GHASH in
// pieces a cipher's rounds can be interleaved with (a run of kGhashPowers
// blocks taken eight blocks at a time, two registers, its products summed
// unreduced, and the state folded in and reduced once at the run's end), the
// counter words of a transposed register set, and the loop around a
// cipher's pass. A caller's target must include KVN_GHASH512's instruction
// sets.
#pragma once

#include "engine/modes/gcm/ghash.h"

#if TESSIRAL_X86_KERNELS

#include "engine/os/secure_zero.h"

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif
#include <immintrin.h>

#define KVN_GHASH512 __attribute__((target("vpclmulqdq,avx512f,avx512bw,avx512vl,avx2,pclmul,ssse3")))

namespace tessiral::gcm::x512 {

// Steps of eight blocks in a run.
inline constexpr int kRunSteps = int(kGhashPowers / 8);

// The unreduced sums of one run.
struct Sums {
    __m512i lo, mid, hi;
};

// A run being hashed: `data` its first block (null: nothing to hash), `y`
// the state before it, then after it once the run's last step is done.
struct Run {
    const unsigned char* data;
    Sums sums;
    __m128i y;
};

KVN_GHASH512 inline __m128i fold(__m512i x)
{
    const __m256i h = _mm256_xor_si256(_mm512_castsi512_si256(x), _mm512_extracti64x4_epi64(x, 1));
    return _mm_xor_si128(_mm256_castsi256_si128(h), _mm256_extracti128_si256(h, 1));
}

// Blocks 8 step .. 8 step + 7 of the run times their powers of H, summed
// in; the first step adds the state y to the run's first block.
KVN_GHASH512 inline void add_step(Sums& s, const GhashKey& key, const unsigned char* data, int step, __m128i y)
{
    const __m512i reverse = _mm512_broadcast_i32x4(_mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15));
    __m512i x0 = _mm512_shuffle_epi8(_mm512_loadu_si512(data + 128 * step), reverse);
    if (step == 0)
        x0 = _mm512_xor_si512(x0, _mm512_zextsi128_si512(y));
    const __m512i x1 = _mm512_shuffle_epi8(_mm512_loadu_si512(data + 128 * step + 64), reverse);
    const __m512i h0 = _mm512_load_si512(&key.power[8 * step]);
    const __m512i h1 = _mm512_load_si512(&key.power[8 * step + 4]);
    s.lo = _mm512_ternarylogic_epi64(
        s.lo, _mm512_clmulepi64_epi128(x0, h0, 0x00), _mm512_clmulepi64_epi128(x1, h1, 0x00), 0x96);
    s.hi = _mm512_ternarylogic_epi64(
        s.hi, _mm512_clmulepi64_epi128(x0, h0, 0x11), _mm512_clmulepi64_epi128(x1, h1, 0x11), 0x96);
    s.mid = _mm512_ternarylogic_epi64(
        s.mid, _mm512_clmulepi64_epi128(x0, h0, 0x01), _mm512_clmulepi64_epi128(x0, h0, 0x10), 0x96);
    s.mid = _mm512_ternarylogic_epi64(
        s.mid, _mm512_clmulepi64_epi128(x1, h1, 0x01), _mm512_clmulepi64_epi128(x1, h1, 0x10), 0x96);
}

// (y + X1) H^32 + X2 H^31 + ... + X32 H from the run's sums, reduced.
KVN_GHASH512 inline __m128i finish(const Sums& s)
{
    __m128i l = fold(s.lo), m = fold(s.mid), u = fold(s.hi);
    l = _mm_xor_si128(l, _mm_slli_si128(m, 8));
    u = _mm_xor_si128(u, _mm_srli_si128(m, 8));
    const __m128i poly = _mm_set_epi64x(static_cast<long long>(0xc200000000000000u), 1);
    l = _mm_xor_si128(_mm_shuffle_epi32(l, 0x4e), _mm_clmulepi64_si128(l, poly, 0x10));
    l = _mm_xor_si128(_mm_shuffle_epi32(l, 0x4e), _mm_clmulepi64_si128(l, poly, 0x10));
    return _mm_xor_si128(u, l);
}

// One step of `run`; the first clears its sums, the last reduces.
KVN_GHASH512 inline void step(Run& run, const GhashKey& key, int i)
{
    if (run.data == nullptr)
        return;
    if (i == 0)
        run.sums = { _mm512_setzero_si512(), _mm512_setzero_si512(), _mm512_setzero_si512() };
    add_step(run.sums, key, run.data, i, run.y);
    if (i == kRunSteps - 1)
        run.y = finish(run.sums);
}

// Step i of a pass's 2 kRunSteps over two runs, one after the other in
// memory: the second starts where the first ends.
KVN_GHASH512 inline void pass_step(Run& run, const GhashKey& key, int i)
{
    if (i == kRunSteps && run.data != nullptr)
        run.data += 16 * kGhashPowers;
    step(run, key, i % kRunSteps);
}

// A whole run at once.
KVN_GHASH512 inline __m128i hash_run(const GhashKey& key, __m128i y, const unsigned char* data)
{
    Run run{ data, {}, y };
    for (int i = 0; i < kRunSteps; ++i)
        step(run, key, i);
    return run.y;
}

// Word 3 of the counter blocks counter + 16 set .. counter + 16 set + 15
// (the big-endian counter, modulo 2^32) as a register set with one block a
// 32-bit lane holds it after an in-lane 4x4 transpose: lane e holds block
// 4 (e % 4) + e / 4 of the sixteen.
KVN_GHASH512 inline __m512i counter_word(std::uint32_t counter, int set)
{
    const __m512i lane = _mm512_set_epi32(15, 11, 7, 3, 14, 10, 6, 2, 13, 9, 5, 1, 12, 8, 4, 0);
    const __m512i swap = _mm512_broadcast_i32x4(_mm_set_epi8(12, 13, 14, 15, 8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3));
    const __m512i n = _mm512_add_epi32(_mm512_set1_epi32(static_cast<int>(counter + 16 * std::uint32_t(set))), lane);
    return _mm512_shuffle_epi8(n, swap);
}

// Sixteen blocks of key stream in block order XORed with those at `in`,
// into `out`.
KVN_GHASH512 inline void xor_store(unsigned char* out, const unsigned char* in, const __m512i (&stream)[4])
{
    for (int i = 0; i < 4; ++i)
        _mm512_storeu_si512(out + 64 * i, _mm512_xor_si512(stream[i], _mm512_loadu_si512(in + 64 * i)));
}

// Blocks a pass of a stitched cipher enciphers: two runs.
inline constexpr std::size_t kPassBlocks = 2 * kGhashPowers;

// The counter mode's loop around a cipher's pass (a StitchedCtr's work):
// `pass(counter, in, out, hashed, y)` XORs the key stream of kPassBlocks
// counter blocks, counter on, from `in` into `out`, and between its rounds
// takes all kRunSteps steps of the two runs at `hashed` (none when null)
// from state y on. Encrypting, a pass hashes the last pass's output;
// decrypting, its own input, which it reads before it writes.
template <bool Encrypt, class Pass>
KVN_GHASH512 std::size_t stitch(const Pass& pass, const GhashKey& key, FieldElement& state, std::uint32_t first,
    const unsigned char* in, unsigned char* out, std::size_t blocks)
{
    __m128i y = _mm_load_si128(reinterpret_cast<const __m128i*>(&state));
    const unsigned char* pending = nullptr;
    std::size_t done = 0;
    for (; blocks - done >= kPassBlocks; done += kPassBlocks) {
        // inc32: the counter wraps modulo 2^32, in the pass's lanes too.
        pass(static_cast<std::uint32_t>(first + done), in + 16 * done, out + 16 * done,
            Encrypt ? pending : in + 16 * done, y);
        pending = out + 16 * done;
    }
    if (Encrypt && pending != nullptr) {
        y = hash_run(key, y, pending);
        y = hash_run(key, y, pending + 16 * kGhashPowers);
    }
    _mm_store_si128(reinterpret_cast<__m128i*>(&state), y);
    if (done < blocks) {
        // The last blocks: one pass's key stream made on the stack, then
        // XORed in and hashed by the plain kernel.
        alignas(64) unsigned char stream[16 * kPassBlocks] = {};
        pass(static_cast<std::uint32_t>(first + done), stream, stream, nullptr, y);
        ghash_vpclmul512()->crypt(key, state, stream, in + 16 * done, out + 16 * done, blocks - done, Encrypt);
        secure_zero(stream, sizeof stream);
    }
    return blocks;
}

// A StitchedCtr made of a Pass, built for each message from the cipher's
// key (a const Key*), the hash key and J0.
template <class Pass, class Key>
std::size_t counter_mode(const void* cipherKey, const GhashKey& key, FieldElement& state, const unsigned char j0[16],
    std::uint32_t first, const unsigned char* in, unsigned char* out, std::size_t blocks, bool encrypt)
{
    const Pass pass(static_cast<const Key*>(cipherKey), key, j0);
    return encrypt ? stitch<true>(pass, key, state, first, in, out, blocks)
                   : stitch<false>(pass, key, state, first, in, out, blocks);
}

} // namespace tessiral::gcm::x512

#endif
