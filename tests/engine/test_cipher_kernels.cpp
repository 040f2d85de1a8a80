// The vector and interleaved block kernels against the portable ciphers: the
// same random blocks, every count from 1 to 67 (tails shorter than a register
// set included), buffers off any alignment, and in place. A kernel the CPU
// cannot run is skipped, and the test output says so.
#include "idea_access.h"
#include "idea_blocks.h"
#include "ciphers/mars_x4.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<uint8>;
using Run = std::function<void(const uint8* in, uint8* out, std::size_t blocks)>;

Bytes random_bytes(std::size_t n, std::mt19937& gen)
{
    Bytes b(n);
    for (auto& x : b)
        x = static_cast<uint8>(gen());
    return b;
}

// Same bytes out of `kernel` as out of `reference`, separate buffers and in place.
void expect_same(std::size_t block, const Run& reference, const Run& kernel)
{
    std::mt19937 gen(12);
    for (std::size_t blocks = 1; blocks <= 67; ++blocks) {
        const std::size_t n = block * blocks;
        const std::size_t skew = blocks % 7 + 1; // never aligned to a vector
        const Bytes plain = random_bytes(n, gen);
        Bytes want(n);
        reference(plain.data(), want.data(), blocks);

        Bytes in(n + skew), out(n + 2 * skew, 0xA5);
        std::copy(plain.begin(), plain.end(), in.begin() + long(skew));
        kernel(in.data() + skew, out.data() + 2 * skew, blocks);
        ASSERT_EQ(Bytes(out.begin() + long(2 * skew), out.end()), want) << blocks << " blocks";
        EXPECT_EQ(out[2 * skew - 1], 0xA5) << "wrote before the output, " << blocks << " blocks";

        kernel(in.data() + skew, in.data() + skew, blocks);
        ASSERT_EQ(Bytes(in.begin() + long(skew), in.end()), want) << blocks << " blocks in place";
    }
}

#if defined(__x86_64__)
bool cpu_has(const char* feature, bool present)
{
    if (!present)
        std::printf("[ SKIPPED  ] this CPU lacks %s\n", feature);
    return present;
}
#define REQUIRE_CPU(feature)                                                    \
    if (!cpu_has(feature, __builtin_cpu_supports(feature)))                     \
        GTEST_SKIP() << "this CPU lacks " feature;
#endif

// Both IDEA schedules of a random key through the portable routine and `kernel`.
void check_idea(void (*kernel)(const unsigned short*, const uint8*, uint8*, std::size_t))
{
    std::mt19937 gen(3);
    Bytes key = random_bytes(16, gen);
    CIdea e;
    unsigned short z[52], dk[52];
    CIdeaAccess::en_key_idea(e, key.data(), z);
    CIdeaAccess::de_key_idea(e, z, dk);
    // A zero subkey stands for 65536: make sure the multiplications meet one.
    z[3] = 0;
    for (unsigned short* schedule : {z, dk}) {
        expect_same(
            8,
            [&](const uint8* in, uint8* out, std::size_t blocks) {
                for (std::size_t i = 0; i < blocks; ++i)
                    CIdeaAccess::cipher_idea(e, const_cast<uint8*>(in + 8 * i), out + 8 * i, schedule);
            },
            [&](const uint8* in, uint8* out, std::size_t blocks) { kernel(schedule, in, out, blocks); });
    }
}

} // namespace

#if defined(__x86_64__)

TEST(CipherKernels, IdeaAvx2)
{
    REQUIRE_CPU("avx2");
    check_idea(idea_encrypt_blocks_avx2);
}

TEST(CipherKernels, IdeaAvx512)
{
    REQUIRE_CPU("avx512bw");
    check_idea(idea_encrypt_blocks_avx512);
}

#endif

TEST(CipherKernels, MarsInterleaved)
{
    std::mt19937 gen(5);
    const Bytes key = random_bytes(56, gen);
    CMars mars;
    mars.set_key(key.data(), 448);
    expect_same(
        16, [&](const uint8* in, uint8* out, std::size_t n) { mars.encrypt_blocks(in, out, n); },
        [&](const uint8* in, uint8* out, std::size_t n) { mars_encrypt_blocks_x4(mars.round_keys, in, out, n); });
    expect_same(
        16, [&](const uint8* in, uint8* out, std::size_t n) { mars.decrypt_blocks(in, out, n); },
        [&](const uint8* in, uint8* out, std::size_t n) { mars_decrypt_blocks_x4(mars.round_keys, in, out, n); });
}
