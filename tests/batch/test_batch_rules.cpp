// The batch rules the window and kvn share: algorithm codes, output options,
// destination names, the pre-batch checks in their order, the key bytes.
#include "batch/algorithm.h"
#include "batch/batch_texts.h"
#include "batch/cipher_list.h"
#include "batch/key_buffer.h"
#include "batch/key_strength.h"
#include "batch/output_options.h"
#include "batch/prechecks.h"
#include "batch/settings_access.h"
#include "batch/settings_entries.h"
#include "engine/dispatch/cipher_table.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace batch;

namespace {

class FakeSettings final : public CSettingsAccess {
public:
    std::map<std::string, std::string> values;
    std::string GetProfileString(const std::string& s, const std::string& e) override
    {
        auto it = values.find(s + "/" + e);
        return it == values.end() ? std::string() : it->second;
    }
    void WriteProfileString(const std::string& s, const std::string& e, const std::string& v) override
    {
        values[s + "/" + e] = v;
    }
};

} // namespace

TEST(Algorithm, ExactCodesAndTheAesFallbackWithWriteBack)
{
    for (const char* code : { "1", "2", "3", "4", "5", "10" }) {
        FakeSettings s;
        s.values["Arith/value"] = code;
        EXPECT_EQ(ResolveAlgorithm(s), code);
        EXPECT_EQ(s.values["Arith/value"], code);
    }
    for (const char* stored : { "", "7", "01", "1 ", "aes", "6" }) {
        FakeSettings s;
        if (*stored)
            s.values["Arith/value"] = stored;
        EXPECT_EQ(ResolveAlgorithm(s), "1") << stored;
        EXPECT_EQ(s.values["Arith/value"], "1") << stored;
    }
    EXPECT_EQ(KeyLimit("10"), 16);
    EXPECT_EQ(KeyLimit("2"), 56);
    EXPECT_EQ(KeyLimit("5"), 32);
    EXPECT_EQ(KeyLimit("junk"), 32);
    EXPECT_EQ(CodeFromName("Serpent"), "4");
    EXPECT_EQ(CodeFromName("rc-6"), "3");
    EXPECT_EQ(CodeFromName("10"), "10");
    EXPECT_EQ(CodeFromName("des"), "");
}

// The descriptive list and the engine's dispatch rows agree on every fact
// they share: codes, names (the engine's key-check message writes RC6 as
// "RC-6"), key lengths and blocks.
TEST(Algorithm, ListAgreesWithTheEngine)
{
    std::size_t listed = 0, rows = 0;
    const CipherInfo* ciphers = Ciphers(listed);
    cipher_rows(rows);
    ASSERT_EQ(listed, rows);
    for (std::size_t i = 0; i < listed; ++i) {
        const CipherRow* row = find_cipher(ciphers[i].code);
        ASSERT_NE(row, nullptr) << ciphers[i].code;
        EXPECT_EQ(row->block, ciphers[i].block) << ciphers[i].code;
        EXPECT_EQ(row->keyBits, unsigned(ciphers[i].keyBits)) << ciphers[i].code;
        EXPECT_EQ(ciphers[i].keyLimit * 8, ciphers[i].keyBits) << ciphers[i].code;
        EXPECT_EQ(std::string(row->name), std::string(ciphers[i].code) == "3" ? "RC-6" : ciphers[i].name);
        EXPECT_EQ(CodeFromName(ciphers[i].cliName), ciphers[i].code);
    }
}

TEST(OutputOptionsTable, EncryptAndDecryptSettings)
{
    struct Row {
        const char* replace;
        const char* add;
        int r;
        int a;
        const char* ext;
    };
    for (const Row row : { Row{ "", "", 1, 1, ".kvn" }, Row{ "", "0", 1, 1, ".kvn" }, Row{ "1", "1", 1, 1, ".kvn" },
             Row{ "1", "0", 1, 0, ".tmp" }, Row{ "1", "", 1, 0, ".tmp" }, Row{ "0", "0", 0, 1, ".kvn" },
             Row{ "yes", "1", 0, 1, ".kvn" } }) {
        const OutputOptions o = settings::EncryptOptions(settings::EncryptChoice{ row.replace, row.add });
        EXPECT_EQ(o.replace, row.r) << row.replace << "/" << row.add;
        EXPECT_EQ(o.addExt, row.a) << row.replace << "/" << row.add;
        EXPECT_EQ(EncryptDestination("/d/abc.txt", o), std::string("/d/abc.txt") + row.ext);
    }
    EXPECT_EQ(settings::DecryptOptions("").replace, 1);
    EXPECT_EQ(settings::DecryptOptions("1").replace, 1);
    EXPECT_EQ(settings::DecryptOptions("0").replace, 0);
    EXPECT_EQ(settings::DecryptOptions("true").replace, 0);
}

// Written and read back; anything but "1" is the default; IDEA encrypts in
// the compatible format whatever is stored, and decryption reads no format.
TEST(OutputOptionsTable, FormatAndStrengthEntries)
{
    FakeSettings s;
    EXPECT_EQ(settings::EncryptOptions(s).format, FileFormat::Compatible);
    EXPECT_EQ(settings::EncryptOptions(s).strength, Strength::Normal);
    settings::WriteFormat(s, FileFormat::Authenticated);
    settings::WriteStrength(s, Strength::Strong);
    EXPECT_EQ(s.values["EncryptOption/Format"], "1");
    EXPECT_EQ(s.values["EncryptOption/Strength"], "1");
    EXPECT_EQ(settings::EncryptOptions(s).format, FileFormat::Authenticated);
    EXPECT_EQ(settings::EncryptOptions(s).strength, Strength::Strong);
    EXPECT_EQ(settings::DecryptOptions(s).format, FileFormat::Compatible);
    s.values["Arith/value"] = "10";
    EXPECT_EQ(settings::StoredFormat(s), FileFormat::Authenticated);
    EXPECT_EQ(settings::EncryptOptions(s).format, FileFormat::Compatible);
    settings::WriteFormat(s, FileFormat::Compatible);
    settings::WriteStrength(s, Strength::Normal);
    EXPECT_EQ(s.values["EncryptOption/Format"], "0");
    EXPECT_EQ(s.values["EncryptOption/Strength"], "0");
    s.values["EncryptOption/Format"] = "true";
    s.values["EncryptOption/Strength"] = "2";
    EXPECT_EQ(settings::StoredFormat(s), FileFormat::Compatible);
    EXPECT_EQ(settings::StoredStrength(s), Strength::Normal);
}

// Words, keyboard walks and short keys are weak; long mixed ones strong. The
// pattern estimator sees through a walk that length and kinds alone cannot.
TEST(KeyStrengthEstimate, WeakFairAndStrong)
{
    EXPECT_EQ(EstimateKeyStrength("password"), KeyStrength::Weak);
    EXPECT_EQ(EstimateKeyStrength("Vq8#tLz2!mRw9&kP"), KeyStrength::Strong);
    EXPECT_EQ(EstimateByLengthAndClasses(""), KeyStrength::Weak);
    EXPECT_EQ(EstimateByLengthAndClasses("password"), KeyStrength::Weak);
    EXPECT_EQ(EstimateByLengthAndClasses("kqzvbwrtxm"), KeyStrength::Fair); // 10 x 4.7 bits
    EXPECT_EQ(EstimateByLengthAndClasses("\xc3\xa9\xc3\xa8\xc3\xaa\xc3\xabxyz1"), KeyStrength::Fair); // 8 characters
    EXPECT_EQ(EstimateByLengthAndClasses("Vq8#tLz2!mRw9&kP"), KeyStrength::Strong);
    EXPECT_EQ(EstimateByLengthAndClasses("qwertyuiopasdfgh"), KeyStrength::Strong);
    if (!KeyStrengthKnowsPatterns())
        GTEST_SKIP() << "built without the pattern estimator";
    EXPECT_EQ(EstimateKeyStrength("qwertyuiopasdfgh"), KeyStrength::Weak);
}

TEST(Destinations, DecryptionKeepsCaseUnlessTheFileSystemFoldsIt)
{
    EXPECT_EQ(DecryptDestination("/Docs/Report.TXT.kvn", false), "/Docs/Report.TXT");
    EXPECT_EQ(DecryptDestination("/Docs/Report.TXT.KVN", false), "/Docs/Report.TXT");
    EXPECT_EQ(DecryptDestination("/Docs/abc.TXT", false), "/Docs/abc.TXT.tmp");
    EXPECT_EQ(DecryptDestination("C:\\Docs\\Report.TXT.kvn", true), "c:\\docs\\report.txt");
    EXPECT_EQ(DecryptDestination("C:\\Docs\\abc.TXT", true), "c:\\docs\\abc.txt.tmp");
    EXPECT_EQ(DecryptDestination(".kvn", false), "");
}

TEST(Prechecks, OrderOfTheChecks)
{
    // More than 4000 files is refused before the key is looked at.
    EXPECT_EQ(CheckSelectionAndKey(Direction::Encrypt, 4001, "", "").refusal, Refusal::TooManyFiles);
    const CheckResult many = CheckSelectionAndKey(Direction::Decrypt, 4001, "k", "k");
    EXPECT_EQ(many.text, "Selected files are more than enough!");
    EXPECT_EQ(many.caption, "Kelvanetrix Plus");
    EXPECT_EQ(many.icon, 0u);
    EXPECT_TRUE(CheckSelectionAndKey(Direction::Encrypt, 4000, "k", "k").ok());
    // With nothing selected and no key, the key is what the user hears about.
    EXPECT_EQ(CheckSelectionAndKey(Direction::Encrypt, 0, "", "").refusal, Refusal::KeyMissing);
    EXPECT_EQ(CheckSelectionAndKey(Direction::Encrypt, 3, "key", "").refusal, Refusal::ConfirmMissing);
    EXPECT_EQ(CheckSelectionAndKey(Direction::Encrypt, 3, "key", "KEY").refusal, Refusal::ConfirmDiffers);
    const CheckResult none = CheckSelectionAndKey(Direction::Decrypt, 0, "key", "key");
    EXPECT_EQ(none.refusal, Refusal::NothingSelected);
    EXPECT_EQ(none.text, "Please select files that you want to decrypt!");
    EXPECT_EQ(none.caption, "Help");
    EXPECT_EQ(none.icon, texts::kIconInformation);
    EXPECT_EQ(CheckSelectionAndKey(Direction::Encrypt, 0, "key", "key").text,
        "Please select files that you want to encrypt!");
}

TEST(Prechecks, AttributesInReplaceModeOnly)
{
    std::vector<std::string> sources;
    for (int i = 1; i <= 20; ++i)
        sources.push_back("/d/f" + std::to_string(i) + ".txt");
    std::vector<std::string> asked;
    auto query = [&](const std::string& p) {
        asked.push_back(p);
        FileAttributes a;
        a.found = p != "/d/f3.txt"; // a missing file passes
        a.size = 10;
        a.readOnly = p == "/d/f10.txt";
        a.hidden = p == "/d/f15.txt";
        a.size = p == "/d/f12.txt" ? 0 : 10;
        return a;
    };
    const CheckResult enc = CheckAttributes(Direction::Encrypt, true, sources, query);
    EXPECT_EQ(enc.refusal, Refusal::Attributes);
    EXPECT_EQ(enc.text,
        "f10.txt  is read-only/hidden/system, try changing its attribute \nor changing configuration of "
        "kelvanetrix Plus.");
    EXPECT_EQ(enc.caption, "Help:  Your file(s) can't be encrypted");
    EXPECT_EQ(enc.icon, texts::kIconInformation);
    EXPECT_EQ(asked.size(), 10u);

    sources.erase(sources.begin() + 9); // without f10
    const CheckResult empty = CheckAttributes(Direction::Decrypt, true, sources, query);
    EXPECT_EQ(empty.refusal, Refusal::EmptyFile);
    EXPECT_EQ(empty.text, "f12.txt  is empty file!");
    EXPECT_EQ(empty.caption, "Help:  Your file(s) can't be decrypted");
    EXPECT_EQ(empty.icon, texts::kIconInformation);

    sources.erase(sources.begin() + 10); // without f12
    const CheckResult hidden = CheckAttributes(Direction::Decrypt, true, sources, query);
    EXPECT_EQ(hidden.refusal, Refusal::Attributes);
    EXPECT_EQ(hidden.icon, 0u); // decryption's attribute message has no icon
    asked.clear();
    EXPECT_TRUE(CheckAttributes(Direction::Encrypt, false, sources, query).ok());
    EXPECT_TRUE(asked.empty());
}

TEST(Prechecks, RealAttributesOfThisPlatform)
{
    char folder[] = "/tmp/kvn-attr-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string d = folder;
    auto touch = [](const std::string& p, const char* text) {
        FILE* f = fopen(p.c_str(), "w");
        fputs(text, f);
        fclose(f);
    };
    touch(d + "/ro.txt", "x");
    chmod((d + "/ro.txt").c_str(), 0444);
    touch(d + "/.hidden", "x");
    touch(d + "/empty.txt", "");
    touch(d + "/fine.txt", "x");
    EXPECT_TRUE(QueryAttributes(d + "/ro.txt").readOnly);
    EXPECT_TRUE(QueryAttributes(d + "/.hidden").hidden);
    EXPECT_EQ(QueryAttributes(d + "/empty.txt").size, 0u);
    EXPECT_TRUE(QueryAttributes("/dev/null").system);
    const FileAttributes fine = QueryAttributes(d + "/fine.txt");
    EXPECT_TRUE(fine.found && !fine.readOnly && !fine.hidden && !fine.system);
    EXPECT_FALSE(QueryAttributes(d + "/missing").found);
    for (const char* n : { "/ro.txt", "/.hidden", "/empty.txt", "/fine.txt" })
        std::remove((d + n).c_str());
    rmdir(folder);
}

TEST(Prechecks, LinkedSourcesRefusedInReplaceModeOnly)
{
    kvntest::TempDir dir;
    const std::string real = dir.file("real.txt"), soft = dir.file("soft.txt"), hard = dir.file("hard.txt");
    kvntest::write_file(real, { 'x' });
    ASSERT_EQ(symlink("real.txt", soft.c_str()), 0);
    ASSERT_EQ(mkdir(dir.file("folder").c_str(), 0700), 0); // a folder's link count is no hard link
    const CheckResult s = CheckAttributes(Direction::Encrypt, true, { dir.file("folder"), soft });
    EXPECT_EQ(s.refusal, Refusal::Linked);
    EXPECT_EQ(s.file, soft);
    EXPECT_EQ(s.text.rfind("soft.txt  is a symbolic link: ", 0), 0u);
    EXPECT_TRUE(CheckAttributes(Direction::Encrypt, true, { real }).ok());
    ASSERT_EQ(link(real.c_str(), hard.c_str()), 0);
    const CheckResult h = CheckAttributes(Direction::Decrypt, true, { real });
    EXPECT_EQ(h.refusal, Refusal::Linked);
    EXPECT_EQ(h.text.rfind("real.txt  has other names (hard links)", 0), 0u);
    EXPECT_EQ(h.caption, "Help:  Your file(s) can't be decrypted");
    EXPECT_TRUE(CheckAttributes(Direction::Encrypt, false, { soft, hard }).ok());
}

TEST(KeyBytes, TextZeroThenZerosToAtLeast101)
{
    KeyBuffer abc("abc");
    ASSERT_EQ(abc.size(), 101u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(abc.data()), 3), "abc");
    for (std::size_t i = 3; i < abc.size(); ++i)
        EXPECT_EQ(abc.data()[i], 0) << i;
    const std::string longKey(150, 'k');
    KeyBuffer big(longKey);
    EXPECT_EQ(big.size(), 151u);
    EXPECT_EQ(big.data()[150], 0);
    EXPECT_EQ(CharacterCount("h\xC3\xA9llo"), 5u); // "héllo"
}

#ifdef __linux__
// The key bytes lie in pages left out of core files ("dd" among the mapping's
// flags) and, where the locked-memory limit allows, locked out of swap ("lo";
// AddressSanitizer turns mlock into nothing).
TEST(KeyBytes, PagesLeftOutOfCoreFiles)
{
    KeyBuffer key("key");
    const auto at = reinterpret_cast<std::uintptr_t>(key.data());
    std::ifstream maps("/proc/self/smaps");
    std::string line, flags;
    bool inside = false;
    while (std::getline(maps, line)) {
        unsigned long from = 0, to = 0;
        if (std::sscanf(line.c_str(), "%lx-%lx ", &from, &to) == 2) // a mapping's first line
            inside = at >= from && at < to;
        if (inside && line.rfind("VmFlags:", 0) == 0) {
            flags = line;
            break;
        }
    }
    EXPECT_NE(flags.find(" dd"), std::string::npos) << flags;
    rlimit locked{};
#ifdef __SANITIZE_ADDRESS__
    locked.rlim_cur = 0;
#else
    getrlimit(RLIMIT_MEMLOCK, &locked);
#endif
    if (locked.rlim_cur >= 4096) {
        EXPECT_NE(flags.find(" lo"), std::string::npos) << flags;
    }
}
#endif
