// Encrypted files checked byte for byte against the format rules, built here
// straight from the block ciphers; round trips for every size class; the
// progress, count and status the engine shows while it works.
#include "engine/ciphers/aes/aes.h"
#include "engine/ciphers/mars/mars.h"
#include "engine/ciphers/rc6/rc6.h"
#include "engine/ciphers/serpent/serpent.h"
#include "engine/ciphers/twofish/twofish.h"
#include "tests/support/engine_recorders.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <functional>

using kvntest::EngineRig;
using Bytes = std::vector<unsigned char>;

namespace {

const char* const kCodes[] = { "1", "2", "3", "4", "5", "10" };
const std::string kKey = "correct horse";

unsigned block_of(const std::string& code)
{
    return code == "10" ? 8 : 16;
}

// One block encrypted by the cipher itself, keyed from the same 101-byte
// key buffer the engine receives.
std::function<void(const unsigned char*, unsigned char*)> block_encryptor(const std::string& code)
{
    auto buf = std::make_shared<std::vector<unsigned char>>(101, 0);
    std::memcpy(buf->data(), kKey.data(), kKey.size());
    if (code == "1") {
        auto c = std::make_shared<CAes>();
        c->set_key(buf->data(), 256);
        return [c](const unsigned char* in, unsigned char* out) { c->encrypt(in, out); };
    }
    if (code == "2") {
        auto c = std::make_shared<CMars>();
        c->set_key(buf->data(), 448);
        return [c](const unsigned char* in, unsigned char* out) { c->encrypt(in, out); };
    }
    if (code == "3") {
        auto c = std::make_shared<CRc6>();
        c->set_key(buf->data(), 32, 0);
        return [c](const unsigned char* in, unsigned char* out) {
            std::memcpy(out, in, 16);
            c->encrypt(out, 16);
        };
    }
    if (code == "4") {
        auto c = std::make_shared<SerpentContext>();
        en_key_serpent(c.get(), buf->data(), 256);
        return [c](const unsigned char* in, unsigned char* out) { encrypt_serpent(c.get(), in, out); };
    }
    if (code == "5") {
        auto c = std::make_shared<TwofishContext>();
        en_key_twofish(c.get(), buf->data(), 256);
        return [c](const unsigned char* in, unsigned char* out) { encrypt_twofish(c.get(), in, out); };
    }
    auto e = std::make_shared<CIdea>();
    e->m_strArith = "10";
    e->SetKey(buf->data());
    return [e](const unsigned char* in, unsigned char* out) { e->EnString(const_cast<unsigned char*>(in), out); };
}

Bytes expected_file(const std::string& code, const Bytes& plain)
{
    const unsigned b = block_of(code);
    auto enc = block_encryptor(code);
    Bytes header(b);
    std::memcpy(header.data(), b == 8 ? "Kelvanp" : "KelvanetrixPlus", b - 1);
    const unsigned r = unsigned(plain.size() % b);
    header[b - 1] = r == 0 ? '3' : static_cast<unsigned char>(0x50 - r);
    Bytes out(b);
    enc(header.data(), out.data());
    for (std::size_t i = 0; i < plain.size(); i += b) {
        Bytes piece(b, 0);
        std::memcpy(piece.data(), plain.data() + i, std::min<std::size_t>(b, plain.size() - i));
        Bytes c(b);
        enc(piece.data(), c.data());
        out.insert(out.end(), c.begin(), c.end());
    }
    return out;
}

// The bar positions block-by-block processing produces, worked out block by block.
std::vector<int> expected_positions(std::uint64_t length, unsigned b, bool decrypting)
{
    std::vector<int> pos{ 1 };
    const std::uint64_t step = length > 100 ? length / 100 : 1;
    std::uint64_t counter = 0;
    const std::uint64_t blocks = decrypting ? length / b - 1 : length / b;
    for (std::uint64_t i = 0; i < blocks; ++i) {
        if (counter < step) {
            counter += b;
        } else {
            counter = 0;
            pos.push_back(pos.back() + 1);
        }
    }
    if (pos.back() != 100)
        pos.push_back(100);
    return pos;
}

} // namespace

TEST(FileFormat, EveryCipherEverySizeClassMatchesTheFormatAndRoundTrips)
{
    kvntest::TempDir dir;
    for (const std::string code : kCodes) {
        const unsigned b = block_of(code);
        for (const std::size_t size : { std::size_t(0), std::size_t(1), std::size_t(b - 1), std::size_t(b),
                 std::size_t(b + 1), std::size_t(1000), std::size_t(3 << 20) + 5 }) {
            SCOPED_TRACE("code " + code + " size " + std::to_string(size));
            const Bytes plain = kvntest::random_bytes(size, unsigned(size) * 7 + unsigned(b));
            const std::string src = dir.file("plain-" + code + "-" + std::to_string(size) + ".bin");
            kvntest::write_file(src, plain);
            EngineRig enc(code, kKey);
            ASSERT_EQ(enc.encrypt(src, src + ".kvn"), IDEA_DONE);
            const Bytes file = kvntest::read_file(src + ".kvn");
            EXPECT_EQ(file.size(), b * (1 + (size + b - 1) / b));
            EXPECT_TRUE(file == expected_file(code, plain));
            EXPECT_TRUE(enc.messages.messages.empty());

            EngineRig dec(code, kKey);
            dec.engine.m_bOverwrite = 1; // the kept source is the older copy
            ASSERT_EQ(dec.decrypt(src + ".kvn", src), IDEA_DONE);
            EXPECT_TRUE(kvntest::read_file(src) == plain);
            EXPECT_EQ(kvntest::list_dir(dir.path()).size(), 2u); // the source and its .kvn
            std::remove(src.c_str());
            std::remove((src + ".kvn").c_str());
        }
    }
}

TEST(FileFormat, LengthMarkers)
{
    kvntest::TempDir dir;
    struct Case {
        const char* code;
        std::size_t size;
        std::size_t encrypted;
        char marker;
    };
    for (const Case c :
        { Case{ "1", 0, 16, '3' }, Case{ "1", 1, 32, 'O' }, Case{ "1", 16, 32, '3' }, Case{ "1", 17, 48, 'O' },
            Case{ "1", 31, 48, 'A' }, Case{ "10", 9, 24, 'O' }, Case{ "10", 15, 24, 'I' }, Case{ "10", 0, 8, '3' } }) {
        const std::string src = dir.file("m.bin");
        kvntest::write_file(src, Bytes(c.size, 'x'));
        EngineRig rig(c.code, kKey);
        rig.engine.m_bOverwrite = 1; // the previous case's file
        ASSERT_EQ(rig.encrypt(src, src + ".kvn"), IDEA_DONE);
        Bytes file = kvntest::read_file(src + ".kvn");
        ASSERT_EQ(file.size(), c.encrypted) << c.code << " " << c.size;
        // Decrypt the header block with the cipher directly.
        unsigned char key[101] = {};
        std::memcpy(key, kKey.data(), kKey.size());
        if (std::string(c.code) == "10") {
            CIdea e;
            e.m_strArith = "10";
            e.SetKey(key);
            unsigned char h[8];
            e.DeString(file.data(), h);
            EXPECT_EQ(std::string(reinterpret_cast<char*>(h), 7), "Kelvanp");
            EXPECT_EQ(h[7], c.marker) << c.size;
        } else {
            CAes aes;
            aes.set_key(key, 256);
            unsigned char h[16];
            aes.decrypt(file.data(), h);
            EXPECT_EQ(std::string(reinterpret_cast<char*>(h), 15), "KelvanetrixPlus");
            EXPECT_EQ(h[15], c.marker) << c.size;
        }
    }
}

TEST(FileFormat, SameFileTwiceGivesIdenticalBytes)
{
    kvntest::TempDir dir;
    const std::string src = dir.file("a.txt");
    Bytes plain(64, 'A'); // four equal blocks
    kvntest::write_file(src, plain);
    EngineRig one("1", kKey), two("1", kKey);
    ASSERT_EQ(one.encrypt(src, dir.file("1.kvn")), IDEA_DONE);
    ASSERT_EQ(two.encrypt(src, dir.file("2.kvn")), IDEA_DONE);
    const Bytes a = kvntest::read_file(dir.file("1.kvn"));
    EXPECT_EQ(a, kvntest::read_file(dir.file("2.kvn")));
    EXPECT_TRUE(std::equal(a.begin() + 16, a.begin() + 32, a.begin() + 32)); // codebook: equal pieces, equal blocks
}

TEST(FileProgress, PositionsCountAndStatusFollowTheBlocks)
{
    kvntest::TempDir dir;
    for (const std::size_t size : { std::size_t(0), std::size_t(50), std::size_t(1000), std::size_t(5 << 20) + 3 }) {
        for (const std::string code : { "1", "10" }) {
            SCOPED_TRACE(code + " " + std::to_string(size));
            const unsigned b = block_of(code);
            const std::string src = dir.file("report.doc");
            kvntest::write_file(src, kvntest::random_bytes(size, 3));
            EngineRig enc(code, kKey, 0, 1, 7);
            enc.engine.m_nFileIndex = 2;
            enc.engine.m_bOverwrite = 1; // the previous round's files
            ASSERT_EQ(enc.encrypt(src, src + ".kvn"), IDEA_DONE);
            EXPECT_EQ(enc.surface.repaints, expected_positions(size, b, false));
            EXPECT_LE(enc.surface.repaints.size(), 101u);
            EXPECT_EQ(enc.status.texts, std::vector<std::string>{ "report.doc  Encrypting... " });
            EXPECT_EQ(enc.count.texts, std::vector<std::string>{ "3/7 file(s)" });
            EXPECT_EQ(enc.engine.m_nFileIndex, 3);

            EngineRig dec(code, kKey, 0, 1, 1);
            dec.engine.m_bOverwrite = 1;
            ASSERT_EQ(dec.decrypt(src + ".kvn", dir.file("plain.out")), IDEA_DONE);
            const std::uint64_t encrypted = b * (1 + (size + b - 1) / b);
            EXPECT_EQ(dec.surface.repaints, expected_positions(encrypted, b, true));
            EXPECT_EQ(dec.status.texts, std::vector<std::string>{ "report.doc.kvn  Decrypting... " });
            EXPECT_EQ(dec.count.texts, std::vector<std::string>{ "1/1 file(s)" });
        }
    }
}

TEST(FileProgress, UnknownCodeTouchesNothingAndEndsAtHundred)
{
    kvntest::TempDir dir;
    const std::string src = dir.file("a.txt");
    kvntest::write_file(src, Bytes(100, 1));
    for (const char* code : { "6", "", "01", "aes" }) {
        EngineRig rig(code, kKey, 1, 0);
        EXPECT_EQ(rig.encrypt(src, src + ".tmp"), IDEA_DONE);
        EXPECT_EQ(rig.decrypt(src, src + ".tmp"), IDEA_DONE);
        EXPECT_EQ(rig.bar.GetPos(), 100);
        EXPECT_EQ(rig.engine.m_nFileIndex, 0);
        EXPECT_EQ(kvntest::list_dir(dir.path()), std::vector<std::string>{ "a.txt" });
        EXPECT_EQ(kvntest::read_file(src), Bytes(100, 1));
    }
}
