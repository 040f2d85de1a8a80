// Start-up: the main window's title and state, the tip of the day as the
// settings say, files on the command line, and one copy per user.
#include "app/cipher_app.h"
#include "tests/app/gui_rig.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

namespace {

// The rig with the tip of the day as the settings say and a tips file for it.
struct StartUpRig : kvntest::GuiRig {
    explicit StartUpRig(int tipStartUp)
        : GuiRig(tipStartUp)
    {
        kvntest::write_file(home.file("tips.txt"), { 'F', 'i', 'r', 's', 't', '\n' });
    }
};

// Waits until a lock file in the folder names the process: that copy got past
// its start-up check and is the one that runs.
bool HoldsTheLock(const std::string& folder, const QProcess& p)
{
    return QTest::qWaitFor(
        [&] {
            const QDir dir(QString::fromStdString(folder));
            for (const QString& name : dir.entryList({ "*.lock" }, QDir::Files | QDir::Hidden)) {
                QFile lock(dir.filePath(name));
                if (lock.open(QIODevice::ReadOnly) && lock.readLine().trimmed().toLongLong() == p.processId())
                    return true;
            }
            return false;
        },
        20000);
}

} // namespace

TEST(StartUp, TitleMaximisedAndNoTipWhenTurnedOff)
{
    StartUpRig rig(1);
    CCipherApp app;
    ASSERT_TRUE(app.InitInstance({ "Kelvanetrix", "/some/where/report.doc.kvn" }));
    ASSERT_NE(app.MainFrame(), nullptr);
    EXPECT_EQ(app.MainFrame()->windowTitle(), " Kelvanetrix Plus 3.32");
    EXPECT_TRUE(app.MainFrame()->windowState() & Qt::WindowMaximized);
    EXPECT_TRUE(app.MainFrame()->acceptDrops());
    EXPECT_FALSE(app.Document()->m_strFolder.startsWith("/some/where")); // nothing read from the file
}

TEST(StartUp, TipShownAfterTheWindowUnlessTurnedOffOrEmbedded)
{
    StartUpRig rig(0);
    QString seen;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            seen = w->windowTitle();
            EXPECT_TRUE(QApplication::topLevelWidgets().size() >= 2);
            QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
        }
    });
    poll.start(10);
    {
        CCipherApp app;
        ASSERT_TRUE(app.InitInstance({ "Kelvanetrix" }));
        EXPECT_EQ(seen, "Kelvanetrix Plus Tip of the Day");
    }
    seen.clear();
    {
        CCipherApp app;
        ASSERT_TRUE(app.InitInstance({ "Kelvanetrix", "-Embedding" }));
        EXPECT_TRUE(seen.isEmpty());
    }
}

TEST(StartUp, FilesNamedAreShownAndSelectedAndALaterStartHandsItsOwnOver)
{
    StartUpRig rig(1);
    kvntest::TempDir files;
    const QString folder = QString::fromStdString(files.path());
    for (const char* name : { "a.txt", "b.kvn", "c.txt" })
        kvntest::write_file(files.file(name), { 'x' });
    CCipherApp app;
    ASSERT_TRUE(app.InitInstance({ "Kelvanetrix", folder + "/b.kvn", "file://" + folder + "/c.txt", "/no/such/file" }));
    CMainFrame* frame = app.MainFrame();
    EXPECT_EQ(app.Document()->m_strFolder, folder);
    EXPECT_EQ(kvntest::SelectedNames(*frame), QStringList({ "b.kvn", "c.txt" }));
    EXPECT_EQ(frame->focusWidget(), frame->KeyBar()->KeyBox());

    // A name relative to where the later start ran; that copy ends at once.
    frame->showMinimized();
    const QString wasCurrent = QDir::currentPath();
    QDir::setCurrent(folder);
    {
        CCipherApp later;
        EXPECT_FALSE(later.InitInstance({ "Kelvanetrix", "a.txt" }));
    }
    QDir::setCurrent(wasCurrent);
    EXPECT_TRUE(QTest::qWaitFor([&] { return kvntest::SelectedNames(*frame) == QStringList{ "a.txt" }; }, 5000));
    EXPECT_FALSE(frame->isMinimized());

    // Started bare, it only brings the running copy to the front.
    frame->showMinimized();
    {
        CCipherApp bare;
        EXPECT_FALSE(bare.InitInstance({ "Kelvanetrix" }));
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frame->isMinimized(); }, 5000));
    EXPECT_EQ(kvntest::SelectedNames(*frame), QStringList{ "a.txt" });
}

TEST(StartUp, SecondCopyEndsSilentlyAndAStaleLockIsTakenOver)
{
    kvntest::TempDir dir;
    ::chmod(dir.path().c_str(), 0700);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(dir.path()));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(dir.path()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    {
        CSettingsStore settings(QString::fromStdString(dir.path()) + "/Kelvanetrix Plus Setting/Kelvanetrix Plus.conf");
        settings.WriteInt("Tip", "StartUp", 1);
    }
    auto start = [&](QProcess& p) {
        p.setProcessEnvironment(env);
        p.start(KVN_GUI_BINARY, {});
        return p.waitForStarted(5000);
    };
    QProcess first;
    ASSERT_TRUE(start(first));
    ASSERT_TRUE(HoldsTheLock(dir.path() + "/Kelvanetrix Plus", first));
    QProcess second;
    ASSERT_TRUE(start(second));
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
    EXPECT_EQ(first.state(), QProcess::Running);

    // A copy that dies leaves its lock behind; the next start takes it over.
    ::kill(pid_t(first.processId()), SIGKILL);
    first.waitForFinished(5000);
    QProcess third;
    ASSERT_TRUE(start(third));
    EXPECT_TRUE(HoldsTheLock(dir.path() + "/Kelvanetrix Plus", third));
    EXPECT_EQ(third.state(), QProcess::Running);
    third.kill();
    third.waitForFinished(5000);
}
