// The settings store: missing entries, exact strings, integers, sections
// that ignore case, and values that outlive the store object.
#include "batch/algorithm.h"
#include "config/settings_store.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

TEST(SettingsStore, MissingEntriesAndExactStrings)
{
    kvntest::TempDir dir;
    CSettingsStore s(QString::fromStdString(dir.file("kvn.ini")));
    EXPECT_EQ(s.GetString("Arith", "value"), QString());
    EXPECT_EQ(s.GetInt("Tip", "FilePos", 0), 0u);
    EXPECT_EQ(s.GetInt("Tip", "StartUp", 7), 7u);
    for (const QString& v : { QStringLiteral("1"), QStringLiteral(" 1"), QStringLiteral("01"), QStringLiteral("a=b;c"),
             QStringLiteral("Mon Dec  7 20:10:00 2026") }) {
        s.WriteString("EncryptOption", "replace", v);
        EXPECT_EQ(s.GetString("EncryptOption", "replace"), v);
    }
    s.WriteInt("Tip", "FilePos", 4242);
    EXPECT_EQ(s.GetInt("Tip", "FilePos", 0), 4242u);
    s.WriteString("Tip", "TimeStamp", "junk");
    EXPECT_EQ(s.GetInt("Tip", "TimeStamp", 5), 5u); // not a number: the default
}

TEST(SettingsStore, SectionNamesIgnoreCase)
{
    kvntest::TempDir dir;
    CSettingsStore s(QString::fromStdString(dir.file("kvn.ini")));
    s.WriteString("Toolbar", "Color", "2");
    EXPECT_EQ(s.GetString("ToolBar", "Color"), "2");
    s.WriteString("TOOLBAR", "Color", "1");
    EXPECT_EQ(s.GetString("toolbar", "Color"), "1");
    // Entry names stay exact.
    EXPECT_EQ(s.GetString("Toolbar", "color"), QString());
}

TEST(SettingsStore, ValuesOutliveTheStoreAndTheAlgorithmRuleWritesBack)
{
    kvntest::TempDir dir;
    {
        CSettingsStore s(QString::fromStdString(dir.file("kvn.ini")));
        s.WriteString("Arith", "value", "6");
        EXPECT_EQ(batch::ResolveAlgorithm(s), "1");
    }
    CSettingsStore again(QString::fromStdString(dir.file("kvn.ini")));
    EXPECT_EQ(again.GetString("Arith", "value"), "1");
}

TEST(SettingsStore, UserStoreLivesUnderTheProgramsNames)
{
    kvntest::TempDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().c_str());
    CSettingsStore s;
    s.WriteString("ViewOption", "Option", "3");
    EXPECT_EQ(s.Location(), QString::fromStdString(dir.path()) + "/Kelvanetrix Plus Setting/Kelvanetrix Plus.conf");
    EXPECT_TRUE(kvntest::exists(s.Location().toStdString()));
    qunsetenv("XDG_CONFIG_HOME");
}
