// The engine and the batch rules on Windows: UTF-16 names reached through
// UTF-8 paths, both separators, paths longer than MAX_PATH, the sharing rules
// that make a delete or a replace fail, devices, the file system's
// attributes, and decryption's lower-cased names.
#include "batch/batch_runner.h"
#include "batch/prechecks.h"
#include "tests/support/engine_recorders.h"
#include "tests/support/temp_dir.h"
#include "tests/windows/win_files.h"

#include <gtest/gtest.h>

using kvntest::EngineRig;
using wintest::listing;
using wintest::read;
using wintest::write;
using Bytes = std::vector<unsigned char>;
using Names = std::vector<std::string>;

namespace {

const std::string kKey = "windows key";
const Bytes kPlain = kvntest::random_bytes(70000, 5);

// A fresh folder, its files named with "\" only.
struct Folder {
    kvntest::TempDir dir;
    std::string path = wintest::backslashed(dir.path());
    std::string file(const std::string& name) const { return path + "\\" + name; }
};

} // namespace

TEST(WindowsNames, UnicodeNamesAndBackslashesRoundTrip)
{
    Folder f;
    const std::string name = "Gr\xC3\xBC\xC3\x9F"
                             "e \xE6\x97\xA5\xE6\x9C\xAC.txt"; // "Grüße 日本.txt"
    write(f.file(name), kPlain);
    for (const char* code : { "1", "10" }) {
        EngineRig enc(code, kKey, 1, 1);
        ASSERT_EQ(enc.encrypt(f.file(name), f.file(name + ".kvn")), IDEA_DONE);
        EXPECT_EQ(enc.status.texts, Names{ name + "  Encrypting... " }); // the name without its folder
        EXPECT_EQ(listing(f.path), Names{ name + ".kvn" });
        EngineRig dec(code, kKey, 1);
        ASSERT_EQ(dec.decrypt(f.file(name + ".kvn"), f.file(name)), IDEA_DONE);
        EXPECT_EQ(listing(f.path), Names{ name });
        EXPECT_EQ(read(f.file(name)), kPlain);
    }
}

TEST(WindowsNames, PathsLongerThanMaxPath)
{
    Folder f;
    std::string deep = f.path;
    while (deep.size() < 300) {
        deep += "\\" + std::string(40, 'd');
        ASSERT_TRUE(wintest::make_folder(deep)) << deep;
    }
    const std::string src = deep + "\\long.bin";
    write(src, kPlain);
    EngineRig enc("4", kKey, 1, 0);
    ASSERT_EQ(enc.encrypt(src, src + ".tmp"), IDEA_DONE);
    EngineRig dec("4", kKey, 1);
    ASSERT_EQ(dec.decrypt(src, src + ".tmp"), IDEA_DONE);
    EXPECT_EQ(read(src), kPlain);
    EXPECT_EQ(listing(deep), Names{ "long.bin" });
    EXPECT_TRUE(enc.messages.messages.empty() && dec.messages.messages.empty());
}

TEST(WindowsSharing, SourceHeldOpenIsKeptAndTheFailureReported)
{
    Folder f;
    const std::string src = f.file("held.txt");
    write(src, kPlain);
    wintest::HeldOpen held(src);
    ASSERT_TRUE(held.ok());
    EngineRig rig("1", kKey, 1, 1);
    EXPECT_EQ(rig.encrypt(src, src + ".kvn"), IDEA_DEST_FAILED);
    ASSERT_EQ(rig.messages.messages.size(), 1u);
    EXPECT_NE(rig.messages.messages[0].text.find("could not be deleted"), std::string::npos);
    EXPECT_EQ(listing(f.path), (Names{ "held.txt", "held.txt.kvn" }));
    EXPECT_EQ(read(src), kPlain);
    EngineRig check("1", kKey, 0);
    ASSERT_EQ(check.decrypt(src + ".kvn", f.file("check")), IDEA_DONE);
    EXPECT_EQ(read(f.file("check")), kPlain);
}

TEST(WindowsSharing, TargetHeldOpenKeepsTheFinishedOutputUnderItsWorkingName)
{
    Folder f;
    const std::string src = f.file("a.txt");
    write(src, kPlain);
    write(src + ".kvn", Bytes{ 'o', 'l', 'd' });
    wintest::HeldOpen held(src + ".kvn");
    ASSERT_TRUE(held.ok());
    EngineRig rig("1", kKey, 0);
    rig.engine.m_bOverwrite = 1; // the user allowed it; the rename still fails
    EXPECT_EQ(rig.encrypt(src, src + ".kvn"), IDEA_DEST_FAILED);
    EXPECT_EQ(listing(f.path), (Names{ "a.txt", "a.txt.kvn", "a.txt.kvn.tmp" }));
    EXPECT_EQ(read(src + ".kvn"), (Bytes{ 'o', 'l', 'd' }));
    EXPECT_EQ(read(src + ".kvn.tmp").size(), 16 + kPlain.size());
    ASSERT_EQ(rig.messages.messages.size(), 1u);
    EXPECT_NE(rig.messages.messages[0].text.find(src + ".kvn.tmp"), std::string::npos);
}

TEST(WindowsRefusals, DevicesFoldersAndMissingFoldersAreNeverUsed)
{
    Folder f;
    const std::string src = f.file("data.bin");
    write(src, kPlain);
    ASSERT_TRUE(wintest::make_folder(f.file("folder")));
    for (const std::string& bad : Names{ "NUL", f.file("nul"), f.file("folder"), f.file("gone.txt") }) {
        EngineRig rig("10", kKey, 1, 0);
        EXPECT_EQ(rig.encrypt(bad, bad + ".tmp"), IDEA_SOURCE_FAILED) << bad;
        EXPECT_EQ(rig.decrypt(bad, bad + ".tmp"), IDEA_SOURCE_FAILED) << bad;
    }
    for (const std::string& dest : Names{ "NUL", f.file("folder"), f.file("no\\such\\x.kvn") }) {
        EngineRig rig("10", kKey, 1, 1);
        EXPECT_EQ(rig.encrypt(src, dest), IDEA_DEST_FAILED) << dest;
        ASSERT_EQ(rig.messages.messages.size(), 1u);
        // The text, then the file and the system's reason beneath it.
        const std::string& text = rig.messages.messages[0].text;
        EXPECT_EQ(text.substr(0, text.find('\n')), "Don't create new file");
        EXPECT_NE(text.find(dest), std::string::npos) << text;
    }
    EXPECT_EQ(listing(f.path), (Names{ "data.bin", "folder" }));
    EXPECT_EQ(read(src), kPlain);
}

TEST(WindowsAttributes, ReadOnlyHiddenAndSystemRefuseReplaceMode)
{
    using wintest::Attribute;
    Folder f;
    for (const auto& [attribute, name] : std::vector<std::pair<Attribute, std::string>>{
             { Attribute::ReadOnly, "r.txt" }, { Attribute::Hidden, "h.txt" }, { Attribute::System, "s.txt" } }) {
        write(f.file(name), kPlain);
        ASSERT_TRUE(wintest::set_attribute(f.file(name), attribute));
        const batch::FileAttributes a = batch::QueryAttributes(f.file(name));
        EXPECT_TRUE(a.found);
        EXPECT_EQ(a.readOnly, attribute == Attribute::ReadOnly) << name;
        EXPECT_EQ(a.hidden, attribute == Attribute::Hidden) << name;
        EXPECT_EQ(a.system, attribute == Attribute::System) << name;
        const batch::CheckResult r = batch::CheckAttributes(batch::Direction::Encrypt, true, { f.file(name) });
        EXPECT_EQ(r.refusal, batch::Refusal::Attributes);
        EXPECT_EQ(r.text.rfind(name + "  is read-only", 0), 0u) << r.text;
        wintest::set_attribute(f.file(name), Attribute::Normal);
    }
    write(f.file("plain.txt"), kPlain);
    EXPECT_TRUE(batch::CheckAttributes(batch::Direction::Encrypt, true, { f.file("plain.txt") }).ok());
}

TEST(WindowsDecryptNaming, ResultsAreNamedInLowerCase)
{
    Folder f;
    write(f.file("Report.TXT"), kPlain);
    write(f.file("Abc.TXT"), kPlain);
    EngineRig enc("1", kKey, 0);
    ASSERT_EQ(enc.encrypt(f.file("Report.TXT"), f.file("Report.TXT.kvn")), IDEA_DONE);
    EngineRig same("1", kKey, 1, 0);
    ASSERT_EQ(same.encrypt(f.file("Abc.TXT"), f.file("Abc.TXT.tmp")), IDEA_DONE);
    ASSERT_TRUE(wintest::remove(f.file("Report.TXT")));

    auto run = [&](const std::string& source, int replace) {
        const batch::Batch plan = batch::PlanBatch(batch::Direction::Decrypt, "1", { replace, 1 }, { source });
        EXPECT_EQ(plan.files[0].destination.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::string::npos);
        EngineRig rig("1", kKey, replace);
        batch::KeyBuffer key(kKey);
        batch::SetUpEngine(rig.engine, plan, key);
        EXPECT_FALSE(batch::RunBatch(rig.engine, plan).failed);
    };
    run(f.file("Report.TXT.kvn"), 1);
    run(f.file("Abc.TXT"), 0);
    EXPECT_EQ(listing(f.path), (Names{ "Abc.TXT", "de~abc.txt", "report.txt" }));
    EXPECT_EQ(read(f.file("report.txt")), kPlain);
    EXPECT_EQ(read(f.file("de~abc.txt")), kPlain);
}
