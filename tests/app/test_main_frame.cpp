// The main window: key limits and the key-length display, Show Key, the
// accelerators that win over the key boxes, and the command table's routes.
#include "cipher_doc.h"
#include "cipher_view.h"
#include "command_table.h"
#include "gui_rig.h"
#include "key_bar.h"
#include "key_status_bar.h"
#include "main_frame.h"

#include <QAction>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using kvntest::GuiRig;

namespace {

struct Frame {
    CCipherDoc doc;
    CMainFrame frame{ &doc };
    Frame()
    {
        frame.show();
        QApplication::setActiveWindow(&frame);
    }
};

} // namespace

TEST(MainFrame, KeyLimitsAndCipherNamePerAlgorithm)
{
    GuiRig rig;
    struct Case {
        const char* code;
        int limit;
        const char* name;
    };
    for (const Case c : { Case{ "2", 56, "MARS" }, Case{ "10", 16, "IDEA" }, Case{ "7", 32, " AES " },
             Case{ "3", 32, " RC6 " }, Case{ "", 32, " AES " } }) {
        CSettingsStore::Instance().WriteString("Arith", "value", c.code);
        Frame f;
        EXPECT_EQ(f.frame.KeyBar()->KeyBox()->maxLength(), c.limit) << c.code;
        EXPECT_EQ(f.frame.KeyBar()->ConfirmBox()->maxLength(), c.limit) << c.code;
        EXPECT_EQ(f.frame.StatusBar()->CipherText(), c.name) << c.code;
    }
    EXPECT_EQ(CSettingsStore::Instance().GetString("Arith", "value"), ""); // shown, never written
}

TEST(MainFrame, KeyLengthLightShowKeyAndClear)
{
    GuiRig rig;
    Frame f;
    QLineEdit* key = f.frame.KeyBar()->KeyBox();
    QLineEdit* confirm = f.frame.KeyBar()->ConfirmBox();
    QTest::keyClicks(key, "abcdefghijklmno");
    EXPECT_EQ(f.frame.StatusBar()->KeyLengthText(), " Key Length: 120 Bit");
    EXPECT_FALSE(f.frame.StatusBar()->IsStrongKey());
    QTest::keyClicks(key, "p");
    EXPECT_EQ(f.frame.StatusBar()->KeyLengthText(), " Key Length: 128 Bit");
    EXPECT_TRUE(f.frame.StatusBar()->IsStrongKey());
    QTest::keyClicks(confirm, "x"); // the confirm box does not drive the display
    EXPECT_EQ(f.frame.StatusBar()->KeyLengthText(), " Key Length: 128 Bit");

    QPushButton* show = f.frame.KeyBar()->ShowKeyButton();
    QTest::mouseClick(show, Qt::LeftButton);
    EXPECT_EQ(key->echoMode(), QLineEdit::Normal);
    EXPECT_EQ(confirm->echoMode(), QLineEdit::Normal);
    QTest::mouseClick(show, Qt::LeftButton);
    EXPECT_EQ(key->echoMode(), QLineEdit::Password);
    EXPECT_EQ(confirm->echoMode(), QLineEdit::Password);

    // Ctrl+C inside the key box is Clear Key Value, not Copy.
    key->setFocus();
    QTest::keyClick(key, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(key->text().isEmpty());
    EXPECT_TRUE(confirm->text().isEmpty());
    EXPECT_EQ(f.frame.StatusBar()->KeyLengthText(), " Key Length: 0 Bit");
    EXPECT_FALSE(f.frame.StatusBar()->IsStrongKey());
}

TEST(MainFrame, MenusHoldEveryCommandWithItsAccelerator)
{
    GuiRig rig;
    Frame f;
    QStringList titles;
    for (QAction* a : f.frame.menuBar()->actions())
        titles << a->text();
    EXPECT_EQ(titles, (QStringList{ "&File", "&Operation", "&View", "&Settings", "&Tools", "&Help" }));
    for (const CommandDef& c : CommandTable()) {
        QAction* a = f.frame.Action(c.id);
        ASSERT_NE(a, nullptr) << c.id;
        EXPECT_EQ(a->text(), QString::fromUtf8(c.text));
        EXPECT_EQ(a->shortcut(), c.key) << c.id;
    }
}

TEST(MainFrame, CommandsReachTheirHandlers)
{
    GuiRig rig;
    Frame f;
    // View modes carry the radio mark of the list's style.
    f.frame.Action(cmd::ListView)->trigger();
    EXPECT_EQ(f.frame.GetFileList()->GetViewMode(), CCipherView::ViewMode::List);
    EXPECT_TRUE(f.frame.Action(cmd::ListView)->isChecked());
    QTest::keyClick(&f.frame, Qt::Key_F12); // Refresh All: no message, no crash
    // Help and licence files missing beside the program.
    QTest::keyClick(&f.frame, Qt::Key_F1);
    f.frame.Action(cmd::License)->trigger();
    ASSERT_EQ(rig.messages.size(), 2u);
    EXPECT_EQ(rig.messages[0].text, "Don't open help file!");
    EXPECT_EQ(rig.messages[0].caption, "Error");
    EXPECT_EQ(rig.messages[1].text, "Don't open license file!");
    kvntest::write_file(rig.home.file("help.html"), { '<', 'p', '>' });
    QTest::keyClick(&f.frame, Qt::Key_F1);
    ASSERT_EQ(rig.opened.size(), 1u);
    EXPECT_EQ(rig.opened[0].toLocalFile(), QString::fromStdString(rig.home.file("help.html")));
    f.frame.Action(cmd::Homepage)->trigger();
    f.frame.Action(cmd::SendMail)->trigger();
    ASSERT_EQ(rig.opened.size(), 3u);
    EXPECT_EQ(rig.opened[2].scheme(), "mailto");
    // Toolbar style: the setting is written, Cancel keeps the window.
    CMessageService::SetHandler([&](const MessageRequest& r) {
        rig.messages.push_back(r);
        return QMessageBox::Cancel;
    });
    f.frame.Action(cmd::SimpleStyle)->trigger();
    EXPECT_EQ(CSettingsStore::Instance().GetString("ToolBar", "Color"), "2");
    EXPECT_EQ(rig.messages.back().caption, "Help");
    EXPECT_TRUE(f.frame.isVisible());
}

TEST(MainFrame, ConfigurationOkClearsTheKey)
{
    GuiRig rig;
    Frame f;
    QTest::keyClicks(f.frame.KeyBar()->KeyBox(), "secret");
    QTest::keyClicks(f.frame.KeyBar()->ConfirmBox(), "secret");
    kvntest::ModalDriver driver([](QWidget* modal) {
        if (auto* ok = modal->findChild<QPushButton*>("ok")) {
            QTest::mouseClick(ok, Qt::LeftButton);
            return true;
        }
        return false;
    });
    f.frame.Action(cmd::Configuration)->trigger();
    EXPECT_TRUE(f.frame.KeyBar()->KeyBox()->text().isEmpty());
    EXPECT_TRUE(f.frame.KeyBar()->ConfirmBox()->text().isEmpty());
}
