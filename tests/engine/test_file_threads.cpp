// The file loops on several threads and many chunks show exactly what one
// thread over one chunk shows: the same bytes, progress, texts, messages and
// failures.
#include "engine/jobs/engine_workers.h"
#include "tests/engine/faulty_ops.h"
#include "tests/support/engine_recorders.h"

#include <gtest/gtest.h>

using kvntest::Bytes;
using kvntest::Names;

namespace {

const char* const kCodes[] = { "1", "2", "3", "4", "5", "10" };
const std::string kKey = "threads key";
constexpr std::size_t kSmallChunk = 64 * 1024;

// Everything a run shows and leaves behind.
struct Seen {
    int result = 0;
    Bytes output;
    std::vector<int> repaints;
    std::vector<std::string> status, count, messages;

    bool operator==(const Seen&) const = default;
};

// Runs one file through an engine with `threads` threads and `chunk`-byte
// chunks (0: the engine's own), into `destination`.
Seen run(const std::string& code, bool decrypting, const std::string& source, const std::string& destination,
    unsigned threads, std::size_t chunk, CFileOps* ops = nullptr)
{
    kvntest::EngineRig rig(code, kKey, 0);
    rig.engine.m_pFileOps = ops;
    CEngineWorkers& workers = CEngineWorkers::For(rig.engine);
    workers.SetThreads(threads);
    if (chunk != 0)
        workers.SetChunk(chunk);
    Seen seen;
    seen.result = decrypting ? rig.decrypt(source, destination) : rig.encrypt(source, destination);
    if (kvntest::exists(destination))
        seen.output = kvntest::read_file(destination);
    seen.repaints = rig.surface.repaints;
    seen.status = rig.status.texts;
    seen.count = rig.count.texts;
    for (const auto& m : rig.messages.messages)
        seen.messages.push_back(m.caption + ": " + m.text);
    return seen;
}

} // namespace

// The one-thread, one-chunk run is the loop the format tests check against
// the ciphers block by block; several chunks (with full chunks at the end,
// and a padded block at the end of a full chunk) on one and on four threads
// must match it.
TEST(FileThreads, ManyChunksAndThreadsMatchOneThreadOneChunk)
{
    kvntest::TempDir dir;
    const std::string plain = dir.file("plain"), encrypted = plain + ".kvn", back = dir.file("back");
    for (const std::string code : kCodes) {
        for (const std::size_t size : { 5 * kSmallChunk + 7, 4 * kSmallChunk, 4 * kSmallChunk - 3 }) {
            SCOPED_TRACE("code " + code + " size " + std::to_string(size));
            kvntest::write_file(plain, kvntest::random_bytes(size, unsigned(size)));
            const Seen encRef = run(code, false, plain, encrypted, 1, 0);
            ASSERT_EQ(encRef.result, IDEA_DONE);
            const Seen decRef = run(code, true, encrypted, back, 1, 0);
            ASSERT_EQ(decRef.output, kvntest::read_file(plain));
            for (const unsigned threads : { 1u, 4u }) {
                SCOPED_TRACE("threads " + std::to_string(threads));
                std::remove(encrypted.c_str());
                std::remove(back.c_str());
                EXPECT_TRUE(run(code, false, plain, encrypted, threads, kSmallChunk) == encRef);
                EXPECT_TRUE(run(code, true, encrypted, back, threads, kSmallChunk) == decRef);
            }
            std::remove(encrypted.c_str());
            std::remove(back.c_str());
        }
    }
}

// A read or a write failing in the middle of a file ends it as on one
// thread: the same message after the same progress, nothing left behind.
TEST(FileThreads, FailureMidFileEndsAsOnOneThread)
{
    kvntest::TempDir dir;
    const std::string src = dir.file("plain");
    const Bytes plain = kvntest::random_bytes(6 * kSmallChunk + 5, 3);
    kvntest::write_file(src, plain);
    ASSERT_EQ(run("1", false, src, src + ".kvn", 1, 0).result, IDEA_DONE);
    for (const bool decrypting : { false, true }) {
        const std::string from = decrypting ? src + ".kvn" : src;
        const std::string to = decrypting ? dir.file("back") : dir.file("out.kvn");
        const Bytes before = kvntest::read_file(from);
        for (const bool readFails : { true, false }) {
            SCOPED_TRACE(std::string(decrypting ? "decrypt" : "encrypt") + (readFails ? ", read" : ", write"));
            kvntest::FaultyOps one, four;
            one.failingRead = four.failingRead = readFails ? 3 : -1;
            one.writeBudget = four.writeBudget = readFails ? -1 : long(2 * kSmallChunk + 100);
            const Seen single = run("1", decrypting, from, to, 1, kSmallChunk, &one);
            const Seen several = run("1", decrypting, from, to, 4, kSmallChunk, &four);
            EXPECT_TRUE(several == single);
            EXPECT_EQ(several.result, readFails ? IDEA_SOURCE_FAILED : IDEA_DEST_FAILED);
            ASSERT_EQ(several.messages.size(), 1u);
            EXPECT_NE(
                several.messages[0].find(readFails ? "could not be read" : "could not be written"), std::string::npos)
                << several.messages[0];
            EXPECT_EQ(kvntest::list_dir(dir.path()), (Names{ "plain", "plain.kvn" }));
            EXPECT_EQ(kvntest::read_file(from), before);
        }
    }
}
