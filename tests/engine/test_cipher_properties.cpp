// What the file loops rely on, for every row of the cipher table: decrypting
// undoes encrypting, many blocks at once equal one block at a time (also from
// an unaligned buffer, and none at all touches nothing), in place equals a
// copy, and a copied or assigned engine object encrypts like its original.
#include "engine/dispatch/cipher_table.h"
#include "tests/support/vectors.h"

#include <gtest/gtest.h>

#include <cctype>
#include <memory>

namespace {

using kvntest::Bytes;
using kvntest::to_hex;

struct Keyed {
    std::unique_ptr<CIdea> engine = std::make_unique<CIdea>();
    const CipherRow* row;

    explicit Keyed(const CipherRow* r)
        : row(r)
    {
        unsigned char key[101] = "a property key";
        for (std::size_t i = 20; i < 60; ++i)
            key[i] = static_cast<unsigned char>(i * 7);
        row->set_key(*engine, key);
        row->prepare_decrypt(*engine); // schedules both ways
    }
    Bytes encrypt(const unsigned char* in, std::size_t blocks) const
    {
        Bytes out(blocks * row->block);
        row->encrypt_blocks(*engine, in, out.data(), blocks);
        return out;
    }
    Bytes decrypt(const unsigned char* in, std::size_t blocks) const
    {
        Bytes out(blocks * row->block);
        row->decrypt_blocks(*engine, in, out.data(), blocks);
        return out;
    }
};

std::vector<const CipherRow*> rows()
{
    std::size_t count = 0;
    const CipherRow* all = cipher_rows(count);
    std::vector<const CipherRow*> out;
    for (std::size_t i = 0; i < count; ++i)
        out.push_back(&all[i]);
    return out;
}

class CipherProperties : public ::testing::TestWithParam<const CipherRow*> {
protected:
    // An odd count: wide paths and the tail that they leave.
    static constexpr std::size_t kBlocks = 67;
    Keyed keyed{ GetParam() };
    Bytes plain = [this] {
        Bytes p(kBlocks * GetParam()->block);
        for (std::size_t i = 0; i < p.size(); ++i)
            p[i] = static_cast<unsigned char>(i * 131 + 7);
        return p;
    }();
};

TEST_P(CipherProperties, BulkEqualsBlockByBlockAndRoundTrips)
{
    const unsigned block = keyed.row->block;
    Bytes one_by_one;
    for (std::size_t n = 0; n < kBlocks; ++n) {
        const Bytes b = keyed.encrypt(plain.data() + n * block, 1);
        one_by_one.insert(one_by_one.end(), b.begin(), b.end());
    }
    const Bytes bulk = keyed.encrypt(plain.data(), kBlocks);
    EXPECT_EQ(to_hex(bulk), to_hex(one_by_one));
    EXPECT_NE(bulk, plain);
    EXPECT_EQ(to_hex(keyed.decrypt(bulk.data(), kBlocks)), to_hex(plain));

    // From and to a buffer one byte off alignment.
    Bytes shifted(1, 0);
    shifted.insert(shifted.end(), plain.begin(), plain.end());
    Bytes shifted_out(plain.size() + 1);
    keyed.row->encrypt_blocks(*keyed.engine, shifted.data() + 1, shifted_out.data() + 1, kBlocks);
    EXPECT_EQ(to_hex(Bytes(shifted_out.begin() + 1, shifted_out.end())), to_hex(bulk));

    // No blocks touch nothing.
    Bytes untouched(block, 0x5C);
    keyed.row->encrypt_blocks(*keyed.engine, plain.data(), untouched.data(), 0);
    EXPECT_EQ(untouched, Bytes(block, 0x5C));
}

TEST_P(CipherProperties, InPlaceEqualsACopy)
{
    const Bytes expected = keyed.encrypt(plain.data(), kBlocks);
    Bytes in_place = plain;
    keyed.row->encrypt_blocks(*keyed.engine, in_place.data(), in_place.data(), kBlocks);
    EXPECT_EQ(to_hex(in_place), to_hex(expected));
    keyed.row->decrypt_blocks(*keyed.engine, in_place.data(), in_place.data(), kBlocks);
    EXPECT_EQ(to_hex(in_place), to_hex(plain));
}

TEST_P(CipherProperties, CopiesEncryptLikeTheirOriginal)
{
    const Bytes expected = keyed.encrypt(plain.data(), kBlocks);
    auto copy = std::make_unique<CIdea>(*keyed.engine);
    auto assigned = std::make_unique<CIdea>();
    *assigned = *keyed.engine;
    // Rekeying the original afterwards must not reach the copies.
    unsigned char other[101] = "another key entirely";
    keyed.row->set_key(*keyed.engine, other);
    keyed.row->prepare_decrypt(*keyed.engine);
    EXPECT_NE(keyed.encrypt(plain.data(), kBlocks), expected);
    for (CIdea* e : { copy.get(), assigned.get() }) {
        Bytes out(plain.size());
        keyed.row->encrypt_blocks(*e, plain.data(), out.data(), kBlocks);
        EXPECT_EQ(to_hex(out), to_hex(expected));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CipherProperties, ::testing::ValuesIn(rows()), [](const ::testing::TestParamInfo<const CipherRow*>& info) {
        std::string name;
        for (const char* c = info.param->name; *c; ++c)
            if (std::isalnum(static_cast<unsigned char>(*c)))
                name += *c;
        return name;
    });

} // namespace
