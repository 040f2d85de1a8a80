// Start-up: the main window's title and state, the tip of the day as the
// settings say, files on the command line, and one copy per user.
#include "cipher_app.h"
#include "cipher_doc.h"
#include "main_frame.h"
#include "program_folder.h"
#include "settings_store.h"
#include "temp_dir.h"
#include "tip_dlg.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

namespace {

// A private runtime folder (for the lock), settings file and program folder.
struct StartUpRig {
    kvntest::TempDir dir;
    StartUpRig(unsigned tipStartUp)
    {
        ::chmod(dir.path().c_str(), 0700);
        qputenv("XDG_RUNTIME_DIR", dir.path().c_str());
        CSettingsStore::SetInstance(std::make_unique<CSettingsStore>(QString::fromStdString(dir.file("kvn.ini"))));
        CSettingsStore::Instance().WriteInt("Tip", "StartUp", tipStartUp);
        kvntest::write_file(dir.file("tips.txt"), { 'F', 'i', 'r', 's', 't', '\n' });
        ProgramFolder::Override(QString::fromStdString(dir.path()));
    }
    ~StartUpRig()
    {
        ProgramFolder::Override({});
        CSettingsStore::SetInstance(nullptr);
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
    ASSERT_TRUE(HoldsTheLock(dir.path(), first));
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
    EXPECT_TRUE(HoldsTheLock(dir.path(), third));
    EXPECT_EQ(third.state(), QProcess::Running);
    third.kill();
    third.waitForFinished(5000);
}
