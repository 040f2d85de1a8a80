// What is left on disk after a file: the replace and extension rules of
// encryption, decryption's final names, and the key check that creates nothing.
#include "tests/support/engine_recorders.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace kvntest;

namespace {

const std::string kKey = "naming key";
const Bytes kPlain = kvntest::random_bytes(777, 42);

} // namespace

TEST(EncryptNaming, ReplaceAndExtensionFlags)
{
    { // keep: both exist, the extension flag makes no difference
        kvntest::TempDir dir;
        write_file(dir.file("a.txt"), kPlain);
        EngineRig rig("1", kKey, 0, 0);
        ASSERT_EQ(rig.encrypt(dir.file("a.txt"), dir.file("a.txt.kvn")), IDEA_DONE);
        EXPECT_EQ(list_dir(dir.path()), (Names{ "a.txt", "a.txt.kvn" }));
        EXPECT_EQ(read_file(dir.file("a.txt")), kPlain);
    }
    { // replace, add the extension: only the .kvn is left
        kvntest::TempDir dir;
        write_file(dir.file("a.txt"), kPlain);
        EngineRig rig("1", kKey, 1, 1);
        ASSERT_EQ(rig.encrypt(dir.file("a.txt"), dir.file("a.txt.kvn")), IDEA_DONE);
        EXPECT_EQ(list_dir(dir.path()), Names{ "a.txt.kvn" });
    }
    { // replace under the same name: the source path holds the encrypted data
        kvntest::TempDir dir;
        write_file(dir.file("a.txt"), kPlain);
        EngineRig rig("1", kKey, 1, 0);
        ASSERT_EQ(rig.encrypt(dir.file("a.txt"), dir.file("a.txt.tmp")), IDEA_DONE);
        EXPECT_EQ(list_dir(dir.path()), Names{ "a.txt" });
        EXPECT_EQ(read_file(dir.file("a.txt")).size(), 16 + 784u);
        EngineRig back("1", kKey, 1);
        ASSERT_EQ(back.decrypt(dir.file("a.txt"), dir.file("a.txt.tmp")), IDEA_DONE);
        EXPECT_EQ(list_dir(dir.path()), Names{ "a.txt" });
        EXPECT_EQ(read_file(dir.file("a.txt")), kPlain);
    }
}

#if !defined(_WIN32) // Windows files take their permissions from the folder
TEST(EncryptNaming, ResultKeepsTheSourcePermissions)
{
    kvntest::TempDir dir;
    write_file(dir.file("private.txt"), kPlain);
    ASSERT_EQ(chmod(dir.file("private.txt").c_str(), 0600), 0);
    EngineRig rig("1", kKey, 1, 0);
    ASSERT_EQ(rig.encrypt(dir.file("private.txt"), dir.file("private.txt.tmp")), IDEA_DONE);
    struct stat st { };
    ASSERT_EQ(stat(dir.file("private.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}
#endif

TEST(DecryptNaming, KvnSourcesAndForeignNames)
{
    { // report.doc.kvn, replace: only report.doc is left, holding the plain data
        kvntest::TempDir dir;
        write_file(dir.file("report.doc"), kPlain);
        EngineRig enc("3", kKey, 1, 1);
        ASSERT_EQ(enc.encrypt(dir.file("report.doc"), dir.file("report.doc.kvn")), IDEA_DONE);
        EngineRig dec("3", kKey, 1);
        ASSERT_EQ(dec.decrypt(dir.file("report.doc.kvn"), dir.file("report.doc")), IDEA_DONE);
        EXPECT_EQ(list_dir(dir.path()), Names{ "report.doc" });
        EXPECT_EQ(read_file(dir.file("report.doc")), kPlain);
    }
    { // an encrypted file under its own name, kept: "de~" beside it, replacing an older one
        kvntest::TempDir dir;
        write_file(dir.file("Report.Doc"), kPlain);
        EngineRig enc("10", kKey, 1, 0);
        ASSERT_EQ(enc.encrypt(dir.file("Report.Doc"), dir.file("Report.Doc.tmp")), IDEA_DONE);
        const Bytes encrypted = read_file(dir.file("Report.Doc"));
        write_file(dir.file("de~Report.Doc"), Bytes{ 'o', 'l', 'd' });
        EngineRig dec("10", kKey, 0);
        dec.engine.m_bOverwrite = 1; // as when the user was asked and said yes
        ASSERT_EQ(dec.decrypt(dir.file("Report.Doc"), dir.file("Report.Doc.tmp")), IDEA_DONE);
        EXPECT_EQ(list_dir(dir.path()), (Names{ "Report.Doc", "de~Report.Doc" }));
        EXPECT_EQ(read_file(dir.file("Report.Doc")), encrypted);
        EXPECT_EQ(read_file(dir.file("de~Report.Doc")), kPlain);
    }
    { // upper-case extension counts as ".kvn"; the name keeps its case
        kvntest::TempDir dir;
        write_file(dir.file("Notes.TXT"), kPlain);
        EngineRig enc("1", kKey, 0);
        ASSERT_EQ(enc.encrypt(dir.file("Notes.TXT"), dir.file("Notes.TXT.KVN")), IDEA_DONE);
        std::remove(dir.file("Notes.TXT").c_str());
        EngineRig dec("1", kKey, 0);
        ASSERT_EQ(dec.decrypt(dir.file("Notes.TXT.KVN"), dir.file("Notes.TXT")), IDEA_DONE);
        EXPECT_EQ(list_dir(dir.path()), (Names{ "Notes.TXT", "Notes.TXT.KVN" }));
        EXPECT_EQ(read_file(dir.file("Notes.TXT")), kPlain);
    }
}

TEST(DecryptNaming, HeaderOnlyFileGivesEmptyFile)
{
    kvntest::TempDir dir;
    write_file(dir.file("empty"), {});
    EngineRig enc("1", kKey, 0);
    ASSERT_EQ(enc.encrypt(dir.file("empty"), dir.file("empty.kvn")), IDEA_DONE);
    EngineRig dec("1", kKey, 0);
    ASSERT_EQ(dec.decrypt(dir.file("empty.kvn"), dir.file("empty.out")), IDEA_DONE);
    EXPECT_TRUE(read_file(dir.file("empty.out")).empty());
}

TEST(KeyCheck, WrongKeyOrCipherCreatesNothingEvenInReplaceMode)
{
    kvntest::TempDir dir;
    write_file(dir.file("a.txt"), kPlain);
    EngineRig enc("1", kKey, 0);
    ASSERT_EQ(enc.encrypt(dir.file("a.txt"), dir.file("a.txt.kvn")), IDEA_DONE);
    std::remove(dir.file("a.txt").c_str());
    const Bytes encrypted = read_file(dir.file("a.txt.kvn"));

    EngineRig wrongKey("1", "naming kez", 1);
    EXPECT_EQ(wrongKey.decrypt(dir.file("a.txt.kvn"), dir.file("a.txt")), IDEA_DEST_FAILED);
    ASSERT_EQ(wrongKey.messages.messages.size(), 1u);
    EXPECT_EQ(wrongKey.messages.messages[0].text,
        "The key you entered does not appear to be valid!\nOr it is not encryption file by AES!\n"
            + dir.file("a.txt.kvn"));
    EXPECT_EQ(wrongKey.messages.messages[0].caption, "Error:");
    EXPECT_EQ(wrongKey.messages.messages[0].style, unsigned(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(wrongKey.engine.m_nFileIndex, 0);

    for (const auto& [code, name] : std::vector<std::pair<std::string, std::string>>{
             { "2", "MARS" }, { "3", "RC-6" }, { "4", "Serpent" }, { "5", "Twofish" }, { "10", "IDEA" } }) {
        EngineRig other(code, kKey, 1);
        EXPECT_EQ(other.decrypt(dir.file("a.txt.kvn"), dir.file("a.txt")), IDEA_DEST_FAILED) << code;
        ASSERT_EQ(other.messages.messages.size(), 1u);
        EXPECT_EQ(other.messages.messages[0].text,
            "The key you entered does not appear to be valid!\nOr it is not encryption file by " + name + "!\n"
                + dir.file("a.txt.kvn"));
    }
    EXPECT_EQ(list_dir(dir.path()), Names{ "a.txt.kvn" });
    EXPECT_EQ(read_file(dir.file("a.txt.kvn")), encrypted);

    // A plain file fails the same check.
    write_file(dir.file("plain.txt"), kPlain);
    EngineRig plain("1", kKey, 1);
    EXPECT_EQ(plain.decrypt(dir.file("plain.txt"), dir.file("plain.txt.tmp")), IDEA_DEST_FAILED);
    EXPECT_EQ(read_file(dir.file("plain.txt")), kPlain);
}
