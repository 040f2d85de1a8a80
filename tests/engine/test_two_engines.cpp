// Engine objects share nothing: two of them with different keys, used side
// by side and from two threads, each give what they give alone. Also how
// much of the key buffer each cipher reads.
#include "engine/dispatch/cipher_table.h"
#include "tests/support/engine_recorders.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <thread>

using Bytes = std::vector<unsigned char>;

namespace {

const char* const kCodes[] = { "1", "2", "3", "4", "5", "10" };

Bytes encrypt_block(CIdea& e, const std::string& code, const Bytes& block)
{
    const CipherRow* row = find_cipher(code);
    Bytes out(row->block);
    row->prepare_encrypt(e);
    row->encrypt_blocks(e, block.data(), out.data(), 1);
    return out;
}

Bytes keyed_block(const std::string& code, const Bytes& key, const Bytes& block)
{
    CIdea e;
    e.m_strArith = code;
    Bytes k = key;
    e.SetKey(k.data());
    return encrypt_block(e, code, block);
}

} // namespace

TEST(TwoEngines, DifferentKeysSideBySide)
{
    const Bytes block(16, 0x5A);
    for (const std::string code : kCodes) {
        Bytes k1(101, 0), k2(101, 0);
        k1[0] = 'a';
        k2[0] = 'b';
        const Bytes alone1 = keyed_block(code, k1, block), alone2 = keyed_block(code, k2, block);
        ASSERT_NE(alone1, alone2) << code;
        CIdea e1, e2;
        e1.m_strArith = e2.m_strArith = code;
        e1.SetKey(k1.data());
        e2.SetKey(k2.data()); // keying the second must not disturb the first
        EXPECT_EQ(encrypt_block(e1, code, block), alone1) << code;
        EXPECT_EQ(encrypt_block(e2, code, block), alone2) << code;
        EXPECT_EQ(encrypt_block(e1, code, block), alone1) << code;
    }
}

TEST(TwoEngines, TwoThreadsEncryptingFilesAtOnce)
{
    kvntest::TempDir dir;
    const Bytes plain = kvntest::random_bytes(200000, 5);
    kvntest::write_file(dir.file("src"), plain);
    for (const std::string code : kCodes) {
        // What each key gives when nothing else runs.
        kvntest::EngineRig a(code, "first key", 0), b(code, "second key", 0);
        a.engine.m_bOverwrite = b.engine.m_bOverwrite = 1;
        ASSERT_EQ(a.encrypt(dir.file("src"), dir.file("a.expected")), IDEA_DONE);
        ASSERT_EQ(b.encrypt(dir.file("src"), dir.file("b.expected")), IDEA_DONE);
        kvntest::EngineRig ta(code, "first key", 0), tb(code, "second key", 0);
        ta.engine.m_bOverwrite = tb.engine.m_bOverwrite = 1; // each round writes over the last one's
        int ra = 0, rb = 0;
        std::thread t1([&] {
            for (int i = 0; i < 3 && ra != IDEA_SOURCE_FAILED; ++i)
                ra = ta.encrypt(dir.file("src"), dir.file("a.kvn"));
        });
        std::thread t2([&] {
            for (int i = 0; i < 3 && rb != IDEA_SOURCE_FAILED; ++i)
                rb = tb.encrypt(dir.file("src"), dir.file("b.kvn"));
        });
        t1.join();
        t2.join();
        EXPECT_EQ(ra, IDEA_DONE);
        EXPECT_EQ(rb, IDEA_DONE);
        EXPECT_EQ(kvntest::read_file(dir.file("a.kvn")), kvntest::read_file(dir.file("a.expected"))) << code;
        EXPECT_EQ(kvntest::read_file(dir.file("b.kvn")), kvntest::read_file(dir.file("b.expected"))) << code;
    }
}

TEST(KeyBytes, EachCipherReadsItsOwnPrefixOfTheBuffer)
{
    const Bytes block(16, 0x11);
    struct Reach {
        const char* code;
        std::size_t bytes;
    };
    for (const Reach r : { Reach{ "1", 32 }, Reach{ "2", 56 }, Reach{ "3", 32 }, Reach{ "4", 32 }, Reach{ "5", 32 },
             Reach{ "10", 16 } }) {
        Bytes base(101, 0);
        for (std::size_t i = 0; i < 101; ++i)
            base[i] = static_cast<unsigned char>(i * 7 + 1);
        const Bytes reference = keyed_block(r.code, base, block);
        Bytes last = base, beyond = base;
        last[r.bytes - 1] ^= 0xFF;
        for (std::size_t i = r.bytes; i < beyond.size(); ++i)
            beyond[i] ^= 0xFF;
        EXPECT_NE(keyed_block(r.code, last, block), reference) << r.code;
        EXPECT_EQ(keyed_block(r.code, beyond, block), reference) << r.code;
    }
    // Byte 40 is MARS key material and not AES's.
    Bytes k1(101, 0), k2(101, 0);
    k2[40] = 1;
    EXPECT_NE(keyed_block("2", k1, block), keyed_block("2", k2, block));
    EXPECT_EQ(keyed_block("1", k1, block), keyed_block("1", k2, block));
}
