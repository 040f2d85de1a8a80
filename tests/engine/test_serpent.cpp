// Serpent against the published vectors in this engine's byte mapping, and
// the schedule layout and failure behaviour that encrypted files depend on.
#include "bulk_blocks.h"
#include "ciphers/serpent.h"
#include "cpu/cipher_kernels.h"
#include "vectors.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using kvntest::Bytes;
using kvntest::KnownAnswer;
using kvntest::reverse_words;
using kvntest::to_hex;

// serpentv.dat puts word 0 (the least significant word: w-8 of a key, X0 of
// a block) in bytes 0-3, each word little-endian. This engine reads the same
// little-endian words in reverse order: a key's last four bytes are w-8 and a
// block's bytes 12-15 are X0. Reversing the order of the 4-byte words of the
// key, plaintext and ciphertext therefore turns each published vector into
// the engine's bytes.
struct EngineVector {
    Bytes key, plain, cipher;
};

EngineVector to_engine(const KnownAnswer& v)
{
    return {reverse_words(v.key), reverse_words(v.plain), reverse_words(v.cipher)};
}

const std::vector<KnownAnswer>& published()
{
    static const std::vector<KnownAnswer> vectors = kvntest::read_dat("vectors/serpentv.dat");
    return vectors;
}

uint32 bits(const Bytes& key) { return uint32(key.size() * 8); }

Bytes encrypt(const SerpentContext& ctx, const Bytes& in)
{
    const auto kernels = tessiral::serpent_kernels(tessiral::cpu_level());
    return kvntest::through_bulk(in, [&](const uint8* i, uint8* o, std::size_t n) { kernels.encrypt(&ctx, i, o, n); });
}

Bytes decrypt(const SerpentContext& ctx, const Bytes& in)
{
    const auto kernels = tessiral::serpent_kernels(tessiral::cpu_level());
    return kvntest::through_bulk(in, [&](const uint8* i, uint8* o, std::size_t n) { kernels.decrypt(&ctx, i, o, n); });
}

TEST(Serpent, PublishedVectorsInEngineByteOrder)
{
    const auto& vectors = published();
    ASSERT_EQ(vectors.size(), 12u);
    for (const auto& published_vector : vectors) {
        const EngineVector v = to_engine(published_vector);
        SCOPED_TRACE("engine key " + to_hex(v.key));
        SerpentContext ctx;
        ASSERT_EQ(en_key_serpent(&ctx, v.key.data(), bits(v.key)), ctx.schedule);
        EXPECT_EQ(to_hex(encrypt(ctx, v.plain)), to_hex(v.cipher));
        EXPECT_EQ(to_hex(decrypt(ctx, v.cipher)), to_hex(v.plain));
    }
}

TEST(Serpent, SubmissionExampleWithTopKeyBitSet)
{
    // The submission writes this vector as key 8000...00 and ciphertext
    // 49AFBFAD9D5A34052CD8FFA5986BD2DD (one number, most significant digit
    // first); the vector file as key 00...0080 and ciphertext
    // DDD26B98A5FFD82C05345A9DADBFAF49. Reversing the file's word order gives
    // the bytes this engine reads and writes.
    const Bytes file_key = kvntest::from_hex("00000000000000000000000000000080");
    const Bytes file_cipher = kvntest::from_hex("DDD26B98A5FFD82C05345A9DADBFAF49");
    const Bytes key = kvntest::from_hex("00000080000000000000000000000000");
    const Bytes cipher = kvntest::from_hex("ADBFAF4905345A9DA5FFD82CDDD26B98");
    ASSERT_EQ(to_hex(reverse_words(file_key)), to_hex(key));
    ASSERT_EQ(to_hex(reverse_words(file_cipher)), to_hex(cipher));

    SerpentContext ctx;
    ASSERT_NE(en_key_serpent(&ctx, key.data(), 128), nullptr);
    EXPECT_EQ(to_hex(encrypt(ctx, Bytes(16, 0))), to_hex(cipher));
    EXPECT_EQ(to_hex(decrypt(ctx, cipher)), to_hex(Bytes(16, 0)));
}

TEST(Serpent, ScheduleHoldsKeyWordsInReverseOrder)
{
    Bytes key(32);
    for (std::size_t i = 0; i < key.size(); ++i)
        key[i] = uint8(i);
    SerpentContext ctx;
    ASSERT_EQ(en_key_serpent(&ctx, key.data(), 256), ctx.schedule);
    EXPECT_EQ(ctx.schedule[0], 0x1F1E1D1Cu); // bytes 28-31, byte 28 lowest
    EXPECT_EQ(ctx.schedule[7], 0x03020100u); // bytes 0-3
}

TEST(Serpent, OverlongKeyIsRefusedAndChangesNothing)
{
    const EngineVector v = to_engine(published().back());
    SerpentContext ctx;
    ASSERT_EQ(en_key_serpent(&ctx, v.key.data(), 256), ctx.schedule);
    SerpentContext before = ctx;

    const Bytes other(64, 0x3C);
    EXPECT_EQ(en_key_serpent(&ctx, other.data(), 257), nullptr);
    EXPECT_EQ(en_key_serpent(&ctx, other.data(), 0xFFFFFFFFu), nullptr);
    EXPECT_EQ(std::memcmp(&before, &ctx, sizeof ctx), 0);
    EXPECT_EQ(to_hex(encrypt(ctx, v.plain)), to_hex(v.cipher));
}

TEST(Serpent, PlainLittleEndianMappingDoesNotMatch)
{
    // Guards the binding mapping: feeding the file's bytes unreversed must
    // not happen to reproduce the published answer.
    const KnownAnswer& v = published().back();
    SerpentContext ctx;
    ASSERT_NE(en_key_serpent(&ctx, v.key.data(), bits(v.key)), nullptr);
    EXPECT_NE(to_hex(encrypt(ctx, v.plain)), to_hex(v.cipher));
}

TEST(Serpent, ContextsSideBySide)
{
    const EngineVector a = to_engine(published()[3]);
    const EngineVector b = to_engine(published()[9]);
    SerpentContext ctx_a, ctx_b;
    ASSERT_NE(en_key_serpent(&ctx_a, a.key.data(), bits(a.key)), nullptr);
    ASSERT_NE(en_key_serpent(&ctx_b, b.key.data(), bits(b.key)), nullptr);
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(to_hex(encrypt(ctx_a, a.plain)), to_hex(a.cipher));
        EXPECT_EQ(to_hex(encrypt(ctx_b, b.plain)), to_hex(b.cipher));
        EXPECT_EQ(to_hex(decrypt(ctx_a, a.cipher)), to_hex(a.plain));
        EXPECT_EQ(to_hex(decrypt(ctx_b, b.cipher)), to_hex(b.plain));
    }
}

TEST(Serpent, BulkMatchesSingleBlocks)
{
    const EngineVector v = to_engine(published().back());
    SerpentContext ctx;
    ASSERT_NE(en_key_serpent(&ctx, v.key.data(), 256), nullptr);

    // Enough blocks for several passes of the vector path, plus a remainder
    // that it leaves to the word-by-word code.
    constexpr std::size_t kBlocks = 39;
    Bytes plain(16 * kBlocks);
    for (std::size_t i = 0; i < plain.size(); ++i)
        plain[i] = uint8(i * 167 + 11);
    std::memcpy(plain.data() + 16 * 5, v.plain.data(), 16);

    Bytes expected(plain.size());
    for (std::size_t b = 0; b < kBlocks; ++b)
        encrypt_serpent(&ctx, plain.data() + 16 * b, expected.data() + 16 * b);
    EXPECT_EQ(to_hex(Bytes(expected.begin() + 16 * 5, expected.begin() + 16 * 6)), to_hex(v.cipher));

    Bytes bulk(plain.size());
    encrypt_serpent_blocks(&ctx, plain.data(), bulk.data(), kBlocks);
    EXPECT_EQ(to_hex(bulk), to_hex(expected));

    Bytes in_place = plain;
    encrypt_serpent_blocks(&ctx, in_place.data(), in_place.data(), kBlocks);
    EXPECT_EQ(to_hex(in_place), to_hex(expected));

    decrypt_serpent_blocks(&ctx, in_place.data(), in_place.data(), kBlocks);
    EXPECT_EQ(to_hex(in_place), to_hex(plain));

    Bytes one_by_one(plain.size());
    for (std::size_t b = 0; b < kBlocks; ++b)
        decrypt_serpent(&ctx, expected.data() + 16 * b, one_by_one.data() + 16 * b);
    EXPECT_EQ(to_hex(one_by_one), to_hex(plain));
}

} // namespace
