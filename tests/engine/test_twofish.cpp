// Twofish against the published known-answer chains, plus the properties the
// engine relies on: deterministic keying, no state shared between contexts.
#include "bulk_blocks.h"
#include "ciphers/twofish.h"
#include "cpu/cipher_kernels.h"
#include "vectors.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

using kvntest::Bytes;
using kvntest::KnownAnswer;
using kvntest::to_hex;

const std::vector<KnownAnswer>& published()
{
    static const std::vector<KnownAnswer> vectors = kvntest::read_dat("vectors/twofishv.dat");
    return vectors;
}

uint32 bits(const Bytes& key) { return uint32(key.size() * 8); }

Bytes encrypt(const TwofishContext& ctx, const Bytes& in)
{
    const auto kernels = tessiral::twofish_kernels(tessiral::cpu_level());
    return kvntest::through_bulk(in, [&](const uint8* i, uint8* o, std::size_t n) { kernels.encrypt(&ctx, i, o, n); });
}

Bytes decrypt(const TwofishContext& ctx, const Bytes& in)
{
    const auto kernels = tessiral::twofish_kernels(tessiral::cpu_level());
    return kvntest::through_bulk(in, [&](const uint8* i, uint8* o, std::size_t n) { kernels.decrypt(&ctx, i, o, n); });
}

// The context is large (about 4 KB of tables), so tests keep it on the heap.
std::unique_ptr<TwofishContext> keyed(const Bytes& key)
{
    auto ctx = std::make_unique<TwofishContext>();
    en_key_twofish(ctx.get(), key.data(), bits(key));
    return ctx;
}

TEST(Twofish, PublishedVectorsForAllKeyLengths)
{
    const auto& vectors = published();
    ASSERT_EQ(vectors.size(), 9u);
    int per_length[3] = {};
    for (const auto& v : vectors) {
        SCOPED_TRACE("key " + to_hex(v.key));
        ASSERT_TRUE(v.key.size() == 16 || v.key.size() == 24 || v.key.size() == 32);
        ++per_length[(v.key.size() - 16) / 8];
        const auto ctx = keyed(v.key);
        EXPECT_EQ(ctx->key_units, bits(v.key) / 64);
        EXPECT_EQ(to_hex(encrypt(*ctx, v.plain)), to_hex(v.cipher));
        EXPECT_EQ(to_hex(decrypt(*ctx, v.cipher)), to_hex(v.plain));
    }
    EXPECT_EQ(per_length[0], 4);
    EXPECT_EQ(per_length[1], 3);
    EXPECT_EQ(per_length[2], 2);
}

TEST(Twofish, SameKeyTwiceGivesIdenticalContext)
{
    const Bytes key = published().back().key;
    auto first = std::make_unique<TwofishContext>();
    auto second = std::make_unique<TwofishContext>();
    std::memset(first.get(), 0x00, sizeof(TwofishContext));
    std::memset(second.get(), 0xA5, sizeof(TwofishContext));
    en_key_twofish(first.get(), key.data(), 256);
    en_key_twofish(second.get(), key.data(), 256);
    EXPECT_EQ(std::memcmp(first.get(), second.get(), sizeof(TwofishContext)), 0);

    // Rekeying a context that held a longer key leaves no trace of it.
    const Bytes short_key = published().front().key;
    en_key_twofish(first.get(), short_key.data(), 128);
    en_key_twofish(second.get(), key.data(), 256);
    en_key_twofish(second.get(), short_key.data(), 128);
    EXPECT_EQ(std::memcmp(first.get(), second.get(), sizeof(TwofishContext)), 0);
}

TEST(Twofish, ContextsAreIndependentAndCopyable)
{
    const KnownAnswer& a = published()[2];
    const KnownAnswer& b = published().back();
    const auto ctx_a = keyed(a.key);
    auto ctx_b = keyed(b.key);

    // Interleaved use: whichever was keyed last must not matter.
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(to_hex(encrypt(*ctx_a, a.plain)), to_hex(a.cipher));
        EXPECT_EQ(to_hex(encrypt(*ctx_b, b.plain)), to_hex(b.cipher));
        EXPECT_EQ(to_hex(decrypt(*ctx_a, a.cipher)), to_hex(a.plain));
        EXPECT_EQ(to_hex(decrypt(*ctx_b, b.cipher)), to_hex(b.plain));
    }

    // A copy carries everything it needs, even after the original is rekeyed.
    const auto copy = std::make_unique<TwofishContext>(*ctx_b);
    en_key_twofish(ctx_b.get(), a.key.data(), bits(a.key));
    EXPECT_EQ(to_hex(encrypt(*copy, b.plain)), to_hex(b.cipher));
    EXPECT_EQ(to_hex(decrypt(*copy, b.cipher)), to_hex(b.plain));
}

TEST(Twofish, BulkMatchesSingleBlocks)
{
    const auto ctx = keyed(published().back().key);
    // An odd count exercises both the interleaved path and the tail.
    constexpr std::size_t kBlocks = 37;
    Bytes plain(16 * kBlocks);
    for (std::size_t i = 0; i < plain.size(); ++i)
        plain[i] = uint8(i * 131 + 7);

    Bytes expected(plain.size());
    for (std::size_t b = 0; b < kBlocks; ++b)
        encrypt_twofish(ctx.get(), plain.data() + 16 * b, expected.data() + 16 * b);

    Bytes bulk(plain.size());
    encrypt_twofish_blocks(ctx.get(), plain.data(), bulk.data(), kBlocks);
    EXPECT_EQ(to_hex(bulk), to_hex(expected));

    Bytes in_place = plain;
    encrypt_twofish_blocks(ctx.get(), in_place.data(), in_place.data(), kBlocks);
    EXPECT_EQ(to_hex(in_place), to_hex(expected));

    decrypt_twofish_blocks(ctx.get(), in_place.data(), in_place.data(), kBlocks);
    EXPECT_EQ(to_hex(in_place), to_hex(plain));

    Bytes one_by_one(plain.size());
    for (std::size_t b = 0; b < kBlocks; ++b)
        decrypt_twofish(ctx.get(), expected.data() + 16 * b, one_by_one.data() + 16 * b);
    EXPECT_EQ(to_hex(one_by_one), to_hex(plain));

    // Zero blocks touch nothing.
    Bytes untouched(16, 0x5C);
    encrypt_twofish_blocks(ctx.get(), plain.data(), untouched.data(), 0);
    EXPECT_EQ(to_hex(untouched), to_hex(Bytes(16, 0x5C)));
}

} // namespace
