// The desktop program's Windows services, run under Wine: settings in the
// registry, the Recycle Bin, the file system's attributes, the drives, and
// the hand-over of files to the running copy.
#include "app/cipher_app.h"
#include "app/single_instance.h"
#include "batch/file_attributes.h"
#include "browser/file_list_reader.h"
#include "browser/folder_place.h"
#include "config/settings_store.h"
#include "shell/shell_service.h"
#include "tests/support/temp_dir.h"
#include "tests/windows/win_files.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// A name no code page holds: the path must travel as UTF-16.
const std::string kOddName = "\xce\xb1\xce\xb2 \xe2\x9c\x93 \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x94\x92.txt";

QString Q(const std::string& path)
{
    return QString::fromStdString(path);
}

} // namespace

TEST(WindowsServices, SettingsRoundTripThroughTheRegistry)
{
    CSettingsStore store;
    store.WriteString(QStringLiteral("WineTest"), QStringLiteral("Folder"), Q(kOddName));
    store.WriteInt(QStringLiteral("WineTest"), QStringLiteral("Count"), 7);
    const std::wstring key = L"Software\\Kelvanetrix Plus Setting\\Kelvanetrix Plus\\WineTest";
    EXPECT_EQ(wintest::registry_string(key, L"Folder"), Q(kOddName).toStdWString());
    CSettingsStore again;
    EXPECT_EQ(again.GetString(QStringLiteral("winetest"), QStringLiteral("Folder")), Q(kOddName));
    EXPECT_EQ(again.GetInt(QStringLiteral("WineTest"), QStringLiteral("Count"), 0), 7u);
    QSettings(QStringLiteral("HKEY_CURRENT_USER\\Software\\Kelvanetrix Plus Setting\\Kelvanetrix Plus"),
        QSettings::NativeFormat)
        .remove(QStringLiteral("WineTest"));
    EXPECT_TRUE(wintest::registry_string(key, L"Folder").empty());
}

TEST(WindowsServices, DeleteMovesIntoTheRecycleBin)
{
    kvntest::TempDir dir;
    const std::string file = dir.file(kOddName);
    wintest::write(file, { 1, 2, 3 });
    const long long before = wintest::recycled_items();
    QString error;
    ASSERT_TRUE(CShellService::Instance().MoveToTrash(Q(file), &error)) << error.toStdString();
    EXPECT_FALSE(wintest::exists(file));
    if (before >= 0) {
        EXPECT_EQ(wintest::recycled_items(), before + 1);
    }
    // Nothing there: an error, not a success.
    EXPECT_FALSE(CShellService::Instance().MoveToTrash(Q(file), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(WindowsServices, AttributesComeFromTheFileSystem)
{
    kvntest::TempDir dir;
    const std::string plain = dir.file("plain.txt"), flagged = dir.file(".not hidden by its name");
    wintest::write(plain, { 1 });
    wintest::write(flagged, { 1 });
    const batch::FileAttributes normal = batch::QueryAttributes(flagged);
    EXPECT_TRUE(normal.found);
    EXPECT_FALSE(normal.hidden || normal.readOnly || normal.system);
    ASSERT_TRUE(wintest::set_attribute(plain, wintest::Attribute::Hidden));
    EXPECT_TRUE(batch::QueryAttributes(plain).hidden);
    ASSERT_TRUE(wintest::set_attribute(plain, wintest::Attribute::System));
    EXPECT_TRUE(batch::QueryAttributes(plain).system);
    ASSERT_TRUE(wintest::set_attribute(plain, wintest::Attribute::ReadOnly));
    EXPECT_TRUE(batch::QueryAttributes(plain).readOnly);

    // The file list shows the same, and hides what the filter asks it to.
    ASSERT_TRUE(wintest::set_attribute(plain, wintest::Attribute::Hidden));
    const auto all = filelist::ReadEntries(Q(dir.path()), {});
    ASSERT_EQ(all.size(), 2u);
    for (const auto& e : all)
        EXPECT_EQ(e.attributes.hidden, e.name == QStringLiteral("plain.txt"));
    filelist::Filter filter;
    filter.hidden = true;
    const auto shown = filelist::ReadEntries(Q(dir.path()), filter);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].name, QStringLiteral(".not hidden by its name"));
    wintest::set_attribute(plain, wintest::Attribute::Normal);
}

TEST(WindowsServices, ComputerListsTheDrives)
{
    const QList<CFolderPlace> places = DesktopPlaces();
    const auto computer = std::find_if(
        places.begin(), places.end(), [](const CFolderPlace& p) { return p.kind == CFolderPlace::Kind::Computer; });
    ASSERT_NE(computer, places.end());
    bool c = false;
    for (const CFolderPlace& drive : computer->children) {
        EXPECT_EQ(drive.kind, CFolderPlace::Kind::Drive);
        EXPECT_FALSE(drive.name.isEmpty());
        if (drive.path == QStringLiteral("C:/")) {
            c = true;
            EXPECT_TRUE(drive.name.contains(QStringLiteral("C:"))) << drive.name.toStdString();
        }
    }
    EXPECT_TRUE(c);
}

TEST(WindowsServices, LaterStartHandsItsFilesToTheRunningCopy)
{
    // This process is the running copy; the program itself is the later start.
    CSingleInstance running(QString::fromLatin1(CCipherApp::kAppName));
    ASSERT_TRUE(running.Acquire());
    kvntest::TempDir dir;
    const std::string file = dir.file(kOddName);
    wintest::write(file, { 1 });
    QStringList received;
    QObject::connect(&running, &CSingleInstance::filesHandedOver, [&](const QStringList& f) { received = f; });

    // The later start, while this copy answers: it ends once it has handed
    // the files over.
    wintest::Run later;
    std::atomic<bool> ended{ false };
    std::thread start([&] {
        later = wintest::run_beside("Kelvanetrix.exe", { file }, "QT_QPA_PLATFORM=windows");
        ended = true;
    });
    const QDeadlineTimer deadline(30000);
    while (!(ended && !received.isEmpty()) && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    start.join();
    EXPECT_EQ(later.status, 0u);
    EXPECT_EQ(received, QStringList{ QDir::cleanPath(QFileInfo(Q(file)).absoluteFilePath()) });
}
