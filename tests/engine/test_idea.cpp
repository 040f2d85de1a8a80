// IDEA inside the engine object: the published vectors in the engine's byte
// order, the modular helpers, and the engine object's key and string calls.
#include "bulk_blocks.h"
#include "cipher_table.h"
#include "cpu/cipher_kernels.h"
#include "idea_access.h"
#include "vectors.h"

#include <gtest/gtest.h>

using kvntest::Bytes;

namespace {

// The published presentation writes each 16-bit block word high byte first;
// the engine stores block words low byte first. Keys need no change.
Bytes swap_pairs(Bytes b)
{
    for (std::size_t i = 0; i + 1 < b.size(); i += 2)
        std::swap(b[i], b[i + 1]);
    return b;
}

Bytes run(CIdea& e, const Bytes& key, const Bytes& in, bool decrypt)
{
    Bytes k = key;
    unsigned short z[52], dk[52];
    CIdeaAccess::en_key_idea(e, k.data(), z);
    CIdeaAccess::de_key_idea(e, z, dk);
    Bytes block = in, out(8);
    CIdeaAccess::cipher_idea(e, block.data(), out.data(), decrypt ? dk : z);
    // The same through the bulk kernels of the engine's CPU level.
    const auto kernels = tessiral::idea_kernels(tessiral::cpu_level());
    const auto bulk = decrypt ? kernels.decrypt : kernels.encrypt;
    EXPECT_EQ(kvntest::through_bulk(in, [&](const uint8* i, uint8* o, std::size_t n) { bulk(decrypt ? dk : z, i, o, n); }),
              out);
    return out;
}

} // namespace

TEST(Idea, PublishedVectorsInEngineByteOrder)
{
    const auto vectors = kvntest::read_dat("vectors/ideaval.dat");
    ASSERT_EQ(vectors.size(), 11u);
    CIdea e;
    for (const auto& v : vectors) {
        const Bytes plain = swap_pairs(v.plain), cipher = swap_pairs(v.cipher);
        EXPECT_EQ(kvntest::to_hex(run(e, v.key, plain, false)), kvntest::to_hex(cipher)) << kvntest::to_hex(v.key);
        EXPECT_EQ(kvntest::to_hex(run(e, v.key, cipher, true)), kvntest::to_hex(plain)) << kvntest::to_hex(v.key);
    }
    // The plain big-endian block order is not the engine's.
    EXPECT_NE(run(e, vectors[0].key, vectors[0].plain, false), vectors[0].cipher);
}

TEST(Idea, ModularHelpers)
{
    CIdea e;
    EXPECT_EQ(CIdeaAccess::mul(e, 0, 0), 1);
    EXPECT_EQ(CIdeaAccess::mul(e, 0, 1), 0);
    EXPECT_EQ(CIdeaAccess::mul(e, 65535, 65535), 4);
    EXPECT_EQ(CIdeaAccess::inv(e, 0), 0);
    EXPECT_EQ(CIdeaAccess::inv(e, 1), 1);
    EXPECT_EQ(CIdeaAccess::inv(e, 2), 32769);
    EXPECT_EQ(CIdeaAccess::inv(e, 65535), 32768);
    // inv is the inverse under mul, 0 standing for 65536, for every value.
    for (unsigned x = 1; x < 65536; ++x)
        ASSERT_EQ(CIdeaAccess::mul(e, static_cast<unsigned short>(x), CIdeaAccess::inv(e, static_cast<unsigned short>(x))), 1) << x;
}

TEST(Idea, InPlaceGivesTheSameBlock)
{
    CIdea e;
    Bytes key = kvntest::from_hex("00010002000300040005000600070008");
    unsigned short z[52];
    CIdeaAccess::en_key_idea(e, key.data(), z);
    Bytes a = kvntest::from_hex("0102030405060708"), b(8);
    CIdeaAccess::cipher_idea(e, a.data(), b.data(), z);
    CIdeaAccess::cipher_idea(e, a.data(), a.data(), z);
    EXPECT_EQ(a, b);
}

TEST(EngineObject, FreshDefaultsAndSetKeyWithoutCode)
{
    CIdea e;
    EXPECT_EQ(e.m_bReplace, 1);
    EXPECT_EQ(e.m_bAddExt, 1);
    EXPECT_EQ(e.m_nFileIndex, 0);
    EXPECT_TRUE(e.m_strArith.empty());
    unsigned char key[101] = "secret";
    e.SetKey(key);
    unsigned char out[16];
    e.GetKey(out);
    EXPECT_EQ(Bytes(out, out + 16), Bytes(16, 0));
    e.m_strArith = "7";
    e.SetKey(key);
    e.GetKey(out);
    EXPECT_EQ(Bytes(out, out + 16), Bytes(16, 0));
}

TEST(EngineObject, IdeaKeyAndStrings)
{
    CIdea e;
    e.m_strArith = "10";
    unsigned char key[101] = "0123456789abcdefIGNORED";
    e.SetKey(key);
    unsigned char out[16];
    e.GetKey(out);
    EXPECT_EQ(Bytes(out, out + 16), Bytes(key, key + 16));

    // GetKey keeps answering the IDEA key whatever the code says now.
    e.m_strArith = "1";
    unsigned char other[101] = "another key entirely";
    e.SetKey(other);
    e.GetKey(out);
    EXPECT_EQ(Bytes(out, out + 16), Bytes(key, key + 16));

    unsigned char block[8] = {1, 2, 3, 4, 5, 6, 7, 8}, enc[8], dec[8];
    e.EnString(block, enc);
    EXPECT_NE(Bytes(enc, enc + 8), Bytes(block, block + 8));
    CIdea fresh;
    fresh.m_strArith = "10";
    fresh.SetKey(key);
    fresh.DeString(enc, dec);
    EXPECT_EQ(Bytes(dec, dec + 8), Bytes(block, block + 8));
    // Same buffer for in and out.
    fresh.EnString(block, block);
    EXPECT_EQ(Bytes(block, block + 8), Bytes(enc, enc + 8));
}

TEST(EngineObject, CopiesEncryptLikeTheirOriginal)
{
    for (const char* code : {"1", "2", "3", "4", "5", "10"}) {
        CIdea e;
        e.m_strArith = code;
        unsigned char key[101] = "copy me";
        e.SetKey(key);
        CIdea copy(e);
        CIdea assigned;
        assigned = e;
        unsigned char block[16] = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 1, 2, 3, 4, 5, 6};
        const auto* row = find_cipher(code);
        ASSERT_NE(row, nullptr);
        unsigned char a[16], b[16], c[16];
        row->prepare_encrypt(e);
        row->prepare_encrypt(copy);
        row->prepare_encrypt(assigned);
        row->encrypt_blocks(e, block, a, 1);
        row->encrypt_blocks(copy, block, b, 1);
        row->encrypt_blocks(assigned, block, c, 1);
        EXPECT_EQ(Bytes(a, a + row->block), Bytes(b, b + row->block)) << code;
        EXPECT_EQ(Bytes(a, a + row->block), Bytes(c, c + row->block)) << code;
    }
}
