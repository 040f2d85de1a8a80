// RC6 against the vectors published with the algorithm, plus the contract the
// engine leans on: refused keys change nothing and only 16 bytes are touched.
#include "bulk_blocks.h"
#include "ciphers/rc6.h"
#include "cpu/cipher_kernels.h"
#include "vectors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using kvntest::Bytes;
using kvntest::to_hex;

std::vector<kvntest::KnownAnswer> published()
{
    return kvntest::read_dat("vectors/rc6val.dat");
}

CRc6 keyed(const Bytes& key)
{
    CRc6 rc6;
    EXPECT_EQ(rc6.set_key(key.data(), uint32(key.size()), 0), 0);
    return rc6;
}

Bytes encrypted(CRc6& rc6, Bytes block)
{
    rc6.encrypt(block.data(), 16);
    return block;
}

TEST(Rc6, PublishedVectorsRoundTripInPlace)
{
    const auto vectors = published();
    ASSERT_EQ(vectors.size(), 6u);
    for (const auto& v : vectors) {
        SCOPED_TRACE(to_hex(v.key));
        CRc6 rc6 = keyed(v.key);
        EXPECT_EQ(rc6.key_length(), int32(v.key.size()));

        Bytes block = v.plain;
        EXPECT_EQ(rc6.encrypt(block.data(), 16), 0);
        EXPECT_EQ(to_hex(block), to_hex(v.cipher));
        EXPECT_EQ(rc6.decrypt(block.data(), 16), 0);
        EXPECT_EQ(to_hex(block), to_hex(v.plain));

        const auto kernels = tessiral::rc6_kernels(tessiral::cpu_level());
        EXPECT_EQ(to_hex(kvntest::through_bulk(v.plain, [&](const uint8* i, uint8* o, std::size_t n) {
                      kernels.encrypt(rc6, i, o, n);
                  })), to_hex(v.cipher));
        EXPECT_EQ(to_hex(kvntest::through_bulk(v.cipher, [&](const uint8* i, uint8* o, std::size_t n) {
                      kernels.decrypt(rc6, i, o, n);
                  })), to_hex(v.plain));
    }
}

TEST(Rc6, OverlongKeyIsRefusedAndChangesNothing)
{
    const auto v = published().back(); // 32-byte key
    CRc6 rc6 = keyed(v.key);
    uint32 before[44];
    std::copy(std::begin(rc6.round_keys), std::end(rc6.round_keys), before);

    Bytes long_key(33, 0x5A);
    EXPECT_EQ(rc6.set_key(long_key.data(), 33, 0), -1);
    EXPECT_EQ(rc6.key_length(), 32);
    EXPECT_TRUE(std::equal(std::begin(before), std::end(before), rc6.round_keys));
    EXPECT_EQ(to_hex(encrypted(rc6, v.plain)), to_hex(v.cipher));
}

TEST(Rc6, BytesBeyondTheLastWholeKeyWordAreIgnored)
{
    const auto v = published().front(); // 16-byte key
    Bytes key = v.key;
    key.insert(key.end(), {0xFF, 0xEE, 0xDD});
    CRc6 rc6 = keyed(key);
    EXPECT_EQ(rc6.key_length(), 19);
    EXPECT_EQ(to_hex(encrypted(rc6, v.plain)), to_hex(v.cipher));
}

TEST(Rc6, LengthArgumentDoesNotWidenOrNarrowTheBlock)
{
    const auto v = published()[1];
    CRc6 rc6 = keyed(v.key);
    for (uint32 len : {8u, 32u}) {
        SCOPED_TRACE(len);
        Bytes buffer = v.plain;
        buffer.resize(48, 0xA5);
        rc6.encrypt(buffer.data(), len);
        EXPECT_EQ(to_hex(Bytes(buffer.begin(), buffer.begin() + 16)), to_hex(v.cipher));
        EXPECT_TRUE(std::all_of(buffer.begin() + 16, buffer.end(), [](uint8 b) { return b == 0xA5; }));

        rc6.decrypt(buffer.data(), len);
        EXPECT_EQ(to_hex(Bytes(buffer.begin(), buffer.begin() + 16)), to_hex(v.plain));
        EXPECT_TRUE(std::all_of(buffer.begin() + 16, buffer.end(), [](uint8 b) { return b == 0xA5; }));
    }
}

TEST(Rc6, BulkBlocksMatchSingleBlocksAndWorkInPlace)
{
    CRc6 rc6 = keyed(published().back().key);
    constexpr std::size_t kBlocks = 67;
    Bytes plain(kBlocks * 16);
    for (std::size_t i = 0; i < plain.size(); ++i)
        plain[i] = uint8(i * 131 + 7);

    Bytes one_by_one = plain;
    for (std::size_t n = 0; n < kBlocks; ++n)
        rc6.encrypt(one_by_one.data() + 16 * n, 16);

    Bytes bulk(plain.size());
    rc6.encrypt_blocks(plain.data(), bulk.data(), kBlocks);
    EXPECT_EQ(bulk, one_by_one);

    Bytes in_place = plain;
    rc6.encrypt_blocks(in_place.data(), in_place.data(), kBlocks);
    EXPECT_EQ(in_place, one_by_one);

    Bytes back(plain.size());
    rc6.decrypt_blocks(bulk.data(), back.data(), kBlocks);
    EXPECT_EQ(back, plain);
    rc6.decrypt_blocks(in_place.data(), in_place.data(), kBlocks);
    EXPECT_EQ(in_place, plain);
}

TEST(Rc6, CopiesCarryTheKey)
{
    const auto v = published()[3];
    CRc6 original = keyed(v.key);
    CRc6 copy(original);
    CRc6 assigned;
    assigned = original;
    for (CRc6* c : {&copy, &assigned}) {
        EXPECT_EQ(c->key_length(), int32(v.key.size()));
        EXPECT_EQ(to_hex(encrypted(*c, v.plain)), to_hex(v.cipher));
    }
}

} // namespace
