// MARS against the submission's known answers and Monte Carlo chains, and the
// key-length rules the engine relies on (it always passes 448 bits).
#include "bulk_blocks.h"
#include "ciphers/mars.h"
#include "cpu/cipher_kernels.h"
#include "vectors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using kvntest::Bytes;
using kvntest::to_hex;

CMars keyed(const Bytes& key)
{
    CMars mars;
    mars.set_key(key.data(), uint32(key.size() * 8));
    return mars;
}

Bytes encrypted(CMars& mars, const Bytes& block)
{
    Bytes out(16);
    mars.encrypt(block.data(), out.data());
    return out;
}

Bytes key_of(std::size_t bytes)
{
    Bytes key(bytes);
    for (std::size_t i = 0; i < bytes; ++i)
        key[i] = uint8(0x3C + 29 * i);
    return key;
}

const Bytes kBlock = kvntest::from_hex("00112233445566778899AABBCCDDEEFF");

TEST(Mars, PublishedVectorsRoundTrip)
{
    auto vectors = kvntest::read_dat("vectors/marsval.dat");
    ASSERT_EQ(vectors.size(), 9u);
    for (const auto& r : kvntest::read_records("vectors/mars.txt"))
        if (r.test == "Encrypt")
            vectors.push_back({r.bytes.at("Key"), r.bytes.at("Plaintext"), r.bytes.at("Ciphertext")});
    ASSERT_EQ(vectors.size(), 19u);

    for (const auto& v : vectors) {
        SCOPED_TRACE(to_hex(v.key) + " / " + to_hex(v.plain));
        CMars mars = keyed(v.key);
        Bytes block = v.plain;
        mars.encrypt(block.data(), block.data());
        EXPECT_EQ(to_hex(block), to_hex(v.cipher));
        mars.decrypt(block.data(), block.data());
        EXPECT_EQ(to_hex(block), to_hex(v.plain));

        const auto kernels = tessiral::mars_kernels(tessiral::cpu_level());
        EXPECT_EQ(to_hex(kvntest::through_bulk(v.plain, [&](const uint8* i, uint8* o, std::size_t n) {
                      kernels.encrypt(mars, i, o, n);
                  })), to_hex(v.cipher));
        EXPECT_EQ(to_hex(kvntest::through_bulk(v.cipher, [&](const uint8* i, uint8* o, std::size_t n) {
                      kernels.decrypt(mars, i, o, n);
                  })), to_hex(v.plain));
    }
}

// The chains run 2,400 key settings, and several hundred of their
// multiplication keys need the weak-key repair, so they also pin down its mask.
TEST(Mars, MonteCarloChains)
{
    int chains = 0;
    for (const auto& r : kvntest::read_records("vectors/mars.txt")) {
        const bool encrypting = r.test == "EncryptionMCT";
        if (!encrypting && r.test != "DecryptionMCT")
            continue;
        ++chains;
        SCOPED_TRACE(r.test + " with " + std::to_string(r.bytes.at("Key").size() * 8) + "-bit key");

        Bytes key = r.bytes.at("Key");
        const Bytes& start = r.bytes.at(encrypting ? "Plaintext" : "Ciphertext");
        const Bytes& expected = r.bytes.at(encrypting ? "Ciphertext" : "Plaintext");

        uint8 v[16], previous[16] = {};
        std::copy(start.begin(), start.end(), v);
        CMars mars;
        for (int pass = 0; pass < 400; ++pass) {
            mars.set_key(key.data(), uint32(key.size() * 8));
            for (int n = 0; n < 10000; ++n) {
                std::copy(v, v + 16, previous);
                if (encrypting)
                    mars.encrypt(v, v);
                else
                    mars.decrypt(v, v);
            }
            // The key takes up the last key-length bytes of the results.
            Bytes tail(previous, previous + 16);
            tail.insert(tail.end(), v, v + 16);
            const std::size_t from = tail.size() - key.size();
            for (std::size_t i = 0; i < key.size(); ++i)
                key[i] ^= tail[from + i];
        }
        EXPECT_EQ(to_hex(Bytes(v, v + 16)), to_hex(expected));
    }
    EXPECT_EQ(chains, 6);
}

TEST(Mars, KeyLengthsOutsideFourToFourteenWordsChangeNothing)
{
    const Bytes key = key_of(60);
    CMars mars = keyed(Bytes(key.begin(), key.begin() + 16));
    const Bytes before = encrypted(mars, kBlock);
    uint32 schedule[40];
    std::copy(std::begin(mars.round_keys), std::end(mars.round_keys), schedule);

    for (uint32 bits : {0u, 96u, 127u, 480u, 512u}) {
        SCOPED_TRACE(bits);
        mars.set_key(key.data(), bits);
        EXPECT_TRUE(std::equal(std::begin(schedule), std::end(schedule), mars.round_keys));
        EXPECT_EQ(encrypted(mars, kBlock), before);
    }
}

TEST(Mars, KeyOf479BitsIsThe448BitKey)
{
    const Bytes key = key_of(60);
    CMars full = keyed(Bytes(key.begin(), key.begin() + 56));
    CMars odd;
    odd.set_key(key.data(), 479);
    EXPECT_TRUE(std::equal(std::begin(full.round_keys), std::end(full.round_keys), odd.round_keys));
}

TEST(Mars, EngineKeyReadsExactlyFiftySixBytes)
{
    const Bytes key = key_of(56);
    // Exactly 56 bytes on the heap, so an address sanitizer build faults on
    // any read past the end.
    auto tight = std::make_unique<uint8[]>(56);
    std::copy(key.begin(), key.end(), tight.get());
    CMars reference;
    reference.set_key(tight.get(), 448);
    const Bytes expected = encrypted(reference, kBlock);

    for (uint8 fill : {0x00, 0xFF, 0x5A}) {
        Bytes padded = key;
        padded.resize(80, fill);
        CMars mars;
        mars.set_key(padded.data(), 448);
        EXPECT_EQ(encrypted(mars, kBlock), expected) << "fill " << int(fill);
    }

    Bytes last_changed = key;
    last_changed[55] ^= 0x01;
    CMars changed = keyed(last_changed);
    EXPECT_NE(encrypted(changed, kBlock), expected);
}

TEST(Mars, BulkBlocksMatchSingleBlocksAndWorkInPlace)
{
    CMars mars = keyed(key_of(56));
    constexpr std::size_t kBlocks = 67;
    Bytes plain(kBlocks * 16);
    for (std::size_t i = 0; i < plain.size(); ++i)
        plain[i] = uint8(i * 131 + 7);

    Bytes one_by_one(plain.size());
    for (std::size_t n = 0; n < kBlocks; ++n)
        mars.encrypt(plain.data() + 16 * n, one_by_one.data() + 16 * n);

    Bytes bulk(plain.size());
    mars.encrypt_blocks(plain.data(), bulk.data(), kBlocks);
    EXPECT_EQ(bulk, one_by_one);

    Bytes in_place = plain;
    mars.encrypt_blocks(in_place.data(), in_place.data(), kBlocks);
    EXPECT_EQ(in_place, one_by_one);

    Bytes back(plain.size());
    mars.decrypt_blocks(bulk.data(), back.data(), kBlocks);
    EXPECT_EQ(back, plain);
    mars.decrypt_blocks(in_place.data(), in_place.data(), kBlocks);
    EXPECT_EQ(in_place, plain);
}

} // namespace
