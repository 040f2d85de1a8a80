// What a batch's control asks of the engine: stopping at the next chunk
// (keep and replace, both directions), the check of a result before its
// source goes (a result that reads back differently, through the file
// seam), and decryption finding the cipher by the header block.
#include "engine/api/batch_control.h"
#include "engine/jobs/engine_workers.h"
#include "engine/os/file_ops.h"
#include "tests/support/engine_recorders.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>

using namespace kvntest;

namespace {

const std::string kKey = "control key";
// More chunks than the engine reads ahead, so a stop asked at the second read
// still finds chunks left.
const Bytes kLarge = kvntest::random_bytes(5 * CEngineWorkers::kChunk + 77, 13);

// The real file system; asks the control to stop at the chosen read, and
// changes a byte of whatever is read back from a temporary output. Reads
// come from the engine's workers too.
class ControlOps final : public CFileOps {
public:
    CBatchControl* control = nullptr;
    int stopAtRead = -1;
    bool spoilReadBack = false;

    int OpenRead(const char* path) override
    {
        const int fd = CFileOps::OpenRead(path);
        const std::string p = path;
        std::lock_guard<std::mutex> lock(mutex);
        if (fd >= 0 && p.size() > 4 && p.compare(p.size() - 4, 4, ".tmp") == 0)
            readBack.insert(fd);
        return fd;
    }
    long Read(int fd, void* buffer, std::size_t size) override
    {
        if (reads++ == stopAtRead)
            control->stop.store(true);
        const long n = CFileOps::Read(fd, buffer, size);
        std::lock_guard<std::mutex> lock(mutex);
        if (spoilReadBack && readBack.count(fd) && n > 40)
            static_cast<unsigned char*>(buffer)[40] ^= 1;
        return n;
    }
    long ReadPieces(int fd, const IoPiece* pieces, int count) override
    {
        if (reads++ == stopAtRead)
            control->stop.store(true);
        return CFileOps::ReadPieces(fd, pieces, count);
    }
    int Close(int fd) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        readBack.erase(fd);
        return CFileOps::Close(fd);
    }

private:
    std::atomic<int> reads{ 0 };
    std::mutex mutex;
    std::set<int> readBack;
};

struct ControlledRig {
    EngineRig rig;
    CBatchControl control;
    ControlOps ops;

    ControlledRig(const std::string& code, int replace, int addExt = 1)
        : rig(code, kKey, replace, addExt)
    {
        rig.engine.m_pControl = &control;
        rig.engine.m_pFileOps = &ops;
        ops.control = &control;
        rig.set_key(kKey); // again: with a control, every cipher is keyed
    }
};

std::string encrypted_copy(kvntest::TempDir& dir, const std::string& code, const Bytes& plain)
{
    write_file(dir.file("plain"), plain);
    EngineRig enc(code, kKey);
    EXPECT_EQ(enc.encrypt(dir.file("plain"), dir.file("data.kvn")), IDEA_DONE);
    std::remove(dir.file("plain").c_str());
    return dir.file("data.kvn");
}

} // namespace

TEST(Stop, MidFileLeavesTheSourceAsItWasAndNoOutputInEveryMode)
{
    for (const bool decrypting : { false, true }) {
        for (const int replace : { 0, 1 }) {
            SCOPED_TRACE(std::string(decrypting ? "decrypt" : "encrypt") + (replace ? " replace" : " keep"));
            kvntest::TempDir dir;
            std::string source = dir.file("data.bin");
            if (decrypting)
                source = encrypted_copy(dir, "3", kLarge);
            else
                write_file(source, kLarge);
            const Bytes before = read_file(source);
            const Names listed = list_dir(dir.path());
            ControlledRig r("3", replace);
            r.ops.stopAtRead = 2; // while the first chunks are worked on
            const int result
                = decrypting ? r.rig.decrypt(source, dir.file("data")) : r.rig.encrypt(source, source + ".kvn");
            EXPECT_EQ(result, IDEA_SOURCE_FAILED);
            EXPECT_TRUE(r.control.stopped);
            EXPECT_TRUE(r.rig.messages.messages.empty());
            EXPECT_EQ(list_dir(dir.path()), listed);
            EXPECT_EQ(read_file(source), before);
        }
    }
}

TEST(Stop, AskedBeforeAFileBeginsLeavesItUnopened)
{
    kvntest::TempDir dir;
    write_file(dir.file("a"), Bytes(10, 'a'));
    ControlledRig r("1", 1);
    r.control.stop.store(true);
    EXPECT_EQ(r.rig.encrypt(dir.file("a"), dir.file("a.kvn")), IDEA_SOURCE_FAILED);
    EXPECT_TRUE(r.control.stopped);
    EXPECT_EQ(list_dir(dir.path()), Names{ "a" });
}

TEST(Check, AResultThatReadsBackDifferentlyKeepsTheSourceAndFailsTheFile)
{
    for (const bool decrypting : { false, true }) {
        SCOPED_TRACE(decrypting ? "decrypt" : "encrypt");
        kvntest::TempDir dir;
        std::string source = dir.file("data.bin");
        if (decrypting)
            source = encrypted_copy(dir, "1", kLarge);
        else
            write_file(source, kLarge);
        const Bytes before = read_file(source);
        const Names listed = list_dir(dir.path());
        ControlledRig r("1", 1);
        r.ops.spoilReadBack = true;
        const int result
            = decrypting ? r.rig.decrypt(source, dir.file("data")) : r.rig.encrypt(source, source + ".kvn");
        EXPECT_EQ(result, IDEA_DEST_FAILED);
        EXPECT_FALSE(r.control.stopped);
        EXPECT_EQ(list_dir(dir.path()), listed);
        EXPECT_EQ(read_file(source), before);
        ASSERT_EQ(r.rig.messages.messages.size(), 1u);
        EXPECT_NE(r.rig.messages.messages[0].text.find("check of the new file"), std::string::npos);
    }
}

TEST(Check, APassingCheckLetsTheSourceGoAndTheSwitchTurnsItOff)
{
    kvntest::TempDir dir;
    for (const Bytes& plain : { Bytes{}, Bytes(16, 'x'), kLarge }) {
        write_file(dir.file("a"), plain);
        ControlledRig r("10", 1, 0); // IDEA, the encrypted file takes the source's name
        ASSERT_EQ(r.rig.encrypt(dir.file("a"), dir.file("a.tmp")), IDEA_DONE);
        EXPECT_EQ(list_dir(dir.path()), Names{ "a" });
        ASSERT_EQ(r.rig.decrypt(dir.file("a"), dir.file("a.tmp")), IDEA_DONE);
        EXPECT_EQ(read_file(dir.file("a")), plain);
    }
    // Off, the spoiled read-back is never made.
    write_file(dir.file("b"), kLarge);
    ControlledRig r("1", 1);
    r.control.verify = false;
    r.ops.spoilReadBack = true;
    EXPECT_EQ(r.rig.encrypt(dir.file("b"), dir.file("b.kvn")), IDEA_DONE);
}

TEST(FindCipher, EveryCipherIsFoundFromEveryOtherAndTheDatesAreKept)
{
    const char* codes[] = { "1", "10", "2", "3", "4", "5" };
    const Bytes plain = kvntest::random_bytes(1000, 5);
    for (const char* made : codes) {
        for (const char* chosen : codes) {
            SCOPED_TRACE(std::string(made) + " read as " + chosen);
            kvntest::TempDir dir;
            const std::string source = encrypted_copy(dir, made, plain);
            const timespec old[2] = { { 0, UTIME_OMIT }, { 981173106, 500 } };
            ASSERT_EQ(utimensat(AT_FDCWD, source.c_str(), old, 0), 0);
            ControlledRig r(chosen, 0);
            ASSERT_EQ(r.rig.decrypt(source, dir.file("data")), IDEA_DONE);
            EXPECT_EQ(read_file(dir.file("data")), plain);
            EXPECT_EQ(r.control.cipherFound.empty(), std::string(made) == chosen);
            EXPECT_EQ(r.rig.engine.m_strArith, chosen); // the next file starts from the chosen cipher again
            struct stat st { };
            ASSERT_EQ(stat(dir.file("data").c_str(), &st), 0);
            EXPECT_EQ(st.st_mtim.tv_sec, 981173106);
            EXPECT_EQ(st.st_mtim.tv_nsec, 500);
        }
    }
}

TEST(FindCipher, OnlyWhenNoneFitsIsTheKeyReportedWrongAndForcingSkipsTheSearch)
{
    kvntest::TempDir dir;
    const std::string source = encrypted_copy(dir, "5", Bytes(100, 'z'));
    ControlledRig forced("1", 0);
    forced.control.findCipher = false;
    EXPECT_EQ(forced.rig.decrypt(source, dir.file("data")), IDEA_DEST_FAILED);
    ASSERT_EQ(forced.rig.messages.messages.size(), 1u);
    EXPECT_NE(forced.rig.messages.messages[0].text.find("by AES!"), std::string::npos);

    EngineRig wrongKey("1", "another key");
    CBatchControl control;
    wrongKey.engine.m_pControl = &control;
    wrongKey.set_key("another key");
    EXPECT_EQ(wrongKey.decrypt(source, dir.file("data")), IDEA_DEST_FAILED);
    EXPECT_TRUE(control.cipherFound.empty());
    ASSERT_EQ(wrongKey.messages.messages.size(), 1u);
    EXPECT_NE(wrongKey.messages.messages[0].text.find("by AES!"), std::string::npos);
    EXPECT_EQ(list_dir(dir.path()), Names{ "data.kvn" });
}
