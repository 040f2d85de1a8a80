// AES against the published vectors: FIPS-197 appendix C, the known-answer
// file and the ECB records, plus the properties the file loop relies on.
#include "bulk_blocks.h"
#include "ciphers/aes.h"
#include "cpu/cipher_kernels.h"
#include "vectors.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using kvntest::Bytes;

namespace {

Bytes encrypt(const Bytes& key, const Bytes& plain)
{
    CAes aes;
    aes.set_key(key.data(), uint32(key.size() * 8));
    const auto kernels = tessiral::aes_kernels(tessiral::cpu_level());
    Bytes out;
    for (std::size_t i = 0; i < plain.size(); i += 16) {
        const Bytes block = kvntest::through_bulk(Bytes(plain.begin() + long(i), plain.begin() + long(i) + 16),
            [&](const uint8* in, uint8* o, std::size_t n) { kernels.encrypt(aes, in, o, n); });
        out.insert(out.end(), block.begin(), block.end());
    }
    return out;
}

Bytes decrypt(const Bytes& key, const Bytes& cipher)
{
    CAes aes;
    aes.set_key(key.data(), uint32(key.size() * 8));
    const auto kernels = tessiral::aes_kernels(tessiral::cpu_level());
    Bytes out;
    for (std::size_t i = 0; i < cipher.size(); i += 16) {
        const Bytes block = kvntest::through_bulk(Bytes(cipher.begin() + long(i), cipher.begin() + long(i) + 16),
            [&](const uint8* in, uint8* o, std::size_t n) { kernels.decrypt(aes, in, o, n); });
        out.insert(out.end(), block.begin(), block.end());
    }
    return out;
}

std::vector<kvntest::KnownAnswer> fips197_appendix_c()
{
    std::ifstream in(kvntest::data_path("vectors/fips197-appendix-c.txt"));
    std::vector<kvntest::KnownAnswer> out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream f(line);
        std::string k, p, c;
        f >> k >> p >> c;
        out.push_back({kvntest::from_hex(k), kvntest::from_hex(p), kvntest::from_hex(c)});
    }
    return out;
}

} // namespace

TEST(Aes, Fips197AppendixCAllKeySizes)
{
    const auto vectors = fips197_appendix_c();
    ASSERT_EQ(vectors.size(), 3u);
    for (const auto& v : vectors) {
        EXPECT_EQ(kvntest::to_hex(encrypt(v.key, v.plain)), kvntest::to_hex(v.cipher)) << v.key.size();
        EXPECT_EQ(kvntest::to_hex(decrypt(v.key, v.cipher)), kvntest::to_hex(v.plain)) << v.key.size();
    }
}

TEST(Aes, KnownAnswerFile)
{
    const auto vectors = kvntest::read_dat("vectors/rijndael.dat");
    ASSERT_EQ(vectors.size(), 9u);
    for (const auto& v : vectors) {
        EXPECT_EQ(encrypt(v.key, v.plain), v.cipher) << kvntest::to_hex(v.key);
        EXPECT_EQ(decrypt(v.key, v.cipher), v.plain) << kvntest::to_hex(v.key);
    }
}

TEST(Aes, EcbRecordsBlockByBlock)
{
    int checked = 0;
    for (const auto& r : kvntest::read_records("vectors/aes.txt")) {
        if (r.text.count("Name") == 0 || r.text.at("Name") != "AES/ECB")
            continue;
        const Bytes& key = r.bytes.at("Key");
        EXPECT_EQ(encrypt(key, r.bytes.at("Plaintext")), r.bytes.at("Ciphertext"));
        EXPECT_EQ(decrypt(key, r.bytes.at("Ciphertext")), r.bytes.at("Plaintext"));
        ++checked;
    }
    EXPECT_EQ(checked, 4);
}

TEST(Aes, ScheduleAndBulkProperties)
{
    const auto v = fips197_appendix_c()[2];
    CAes aes;
    aes.set_key(v.key.data(), 256);
    EXPECT_EQ(aes.key_words, 8u);
    // The 256-bit expansion runs seven full steps: all 64 words are written,
    // four beyond the 60 that 14 rounds use.
    CAes other;
    for (auto& w : other.round_keys)
        w = 0xDEADBEEF;
    other.set_key(v.key.data(), 256);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(other.round_keys[i], aes.round_keys[i]) << i;

    // Many blocks at once, misaligned, in place and as a copy: all the same bytes.
    const Bytes plain = kvntest::from_hex(std::string(64 * 33, 'a'));
    Bytes single(plain.size());
    for (std::size_t i = 0; i < plain.size(); i += 16)
        aes.encrypt(plain.data() + i, single.data() + i);
    Bytes shifted(plain.size() + 1);
    std::copy(plain.begin(), plain.end(), shifted.begin() + 1);
    const CAes copy = aes;
    copy.encrypt_blocks(shifted.data() + 1, shifted.data() + 1, plain.size() / 16);
    EXPECT_TRUE(std::equal(single.begin(), single.end(), shifted.begin() + 1));
    Bytes back(plain.size());
    aes.decrypt_blocks(single.data(), back.data(), plain.size() / 16);
    EXPECT_EQ(back, plain);
}
