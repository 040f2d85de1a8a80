// The main window: key limits and the key-length display, Show Key, the
// accelerators that win over the key boxes, and the command table's routes.
#include "app/command_table.h"
#include "app/key_status_bar.h"
#include "batch/settings_entries.h"
#include "browser/left_view.h"
#include "chrome/focus_style.h"
#include "chrome/toolbar_art.h"
#include "tests/app/gui_rig.h"

#include <QAction>
#include <QDialog>
#include <QDir>
#include <QDropEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QToolBar>
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

TEST(MainFrame, OpensWhereTheUserLastWorkedAndRefreshAllStaysThere)
{
    GuiRig rig;
    kvntest::TempDir files;
    const QString one = QString::fromStdString(files.file("one"));
    const QString two = QString::fromStdString(files.file("two"));
    ASSERT_TRUE(QDir().mkpath(one) && QDir().mkpath(two));
    batch::settings::WriteLastFolder(CSettingsStore::Instance(), one.toStdString());
    {
        Frame f;
        EXPECT_EQ(f.doc.m_strFolder, one);
        ASSERT_TRUE(f.frame.GetFolderTree()->ShowFolder(two));
        EXPECT_EQ(QString::fromStdString(batch::settings::LastFolder(CSettingsStore::Instance())), two);
        kvntest::write_file(files.file("two/new.txt"), { 'x' });
        f.frame.Action(cmd::RefreshAll)->trigger();
        EXPECT_EQ(f.doc.m_strFolder, two);
        EXPECT_EQ(f.frame.GetFileList()->RowCount(), 1);
    }
    // Gone since: the tree opens at its first item.
    ASSERT_TRUE(QDir(two).removeRecursively());
    Frame f;
    EXPECT_EQ(f.frame.GetFolderTree()->currentIndex(), f.frame.GetFolderTree()->model()->index(0, 0));
}

TEST(MainFrame, DroppedFilesAreShownAndSelectedWithTheFocusInTheKeyBox)
{
    GuiRig rig;
    kvntest::TempDir files;
    for (const char* name : { "a.txt", "b.txt", "c.txt" })
        kvntest::write_file(files.file(name), { 'x' });
    Frame f;
    QMimeData web;
    web.setUrls({ QUrl("https://example.org/a.txt") });
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &web, Qt::LeftButton, {});
    QApplication::sendEvent(&f.frame, &refused);
    EXPECT_FALSE(refused.isAccepted());

    QMimeData dropped;
    dropped.setUrls({ QUrl::fromLocalFile(QString::fromStdString(files.file("c.txt"))),
        QUrl::fromLocalFile(QString::fromStdString(files.file("a.txt"))) });
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, {});
    QApplication::sendEvent(&f.frame, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, {});
    QApplication::sendEvent(&f.frame, &drop);
    EXPECT_EQ(f.doc.m_strFolder, QString::fromStdString(files.path()));
    EXPECT_EQ(kvntest::SelectedNames(f.frame), QStringList({ "a.txt", "c.txt" }));
    EXPECT_EQ(f.frame.focusWidget(), f.frame.KeyBar()->KeyBox());

    // While a dialog holds the window (a batch runs), files wait until it
    // closes: the dialog's closing, not a time, shows them.
    QDialog dialog(&f.frame);
    QTimer::singleShot(0, &dialog, [&] {
        f.frame.OpenFiles({ QString::fromStdString(files.file("b.txt")) });
        QCoreApplication::processEvents();
        EXPECT_EQ(kvntest::SelectedNames(f.frame), QStringList({ "a.txt", "c.txt" }));
        dialog.accept();
    });
    dialog.exec();
    EXPECT_TRUE(QTest::qWaitFor([&] { return kvntest::SelectedNames(f.frame) == QStringList{ "b.txt" }; }, 5000));
}

TEST(MainFrame, ControlsWithoutALabelOfTheirOwnHaveANameToSpeak)
{
    GuiRig rig;
    Frame f;
    for (const char* name : { "keyPicture", "keyBox", "confirmBox", "keyStrength", "showKey", "strengthLight",
             "folderTree", "fileListDetails", "fileListIcons" }) {
        const auto* widget = f.frame.findChild<QWidget*>(name);
        ASSERT_NE(widget, nullptr) << name;
        EXPECT_FALSE(widget->accessibleName().isEmpty()) << name;
    }
    auto* toolBar = f.frame.findChild<QToolBar*>("toolBar");
    for (QAction* button : toolBar->actions()) {
        if (!button->isSeparator()) {
            EXPECT_FALSE(toolBar->widgetForAction(button)->accessibleName().isEmpty()) << button->text().toStdString();
        }
    }
    EXPECT_EQ(toolBar->widgetForAction(toolBar->findChild<QAction*>(QStringLiteral("tb%1").arg(cmd::Configuration)))
                  ->accessibleName(),
        "Configuration");
    // The light says what its colour shows.
    const auto* light = f.frame.findChild<QLabel*>("strengthLight");
    EXPECT_TRUE(light->accessibleDescription().startsWith("Weak"));
    QTest::keyClicks(f.frame.KeyBar()->KeyBox(), "0123456789abcdef");
    EXPECT_EQ(light->accessibleDescription(), "Strong key");
    EXPECT_EQ(light->pixmap().devicePixelRatio(), light->devicePixelRatioF());
}

TEST(MainFrame, ArtIsDrawnForTheScreensPixelRatio)
{
    const auto sharp = [](const QIcon& art, QSize size) {
        const QPixmap twice = art.pixmap(size, 2.0);
        EXPECT_EQ(twice.size(), size * 2);
        EXPECT_EQ(twice.devicePixelRatio(), 2.0);
        // Drawn at the larger size, not the smaller one enlarged.
        const QImage enlarged = art.pixmap(size, 1.0).scaled(size * 2).toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_NE(twice.toImage().convertToFormat(QImage::Format_ARGB32), enlarged);
    };
    sharp(ToolbarArt::StrengthLight(false), QSize(16, 16));
    sharp(ToolbarArt::KeyPicture(), QSize(22, 22));
    sharp(ToolbarArt::Image(0, ToolbarArt::Style::MultiColor), QSize(55, 40));
    sharp(ToolbarArt::Image(4, ToolbarArt::Style::Simple), QSize(55, 40));
}

TEST(MainFrame, AListWithTheKeyboardFocusShowsItEvenWhenEmpty)
{
    GuiRig rig;
    QApplication::setStyle(new CFocusStyle);
    kvntest::TempDir empty;
    batch::settings::WriteLastFolder(CSettingsStore::Instance(), empty.path());
    Frame f;
    ASSERT_EQ(f.frame.GetFileList()->RowCount(), 0);
    QWidget* list = f.frame.GetFileList()->CurrentView();
    f.frame.KeyBar()->KeyBox()->setFocus(Qt::TabFocusReason);
    const QImage without = list->grab().toImage();
    list->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(list->hasFocus());
    EXPECT_NE(list->grab().toImage(), without);
}

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

// The estimate follows the key as it is typed and says only its verdict.
TEST(MainFrame, KeyBarSaysHowGuessableTheKeyIs)
{
    GuiRig rig;
    Frame f;
    QLineEdit* key = f.frame.KeyBar()->KeyBox();
    const QLabel* strength = f.frame.KeyBar()->StrengthLabel();
    EXPECT_TRUE(strength->text().isEmpty());
    QTest::keyClicks(key, "password");
    EXPECT_EQ(strength->text(), "weak");
    EXPECT_EQ(strength->accessibleDescription(), "The key is weak");
    QTest::keyClicks(key, "#Vq8tLz2!mRw9&kP");
    EXPECT_EQ(strength->text(), "strong");
    f.frame.KeyBar()->Clear();
    EXPECT_TRUE(strength->text().isEmpty());
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
