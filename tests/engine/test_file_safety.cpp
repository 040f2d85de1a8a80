// The failure paths, for real where the system allows it (a file-size limit,
// /dev/full, a FIFO, a folder, a vanished file, links) and through the file
// operations seam where root would get past permission bits or a call must
// throw.
#include "tests/engine/faulty_ops.h"
#include "tests/support/engine_recorders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kvntest;

namespace {

const std::string kKey = "safety key";
const Bytes kPlain = kvntest::random_bytes(300000, 9);

struct Fixture {
    kvntest::TempDir dir;
    std::string src = dir.file("data.bin");
    Fixture() { write_file(src, kPlain); }
};

} // namespace

TEST(WriteFailure, FileSizeLimitKeepsSourceAndLeavesNoPartialOutput)
{
    Fixture f;
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    EngineRig rig("1", kKey, 1, 0);
    const int result = rig.encrypt(f.src, f.src + ".tmp");
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(result, IDEA_DEST_FAILED);
    EXPECT_EQ(list_dir(f.dir.path()), Names{ "data.bin" });
    EXPECT_EQ(read_file(f.src), kPlain);
    ASSERT_EQ(rig.messages.messages.size(), 1u);
    EXPECT_NE(rig.messages.messages[0].text.find("could not be written"), std::string::npos);
}

TEST(WriteFailure, SeamWriteErrorWhileDecryptingKeepsTheEncryptedFile)
{
    Fixture f;
    EngineRig enc("1", kKey, 0);
    ASSERT_EQ(enc.encrypt(f.src, f.src + ".kvn"), IDEA_DONE);
    const Bytes encrypted = read_file(f.src + ".kvn");
    std::remove(f.src.c_str());

    FaultyOps ops;
    ops.writeBudget = 5000;
    EngineRig dec("1", kKey, 1);
    dec.engine.m_pFileOps = &ops;
    EXPECT_EQ(dec.decrypt(f.src + ".kvn", f.src), IDEA_DEST_FAILED);
    EXPECT_EQ(list_dir(f.dir.path()), Names{ "data.bin.kvn" });
    EXPECT_EQ(read_file(f.src + ".kvn"), encrypted);
}

TEST(DestinationRefused, DeviceMissingFolderAndProc)
{
    Fixture f;
    for (const std::string& dest : Names{ "/dev/full", f.dir.file("no/such/folder/x.kvn"), "/proc/kvn-test.kvn" }) {
        EngineRig rig("10", kKey, 1, 1);
        EXPECT_EQ(rig.encrypt(f.src, dest), IDEA_DEST_FAILED) << dest;
        ASSERT_EQ(rig.messages.messages.size(), 1u);
        // The text as it stands, then the file it was to be and the system's reason.
        const std::string text = rig.messages.messages[0].text;
        EXPECT_EQ(text.rfind("Don't create new file\n" + dest + "\n", 0), 0u) << text;
        EXPECT_GT(text.size(), std::string("Don't create new file\n\n").size() + dest.size()) << text;
        EXPECT_EQ(rig.messages.messages[0].caption, "Error");
        EXPECT_EQ(rig.engine.m_nFileIndex, 0);
        EXPECT_EQ(list_dir(f.dir.path()), Names{ "data.bin" });
        EXPECT_EQ(read_file(f.src), kPlain);
    }
    struct stat st { };
    ASSERT_EQ(stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST(SourceRefused, VanishedFifoAndFolderAreNeverRead)
{
    Fixture f;
    const std::string fifo = f.dir.file("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(mkdir(f.dir.file("folder").c_str(), 0700), 0);
    for (const std::string& src : Names{ f.dir.file("gone.txt"), fifo, f.dir.file("folder") }) {
        for (const bool decrypting : { false, true }) {
            FaultyOps ops;
            EngineRig rig("10", kKey, 1, 0);
            rig.engine.m_pFileOps = &ops;
            const int r = decrypting ? rig.decrypt(src, src + ".tmp") : rig.encrypt(src, src + ".tmp");
            EXPECT_EQ(r, IDEA_SOURCE_FAILED) << src;
            EXPECT_TRUE(ops.log.empty()) << src; // never opened
            ASSERT_EQ(rig.messages.messages.size(), 1u);
            EXPECT_EQ(rig.messages.messages[0].text,
                "Don't open this file!\n" + src + "\n"
                    + (src == fifo || src == f.dir.file("folder") ? "It is not a regular file."
                                                                  : "No such file or directory"));
            EXPECT_EQ(rig.messages.messages[0].caption, decrypting ? "Error:" : "Error: ");
        }
    }
    EXPECT_EQ(list_dir(f.dir.path()), (Names{ "data.bin", "folder", "pipe" }));
}

TEST(FinishFailure, UndeletableSourceKeepsBothAndReports)
{
    Fixture f;
    FaultyOps ops;
    ops.removeError = EPERM;
    EngineRig rig("1", kKey, 1, 1);
    rig.engine.m_pFileOps = &ops;
    EXPECT_EQ(rig.encrypt(f.src, f.src + ".kvn"), IDEA_DEST_FAILED);
    EXPECT_EQ(list_dir(f.dir.path()), (Names{ "data.bin", "data.bin.kvn" }));
    EXPECT_EQ(read_file(f.src), kPlain);
    EngineRig check("1", kKey, 0);
    ASSERT_EQ(check.decrypt(f.src + ".kvn", f.dir.file("check")), IDEA_DONE);
    EXPECT_EQ(read_file(f.dir.file("check")), kPlain);
    ASSERT_EQ(rig.messages.messages.size(), 1u);
    EXPECT_NE(rig.messages.messages[0].text.find("could not be deleted"), std::string::npos);
}

TEST(FinishFailure, FailedRenameKeepsTheFinishedOutputUnderItsWorkingName)
{
    Fixture f;
    FaultyOps ops;
    ops.renameError = EXDEV;
    EngineRig rig("1", kKey, 1, 0);
    rig.engine.m_pFileOps = &ops;
    EXPECT_EQ(rig.encrypt(f.src, f.src + ".tmp"), IDEA_DEST_FAILED);
    EXPECT_EQ(list_dir(f.dir.path()), (Names{ "data.bin", "data.bin.tmp" }));
    EXPECT_EQ(read_file(f.src), kPlain);
    EXPECT_EQ(read_file(f.src + ".tmp").size(), 16 + 300000u);
    ASSERT_EQ(rig.messages.messages.size(), 1u);
    EXPECT_NE(rig.messages.messages[0].text.find(f.src + ".tmp"), std::string::npos);
}

TEST(Replace, OneAtomicRenameAfterSyncAndUnrelatedTmpUntouched)
{
    Fixture f;
    const Bytes unrelated{ 'm', 'i', 'n', 'e' };
    write_file(f.src + ".tmp", unrelated);
    FaultyOps ops;
    EngineRig rig("1", kKey, 1, 0);
    rig.engine.m_pFileOps = &ops;
    ASSERT_EQ(rig.encrypt(f.src, f.src + ".tmp"), IDEA_DONE);
    EXPECT_EQ(read_file(f.src + ".tmp"), unrelated);
    EXPECT_EQ(read_file(f.src).size(), 16 + 300000u);
    // Synced, then renamed straight over the source; the source is never deleted.
    ASSERT_EQ(ops.log.size(), 3u);
    EXPECT_EQ(ops.log[0], "open " + f.src);
    EXPECT_EQ(ops.log[1], "sync");
    EXPECT_EQ(ops.log[2].rfind("rename " + f.src + ".", 0), 0u);
    EXPECT_EQ(ops.log[2].substr(ops.log[2].size() - f.src.size() - 4), " -> " + f.src);
    EXPECT_EQ(list_dir(f.dir.path()), (Names{ "data.bin", "data.bin.tmp" }));
}

TEST(SourceChanged, GrowingSourceIsNotReplaced)
{
    Fixture f;
    FaultyOps ops;
    ops.growSource = true;
    EngineRig rig("1", kKey, 1, 0);
    rig.engine.m_pFileOps = &ops;
    EXPECT_EQ(rig.encrypt(f.src, f.src + ".tmp"), IDEA_SOURCE_FAILED);
    EXPECT_EQ(list_dir(f.dir.path()), Names{ "data.bin" });
    EXPECT_EQ(read_file(f.src), kPlain);
}

TEST(Damaged, DataPartNotWholeBlocksReplacesNothing)
{
    Fixture f;
    EngineRig enc("1", kKey, 0);
    ASSERT_EQ(enc.encrypt(f.src, f.src + ".kvn"), IDEA_DONE);
    Bytes encrypted = read_file(f.src + ".kvn");
    encrypted.resize(encrypted.size() - 5);
    write_file(f.src + ".kvn", encrypted);
    std::remove(f.src.c_str());
    EngineRig dec("1", kKey, 1);
    EXPECT_EQ(dec.decrypt(f.src + ".kvn", f.src), IDEA_SOURCE_FAILED);
    EXPECT_EQ(list_dir(f.dir.path()), Names{ "data.bin.kvn" });
    EXPECT_EQ(read_file(f.src + ".kvn"), encrypted);
    ASSERT_EQ(dec.messages.messages.size(), 1u);
    EXPECT_NE(dec.messages.messages[0].text.find("damaged"), std::string::npos);
}

TEST(KeepMode, OutputNeverOverwritesItsOwnSource)
{
    Fixture f;
    EngineRig rig("1", kKey, 0);
    EXPECT_EQ(rig.encrypt(f.src, f.src), IDEA_DEST_FAILED);
    EXPECT_EQ(read_file(f.src), kPlain);
    EXPECT_EQ(list_dir(f.dir.path()), Names{ "data.bin" });
}

TEST(Durability, SyncedWhenSomethingIsReplacedOrDeletedOnly)
{
    Fixture f;
    auto syncs = [](const FaultyOps& ops) { return std::count(ops.log.begin(), ops.log.end(), "sync"); };
    FaultyOps fresh;
    EngineRig keep("1", kKey, 0);
    keep.engine.m_pFileOps = &fresh;
    ASSERT_EQ(keep.encrypt(f.src, f.src + ".kvn"), IDEA_DONE); // a new file beside a kept source
    EXPECT_EQ(syncs(fresh), 0);
    FaultyOps over;
    EngineRig again("1", kKey, 0);
    again.engine.m_pFileOps = &over;
    again.engine.m_bOverwrite = 1;
    ASSERT_EQ(again.encrypt(f.src, f.src + ".kvn"), IDEA_DONE); // replaces the older .kvn
    EXPECT_EQ(syncs(over), 1);
    FaultyOps replacing;
    EngineRig replace("1", kKey, 1, 1);
    replace.engine.m_pFileOps = &replacing;
    std::remove((f.src + ".kvn").c_str());
    ASSERT_EQ(replace.encrypt(f.src, f.src + ".kvn"), IDEA_DONE); // the source goes afterwards
    EXPECT_EQ(syncs(replacing), 1);
}

TEST(Links, ReplaceModeRefusesALinkedSourceBeforeWritingKeepModeReadsThroughIt)
{
    Fixture f;
    const std::string soft = f.dir.file("soft"), hard = f.dir.file("hard");
    ASSERT_EQ(symlink("data.bin", soft.c_str()), 0);
    ASSERT_EQ(link(f.src.c_str(), hard.c_str()), 0);
    for (const std::string& src : Names{ soft, hard }) {
        for (const bool decrypting : { false, true }) {
            FaultyOps ops;
            EngineRig rig("1", kKey, 1, 0);
            rig.engine.m_pFileOps = &ops;
            const int r = decrypting ? rig.decrypt(src, src + ".tmp") : rig.encrypt(src, src + ".tmp");
            EXPECT_EQ(r, IDEA_SOURCE_FAILED) << src;
            EXPECT_TRUE(ops.log.empty()) << src; // never opened
            ASSERT_EQ(rig.messages.messages.size(), 1u);
            EXPECT_EQ(rig.messages.messages[0].text.rfind(src + "\n", 0), 0u);
            EXPECT_NE(
                rig.messages.messages[0].text.find(src == soft ? "symbolic link" : "hard links"), std::string::npos);
        }
    }
    EXPECT_EQ(list_dir(f.dir.path()), (Names{ "data.bin", "hard", "soft" }));
    EXPECT_EQ(read_file(f.src), kPlain);
    EngineRig keep("1", kKey, 0);
    EXPECT_EQ(keep.encrypt(soft, soft + ".kvn"), IDEA_DONE);
}

TEST(Links, ALinkInTheResultsPlaceIsAnEntryOfItsOwnReplacedNeverWrittenThrough)
{
    Fixture f;
    const std::string kvn = f.src + ".kvn", other = f.dir.file("other");
    ASSERT_EQ(symlink("data.bin", kvn.c_str()), 0);
    EngineRig refused("1", kKey, 1, 1);
    EXPECT_EQ(refused.encrypt(f.src, kvn), IDEA_DEST_FAILED);
    ASSERT_EQ(refused.messages.messages.size(), 1u);
    EXPECT_EQ(refused.messages.messages[0].text.rfind(kvn + "\nA file of this name already exists", 0), 0u);
    EXPECT_EQ(read_file(f.src), kPlain);

    EngineRig allowed("1", kKey, 1, 1);
    allowed.engine.m_bOverwrite = 1;
    ASSERT_EQ(allowed.encrypt(f.src, kvn), IDEA_DONE);
    EXPECT_EQ(list_dir(f.dir.path()), Names{ "data.bin.kvn" }); // the link replaced, the source deleted
    struct stat st { };
    ASSERT_EQ(lstat(kvn.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));

    // A link to another file: the link is replaced, its target keeps its bytes.
    write_file(other, { 'o' });
    ASSERT_EQ(symlink("other", f.src.c_str()), 0);
    EngineRig dec("1", kKey, 0);
    dec.engine.m_bOverwrite = 1;
    ASSERT_EQ(dec.decrypt(kvn, f.src), IDEA_DONE);
    EXPECT_EQ(read_file(other), Bytes{ 'o' });
    EXPECT_EQ(read_file(f.src), kPlain);
}

TEST(Overwrite, AnExistingFileIsReplacedOnlyWithPermissionAndTheRenameChecksAgain)
{
    Fixture f;
    const std::string kvn = f.src + ".kvn";
    const Bytes newer{ 'n', 'e', 'w', 'e', 'r' };
    write_file(kvn, newer);
    EngineRig refused("1", kKey, 0);
    EXPECT_EQ(refused.encrypt(f.src, kvn), IDEA_DEST_FAILED);
    EXPECT_EQ(read_file(kvn), newer);
    EXPECT_EQ(list_dir(f.dir.path()), (Names{ "data.bin", "data.bin.kvn" }));
    ASSERT_EQ(refused.messages.messages.size(), 1u);
    EXPECT_EQ(refused.messages.messages[0].text.rfind(kvn + "\n", 0), 0u);

    // Permitted: one rename over it.
    FaultyOps ops;
    EngineRig allowed("1", kKey, 0);
    allowed.engine.m_pFileOps = &ops;
    allowed.engine.m_bOverwrite = 1;
    ASSERT_EQ(allowed.encrypt(f.src, kvn), IDEA_DONE);
    EXPECT_EQ(read_file(kvn).size(), 16 + 300000u);
    EXPECT_EQ(
        std::count_if(ops.log.begin(), ops.log.end(), [](const std::string& l) { return l.rfind("rename", 0) == 0; }),
        1);
    EXPECT_EQ(ops.log.back().rfind("rename " + kvn + ".tmp -> ", 0), 0u);

    // A file that takes the name while the result is written is not replaced.
    std::remove(kvn.c_str());
    FaultyOps racing;
    racing.intruder = kvn;
    EngineRig late("1", kKey, 0);
    late.engine.m_pFileOps = &racing;
    EXPECT_EQ(late.encrypt(f.src, kvn), IDEA_DEST_FAILED);
    EXPECT_EQ(read_file(kvn), (Bytes{ 'n', 'e', 'w' }));
    EXPECT_EQ(racing.log.back().rfind("rename-new ", 0), 0u);
    ASSERT_EQ(late.messages.messages.size(), 1u);
    EXPECT_NE(late.messages.messages[0].text.find("File exists"), std::string::npos);
    EXPECT_EQ(read_file(f.src), kPlain);
}

TEST(Thrown, AnythingThrownEndsThatFileAloneAndCleanly)
{
    Fixture f;
    // The header is the first write; the second is the data, on the write-behind thread.
    for (const auto& [call, after] : std::vector<std::pair<std::string, int>>{
             { "open", 0 }, { "read", 0 }, { "write", 0 }, { "write", 1 }, { "sync", 0 }, { "rename", 0 } }) {
        SCOPED_TRACE(call + " " + std::to_string(after));
        FaultyOps ops;
        ops.throwOn = call;
        ops.throwAfter = after;
        EngineRig rig("1", kKey, 1, 0);
        rig.engine.m_pFileOps = &ops;
        EXPECT_EQ(rig.encrypt(f.src, f.src + ".tmp"), IDEA_DEST_FAILED);
        EXPECT_EQ(list_dir(f.dir.path()), Names{ "data.bin" });
        EXPECT_EQ(read_file(f.src), kPlain);
        ASSERT_EQ(rig.messages.messages.size(), 1u);
        EXPECT_EQ(rig.messages.messages[0].text,
            f.src
                + "\nThe work on this file stopped on an unexpected failure (not enough memory).\n"
                  "The source file was left as it was.");
        EXPECT_EQ(rig.encrypt(f.src, f.src + ".tmp"), IDEA_DONE) << "the engine works on"; // throws once only
        write_file(f.src, kPlain);
    }
}
