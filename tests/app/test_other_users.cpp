// Another local user against this one: the trash of a volume both can write
// to, and the running-copy lock and socket. The tests run as root, which is
// the victim here; the attacker is an account made for the test.
#include "app/cipher_app.h"
#include "app/single_instance.h"
#include "shell/trash_can.h"
#include "tests/app/gui_rig.h"
#include "tests/support/other_user.h"

#include <QClipboard>
#include <QDataStream>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSysInfo>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>

namespace fs = std::filesystem;
using kvntest::OtherUser;

namespace {

// A tmpfs that everybody may write to, sticky as /tmp is; the home trash is
// elsewhere, so files on it go to the volume's own trash.
struct SharedVolume {
    kvntest::TempDir dir;
    std::string top = dir.file("volume");
    std::string mine = top + "/mine"; // the victim's own folder, 0700
    std::string theirs = top + "/theirs"; // the attacker's folder
    bool mounted = false;

    SharedVolume()
    {
        ::chmod(dir.path().c_str(), 0755);
        ::mkdir(top.c_str(), 0755);
        mounted = ::mount("kvntest", top.c_str(), "tmpfs", 0, "mode=1777,size=32m") == 0;
        ::mkdir(mine.c_str(), 0700);
        qputenv("XDG_DATA_HOME", dir.file("share").c_str());
    }
    ~SharedVolume()
    {
        qunsetenv("XDG_DATA_HOME");
        if (mounted)
            ::umount2(top.c_str(), MNT_DETACH);
    }
    std::string Trash() const { return top + "/.Trash-0"; }
    QString File(int n) const
    {
        const std::string path = mine + "/f" + std::to_string(n);
        kvntest::write_file(path, { 's', 'e', 'c', 'r', 'e', 't' });
        return QString::fromStdString(path);
    }
    // The attacker's folder, made by the attacker.
    bool MakeTheirs(const OtherUser& other) const
    {
        return other.Do([this] { return ::mkdir(theirs.c_str(), 0777) == 0 && ::chmod(theirs.c_str(), 0777) == 0; });
    }
    void Clear() const
    {
        for (const char* name : { "/.Trash", "/.Trash-0", "/theirs" })
            fs::remove_all(top + name);
    }
};

// The soft and hard core file size limits of a process, as "soft hard".
std::string CoreLimits(const std::string& proc)
{
    const auto bytes = kvntest::read_file(proc + "/limits");
    const std::string text(bytes.begin(), bytes.end());
    const auto at = text.find("Max core file size");
    if (at == std::string::npos)
        return {};
    std::istringstream fields(text.substr(at + 18));
    std::string soft, hard;
    fields >> soft >> hard;
    return soft + " " + hard;
}

// Selects the whole text of a key box with the keyboard and the mouse, and
// tries every way a line edit gives its text away.
void TryToTakeTheKey(QLineEdit* box)
{
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Insert, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_End);
    QTest::keyClick(box, Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyClick(box, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_U, Qt::ControlModifier);
    QTest::mouseDClick(box, Qt::LeftButton, {}, QPoint(10, box->height() / 2));
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(2, box->height() / 2));
    QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(box->width() - 2, box->height() / 2));
}

#define SKIP_UNLESS_TWO_USERS(volume, other)                                                                           \
    if (::geteuid() != 0)                                                                                              \
        GTEST_SKIP() << "needs root: a second user and a tmpfs";                                                       \
    if (!(volume).mounted)                                                                                             \
        GTEST_SKIP() << "no tmpfs can be mounted here";                                                                \
    if (!(other).Made())                                                                                               \
    GTEST_SKIP() << "no second user account can be made here"

} // namespace

// The attack as it was found: the attacker owns ".Trash" and keeps swapping
// ".Trash/0" for a link to a folder of its own while 20 files are trashed.
// Nothing may reach the attacker; every file goes to the victim's own
// ".Trash-0" or stays where it was.
TEST(OtherUsers, TrashOnASharedVolumeHandsNothingToAnotherUser)
{
    SharedVolume v;
    OtherUser other;
    SKIP_UNLESS_TWO_USERS(v, other);
    ASSERT_TRUE(v.MakeTheirs(other));
    const std::string shared = v.top + "/.Trash";
    ASSERT_TRUE(other.Do([&] { return ::mkdir(shared.c_str(), 01777) == 0 && ::chmod(shared.c_str(), 01777) == 0; }));
    const std::string slot = shared + "/0", aside = shared + "/aside";
    // The victim trashes once; from then on the attacker swaps.
    ASSERT_TRUE(trashcan::MoveToTrash(v.File(100), nullptr));
    const pid_t swapper = other.Start([&] {
        for (;;) {
            ::mkdir(aside.c_str(), 0777);
            ::rename(aside.c_str(), slot.c_str());
            ::rename(slot.c_str(), aside.c_str());
            ::symlink(v.theirs.c_str(), slot.c_str());
            ::unlink(slot.c_str());
        }
        return true;
    });
    int trashed = 0;
    for (int n = 0; n < 20; ++n) {
        QString error;
        const QString file = v.File(n);
        if (trashcan::MoveToTrash(file, &error))
            ++trashed;
        else
            EXPECT_TRUE(kvntest::exists(file.toStdString())) << error.toStdString();
    }
    OtherUser::Stop(swapper);
    EXPECT_EQ(kvntest::list_dir(v.theirs), kvntest::Names{});
    EXPECT_EQ(trashed, 20);
    EXPECT_EQ(kvntest::list_dir(v.Trash() + "/files").size(), 21u);
    EXPECT_EQ(kvntest::list_dir(v.Trash() + "/info").size(), 21u);
    struct stat st { };
    ASSERT_EQ(::lstat(v.Trash().c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode) && st.st_uid == 0 && (st.st_mode & 0777) == 0700);
}

// What others can plant where the trash belongs: a link or a folder of
// their own in place of ".Trash-0", or in place of its "files" while it was
// open to them, leaves the file where it is, with a reason; a link or their
// folder in place of ".Trash/0" in the administrator's ".Trash" only sends
// the file to ".Trash-0".
TEST(OtherUsers, PlantedTrashFoldersAndLinksAreNeverUsed)
{
    SharedVolume v;
    OtherUser other;
    SKIP_UNLESS_TWO_USERS(v, other);
    const std::string trash = v.Trash();
    struct Case {
        const char* what;
        std::function<bool()> plant;
        bool byThem; // else left by the victim's own earlier mistake
        bool moved; // into .Trash-0, past the administrator's .Trash
    };
    const std::string slot = v.top + "/.Trash/0";
    const Case cases[] = {
        { "a link as .Trash-0", [&] { return ::symlink(v.theirs.c_str(), trash.c_str()) == 0; }, true, false },
        { "their own .Trash-0", [&] { return ::mkdir(trash.c_str(), 0700) == 0; }, true, false },
        { "a .Trash-0 open to all",
            [&] { return ::mkdir(trash.c_str(), 0700) == 0 && ::chmod(trash.c_str(), 0777) == 0; }, false, false },
        { "a link as .Trash-0/files",
            [&] {
                return ::mkdir(trash.c_str(), 0700) == 0
                    && ::symlink(v.theirs.c_str(), (trash + "/files").c_str()) == 0;
            },
            false, false },
        { "a link as .Trash/0", [&] { return ::symlink(v.theirs.c_str(), slot.c_str()) == 0; }, true, true },
        { "their own .Trash/0", [&] { return ::mkdir(slot.c_str(), 0700) == 0; }, true, true },
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        v.Clear();
        ASSERT_TRUE(v.MakeTheirs(other));
        if (c.moved) { // the administrator's shared trash: root's, sticky, open to all
            ASSERT_EQ(::mkdir((v.top + "/.Trash").c_str(), 0), 0);
            ASSERT_EQ(::chmod((v.top + "/.Trash").c_str(), 01777), 0);
        }
        ASSERT_TRUE(c.byThem ? other.Do(c.plant) : c.plant());
        const QString file = v.File(n++);
        QString error;
        EXPECT_EQ(trashcan::MoveToTrash(file, &error), c.moved) << error.toStdString();
        EXPECT_EQ(kvntest::exists(file.toStdString()), !c.moved);
        if (!c.moved)
            EXPECT_EQ(error, trashcan::kNoSafeTrashText);
        else
            EXPECT_TRUE(kvntest::exists(trash + "/files/" + fs::path(file.toStdString()).filename().string()));
        EXPECT_EQ(kvntest::list_dir(v.theirs), kvntest::Names{});
    }
    // The administrator's ".Trash" as it should be: ".Trash/0" is made and used.
    v.Clear();
    ASSERT_EQ(::mkdir((v.top + "/.Trash").c_str(), 0), 0);
    ASSERT_EQ(::chmod((v.top + "/.Trash").c_str(), 01777), 0);
    const QString file = v.File(n);
    ASSERT_TRUE(trashcan::MoveToTrash(file, nullptr));
    EXPECT_TRUE(kvntest::exists(v.top + "/.Trash/0/files/f" + std::to_string(n)));
    EXPECT_TRUE(kvntest::exists(v.top + "/.Trash/0/info/f" + std::to_string(n) + ".trashinfo"));
}

// The program as another user of the machine would try to read it: it is
// not dumpable (its /proc files are root's, not its user's), and makes no
// core file.
TEST(OtherUsers, TheProgramCannotBeDumped)
{
    OtherUser other;
    if (!other.Made())
        GTEST_SKIP() << "no second user account can be made here (needs root)";
    kvntest::TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    const std::string home = dir.file("home");
    ::mkdir(home.c_str(), 0700);
    ASSERT_EQ(::chown(home.c_str(), other.Uid(), other.Gid()), 0);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : { "XDG_RUNTIME_DIR", "XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME" })
        env.remove(name);
    env.insert("HOME", QString::fromStdString(home));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess program;
    program.setProcessEnvironment(env);
    program.setChildProcessModifier([&] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(other.Gid()) != 0 || ::setuid(other.Uid()) != 0)
            ::_exit(127);
    });
    program.start(KVN_GUI_BINARY, {});
    ASSERT_TRUE(program.waitForStarted(5000));
    // Past its start: it holds its lock.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return kvntest::exists(home + "/.cache/Kelvanetrix Plus/Kelvanetrix Plus.lock"); }, 20000));
    const std::string proc = "/proc/" + std::to_string(program.processId());
    struct stat st { };
    ASSERT_EQ(::stat((proc + "/status").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u) << "dumpable: its /proc files are its user's";
    EXPECT_EQ(CoreLimits(proc), "0 0");
    program.kill();
    program.waitForFinished(5000);
}

// Any program on the display can read the clipboard and the primary
// selection: the key boxes put nothing there, shown or not.
TEST(OtherUsers, KeyBoxesGiveTheKeyToNoClipboard)
{
    kvntest::MainWindow w;
    QClipboard* clipboard = QGuiApplication::clipboard();
    for (QLineEdit* box : { w.frame.KeyBar()->KeyBox(), w.frame.KeyBar()->ConfirmBox() }) {
        EXPECT_FALSE(box->dragEnabled());
        for (bool shown : { true, false }) {
            w.frame.KeyBar()->SetKeyShown(shown);
            clipboard->setText("before");
            box->setText("the key");
            TryToTakeTheKey(box);
            EXPECT_EQ(clipboard->text(), "before") << shown;
        }
    }
}

TEST(OtherUsers, KeyBoxesGiveTheKeyToNoSelection)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection())
        GTEST_SKIP() << "this display has no primary selection (offscreen): not checked here";
    kvntest::MainWindow w;
    w.frame.KeyBar()->SetKeyShown(true);
    clipboard->setText("before", QClipboard::Selection);
    w.frame.KeyBar()->KeyBox()->setText("the key");
    TryToTakeTheKey(w.frame.KeyBar()->KeyBox());
    EXPECT_EQ(clipboard->text(QClipboard::Selection), "before");
}

// The attack as it was found: with XDG_RUNTIME_DIR unset, another user has
// made this user's runtime folder in the shared temporary folder, with a lock
// naming a living process and a socket listening there (and the same again
// at the top of the temporary folder). A start with a file must run, and
// tell them nothing.
TEST(OtherUsers, ForeignLockAndSocketInTheSharedTemporaryFolderAreIgnored)
{
    OtherUser other;
    if (!other.Made())
        GTEST_SKIP() << "no second user account can be made here (needs root)";
    kvntest::TempDir dir;
    const std::string tmp = dir.file("tmp"), home = dir.file("home");
    ::mkdir(tmp.c_str(), 01777);
    ::chmod(tmp.c_str(), 01777);
    ::mkdir(home.c_str(), 0700);
    const std::string runtime = tmp + "/runtime-" + ::getpwuid(::getuid())->pw_name;
    ::mkdir(runtime.c_str(), 0700);
    // A lock as a running copy writes it, naming a process of theirs.
    const pid_t theirs = other.Start([] {
        ::execl("/bin/sleep", "sleep", "120", static_cast<char*>(nullptr));
        return false;
    });
    const QByteArray lockText = QByteArray::number(theirs) + "\n/bin/sleep\n" + QSysInfo::machineHostName().toUtf8()
        + "\n" + QSysInfo::machineUniqueId() + "\n" + QSysInfo::bootUniqueId() + "\n";
    std::vector<std::unique_ptr<QLocalServer>> planted;
    int connections = 0;
    for (const std::string& folder : { runtime, tmp }) {
        const std::string lock = folder + "/Kelvanetrix Plus.lock";
        kvntest::write_file(lock, kvntest::Bytes(lockText.begin(), lockText.end()));
        auto server = std::make_unique<QLocalServer>();
        ASSERT_TRUE(server->listen(QString::fromStdString(folder + "/Kelvanetrix Plus.socket")));
        QObject::connect(server.get(), &QLocalServer::newConnection, [&] { ++connections; });
        planted.push_back(std::move(server));
        for (const std::string& path : { lock, folder + "/Kelvanetrix Plus.socket" })
            ASSERT_EQ(::lchown(path.c_str(), other.Uid(), other.Gid()), 0);
    }
    ASSERT_EQ(::chown(runtime.c_str(), other.Uid(), other.Gid()), 0);
    kvntest::write_file(home + "/private.txt", { 'x' });

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : { "XDG_RUNTIME_DIR", "XDG_CACHE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME" })
        env.remove(name);
    env.insert("HOME", QString::fromStdString(home));
    env.insert("TMPDIR", QString::fromStdString(tmp));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess copy;
    copy.setProcessEnvironment(env);
    copy.start(KVN_GUI_BINARY, { QString::fromStdString(home + "/private.txt") });
    ASSERT_TRUE(copy.waitForStarted(5000));
    // It runs, holding its own lock in the cache folder.
    const std::string own = home + "/.cache/Kelvanetrix Plus";
    QFile lock(QString::fromStdString(own + "/Kelvanetrix Plus.lock"));
    const bool holds = QTest::qWaitFor(
        [&] {
            if (copy.state() == QProcess::NotRunning)
                return true;
            lock.close();
            return lock.open(QIODevice::ReadOnly) && lock.readLine().trimmed().toLongLong() == copy.processId();
        },
        20000);
    EXPECT_EQ(copy.state(), QProcess::Running) << "it ended, as if another copy were running";
    EXPECT_EQ(connections, 0);
    EXPECT_TRUE(holds);
    struct stat st { };
    EXPECT_EQ(::lstat(own.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    copy.kill();
    copy.waitForFinished(5000);
    OtherUser::Stop(theirs);
}

// A folder under XDG_RUNTIME_DIR that is a link or someone else's is passed
// over for the cache folder; with no private folder at all every copy runs
// on its own.
TEST(OtherUsers, LockFolderMustBeTheUsersAlone)
{
    OtherUser other;
    if (!other.Made())
        GTEST_SKIP() << "no second user account can be made here (needs root)";
    kvntest::TempDir runtime, cache, theirs;
    ::chmod(runtime.path().c_str(), 0700);
    ASSERT_EQ(::chown(theirs.path().c_str(), other.Uid(), other.Gid()), 0);
    qputenv("XDG_RUNTIME_DIR", runtime.path().c_str());
    qputenv("XDG_CACHE_HOME", cache.path().c_str());
    const std::string inRuntime = runtime.file("Kelvanetrix Plus");
    const std::function<void()> plants[] = {
        [&] { ASSERT_EQ(::symlink(theirs.path().c_str(), inRuntime.c_str()), 0); },
        [&] {
            ASSERT_EQ(::mkdir(inRuntime.c_str(), 0700), 0);
            ASSERT_EQ(::chown(inRuntime.c_str(), other.Uid(), other.Gid()), 0);
        },
        [&] { ASSERT_EQ(::mkdir(inRuntime.c_str(), 0755), 0); },
    };
    for (const auto& plant : plants) {
        fs::remove_all(inRuntime);
        plant();
        CSingleInstance instance("Kelvanetrix Plus");
        EXPECT_TRUE(instance.LockPath().startsWith(QString::fromStdString(cache.path() + "/Kelvanetrix Plus/")))
            << instance.LockPath().toStdString();
    }
    // The cache and settings folders someone else's too: no lock anywhere,
    // and both copies run.
    qputenv("XDG_CACHE_HOME", theirs.path().c_str());
    qputenv("XDG_CONFIG_HOME", theirs.path().c_str());
    {
        CSingleInstance first("Kelvanetrix Plus"), second("Kelvanetrix Plus");
        EXPECT_TRUE(first.LockPath().isEmpty());
        EXPECT_TRUE(first.Acquire());
        EXPECT_TRUE(second.Acquire());
        EXPECT_FALSE(second.HandOver({ "/a" }, 100));
    }
    EXPECT_TRUE(kvntest::list_dir(theirs.path()).empty());
    qunsetenv("XDG_CACHE_HOME");
    qunsetenv("XDG_CONFIG_HOME");
}

// What a later start hands over is bounded: 20,000 paths arrive and are
// selected; a message with more paths than any start hands over, and a
// connection that stays silent, are dropped.
TEST(OtherUsers, HandOverIsBoundedAndSelectsThousandsAtOnce)
{
    kvntest::MainWindow w;
    CSingleInstance running("Kelvanetrix Plus"), later("Kelvanetrix Plus");
    running.SetIdleLimit(200);
    ASSERT_TRUE(running.Acquire());
    ASSERT_FALSE(later.Acquire());
    QList<QStringList> received;
    QObject::connect(&running, &CSingleInstance::filesHandedOver, [&](const QStringList& f) { received << f; });
    QObject::connect(&running, &CSingleInstance::filesHandedOver, &w.frame, &CMainFrame::OpenFiles);

    kvntest::TempDir many;
    QStringList paths;
    for (int n = 0; n < 20000; ++n) {
        const std::string path = many.file(std::to_string(100000 + n));
        ::close(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
        paths << QString::fromStdString(path);
    }
    kvntest::write_file(many.file("unnamed"), { 'x' });
    // From another thread, as from another process: this one has to read.
    bool handedOver = false;
    std::thread sender([&] { handedOver = later.HandOver(paths); });
    const bool arrived = QTest::qWaitFor([&] { return !received.isEmpty(); }, 20000);
    sender.join();
    EXPECT_TRUE(handedOver);
    ASSERT_TRUE(arrived);
    EXPECT_EQ(received[0].size(), 20000);
    EXPECT_EQ(w.frame.GetFileList()->GetSelectedCount(), 20000);
    EXPECT_EQ(w.frame.GetFileList()->RowCount(), 20001);

    // A count beyond the limit, and a connection that never sends.
    QLocalSocket flood, silent;
    flood.connectToServer(running.SocketPath());
    ASSERT_TRUE(flood.waitForConnected(5000));
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out << quint32(200000);
    for (int n = 0; n < 200000; ++n)
        out << QString();
    flood.write(message);
    flood.waitForBytesWritten(5000);
    flood.disconnectFromServer();
    silent.connectToServer(running.SocketPath());
    ASSERT_TRUE(silent.waitForConnected(5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return silent.state() == QLocalSocket::UnconnectedState; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(received.size(), 1);
}
