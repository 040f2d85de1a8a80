// Reads the desktop's places from the standard locations and the mount table.
#include "browser/folder_place.h"

#include "browser/folder_name_order.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>

#include <algorithm>

namespace {

bool IsInside(const QString& path, const QString& folder)
{
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    return path.startsWith(prefix) && path.size() > prefix.size();
}

#ifndef Q_OS_WIN
QList<CFolderPlace> Volumes()
{
    const QString home = QDir::homePath();
    QList<CFolderPlace> volumes;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // Bind mounts of single files show up in the mount table too.
        if (volume.isValid() && volume.isReady() && IsUserVolume(volume.rootPath(), home)
            && QFileInfo(volume.rootPath()).isDir())
            volumes.append({ volume.displayName(), volume.rootPath(), CFolderPlace::Kind::Drive, {} });
    }
    const CFolderNameOrder order;
    std::sort(volumes.begin(), volumes.end(),
        [&order](const CFolderPlace& a, const CFolderPlace& b) { return order(a.name, b.name); });
    return volumes;
}
#endif

} // namespace

bool IsUserVolume(const QString& mountPath, const QString& home)
{
    const QString path = QDir::cleanPath(mountPath);
    if (IsInside(path, QStringLiteral("/media")) || IsInside(path, QStringLiteral("/run/media")))
        return true;
    return IsInside(path, home) && !path.mid(home.size()).contains(QStringLiteral("/."));
}

#ifndef Q_OS_WIN // Windows lists its drives in folder_place_win.cpp
QList<CFolderPlace> DesktopPlaces()
{
    const QString home = QDir::homePath();
    QList<CFolderPlace> places{ { QStandardPaths::displayName(QStandardPaths::HomeLocation), home, {}, {} } };
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QFileInfo(desktop).isDir() && QDir(desktop) != QDir(home))
        places.append({ QStandardPaths::displayName(QStandardPaths::DesktopLocation), desktop, {}, {} });

    const QList<CFolderPlace> volumes
        = QList<CFolderPlace>{ { QStringLiteral("File System"), QStringLiteral("/"), CFolderPlace::Kind::Drive, {} } }
        + Volumes();
    places.append({ QStringLiteral("Computer"), {}, CFolderPlace::Kind::Computer, volumes });
    places.append(volumes);
    return places;
}
#endif
