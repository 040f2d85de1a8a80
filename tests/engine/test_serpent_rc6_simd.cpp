// The Serpent and RC6 vector kernels against the portable code: the same
// bytes for every length from one block to past two full passes, from and to
// unaligned buffers, and in place. Kernels the CPU cannot run are skipped.
#include "ciphers/rc6_simd.h"
#include "ciphers/serpent_simd.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#if defined(TESSIRAL_SERPENT_SIMD) && defined(TESSIRAL_RC6_SIMD)

namespace {

using Bytes = std::vector<uint8>;
using Blocks = void (*)(const uint8* in, uint8* out, std::size_t blocks);

Bytes random_bytes(std::size_t n, std::mt19937& gen)
{
    Bytes v(n);
    for (auto& b : v)
        b = uint8(gen());
    return v;
}

bool cpu_has(const std::string& level)
{
    __builtin_cpu_init();
    if (level == "avx2")
        return __builtin_cpu_supports("avx2");
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vl");
}

// Runs `kernel` and `reference` over the same random blocks, out of place
// between buffers offset by 1 and 3 bytes from any vector boundary, and in place.
void expect_same_bytes(Blocks reference, Blocks kernel)
{
    std::mt19937 gen(12);
    for (std::size_t blocks = 1; blocks <= 67; ++blocks) {
        SCOPED_TRACE("blocks: " + std::to_string(blocks));
        const std::size_t n = 16 * blocks;
        const Bytes in = random_bytes(n, gen);
        Bytes want(n);
        reference(in.data(), want.data(), blocks);

        Bytes src(n + 1), dst(n + 3);
        std::memcpy(src.data() + 1, in.data(), n);
        kernel(src.data() + 1, dst.data() + 3, blocks);
        EXPECT_EQ(Bytes(dst.begin() + 3, dst.end()), want);

        Bytes same = src;
        kernel(same.data() + 1, same.data() + 1, blocks);
        EXPECT_EQ(Bytes(same.begin() + 1, same.end()), want);
    }
}

const uint8 kKey[32] = {0x41, 0x7f, 0x02, 0xe3, 0x95, 0x10, 0xcc, 0x5a, 0x3b, 0x66, 0xd8, 0x21, 0x0e, 0xb4, 0x79, 0xfa,
                        0x13, 0x8c, 0x57, 0xe0, 0x2d, 0x9a, 0x46, 0xbf, 0x70, 0x05, 0xc1, 0x6e, 0xa3, 0x38, 0xdb, 0x84};

SerpentContext g_serpent;
CRc6 g_rc6;

struct Kernel {
    const char* name;
    const char* level;
    Blocks reference;
    Blocks kernel;
};

const Kernel kKernels[] = {
    {"SerpentEncryptAvx2", "avx2", [](const uint8* i, uint8* o, std::size_t n) { encrypt_serpent_blocks(&g_serpent, i, o, n); },
     [](const uint8* i, uint8* o, std::size_t n) { serpent_encrypt_blocks_avx2(&g_serpent, i, o, n); }},
    {"SerpentDecryptAvx2", "avx2", [](const uint8* i, uint8* o, std::size_t n) { decrypt_serpent_blocks(&g_serpent, i, o, n); },
     [](const uint8* i, uint8* o, std::size_t n) { serpent_decrypt_blocks_avx2(&g_serpent, i, o, n); }},
    {"SerpentEncryptAvx512", "avx512", [](const uint8* i, uint8* o, std::size_t n) { encrypt_serpent_blocks(&g_serpent, i, o, n); },
     [](const uint8* i, uint8* o, std::size_t n) { serpent_encrypt_blocks_avx512(&g_serpent, i, o, n); }},
    {"SerpentDecryptAvx512", "avx512", [](const uint8* i, uint8* o, std::size_t n) { decrypt_serpent_blocks(&g_serpent, i, o, n); },
     [](const uint8* i, uint8* o, std::size_t n) { serpent_decrypt_blocks_avx512(&g_serpent, i, o, n); }},
    {"Rc6EncryptAvx2", "avx2", [](const uint8* i, uint8* o, std::size_t n) { g_rc6.encrypt_blocks(i, o, n); },
     [](const uint8* i, uint8* o, std::size_t n) { rc6_encrypt_blocks_avx2(g_rc6, i, o, n); }},
    {"Rc6DecryptAvx2", "avx2", [](const uint8* i, uint8* o, std::size_t n) { g_rc6.decrypt_blocks(i, o, n); },
     [](const uint8* i, uint8* o, std::size_t n) { rc6_decrypt_blocks_avx2(g_rc6, i, o, n); }},
    {"Rc6EncryptAvx512", "avx512", [](const uint8* i, uint8* o, std::size_t n) { g_rc6.encrypt_blocks(i, o, n); },
     [](const uint8* i, uint8* o, std::size_t n) { rc6_encrypt_blocks_avx512(g_rc6, i, o, n); }},
    {"Rc6DecryptAvx512", "avx512", [](const uint8* i, uint8* o, std::size_t n) { g_rc6.decrypt_blocks(i, o, n); },
     [](const uint8* i, uint8* o, std::size_t n) { rc6_decrypt_blocks_avx512(g_rc6, i, o, n); }},
};

class SimdKernel : public ::testing::TestWithParam<Kernel> {};

TEST_P(SimdKernel, SameBytesAsPortable)
{
    const Kernel& k = GetParam();
    if (!cpu_has(k.level))
        GTEST_SKIP() << "this CPU lacks " << k.level;
    ASSERT_NE(en_key_serpent(&g_serpent, kKey, 256), nullptr);
    ASSERT_EQ(g_rc6.set_key(kKey, 32, 0), 0);
    expect_same_bytes(k.reference, k.kernel);
}

INSTANTIATE_TEST_SUITE_P(All, SimdKernel, ::testing::ValuesIn(kKernels),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace

#endif
