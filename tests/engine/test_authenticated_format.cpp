// The authenticated format end to end: round trips for every cipher and the
// sizes around chunk edges, the same bytes on any number of threads, every
// kind of tampering refused with nothing written, the limits of the header,
// one key derivation per batch, and a stop during the derivation.
#include "engine/api/batch_control.h"
#include "engine/formats/authenticated/auth_header.h"
#include "engine/formats/authenticated/auth_keys.h"
#include "engine/jobs/engine_workers.h"
#include "tests/engine/faulty_ops.h"
#include "tests/support/engine_recorders.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <set>
#include <thread>

using kvntest::Bytes;
using kvntest::EngineRig;
using kvntest::TempDir;
namespace auth = authenticated;

namespace {

const std::string kKey = "correct horse \xc3\xa9";
constexpr std::size_t kChunk = 256; // chunk exponent 8 in these tests
constexpr std::size_t kSealed = kChunk + auth::kChunkTag;
constexpr std::size_t kHeader = auth::kHeaderSize;

// Cheap Argon2id, small chunks and fixed salts for every test here.
struct Seam {
    auth::TestSeam seam;
    explicit Seam(bool fixed = true, unsigned memoryExponent = 5)
    {
        seam.fixedSalts = fixed;
        for (unsigned i = 0; i < auth::kSaltSize; ++i) {
            seam.kdfSalt[i] = static_cast<unsigned char>(i);
            seam.streamSalt[i] = static_cast<unsigned char>(0xA0 + i);
        }
        seam.timeCost = 1;
        seam.memoryExponent = memoryExponent;
        seam.lanes = 1;
        seam.chunkExponent = 8;
        auth::set_test_seam(&seam);
    }
    ~Seam() { auth::set_test_seam(nullptr); }
};

// An engine in a batch of the authenticated format.
struct Rig {
    EngineRig rig;
    CBatchControl control;
    std::string password;
    int derivations = 0;

    explicit Rig(const std::string& code = "1", const std::string& key = kKey, unsigned threads = 2,
        std::size_t pipelineChunk = 2 * kSealed)
        : rig(code, key)
        , password(key)
    {
        control.authenticated = true;
        control.password = reinterpret_cast<const unsigned char*>(password.data());
        control.passwordLength = password.size();
        control.strengthening = [this](bool busy) { derivations += busy ? 1 : 0; };
        rig.engine.m_pControl = &control;
        CEngineWorkers& workers = CEngineWorkers::For(rig.engine);
        workers.SetThreads(threads);
        workers.SetChunk(pipelineChunk);
    }
    int encrypt(const std::string& s, const std::string& d) { return rig.encrypt(s, d); }
    int decrypt(const std::string& s, const std::string& d) { return rig.decrypt(s, d); }
    std::string last_message() const { return rig.messages.messages.empty() ? "" : rig.messages.messages.back().text; }
};

// Encrypts `plain` as "p" -> "p.kvn" in `dir`; returns the encrypted bytes.
Bytes encrypt_bytes(const TempDir& dir, const Bytes& plain, const std::string& code = "1", unsigned threads = 2)
{
    kvntest::write_file(dir.file("p"), plain);
    Rig r(code, kKey, threads);
    EXPECT_EQ(r.encrypt(dir.file("p"), dir.file("p.kvn")), IDEA_DONE) << r.last_message();
    return kvntest::read_file(dir.file("p.kvn"));
}

// Decrypting `sealed` must fail, leave the source as it was and write nothing.
void expect_refused(const Bytes& sealed, const std::string& why, const char* expected)
{
    SCOPED_TRACE(why);
    TempDir dir;
    kvntest::write_file(dir.file("x.kvn"), sealed);
    Rig r;
    EXPECT_NE(r.decrypt(dir.file("x.kvn"), dir.file("x")), IDEA_DONE);
    EXPECT_EQ(kvntest::list_dir(dir.path()), kvntest::Names{ "x.kvn" });
    EXPECT_EQ(kvntest::read_file(dir.file("x.kvn")), sealed);
    EXPECT_NE(r.last_message().find(expected), std::string::npos) << r.last_message();
}

} // namespace

TEST(AuthenticatedFormat, RoundTripsEveryCipherAndSizeTheSameOnAnyThreadCount)
{
    Seam seam;
    const std::size_t sizes[] = { 0, 1, 15, 16, 17, kChunk - 1, kChunk, kChunk + 1, 3 * kChunk + 5 };
    for (const char* code : { "1", "2", "3", "4", "5" })
        for (std::size_t size : sizes) {
            SCOPED_TRACE(std::string(code) + " size " + std::to_string(size));
            TempDir dir;
            const Bytes plain = kvntest::random_bytes(size, unsigned(size));
            const Bytes one = encrypt_bytes(dir, plain, code, 1);
            TempDir dir4;
            EXPECT_EQ(encrypt_bytes(dir4, plain, code, 4), one);
            const std::size_t chunks = size == 0 ? 1 : (size + kChunk - 1) / kChunk;
            ASSERT_EQ(one.size(), kHeader + size + chunks * auth::kChunkTag);
            EXPECT_EQ(one[8], static_cast<unsigned char>(std::stoi(code)));
            Rig r(code);
            ASSERT_EQ(r.decrypt(dir.file("p.kvn"), dir.file("q")), IDEA_DONE) << r.last_message();
            EXPECT_EQ(kvntest::read_file(dir.file("q")), plain);
        }
}

TEST(AuthenticatedFormat, DecryptionFindsTheCipherAndRefusesAWrongKeyWithTheKeyCheck)
{
    Seam seam;
    TempDir dir;
    const Bytes plain = kvntest::random_bytes(1000, 3);
    encrypt_bytes(dir, plain, "5");
    {
        Rig r("1"); // asked for AES: the header says Twofish
        ASSERT_EQ(r.decrypt(dir.file("p.kvn"), dir.file("q")), IDEA_DONE) << r.last_message();
        EXPECT_EQ(r.control.cipherFound, "Twofish");
        EXPECT_EQ(kvntest::read_file(dir.file("q")), plain);
    }
    Rig wrong("5", "correct horse");
    EXPECT_NE(wrong.decrypt(dir.file("p.kvn"), dir.file("w")), IDEA_DONE);
    EXPECT_NE(wrong.last_message().find("The key you entered does not appear to be valid!"), std::string::npos);
    EXPECT_FALSE(kvntest::exists(dir.file("w")));
}

TEST(AuthenticatedFormat, EveryKindOfTamperingIsRefusedWithNothingWritten)
{
    Seam seam;
    TempDir dir;
    const Bytes plain = kvntest::random_bytes(5 * kChunk + 7, 9); // 6 chunks
    const Bytes good = encrypt_bytes(dir, plain);
    const char* keyCheck = "does not appear to be valid";
    const char* changed = "changed or damaged after it was encrypted";

    // Any header byte: a wrong tag (the key check), or a header the reader refuses.
    for (std::size_t i = 0; i < kHeader; ++i) {
        Bytes bad = good;
        bad[i] ^= 0x01;
        expect_refused(bad, "header byte " + std::to_string(i), i < 16 ? "" : keyCheck);
    }
    for (std::size_t at : { kHeader + 3, kHeader + 3 * kSealed + 100, good.size() - 1 }) {
        Bytes bad = good;
        bad[at] ^= 0x80;
        expect_refused(bad, "data byte " + std::to_string(at), changed);
    }
    auto without = [&](std::size_t from, std::size_t count) {
        Bytes b = good;
        b.erase(b.begin() + long(from), b.begin() + long(from + count));
        return b;
    };
    const std::size_t lastStart = kHeader + 5 * kSealed;
    expect_refused(without(lastStart, good.size() - lastStart), "last chunk removed", "chunk 5 ");
    expect_refused(without(kHeader + kSealed, kSealed), "a chunk dropped", "chunk 2 ");
    {
        Bytes b = good;
        b.insert(b.begin() + long(kHeader + kSealed), good.begin() + long(kHeader + kSealed),
            good.begin() + long(kHeader + 2 * kSealed));
        expect_refused(b, "a chunk duplicated", "chunk 3 ");
        b = good;
        std::swap_ranges(
            b.begin() + long(kHeader), b.begin() + long(kHeader + kSealed), b.begin() + long(kHeader + kSealed));
        expect_refused(b, "two chunks swapped", "chunk 1 ");
    }
    for (std::size_t extra : { std::size_t(1), auth::kChunkTag, kSealed }) {
        Bytes b = good;
        b.insert(b.end(), extra, 0);
        expect_refused(b, "bytes appended: " + std::to_string(extra), changed);
    }
    // The header of another file of the same key: the header holds, the data does not.
    seam.seam.streamSalt[0] ^= 1;
    TempDir other;
    Bytes b = encrypt_bytes(other, plain);
    std::copy(good.begin() + long(kHeader), good.end(), b.begin() + long(kHeader));
    expect_refused(b, "header from another file", "chunk 1 ");
    // A file shorter than a header and one empty chunk.
    expect_refused(Bytes(good.begin(), good.begin() + long(kHeader + 15)), "cut in the first tag", "damaged");
}

TEST(AuthenticatedFormat, IdeaAndHeadersPastTheLimitsAreRefusedBeforeAnyDerivation)
{
    Seam seam;
    TempDir dir;
    const Bytes good = encrypt_bytes(dir, kvntest::random_bytes(10, 1));
    {
        Rig idea("10");
        EXPECT_EQ(idea.encrypt(dir.file("p"), dir.file("i.kvn")), IDEA_DEST_FAILED);
        EXPECT_EQ(idea.derivations, 0);
        EXPECT_NE(idea.last_message().find("64-bit blocks"), std::string::npos) << idea.last_message();
        EXPECT_FALSE(kvntest::exists(dir.file("i.kvn")));
    }
    struct Case {
        std::size_t at;
        unsigned char value;
        const char* expected;
    } cases[] = {
        { 12, 11, "past the limits" }, // time cost
        { 13, 23, "past the limits" }, // 8 GiB
        { 14, 17, "past the limits" }, // lanes
        { 12, 0, "past the limits" },
        { 10, 7, "chunk size" },
        { 10, 23, "chunk size" },
        { 8, 10, "does not know" }, // IDEA
        { 9, 2, "does not know" }, // mode
        { 15, 1, "does not know" }, // key file
        { 7, 2, "later version" },
    };
    for (const Case& c : cases) {
        Bytes bad = good;
        bad[c.at] = c.value;
        TempDir d;
        kvntest::write_file(d.file("x.kvn"), bad);
        Rig r;
        EXPECT_NE(r.decrypt(d.file("x.kvn"), d.file("x")), IDEA_DONE);
        EXPECT_EQ(r.derivations, 0) << c.at;
        EXPECT_NE(r.last_message().find(c.expected), std::string::npos) << r.last_message();
        EXPECT_EQ(kvntest::list_dir(d.path()), kvntest::Names{ "x.kvn" });
    }
}

TEST(AuthenticatedFormat, OneDerivationPerBatchAndOwnKeysPerFile)
{
    Seam seam(false);
    TempDir dir;
    const Bytes plain = kvntest::random_bytes(300, 5);
    Rig enc;
    for (const char* name : { "a", "b", "c" }) {
        kvntest::write_file(dir.file(name), plain);
        ASSERT_EQ(enc.encrypt(dir.file(name), dir.file(std::string(name) + ".kvn")), IDEA_DONE);
    }
    EXPECT_EQ(enc.derivations, 1);
    const Bytes a = kvntest::read_file(dir.file("a.kvn")), b = kvntest::read_file(dir.file("b.kvn"));
    EXPECT_TRUE(std::equal(a.begin() + 16, a.begin() + 48, b.begin() + 16)); // one kdf salt
    EXPECT_FALSE(std::equal(a.begin() + 48, a.begin() + 80, b.begin() + 48)); // own stream salts
    EXPECT_NE(Bytes(a.begin() + long(kHeader), a.end()), Bytes(b.begin() + long(kHeader), b.end()));

    Rig dec;
    for (const char* name : { "a", "b", "c" })
        ASSERT_EQ(dec.decrypt(dir.file(std::string(name) + ".kvn"), dir.file(std::string(name) + ".out")), IDEA_DONE);
    EXPECT_EQ(dec.derivations, 1);
    EXPECT_EQ(kvntest::read_file(dir.file("c.out")), plain);
}

// A batch lends its key memory to one file at a time and has it back
// wiped; a second file at the same time gets memory of its own. The stream
// salts a batch draws ahead are each handed out once, across refills.
TEST(AuthenticatedFormat, BatchKeyMemoryAndSaltsAreNeverSharedBetweenFiles)
{
    CBatchControl control;
    unsigned char* lent = nullptr;
    {
        auth::FileKeys first, second;
        ASSERT_TRUE(first.reserve(&control));
        ASSERT_TRUE(second.reserve(&control));
        lent = first.a();
        EXPECT_NE(second.a(), lent);
        std::memset(first.a(), 0x5A, auth::FileKeys::kBytes);
    }
    auth::FileKeys next;
    ASSERT_TRUE(next.reserve(&control));
    ASSERT_EQ(next.a(), lent);
    EXPECT_EQ(Bytes(next.a(), next.a() + auth::FileKeys::kBytes), Bytes(auth::FileKeys::kBytes, 0));

    std::set<Bytes> salts;
    for (int i = 0; i < 200; ++i) {
        Bytes salt(auth::kSaltSize);
        ASSERT_TRUE(auth::fresh_stream_salt(&control, salt.data()));
        salts.insert(salt);
    }
    EXPECT_EQ(salts.size(), 200u);
    EXPECT_EQ(salts.count(Bytes(auth::kSaltSize, 0)), 0u);
}

// After a file, the chunk buffers that held its plain text hold none of it,
// whether the format's chunks keep their size (compatible) or grow by a tag
// after each unit (authenticated), for a file in one chunk and one in several.
TEST(AuthenticatedFormat, ChunkBuffersKeepNoPlainTextAfterAFile)
{
    Seam seam;
    const std::string mark = "plain text mark!";
    for (bool authenticated : { false, true })
        for (std::size_t size : { std::size_t(100), 3 * kChunk + 5 }) {
            SCOPED_TRACE(std::string(authenticated ? "authenticated" : "compatible") + " size " + std::to_string(size));
            TempDir dir;
            Bytes plain;
            while (plain.size() < size)
                plain.insert(plain.end(), mark.begin(), mark.end());
            plain.resize(size);
            kvntest::write_file(dir.file("p"), plain);
            Rig r;
            r.control.authenticated = authenticated;
            CEngineWorkers& workers = CEngineWorkers::For(r.rig.engine);
            // The buffers a file of this size used, and the bytes of each
            // that held its data.
            const unsigned used = size > kChunk ? 2 : 1;
            const std::size_t length = std::min<std::size_t>(size, kChunk);
            auto expect_no_mark = [&] {
                for (unsigned i = 0; i < used; ++i) {
                    const unsigned char* at = workers.Buffer(i, length);
                    EXPECT_EQ(std::search(at, at + length, mark.begin(), mark.end()), at + length) << "buffer " << i;
                }
            };
            ASSERT_EQ(r.encrypt(dir.file("p"), dir.file("p.kvn")), IDEA_DONE) << r.last_message();
            expect_no_mark();
            ASSERT_EQ(r.decrypt(dir.file("p.kvn"), dir.file("q")), IDEA_DONE) << r.last_message();
            expect_no_mark();
        }
}

// The real file system; turns over the last byte of every read of a
// result's data read back (from its temporary file) before its source goes.
class SpoiledReadBack final : public CFileOps {
public:
    int OpenRead(const char* path) override
    {
        const int fd = CFileOps::OpenRead(path);
        const std::string p = path;
        if (p.size() > 4 && p.compare(p.size() - 4, 4, ".tmp") == 0)
            readBack = fd;
        return fd;
    }
    long Read(int fd, void* buffer, std::size_t size) override
    {
        const long n = CFileOps::Read(fd, buffer, size);
        if (fd == readBack && std::size_t(n) > kHeader)
            static_cast<unsigned char*>(buffer)[n - 1] ^= 1;
        return n;
    }

private:
    int readBack = -1;
};

TEST(AuthenticatedFormat, ReplaceModeChecksTheResultBeforeTheSourceGoes)
{
    Seam seam;
    TempDir dir;
    const Bytes plain = kvntest::random_bytes(3 * kChunk + 5, 2);
    kvntest::write_file(dir.file("p"), plain);
    Rig r;
    r.rig.engine.m_bReplace = 1;
    r.control.verify = true;
    ASSERT_EQ(r.encrypt(dir.file("p"), dir.file("p.kvn")), IDEA_DONE) << r.last_message();
    EXPECT_EQ(kvntest::list_dir(dir.path()), kvntest::Names{ "p.kvn" });
    Rig d;
    d.rig.engine.m_bReplace = 1;
    ASSERT_EQ(d.decrypt(dir.file("p.kvn"), dir.file("p")), IDEA_DONE) << d.last_message();
    EXPECT_EQ(kvntest::read_file(dir.file("p")), plain);

    // A result whose chunks read back differently keeps the source.
    SpoiledReadBack spoiled;
    Rig s;
    s.rig.engine.m_bReplace = 1;
    s.control.verify = true;
    s.rig.engine.m_pFileOps = &spoiled;
    EXPECT_EQ(s.encrypt(dir.file("p"), dir.file("p.kvn")), IDEA_DEST_FAILED);
    EXPECT_NE(s.last_message().find("check of the new file"), std::string::npos) << s.last_message();
    EXPECT_EQ(kvntest::list_dir(dir.path()), kvntest::Names{ "p" });
    EXPECT_EQ(kvntest::read_file(dir.file("p")), plain);
}

// The one test at the real default (Argon2id t=3, 256 MiB, 4 lanes): a
// round trip, with one derivation for both directions of the batch, then a
// stop during a new derivation ends the file at once with nothing written.
TEST(AuthenticatedFormat, DefaultStrengthRoundTripsAndStopsDuringTheDerivation)
{
    TempDir dir;
    const Bytes plain = kvntest::random_bytes(70000, 4);
    kvntest::write_file(dir.file("p"), plain);
    Rig r("1", kKey, 2, CEngineWorkers::kChunk);
    ASSERT_EQ(r.encrypt(dir.file("p"), dir.file("p.kvn")), IDEA_DONE) << r.last_message();
    const Bytes sealed = kvntest::read_file(dir.file("p.kvn"));
    EXPECT_EQ(sealed[12], 3);
    EXPECT_EQ(sealed[13], 18);
    EXPECT_EQ(sealed[14], 4);
    r.control.authenticated = false;
    ASSERT_EQ(r.decrypt(dir.file("p.kvn"), dir.file("q")), IDEA_DONE) << r.last_message();
    EXPECT_EQ(kvntest::read_file(dir.file("q")), plain);
    EXPECT_EQ(r.derivations, 1);

    Rig stop("1", kKey, 2, CEngineWorkers::kChunk);
    stop.control.strengthening = [&](bool busy) {
        if (busy)
            stop.control.stop = true;
    };
    EXPECT_NE(stop.encrypt(dir.file("p"), dir.file("s.kvn")), IDEA_DONE);
    EXPECT_TRUE(stop.control.stopped);
    EXPECT_FALSE(kvntest::exists(dir.file("s.kvn")));
    // The derivation given up ends by itself; the program must not end
    // under it (its threads would be left unjoined).
    while (auth::derivations_running() != 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// Sealed chunks read scattered and opened ones written gathered: reads and
// writes that move a few bytes at a time (ending inside a chunk, at its
// edge or in its tag's room) give the same file; a read or a write failing
// midway ends the file as on one thread, with nothing left behind.
TEST(AuthenticatedFormat, ShortAndFailingReadsAndWritesMidFile)
{
    Seam seam;
    TempDir dir;
    const Bytes plain = kvntest::random_bytes(6 * kChunk + 5, 3);
    const Bytes sealed = encrypt_bytes(dir, plain);
    for (const bool decrypting : { false, true }) {
        const std::string from = dir.file(decrypting ? "p.kvn" : "p");
        const std::string to = dir.file(decrypting ? "back" : "out.kvn");
        for (const std::size_t limit : { std::size_t(100), kChunk, kSealed + 3 }) {
            SCOPED_TRACE(std::string(decrypting ? "decrypt" : "encrypt") + ", calls of " + std::to_string(limit));
            kvntest::FaultyOps ops;
            ops.callLimit = limit;
            Rig r("1", kKey, 4);
            r.rig.engine.m_pFileOps = &ops;
            ASSERT_EQ(decrypting ? r.decrypt(from, to) : r.encrypt(from, to), IDEA_DONE) << r.last_message();
            EXPECT_EQ(kvntest::read_file(to), decrypting ? plain : sealed);
            std::remove(to.c_str());
        }
        for (const bool readFails : { true, false }) {
            SCOPED_TRACE(std::string(decrypting ? "decrypt" : "encrypt") + (readFails ? ", read" : ", write"));
            std::vector<std::string> messages[2];
            int results[2] = {};
            for (const unsigned threads : { 1u, 4u }) {
                kvntest::FaultyOps ops;
                ops.failingRead = readFails ? 2 : -1;
                ops.writeBudget = readFails ? -1 : long(kHeader + 2 * kChunk + 100);
                Rig r("1", kKey, threads);
                r.rig.engine.m_pFileOps = &ops;
                results[threads > 1] = decrypting ? r.decrypt(from, to) : r.encrypt(from, to);
                for (const auto& m : r.rig.messages.messages)
                    messages[threads > 1].push_back(m.text);
                EXPECT_EQ(kvntest::list_dir(dir.path()), (kvntest::Names{ "p", "p.kvn" }));
            }
            EXPECT_EQ(results[1], results[0]);
            EXPECT_EQ(results[1], readFails ? IDEA_SOURCE_FAILED : IDEA_DEST_FAILED);
            EXPECT_EQ(messages[1], messages[0]);
            ASSERT_EQ(messages[1].size(), 1u);
            EXPECT_NE(messages[1][0].find(readFails ? "could not be read" : "could not be written"), std::string::npos)
                << messages[1][0];
        }
        // The file ends early (it shrank) after its first pipeline chunk,
        // where no read after it was waited for: the file fails as changed
        // (decrypting: as damaged), nothing left behind.
        kvntest::FaultyOps ops;
        ops.endingRead = decrypting ? 2 : 1;
        Rig r;
        r.rig.engine.m_pFileOps = &ops;
        EXPECT_EQ(decrypting ? r.decrypt(from, to) : r.encrypt(from, to), IDEA_SOURCE_FAILED);
        EXPECT_NE(r.last_message().find(decrypting ? "changed or damaged" : "changed while it was being read"),
            std::string::npos)
            << r.last_message();
        EXPECT_EQ(kvntest::list_dir(dir.path()), (kvntest::Names{ "p", "p.kvn" }));
    }
}
