// What a new user met in the windows: the status prompt, the batch window's
// width, the bars' menu, markup in file names, the result text, the key
// boxes' history, the trash and the Delete key, and the batch's speed.
#include "app/command_table.h"
#include "app/elided_label.h"
#include "app/key_status_bar.h"
#include "batch/batch_runner.h"
#include "batch/batch_texts.h"
#include "batch/settings_entries.h"
#include "browser/file_properties_dlg.h"
#include "browser/left_view.h"
#include "engine/api/idea.h"
#include "tests/app/gui_rig.h"

#include <QAction>
#include <QStatusTipEvent>
#include <QToolBar>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

using Bytes = std::vector<unsigned char>;
using kvntest::GuiRig;

using Window = kvntest::MainWindow;

namespace {

std::string read_text(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(WindowFaults, IdlePromptComesBackAfterEveryHover)
{
    Window w;
    const QString idle = QString::fromLatin1(CKeyStatusBar::kIdlePrompt);
    EXPECT_EQ(w.frame.StatusBar()->currentMessage(), idle);
    for (int round = 0; round < 2; ++round) {
        // What a menu item or toolbar button sends on entering, then on leaving.
        QStatusTipEvent enter(w.frame.Action(cmd::Encrypt)->statusTip());
        QApplication::sendEvent(&w.frame, &enter);
        EXPECT_NE(w.frame.StatusBar()->currentMessage(), idle);
        QStatusTipEvent leave{ QString() };
        QApplication::sendEvent(&w.frame, &leave);
        EXPECT_EQ(w.frame.StatusBar()->currentMessage(), idle) << round;
    }
}

TEST(WindowFaults, OnlyTheViewMenuShowsAndHidesBarsAndStaysInStep)
{
    Window w;
    EXPECT_EQ(w.frame.createPopupMenu(), nullptr);
    auto* toolBar = w.frame.findChild<QToolBar*>("toolBar");
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(2, 2), toolBar->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(toolBar, &click);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    QAction* view = w.frame.Action(cmd::ViewToolbar);
    view->trigger();
    EXPECT_FALSE(toolBar->isVisible());
    EXPECT_FALSE(view->isChecked());
    toolBar->show(); // any other way the bar comes back
    EXPECT_TRUE(view->isChecked());
    toolBar->hide();
    EXPECT_FALSE(view->isChecked());
}

TEST(WindowFaults, BatchWindowKeepsItsSizeForALongNameElidedInTheMiddle)
{
    GuiRig rig;
    kvntest::TempDir dir;
    std::string name(116, 'a');
    name.append("-middle-").append(116, 'z');
    batch::Batch plan = batch::PlanBatch(batch::Direction::Encrypt, "1",
        batch::settings::EncryptOptions(batch::settings::EncryptChoice{ "0", "1" }), { dir.file(name) });
    CIdea engine;
    CEnProgressDlg window;
    window.m_pIdea = &engine;
    window.m_pBatch = &plan;
    window.show();
    const int width = window.width();
    engine.m_pStatusWnd->SetWindowText((name + "  Encrypting... ").c_str());
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(window.width(), width);
    auto* status = window.findChild<CElidedLabel*>("status");
    EXPECT_EQ(status->text().toStdString(), name + "  Encrypting... "); // whole, elided only when drawn
    const QString shown = status->ShownText();
    EXPECT_TRUE(shown.startsWith("aaa")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
    EXPECT_FALSE(shown.contains("middle")) << shown.toStdString();
    auto* count = window.findChild<QLabel*>("count");
    EXPECT_TRUE(window.rect().contains(count->geometry()));
}

TEST(WindowFaults, FileNamesAreNeverMarkupAndTheResultTextTellsTheTruth)
{
    MessageRequest r;
    r.text = QStringLiteral("<b>x</b>.txt");
    EXPECT_EQ(CMessageService::CreateBox(r)->textFormat(), Qt::PlainText);
    kvntest::TempDir dir;
    // A name holds no slash, so no closing tag; markup it still looks like.
    ASSERT_TRUE(std::filesystem::create_directory(dir.file("<b>x")));
    kvntest::write_file(dir.file("<b>x.txt"), Bytes(1, 'x'));
    CCipherDoc doc;
    CLeftView tree(&doc, [&] { return QList<CFolderPlace>{ { "top", QString::fromStdString(dir.path()), {}, {} } }; });
    tree.InitialUpdate();
    const QModelIndex folder = tree.model()->index(0, 0, tree.model()->index(0, 0));
    EXPECT_TRUE(folder.data(Qt::ToolTipRole).toString().contains("&lt;b&gt;x"));
    CFilePropertiesDlg props(QString::fromStdString(dir.file("<b>x.txt")));
    EXPECT_EQ(props.findChild<QLabel*>("propertyName")->textFormat(), Qt::PlainText);
    EXPECT_EQ(props.findChild<QLabel*>("propertyName")->text(), "<b>x.txt");
    EXPECT_NE(std::string(batch::texts::kEncryptDone)
                  .find("Please remember your KEY,it is impossible to \nrecover a file if you forget/lose the key!"),
        std::string::npos);
}

TEST(WindowFaults, ClearedKeyBoxesKeepNoUndoHistory)
{
    Window w;
    w.frame.OnShowKey(); // a shown key is where the boxes keep an undo history
    QTest::keyClicks(w.frame.KeyBar()->KeyBox(), "secret");
    QTest::keyClicks(w.frame.KeyBar()->ConfirmBox(), "secret");
    w.frame.OnClearKey();
    EXPECT_FALSE(w.frame.KeyBar()->KeyBox()->isUndoAvailable());
    w.frame.KeyBar()->KeyBox()->undo();
    EXPECT_EQ(w.frame.KeyBar()->KeyBox()->text(), "");
    EXPECT_FALSE(w.frame.KeyBar()->ConfirmBox()->isUndoAvailable());
}

TEST(WindowFaults, DeleteKeyAsksThenTrashesIntoAFreshTrashOrReportsFailure)
{
    Window w;
    const std::string data = w.work.file("fresh-profile/share");
    qputenv("XDG_DATA_HOME", data.c_str());
    kvntest::write_file(w.work.file("a.txt"), Bytes(5, 'a'));
    w.select({ "a.txt" });
    w.frame.GetFileList()->CurrentView()->setFocus();
    QTest::keyClick(w.frame.GetFileList()->CurrentView(), Qt::Key_Delete);
    ASSERT_EQ(w.rig.messages.size(), 1u);
    EXPECT_EQ(w.rig.messages[0].buttons, QMessageBox::Yes | QMessageBox::No);
    // The recorder answers Ok, which is no Yes: nothing goes.
    EXPECT_TRUE(kvntest::exists(w.work.file("a.txt")));

    CMessageService::SetHandler([&](const MessageRequest& r) {
        w.rig.messages.push_back(r);
        return QMessageBox::Yes;
    });
    QTest::keyClick(w.frame.GetFileList()->CurrentView(), Qt::Key_Delete);
    EXPECT_FALSE(kvntest::exists(w.work.file("a.txt")));
    EXPECT_EQ(kvntest::read_file(data + "/Trash/files/a.txt"), Bytes(5, 'a'));
    const std::string info = read_text(data + "/Trash/info/a.txt.trashinfo");
    EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + w.work.file("a.txt") + "\nDeletionDate=", 0), 0u) << info;
    EXPECT_EQ(w.frame.GetFileList()->RowCount(), 0);

    // A trash that cannot be made is a failure the user hears of.
    kvntest::write_file(w.work.file("b.txt"), Bytes(3, 'b'));
    qputenv("XDG_DATA_HOME", w.work.file("b.txt/share").c_str());
    w.rig.messages.clear();
    w.select({ "b.txt" });
    QTest::keyClick(w.frame.GetFileList()->CurrentView(), Qt::Key_Delete);
    ASSERT_EQ(w.rig.messages.size(), 2u);
    EXPECT_TRUE(w.rig.messages[1].text.contains(QString::fromStdString(w.work.file("b.txt")) + ": "))
        << w.rig.messages[1].text.toStdString();
    EXPECT_TRUE(kvntest::exists(w.work.file("b.txt")));
    qunsetenv("XDG_DATA_HOME");
}

// The speed the window shows counts working time only: the user's time on a
// message box is left out. Read as the speed first shows, the bytes done over
// the rate shown give the seconds worked, well under the box's wait; counting
// the wait would give more than the wait itself.
TEST(WindowFaults, BatchSpeedLeavesOutTheWaitOnAMessageBox)
{
    // MARS's portable code on one thread (asked for before the engine first
    // looks): the large file takes long enough for a speed to show.
    qputenv("TESSIRAL_CPU", "portable");
    qputenv("TESSIRAL_THREADS", "1");
    Window w;
    w.select_then_lose({ "1.txt", "2.bin" }, "1.txt"); // its box is the wait
    batch::settings::WriteAlgorithm(CSettingsStore::Instance(), "2");
    constexpr long long kBig = 48ll << 20;
    ASSERT_EQ(::truncate(w.work.file("2.bin").c_str(), kBig), 0);
    constexpr double kWaitSeconds = 2.0;
    CMessageService::SetHandler([&](const MessageRequest& r) {
        w.rig.messages.push_back(r);
        if (r.text.startsWith("Don't open this file!")) // the user reads it
            std::this_thread::sleep_for(std::chrono::duration<double>(kWaitSeconds));
        return QMessageBox::Ok;
    });
    double workedSeconds = -1;
    kvntest::BatchDriver run;
    run.whileRunning = [&](CProgressDlg& window) {
        const QString speed = window.findChild<QLabel*>("speed")->text();
        if (workedSeconds >= 0 || speed.isEmpty())
            return;
        const double rate = speed.section(' ', 0, 0).toDouble() * 1e6;
        const double done = double(kBig) * window.Progress()->Model().GetPos() / 100.0;
        workedSeconds = rate > 0 ? done / rate : 1e9;
    };
    w.press(Qt::Key_F5);
    qunsetenv("TESSIRAL_CPU");
    qunsetenv("TESSIRAL_THREADS");
    ASSERT_TRUE(kvntest::exists(w.work.file("2.bin.kvn")));
    if (workedSeconds < 0)
        GTEST_SKIP() << "the file took under half a second of work: no speed was shown";
    EXPECT_LT(workedSeconds, kWaitSeconds);
}
