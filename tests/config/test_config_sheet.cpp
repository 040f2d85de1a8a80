// The configuration sheet driven by mouse and keyboard against a real settings
// file: what opening a page writes, which pages OK and Apply save, the result
// the caller reads, and each page's controls.
#include "batch/settings_entries.h"
#include "config/config_sheet.h"
#include "config/settings_store.h"
#include "tests/support/temp_dir.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Readable failures: QString as its text.
void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

enum Tab { General, Encrypt, Decrypt, View };

class ConfigSheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CSettingsStore::SetInstance(std::make_unique<CSettingsStore>(QString::fromStdString(m_dir.file("kvn.ini"))));
    }
    void TearDown() override { CSettingsStore::SetInstance(nullptr); }

    static QString Stored(const char* section, const char* entry)
    {
        return CSettingsStore::Instance().GetString(section, entry);
    }
    static void Store(const char* section, const char* entry, const char* value)
    {
        CSettingsStore::Instance().WriteString(section, entry, value);
    }

    // A shown sheet, on the given tab (the caller's way in: string caption,
    // no parent, first page).
    static std::unique_ptr<CConfigSheet> Open(int first = General)
    {
        auto sheet = std::make_unique<CConfigSheet>(QStringLiteral("Configuration"), nullptr, first);
        sheet->show();
        return sheet;
    }
    static QTabWidget* Tabs(CConfigSheet& sheet) { return sheet.findChild<QTabWidget*>("configTabs"); }
    static void ShowTab(CConfigSheet& sheet, Tab tab)
    {
        QTabBar* bar = Tabs(sheet)->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
        ASSERT_EQ(Tabs(sheet)->currentIndex(), tab);
    }
    template <class T = QAbstractButton> static T* Control(CConfigSheet& sheet, Tab tab, const char* name)
    {
        T* control = Tabs(sheet)->widget(tab)->findChild<T*>(name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    static QPushButton* Button(CConfigSheet& sheet, const char* name) { return sheet.findChild<QPushButton*>(name); }

    // A click as the button takes it (nothing when it is disabled); where
    // its indicator sits depends on the style and the fonts at hand.
    static void Click(QAbstractButton* button)
    {
        if (qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button))
            button->click();
        else
            QTest::mouseClick(button, Qt::LeftButton);
    }
    static void Click(CConfigSheet& sheet, Tab tab, const char* name) { Click(Control(sheet, tab, name)); }
    static void Click(CConfigSheet& sheet, const char* button) { Click(Button(sheet, button)); }

    static bool Checked(CConfigSheet& sheet, Tab tab, const char* name)
    {
        return Control(sheet, tab, name)->isChecked();
    }

    kvntest::TempDir m_dir;
};

// ---- the sheet ----------------------------------------------------------

TEST_F(ConfigSheetTest, FourCaptionedTabsAndOnlyTheFirstPageReadsAtStart)
{
    auto sheet = Open(Decrypt);
    EXPECT_EQ(sheet->windowTitle(), "Configuration");
    QTabWidget* tabs = Tabs(*sheet);
    ASSERT_EQ(tabs->count(), 4);
    EXPECT_EQ(tabs->tabText(0), " General ");
    EXPECT_EQ(tabs->tabText(1), " Encrypt ");
    EXPECT_EQ(tabs->tabText(2), " Decrypt ");
    EXPECT_EQ(tabs->tabText(3), " View ");
    EXPECT_EQ(tabs->currentIndex(), Decrypt);
    EXPECT_FALSE(Button(*sheet, "apply")->isEnabled());
    EXPECT_EQ(sheet->GetResult(), CConfigSheet::kNothingSaved);

    EXPECT_EQ(Stored("DecryptOption", "replace"), "1");
    EXPECT_EQ(Stored("Arith", "value"), "");
    // Closing an open sheet makes the tabs pass by other pages: they must not read.
    sheet.reset();
    EXPECT_EQ(Stored("EncryptOption", "replace"), "");
    EXPECT_EQ(Stored("ViewOption", "Option"), "");

    EXPECT_EQ(Tabs(*Open(7))->currentIndex(), General);
}

TEST_F(ConfigSheetTest, CancelKeepsWhatOpeningThePagesWrote)
{
    auto sheet = Open();
    EXPECT_EQ(Stored("Arith", "value"), "1");
    EXPECT_EQ(Stored("EncryptOption", "replace"), "");
    ShowTab(*sheet, Encrypt);
    ShowTab(*sheet, Decrypt);
    ShowTab(*sheet, View);
    EXPECT_FALSE(Button(*sheet, "apply")->isEnabled()) << "reading defaults is not a change";
    Click(*sheet, "cancel");
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->GetResult(), CConfigSheet::kNothingSaved);
    EXPECT_EQ(Stored("EncryptOption", "replace"), "1");
    EXPECT_EQ(Stored("EncryptOption", "add"), "1");
    EXPECT_EQ(Stored("DecryptOption", "replace"), "1");
    EXPECT_EQ(Stored("ViewOption", "Option"), "3");
    EXPECT_EQ(Stored("ViewOption", "Select"), "0");
}

TEST_F(ConfigSheetTest, OkSavesExactlyThePagesThatWereShown)
{
    // Values every page would store differently, were it saved.
    auto storeOddValues = [] {
        Store("EncryptOption", "replace", "0");
        Store("EncryptOption", "add", "0");
        Store("DecryptOption", "replace", "x");
        Store("ViewOption", "Option", "9");
        Store("ViewOption", "Select", "2");
    };
    storeOddValues();
    auto sheet = Open();
    Click(*sheet, General, "mars");
    Click(*sheet, "ok");
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->GetResult(), CConfigSheet::kSavedByOk);
    EXPECT_EQ(Stored("Arith", "value"), "2");
    EXPECT_EQ(Stored("EncryptOption", "add"), "0");
    EXPECT_EQ(Stored("DecryptOption", "replace"), "x");
    EXPECT_EQ(Stored("ViewOption", "Option"), "9");

    storeOddValues();
    sheet = Open(View);
    ShowTab(*sheet, Encrypt);
    ShowTab(*sheet, Decrypt);
    QTest::keyClick(sheet.get(), Qt::Key_Return); // Enter is OK
    EXPECT_EQ(sheet->GetResult(), CConfigSheet::kSavedByOk);
    EXPECT_EQ(Stored("EncryptOption", "replace"), "0");
    EXPECT_EQ(Stored("EncryptOption", "add"), "1");
    EXPECT_EQ(Stored("DecryptOption", "replace"), "0");
    EXPECT_EQ(Stored("ViewOption", "Option"), "4");
    EXPECT_EQ(Stored("ViewOption", "Select"), "1");
}

TEST_F(ConfigSheetTest, ApplyStoresAtOnceAndItsResultOutlivesCancel)
{
    Store("Arith", "value", "1");
    CConfigSheet sheet(QStringLiteral("Configuration"));
    QTimer::singleShot(0, &sheet, [&] {
        QPushButton* apply = Button(sheet, "apply");
        EXPECT_FALSE(apply->isEnabled());
        Click(sheet, General, "twofish");
        EXPECT_TRUE(apply->isEnabled());
        Click(apply);
        EXPECT_EQ(Stored("Arith", "value"), "5");
        EXPECT_FALSE(apply->isEnabled());
        EXPECT_EQ(sheet.GetResult(), CConfigSheet::kSavedByApply);
        Click(sheet, General, "idea");
        QTest::keyClick(&sheet, Qt::Key_Escape);
    });
    sheet.exec();
    EXPECT_EQ(sheet.GetResult(), CConfigSheet::kSavedByApply);
    EXPECT_EQ(Stored("Arith", "value"), "5");
}

TEST_F(ConfigSheetTest, OkAfterApplySavesTheShownPagesAgain)
{
    auto sheet = Open(Decrypt);
    Click(*sheet, Decrypt, "replace");
    Click(*sheet, "apply");
    EXPECT_EQ(Stored("DecryptOption", "replace"), "0");
    Store("DecryptOption", "replace", "1");
    Click(*sheet, "ok");
    EXPECT_EQ(Stored("DecryptOption", "replace"), "0");
    EXPECT_EQ(sheet->GetResult(), CConfigSheet::kSavedByOk);
}

// ---- General ------------------------------------------------------------

TEST_F(ConfigSheetTest, GeneralPageShowsAndStoresEachCipher)
{
    const struct {
        const char* name;
        const char* code;
        const char* text;
    } ciphers[] = {
        { "aes", "1", "AES ( Rijndael ) Advanced Encryption Standard " },
        { "mars", "2", "MARS " },
        { "rc6", "3", "RC6  " },
        { "serpent", "4", "Serpent  " },
        { "twofish", "5", "Twofish  " },
        { "idea", "10", "IDEA  International Data Encryption Algorithm" },
    };
    for (const auto& cipher : ciphers) {
        Store("Arith", "value", cipher.code);
        auto sheet = Open();
        EXPECT_EQ(Control(*sheet, General, cipher.name)->text(), cipher.text);
        for (const auto& other : ciphers)
            EXPECT_EQ(Checked(*sheet, General, other.name), other.code == cipher.code) << cipher.code << other.name;
        Click(*sheet, General, cipher.name == ciphers[0].name ? "idea" : "aes");
        Click(*sheet, General, cipher.name);
        Click(*sheet, "ok");
        EXPECT_EQ(Stored("Arith", "value"), cipher.code);
    }

    auto sheet = Open();
    QStringList lines;
    for (QLabel* label : Tabs(*sheet)->widget(General)->findChildren<QLabel*>())
        lines << label->text();
    EXPECT_EQ(lines,
        QStringList({ "Please choose Symmetric Algorithm:", "The Key is 256 bit in length. ",
            "The Key is 448 bit in length. ", "The Key is 256 bit in length. ", "The Key is 256 bit in length. ",
            "The Key is 256 bit in length. ", "The Key is 128 bit in length. " }));
}

TEST_F(ConfigSheetTest, GeneralPageTakesAnythingElseForAesAndStoresIt)
{
    for (const char* odd : { "", "6", " 1", "01", "AES", "0" }) {
        Store("Arith", "value", odd);
        auto sheet = Open();
        EXPECT_TRUE(Checked(*sheet, General, "aes")) << odd;
        EXPECT_FALSE(Checked(*sheet, General, "idea")) << odd;
        EXPECT_EQ(Stored("Arith", "value"), "1") << odd;
    }
}

// ---- Encrypt ------------------------------------------------------------

TEST_F(ConfigSheetTest, EncryptPageShowsTheStoredOptions)
{
    const struct {
        const char *replace, *add;
        bool replaceOn, addOn, noChangeOn, noChangeEnabled;
        const char *storedReplace, *storedAdd;
    } cases[] = {
        { "1", "1", true, true, false, true, "1", "1" },
        { "1", "0", true, false, true, true, "1", "0" },
        { "1", "x", true, false, true, true, "1", "x" },
        { "0", "1", false, true, false, false, "0", "1" },
        { "0", "0", false, true, false, false, "0", "0" },
        { "x", "0", false, true, false, false, "x", "0" },
        { "1", "", true, true, false, true, "1", "1" },
        { "", "0", true, true, false, true, "1", "1" },
        { "", "", true, true, false, true, "1", "1" },
        // An empty "add" is filled in; the choice to keep sources stays.
        { "0", "", false, true, false, false, "0", "1" },
    };
    for (const auto& c : cases) {
        Store("EncryptOption", "replace", c.replace);
        Store("EncryptOption", "add", c.add);
        auto sheet = Open(Encrypt);
        Click(*sheet, "cancel");
        const std::string where = std::string(c.replace) + "/" + c.add;
        EXPECT_EQ(Checked(*sheet, Encrypt, "replace"), c.replaceOn) << where;
        EXPECT_EQ(Checked(*sheet, Encrypt, "add"), c.addOn) << where;
        EXPECT_EQ(Checked(*sheet, Encrypt, "noChange"), c.noChangeOn) << where;
        EXPECT_EQ(Control(*sheet, Encrypt, "noChange")->isEnabled(), c.noChangeEnabled) << where;
        EXPECT_EQ(Stored("EncryptOption", "replace"), c.storedReplace) << where;
        EXPECT_EQ(Stored("EncryptOption", "add"), c.storedAdd) << where;
    }
}

TEST_F(ConfigSheetTest, KeepingTheSourceForcesAddAndReplacingOffersNoChangeAgain)
{
    Store("EncryptOption", "replace", "1");
    Store("EncryptOption", "add", "0");
    auto sheet = Open(Encrypt);
    Click(*sheet, Encrypt, "replace");
    EXPECT_TRUE(Button(*sheet, "apply")->isEnabled());
    EXPECT_TRUE(Checked(*sheet, Encrypt, "add"));
    EXPECT_FALSE(Checked(*sheet, Encrypt, "noChange"));
    Click(*sheet, Encrypt, "noChange"); // disabled: no effect
    EXPECT_TRUE(Checked(*sheet, Encrypt, "add"));
    Click(*sheet, "apply");
    EXPECT_EQ(Stored("EncryptOption", "replace"), "0");
    EXPECT_EQ(Stored("EncryptOption", "add"), "1");

    Click(*sheet, Encrypt, "replace");
    EXPECT_TRUE(Control(*sheet, Encrypt, "noChange")->isEnabled());
    EXPECT_TRUE(Checked(*sheet, Encrypt, "add"));
    Click(*sheet, Encrypt, "noChange");
    Click(*sheet, "ok");
    EXPECT_EQ(Stored("EncryptOption", "replace"), "1");
    EXPECT_EQ(Stored("EncryptOption", "add"), "0");
}

// The result check: on unless "0" is stored; the box stores it both ways and
// the batch's options read it back for both directions.
TEST_F(ConfigSheetTest, EncryptPageTurnsTheResultCheckOffAndOn)
{
    auto sheet = Open(Encrypt);
    EXPECT_TRUE(Checked(*sheet, Encrypt, "verify"));
    Click(*sheet, Encrypt, "verify");
    Click(*sheet, "apply");
    EXPECT_EQ(Stored("EncryptOption", "verify"), "0");
    EXPECT_FALSE(batch::settings::EncryptOptions(CSettingsStore::Instance()).verify);
    EXPECT_FALSE(batch::settings::DecryptOptions(CSettingsStore::Instance()).verify);
    Click(*sheet, Encrypt, "verify");
    Click(*sheet, "ok");
    EXPECT_EQ(Stored("EncryptOption", "verify"), "1");
    EXPECT_TRUE(batch::settings::DecryptOptions(CSettingsStore::Instance()).verify);
}

// The format and its strength are stored; with IDEA chosen, on this sheet
// or before, the choice is unavailable and says why, and the user's choice
// comes back with another cipher.
TEST_F(ConfigSheetTest, EncryptPageStoresTheFormatAndFollowsTheCipherForIdea)
{
    Store("Arith", "value", "1");
    auto sheet = Open(Encrypt);
    EXPECT_EQ(Control(*sheet, Encrypt, "compatible")->text(), "Compatible with earlier versions");
    EXPECT_EQ(Control(*sheet, Encrypt, "authenticated")->text(),
        QString::fromUtf8("Authenticated — password strengthened, changes detected; not readable by earlier versions"));
    EXPECT_TRUE(Checked(*sheet, Encrypt, "compatible"));
    EXPECT_FALSE(Control(*sheet, Encrypt, "strong")->isEnabled());
    Click(*sheet, Encrypt, "authenticated");
    Click(*sheet, Encrypt, "strong");
    Click(*sheet, "apply");
    EXPECT_EQ(Stored("EncryptOption", "Format"), "1");
    EXPECT_EQ(Stored("EncryptOption", "Strength"), "1");

    const auto* note = Tabs(*sheet)->widget(Encrypt)->findChild<QLabel*>("ideaNote");
    EXPECT_TRUE(note->isHidden());
    ShowTab(*sheet, General);
    Click(*sheet, General, "idea");
    ShowTab(*sheet, Encrypt);
    EXPECT_TRUE(Checked(*sheet, Encrypt, "compatible"));
    for (const char* name : { "compatible", "authenticated", "normal", "strong" })
        EXPECT_FALSE(Control(*sheet, Encrypt, name)->isEnabled()) << name;
    EXPECT_FALSE(note->isHidden());
    EXPECT_TRUE(note->text().contains("64-bit blocks"));
    ShowTab(*sheet, General);
    Click(*sheet, General, "aes");
    EXPECT_TRUE(Checked(*sheet, Encrypt, "authenticated"));
    EXPECT_TRUE(Control(*sheet, Encrypt, "strong")->isEnabled());
    EXPECT_TRUE(note->isHidden());
    sheet.reset();

    Store("Arith", "value", "10");
    sheet = Open(Encrypt);
    EXPECT_FALSE(Control(*sheet, Encrypt, "authenticated")->isEnabled());
    note = Tabs(*sheet)->widget(Encrypt)->findChild<QLabel*>("ideaNote");
    EXPECT_FALSE(note->isHidden());
    Click(*sheet, Encrypt, "default");
    Click(*sheet, "ok");
    EXPECT_EQ(Stored("EncryptOption", "Format"), "0");
    EXPECT_EQ(Stored("EncryptOption", "Strength"), "0");
}

TEST_F(ConfigSheetTest, DefaultButtonsSetControlsAndStoreNothingBeforeOk)
{
    Store("EncryptOption", "replace", "0");
    Store("EncryptOption", "add", "1");
    Store("DecryptOption", "replace", "0");
    auto sheet = Open(Encrypt);
    Click(*sheet, Encrypt, "default");
    EXPECT_TRUE(Checked(*sheet, Encrypt, "replace"));
    EXPECT_TRUE(Checked(*sheet, Encrypt, "add"));
    EXPECT_TRUE(Control(*sheet, Encrypt, "noChange")->isEnabled());
    ShowTab(*sheet, Decrypt);
    Click(*sheet, Decrypt, "default");
    EXPECT_TRUE(Checked(*sheet, Decrypt, "replace"));
    EXPECT_TRUE(Checked(*sheet, Decrypt, "noChange"));
    EXPECT_FALSE(Checked(*sheet, Decrypt, "addPrefix"));
    EXPECT_EQ(Stored("EncryptOption", "replace"), "0");
    EXPECT_EQ(Stored("DecryptOption", "replace"), "0");
    EXPECT_TRUE(Button(*sheet, "apply")->isEnabled());
    Click(*sheet, "ok");
    EXPECT_EQ(Stored("EncryptOption", "replace"), "1");
    EXPECT_EQ(Stored("EncryptOption", "add"), "1");
    EXPECT_EQ(Stored("DecryptOption", "replace"), "1");
}

// ---- Decrypt ------------------------------------------------------------

TEST_F(ConfigSheetTest, DecryptRuleBoxesFollowReplaceAndIgnoreTheUser)
{
    for (const char* stored : { "1", "", "0", "x" }) {
        Store("DecryptOption", "replace", stored);
        auto sheet = Open(Decrypt);
        const bool replace = QString(stored).isEmpty() || QString(stored) == "1";
        EXPECT_EQ(Checked(*sheet, Decrypt, "replace"), replace) << stored;
        EXPECT_TRUE(Checked(*sheet, Decrypt, "subtract")) << stored;
        EXPECT_EQ(Checked(*sheet, Decrypt, "noChange"), replace) << stored;
        EXPECT_EQ(Checked(*sheet, Decrypt, "addPrefix"), !replace) << stored;
        EXPECT_EQ(Stored("DecryptOption", "replace"), QString(stored).isEmpty() ? "1" : stored);
    }

    Store("DecryptOption", "replace", "1");
    auto sheet = Open(Decrypt);
    for (const char* rule : { "subtract", "noChange", "addPrefix" }) {
        const bool before = Checked(*sheet, Decrypt, rule);
        Click(*sheet, Decrypt, rule);
        EXPECT_EQ(Checked(*sheet, Decrypt, rule), before) << rule;
        QTest::keyClick(Control(*sheet, Decrypt, rule), Qt::Key_Space);
        EXPECT_EQ(Checked(*sheet, Decrypt, rule), before) << rule;
    }
    EXPECT_FALSE(Button(*sheet, "apply")->isEnabled());
    Click(*sheet, Decrypt, "replace");
    EXPECT_TRUE(Checked(*sheet, Decrypt, "subtract"));
    EXPECT_FALSE(Checked(*sheet, Decrypt, "noChange"));
    EXPECT_TRUE(Checked(*sheet, Decrypt, "addPrefix"));
    Click(*sheet, "ok");
    EXPECT_EQ(Stored("DecryptOption", "replace"), "0");
}

// ---- View ---------------------------------------------------------------

TEST_F(ConfigSheetTest, ViewPageShowsTheStoredFilterAndRowStyle)
{
    const struct {
        const char *option, *shown, *storedOption;
    } filters[] = {
        { "1", "hideHidden", "1" },
        { "2", "hideSystem", "2" },
        { "3", "hideBoth", "3" },
        { "", "hideBoth", "3" },
        { "4", "showAll", "4" },
        { "x", "showAll", "x" },
        { "9", "showAll", "9" },
    };
    for (const auto& f : filters) {
        Store("ViewOption", "Option", f.option);
        auto sheet = Open(View);
        EXPECT_TRUE(Checked(*sheet, View, f.shown)) << f.option;
        EXPECT_EQ(Stored("ViewOption", "Option"), f.storedOption);
    }
    for (const char* select : { "", "0", "1", "2" }) {
        Store("ViewOption", "Select", select);
        auto sheet = Open(View);
        EXPECT_EQ(Checked(*sheet, View, "fullRow"), QString(select) == "1" || QString(select) == "2") << select;
        EXPECT_EQ(Stored("ViewOption", "Select"), QString(select).isEmpty() ? "0" : select);
    }
}

TEST_F(ConfigSheetTest, ViewPageStoresTheClickedFilterAndRowStyle)
{
    auto sheet = Open(View);
    const char* const names[] = { "hideHidden", "hideSystem", "hideBoth", "showAll" };
    for (int i = 0; i < 4; ++i) {
        Click(*sheet, View, names[i]);
        EXPECT_TRUE(Button(*sheet, "apply")->isEnabled());
        Click(*sheet, "apply");
        EXPECT_EQ(Stored("ViewOption", "Option"), QString::number(i + 1));
    }
    Click(*sheet, View, "fullRow");
    Click(*sheet, "apply");
    EXPECT_EQ(Stored("ViewOption", "Select"), "1");
    Click(*sheet, View, "fullRow");
    Click(*sheet, "ok");
    EXPECT_EQ(Stored("ViewOption", "Select"), "0");
}

} // namespace
