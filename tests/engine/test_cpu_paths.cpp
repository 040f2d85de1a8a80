// Every cipher of the table on every CPU level gives the portable path's
// bytes, both directions: block counts around every vector width, buffers off
// any alignment, separate output and in place. One case per cipher and level.
#include "engine/api/idea_access.h"
#include "engine/ciphers/idea/idea_blocks.h"
#include "engine/dispatch/cipher_kernels.h"
#include "engine/dispatch/cipher_table.h"
#include "tests/support/vectors.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <ostream>
#include <random>
#include <string>
#include <vector>

using kvntest::Bytes;
using tessiral::CpuLevel;

namespace {

Bytes random_bytes(std::size_t n, std::mt19937& gen)
{
    Bytes v(n);
    for (auto& b : v)
        b = static_cast<std::uint8_t>(gen());
    return v;
}

// One cipher of the table on one CPU level above the portable one.
struct CipherOnLevel {
    const CipherRow* row;
    CpuLevel level;
};

std::vector<CipherOnLevel> ciphers_on_vector_levels()
{
    std::vector<CipherOnLevel> out;
    std::size_t count = 0;
    const CipherRow* rows = cipher_rows(count);
    for (std::size_t r = 0; r < count; ++r)
        for (CpuLevel level : tessiral::kCpuLevels)
            if (level != CpuLevel::Portable)
                out.push_back({ &rows[r], level });
    return out;
}

// Names a case in CTest's list and in failures.
void PrintTo(const CipherOnLevel& c, std::ostream* out)
{
    *out << c.row->name << " on " << tessiral::cpu_level_name(c.level);
}

std::string case_name(const ::testing::TestParamInfo<CipherOnLevel>& info)
{
    std::string name = info.param.row->name;
    std::erase_if(name, [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); });
    return name + "_" + tessiral::cpu_level_name(info.param.level);
}

} // namespace

// A level this CPU lacks is a skipped case, never a passed one: its kernels
// are only tested on a CPU that has it.
class CpuPaths : public ::testing::TestWithParam<CipherOnLevel> { };

TEST_P(CpuPaths, GiveThePortableBytes)
{
    const CipherRow& row = *GetParam().row;
    const CpuLevel level = GetParam().level;
    if (level > tessiral::detected_cpu_level())
        GTEST_SKIP() << "this CPU lacks level " << tessiral::cpu_level_name(level);

    std::vector<std::size_t> counts;
    for (std::size_t n = 1; n <= 67; ++n)
        counts.push_back(n);
    counts.insert(counts.end(), { 255, 1000, 4099 });

    std::mt19937 gen(12);
    CIdea e;
    e.m_strArith = row.code;
    Bytes key = random_bytes(128, gen);
    row.set_key(e, key.data());
    row.prepare_decrypt(e); // IDEA: both directions' subkeys
    const CipherPath portable = row.path(CpuLevel::Portable);
    const CipherPath path = row.path(level);
    std::printf("[ PATH     ] %s on %s: %s\n", row.name, tessiral::cpu_level_name(level), path.name);
    for (std::size_t blocks : counts) {
        const Bytes in = random_bytes(blocks * row.block, gen);
        Bytes encrypted(in.size()), decrypted(in.size());
        portable.encrypt_blocks(e, in.data(), encrypted.data(), blocks);
        portable.decrypt_blocks(e, in.data(), decrypted.data(), blocks);
        for (std::size_t offset : { 0, 1, 3 }) {
            SCOPED_TRACE(
                std::string(path.name) + ", " + std::to_string(blocks) + " blocks at +" + std::to_string(offset));
            for (bool inPlace : { false, true }) {
                for (bool encrypt : { true, false }) {
                    Bytes src(in.size() + offset), dst(in.size() + offset);
                    std::copy(in.begin(), in.end(), src.begin() + long(offset));
                    unsigned char* out = (inPlace ? src : dst).data() + offset;
                    (encrypt ? path.encrypt_blocks : path.decrypt_blocks)(e, src.data() + offset, out, blocks);
                    const Bytes got(out, out + in.size());
                    ASSERT_EQ(got, encrypt ? encrypted : decrypted)
                        << (encrypt ? "encrypt" : "decrypt") << (inPlace ? " in place" : "");
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Level, CpuPaths, ::testing::ValuesIn(ciphers_on_vector_levels()), case_name);

namespace tessiral {
// Names a level in CTest's list and in failures.
void PrintTo(CpuLevel level, std::ostream* out)
{
    *out << cpu_level_name(level);
}
} // namespace tessiral

// 0 stands for 65536 in the multiplications; random keys and data almost
// never meet it, so every level's kernels get zero subkeys and zero words.
class IdeaZeroWords : public ::testing::TestWithParam<CpuLevel> { };

TEST_P(IdeaZeroWords, OnTheLevelAsPortable)
{
    const CpuLevel level = GetParam();
    if (level > tessiral::detected_cpu_level())
        GTEST_SKIP() << "this CPU lacks level " << tessiral::cpu_level_name(level);
    Bytes data(8 * 67);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = (i / 2) % 3 == 0 ? 0 : static_cast<uint8>(i * 37 + 11);
    CIdea e;
    Bytes key = kvntest::from_hex("00000000000000000000000000000000"); // every subkey 0
    unsigned short zero[52], mixed[52];
    CIdeaAccess::en_key_idea(e, key.data(), zero);
    key = kvntest::from_hex("0123456789ABCDEF0011223344556677");
    CIdeaAccess::en_key_idea(e, key.data(), mixed);
    mixed[0] = mixed[3] = mixed[4] = mixed[5] = mixed[51] = 0;
    const auto kernels = tessiral::idea_kernels(level);
    for (const unsigned short* z : { zero, mixed }) {
        Bytes want(data.size());
        idea_crypt_blocks(z, data.data(), want.data(), 67);
        Bytes got(data.size());
        kernels.encrypt(z, data.data(), got.data(), 67);
        EXPECT_EQ(got, want) << kernels.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Level, IdeaZeroWords, ::testing::ValuesIn(tessiral::kCpuLevels),
    [](const ::testing::TestParamInfo<CpuLevel>& info) { return std::string(tessiral::cpu_level_name(info.param)); });
