// GCM on every CPU level this machine has, over the engine's own bulk
// kernels: the published AES cases, and the known answers for the other
// four ciphers made with an independent library (tests/tools/gcm_vectors).
// Each vector is sealed, opened, and opened again with one bit changed.
#include "engine/api/idea_access.h"
#include "engine/dispatch/cipher_table.h"
#include "engine/modes/gcm/gcm.h"
#include "engine/modes/gcm/stitched.h"
#include "tests/support/vectors.h"

#include <gtest/gtest.h>
#include <sodium.h>

#include <cstring>
#include <fstream>
#include <sstream>

namespace {

using kvntest::Bytes;
using kvntest::from_hex;
using kvntest::to_hex;
using tessiral::CpuLevel;
namespace gcm = tessiral::gcm;

// One engine cipher as GCM's bulk call, on a chosen level. Serpent's vectors
// use the usual byte order, the reverse of the engine's word order.
struct EngineCipher {
    CIdea engine;
    CipherPath path{};
    bool reverseWords = false;
    gcm::Stitched stitched; // the cipher's own, where the level has it

    EngineCipher(const std::string& code, const Bytes& key, CpuLevel level)
    {
        const CipherRow* row = find_cipher(code);
        engine.m_strArith = code;
        Bytes k = key;
        reverseWords = code == "4";
        if (reverseWords)
            k = kvntest::reverse_words(k);
        if (code == "1")
            CIdeaAccess::aes(engine).set_key(k.data(), static_cast<unsigned>(8 * k.size()));
        else if (code == "2")
            CIdeaAccess::mars(engine).set_key(k.data(), 256); // 448 bits in the compatible format
        else
            row->set_key(engine, k.data());
        row->prepare_encrypt(engine);
        path = row->path(level);
        stitched = gcm::stitched_ctr(*row, engine, level);
    }

    static void encrypt(void* context, const unsigned char* in, unsigned char* out, std::size_t blocks)
    {
        auto* self = static_cast<EngineCipher*>(context);
        if (!self->reverseWords) {
            self->path.encrypt_blocks(self->engine, in, out, blocks);
            return;
        }
        for (std::size_t i = 0; i < blocks; ++i) {
            Bytes block = kvntest::reverse_words(Bytes(in + 16 * i, in + 16 * i + 16));
            self->path.encrypt_blocks(self->engine, block.data(), block.data(), 1);
            block = kvntest::reverse_words(block);
            std::memcpy(out + 16 * i, block.data(), 16);
        }
    }

    gcm::BlockEncryptor encryptor() { return { encrypt, this, stitched.ctr, stitched.key }; }
};

struct Vector {
    std::string name; // file and line
    std::string code;
    Bytes key, iv, aad, plain, cipher, tag;
    std::string cipherDigest; // SHA-256 of the cipher text, when only that is kept
};

Bytes field(const std::string& s)
{
    return s == "-" ? Bytes() : from_hex(s);
}

std::vector<Vector> read_vectors()
{
    std::vector<Vector> out;
    std::ifstream published(kvntest::data_path("gcm/aes_gcm_published.txt"));
    std::string line;
    while (std::getline(published, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream in(line);
        std::string id, key, iv, aad, plain, cipher, tag;
        in >> id >> key >> iv >> aad >> plain >> cipher >> tag;
        out.push_back(
            { "AES case " + id, "1", field(key), field(iv), field(aad), field(plain), field(cipher), field(tag), "" });
    }
    std::ifstream made(kvntest::data_path("gcm/gcm_ciphers.txt"));
    while (std::getline(made, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream in(line);
        std::string code, key, iv, aad, tag, body;
        std::size_t length = 0;
        in >> code >> length >> key >> iv >> aad >> tag >> body;
        Vector v{ "cipher " + code + " length " + std::to_string(length) + (iv.size() == 32 ? " (counter wraps)" : ""),
            code, field(key), field(iv), field(aad), Bytes(length), {}, field(tag), "" };
        for (std::size_t i = 0; i < length; ++i)
            v.plain[i] = static_cast<unsigned char>(i * 13 + 5);
        if (body.rfind("sha256:", 0) == 0)
            v.cipherDigest = body.substr(7);
        else
            v.cipher = field(body);
        out.push_back(v);
    }
    return out;
}

std::string sha256(const Bytes& b)
{
    Bytes d(crypto_hash_sha256_BYTES);
    crypto_hash_sha256(d.data(), b.data(), b.size());
    return to_hex(d);
}

class GcmKnownAnswers : public testing::TestWithParam<CpuLevel> { };

TEST_P(GcmKnownAnswers, SealOpenAndRefuseChanges)
{
    const CpuLevel level = GetParam();
    if (level > tessiral::detected_cpu_level())
        GTEST_SKIP() << "this CPU lacks level " << tessiral::cpu_level_name(level);
    const std::vector<Vector> vectors = read_vectors();
    ASSERT_EQ(vectors.size(), 8u + 5 * 8) << "the vector files under tests/data/gcm";
    for (const Vector& v : vectors) {
        SCOPED_TRACE(v.name);
        EngineCipher cipher(v.code, v.key, level);
        const gcm::Gcm mode(cipher.encryptor(), level);
        EXPECT_LE(int(gcm::ghash_kernel(level).level), int(level));
        const bool j0 = v.iv.size() == 16;
        auto seal = [&](const Bytes& plain, Bytes& out, Bytes& tag) {
            return j0 ? mode.seal_j0(
                       v.iv.data(), v.aad.data(), v.aad.size(), plain.data(), plain.size(), out.data(), tag.data())
                      : mode.seal(
                          v.iv.data(), v.aad.data(), v.aad.size(), plain.data(), plain.size(), out.data(), tag.data());
        };
        auto open = [&](Bytes& data, const Bytes& tag) { // in place
            return j0
                ? mode.open_j0(
                    v.iv.data(), v.aad.data(), v.aad.size(), data.data(), data.size(), tag.data(), data.data())
                : mode.open(v.iv.data(), v.aad.data(), v.aad.size(), data.data(), data.size(), tag.data(), data.data());
        };
        Bytes out(v.plain.size()), tag(16);
        ASSERT_TRUE(seal(v.plain, out, tag));
        EXPECT_EQ(to_hex(tag), to_hex(v.tag));
        if (v.cipherDigest.empty())
            EXPECT_EQ(to_hex(out), to_hex(v.cipher));
        else
            EXPECT_EQ(sha256(out), to_hex(from_hex(v.cipherDigest)));

        Bytes data = out;
        ASSERT_TRUE(open(data, tag));
        EXPECT_TRUE(data == v.plain);

        // One changed bit of the tag, then of the cipher text: refused, and
        // nothing of the plain text is handed out.
        Bytes badTag = tag;
        badTag[15] ^= 0x80;
        data = out;
        EXPECT_FALSE(open(data, badTag));
        EXPECT_TRUE(data == Bytes(data.size(), 0));
        if (!out.empty()) {
            data = out;
            data[data.size() / 2] ^= 1;
            EXPECT_FALSE(open(data, tag));
            EXPECT_TRUE(data == Bytes(data.size(), 0));
        }

        // Associated data and a message long enough for the widest kernels'
        // full runs give the same tag as the portable hash.
        if (level > CpuLevel::Portable && v.code == "2" && !j0 && v.plain.size() == 4095) {
            const gcm::Gcm portable(cipher.encryptor(), CpuLevel::Portable);
            const Bytes aad = v.plain; // 4095 bytes of associated data
            Bytes a(v.plain.size()), b(v.plain.size()), tagA(16), tagB(16);
            ASSERT_TRUE(
                mode.seal(v.iv.data(), aad.data(), aad.size(), v.plain.data(), v.plain.size(), a.data(), tagA.data()));
            ASSERT_TRUE(portable.seal(
                v.iv.data(), aad.data(), aad.size(), v.plain.data(), v.plain.size(), b.data(), tagB.data()));
            EXPECT_TRUE(a == b);
            EXPECT_EQ(to_hex(tagA), to_hex(tagB)) << mode.ghash_name();
        }
    }
}

// The stitched counter modes (AVX-512 only) against the cipher's bulk call
// on the same level, over messages whose 32-bit counter wraps inside a full
// pass and in the last blocks, sealed out of place and opened in place.
TEST(GcmStitched, EqualsBulkAcrossTheWrap)
{
    const CpuLevel level = CpuLevel::Avx512;
    if (level > tessiral::detected_cpu_level())
        GTEST_SKIP() << "this CPU lacks level " << tessiral::cpu_level_name(level);
    const Bytes key(32, 0x6b), aad(20, 0xa1);
    int stitched = 0;
    for (const char* code : { "1", "3", "4", "5" }) {
        EngineCipher cipher(code, key, level);
        if (cipher.stitched.ctr == nullptr)
            continue;
        ++stitched;
        gcm::BlockEncryptor bulk = cipher.encryptor();
        bulk.stitched = nullptr;
        const gcm::Gcm mode(cipher.encryptor(), level), reference(bulk, level);
        // The counter wraps inside the fourth full pass of 64 blocks, then
        // inside the blocks after the last full pass.
        const std::pair<std::uint32_t, std::size_t> cases[]
            = { { 0xffffff38u, 16 * 1000 + 9 }, { 0xffffffbeu, 16 * 70 + 5 } };
        for (const auto& [first, length] : cases) {
            SCOPED_TRACE(std::string("cipher ") + code + " length " + std::to_string(length));
            Bytes j0(16, 0x3c), plain(length);
            for (int i = 0; i < 4; ++i)
                j0[12 + i] = static_cast<unsigned char>((first - 1) >> (24 - 8 * i));
            for (std::size_t i = 0; i < length; ++i)
                plain[i] = static_cast<unsigned char>(i * 7 + 1);
            Bytes a(length), b(length), tagA(16), tagB(16);
            ASSERT_TRUE(mode.seal_j0(j0.data(), aad.data(), aad.size(), plain.data(), length, a.data(), tagA.data()));
            ASSERT_TRUE(
                reference.seal_j0(j0.data(), aad.data(), aad.size(), plain.data(), length, b.data(), tagB.data()));
            EXPECT_TRUE(a == b);
            EXPECT_EQ(to_hex(tagA), to_hex(tagB));
            ASSERT_TRUE(mode.open_j0(j0.data(), aad.data(), aad.size(), a.data(), length, tagB.data(), a.data()));
            EXPECT_TRUE(a == plain);
        }
    }
    if (stitched == 0)
        GTEST_SKIP() << "this CPU has no stitched counter mode (VAES, VPCLMULQDQ)";
}

INSTANTIATE_TEST_SUITE_P(Levels, GcmKnownAnswers, testing::ValuesIn(tessiral::kCpuLevels),
    [](const testing::TestParamInfo<CpuLevel>& info) { return std::string(tessiral::cpu_level_name(info.param)); });

} // namespace
