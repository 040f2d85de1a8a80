// The tip-of-the-day window against a real tips file and settings file:
// where reading resumes, what a replaced or missing file does, what is stored.
#include "config/settings_store.h"
#include "shell/message_service.h"
#include "shell/program_folder.h"
#include "tests/support/temp_dir.h"
#include "tips/tip_dlg.h"

#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const char* const kThreeTips = "; comment\n\nFirst tip\n  indented\n\tTabbed\nSecond tip\nThird tip\n";
constexpr unsigned kAbsent = 4242;

class TipDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CSettingsStore::SetInstance(std::make_unique<CSettingsStore>(QString::fromStdString(m_dir.file("kvn.ini"))));
        ProgramFolder::Override(QString::fromStdString(m_dir.path()));
        CMessageService::SetHandler([this](const MessageRequest& r) {
            m_messages << r.text;
            return QMessageBox::Ok;
        });
    }
    void TearDown() override
    {
        CMessageService::SetHandler({});
        ProgramFolder::Override({});
        CSettingsStore::SetInstance(nullptr);
    }

    void WriteTips(const QByteArray& text, int year = 2020)
    {
        QFile file(QString::fromStdString(m_dir.file("tips.txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
        ASSERT_TRUE(file.flush()); // or closing would write, and stamp the file with the present time
        ASSERT_TRUE(file.setFileTime(QDateTime(QDate(year, 3, 1), QTime(9, 30)), QFileDevice::FileModificationTime));
    }

    static QString TipOf(const CTipDlg& dlg) { return dlg.findChild<QLabel*>("tipText")->text(); }
    static QString ConstructedTip() { return TipOf(CTipDlg()); }
    static void Click(CTipDlg& dlg, const char* name)
    {
        QTest::mouseClick(dlg.findChild<QAbstractButton*>(name), Qt::LeftButton);
    }
    static unsigned Stored(const char* entry) { return CSettingsStore::Instance().GetInt("Tip", entry, kAbsent); }
    static void Store(const char* entry, unsigned value) { CSettingsStore::Instance().WriteInt("Tip", entry, value); }

    kvntest::TempDir m_dir;
    QStringList m_messages;
};

TEST_F(TipDlgTest, ReadingResumesAcrossWindowsAndWrapsAtTheEnd)
{
    WriteTips(kThreeTips);
    EXPECT_EQ(ConstructedTip(), "First tip");
    EXPECT_EQ(Stored("FilePos"), QByteArray(kThreeTips).indexOf("  indented"));
    EXPECT_EQ(ConstructedTip(), "Second tip");
    CTipDlg dlg;
    dlg.show();
    EXPECT_EQ(TipOf(dlg), "Third tip");
    for (const char* expected : { "First tip", "Second tip", "Third tip", "First tip" }) {
        Click(dlg, "nextTip");
        EXPECT_EQ(TipOf(dlg), expected);
    }
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(TipDlgTest, ReplacedFileStartsAtItsFirstTip)
{
    WriteTips(kThreeTips);
    ConstructedTip();
    ConstructedTip();
    WriteTips("New one\nNew two\n", 2021);
    EXPECT_EQ(ConstructedTip(), "New one");
    const QRegularExpression ctimeText(R"(^\w{3} \w{3} [ \d]\d \d\d:\d\d:\d\d \d{4}$)");
    EXPECT_TRUE(ctimeText.match(CSettingsStore::Instance().GetString("Tip", "TimeStamp")).hasMatch());
}

TEST_F(TipDlgTest, UnusableFileOrPosition)
{
    Store("FilePos", 17);
    {
        CTipDlg missing;
        EXPECT_EQ(TipOf(missing), "Tips file does not exist in the prescribed directory");
        EXPECT_FALSE(missing.findChild<QPushButton*>("nextTip")->isEnabled());
    }
    EXPECT_EQ(Stored("FilePos"), 17u);
    EXPECT_TRUE(m_messages.isEmpty());

    WriteTips(kThreeTips);
    ConstructedTip();
    Store("FilePos", 5000);
    EXPECT_EQ(ConstructedTip(), "");
    EXPECT_EQ(m_messages, QStringList{ "Trouble reading the tips file" });
    EXPECT_EQ(ConstructedTip(), "First tip");
}

// A file without a tip line must not keep the window rewinding for ever
// (the test's time limit turns such a hang into a failed run).
TEST_F(TipDlgTest, FileWithoutTipsShowsAnEmptyTip)
{
    for (const char* text : { "", "; only comments\n\n  and indented lines\n\tand tabbed ones" }) {
        WriteTips(text);
        CTipDlg dlg;
        dlg.show();
        Click(dlg, "nextTip");
        EXPECT_EQ(TipOf(dlg), "");
    }
    EXPECT_TRUE(m_messages.isEmpty());
}

// Notepad's byte-order mark and CRLF line ends, and a line beyond the limit.
TEST_F(TipDlgTest, WindowsStyleFileAndOverlongLine)
{
    WriteTips("\xEF\xBB\xBF; comment\r\n\r\nFirst tip\r\n" + QByteArray(1500, 'x') + "\r\nLast tip\r\n");
    CTipDlg dlg;
    dlg.show();
    EXPECT_EQ(TipOf(dlg), "First tip");
    Click(dlg, "nextTip");
    EXPECT_EQ(TipOf(dlg), QString(999, QLatin1Char('x')));
    Click(dlg, "nextTip");
    EXPECT_EQ(TipOf(dlg), "Last tip");
}

TEST_F(TipDlgTest, OnlyCloseStoresTheStartUpChoice)
{
    WriteTips(kThreeTips);
    for (unsigned before : { 0u, 1u }) {
        Store("StartUp", before);
        CTipDlg dlg;
        EXPECT_EQ(dlg.ShowAtStartUp(), before == 0);
        dlg.show();
        Click(dlg, "showOnStartUp");
        Click(dlg, "close");
        EXPECT_FALSE(dlg.isVisible());
        EXPECT_EQ(Stored("StartUp"), before == 0 ? 1u : 0u);
    }

    CSettingsStore::SetInstance(std::make_unique<CSettingsStore>(QString::fromStdString(m_dir.file("new.ini"))));
    for (bool escape : { true, false }) {
        Store("FilePos", 0);
        {
            CTipDlg dlg;
            dlg.show();
            Click(dlg, "showOnStartUp");
            Click(dlg, "nextTip");
            escape ? QTest::keyClick(&dlg, Qt::Key_Escape) : void(dlg.close());
            EXPECT_FALSE(dlg.isVisible());
        }
        EXPECT_EQ(Stored("StartUp"), kAbsent);
        EXPECT_EQ(Stored("FilePos"), QByteArray(kThreeTips).indexOf("Third tip"));
    }
}

} // namespace
