// Every cipher of the table on every CPU level this machine has gives the
// portable path's bytes, both directions: block counts around every vector
// width, buffers off any alignment, separate output and in place.
#include "cipher_table.h"
#include "vectors.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

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

} // namespace

TEST(CpuPaths, EveryLevelGivesThePortableBytes)
{
    const CpuLevel detected = tessiral::detected_cpu_level();
    for (CpuLevel level : tessiral::kCpuLevels)
        if (level > detected)
            std::printf("[ SKIPPED  ] level %s: this CPU lacks it\n", tessiral::cpu_level_name(level));

    std::vector<std::size_t> counts;
    for (std::size_t n = 1; n <= 67; ++n)
        counts.push_back(n);
    counts.insert(counts.end(), {255, 1000, 4099});

    std::mt19937 gen(12);
    std::size_t rowCount = 0;
    const CipherRow* rows = cipher_rows(rowCount);
    for (std::size_t r = 0; r < rowCount; ++r) {
        const CipherRow& row = rows[r];
        CIdea e;
        e.m_strArith = row.code;
        Bytes key = random_bytes(128, gen);
        row.set_key(e, key.data());
        row.prepare_decrypt(e); // IDEA: both directions' subkeys
        const CipherPath portable = row.path(CpuLevel::Portable);
        std::string tested = portable.name;
        for (CpuLevel level : tessiral::kCpuLevels) {
            if (level == CpuLevel::Portable || level > detected)
                continue;
            const CipherPath path = row.path(level);
            std::printf("[ PATH     ] %s on %s: %s\n", row.name, tessiral::cpu_level_name(level), path.name);
            if (tested == path.name)
                continue; // no kernels of its own on this level
            tested = path.name;
            for (std::size_t blocks : counts) {
                const Bytes in = random_bytes(blocks * row.block, gen);
                Bytes encrypted(in.size()), decrypted(in.size());
                portable.encrypt_blocks(e, in.data(), encrypted.data(), blocks);
                portable.decrypt_blocks(e, in.data(), decrypted.data(), blocks);
                for (std::size_t offset : {0, 1, 3}) {
                    SCOPED_TRACE(std::string(row.name) + " " + path.name + ", " + std::to_string(blocks) +
                                 " blocks at +" + std::to_string(offset));
                    for (bool inPlace : {false, true}) {
                        for (bool encrypt : {true, false}) {
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
    }
}
