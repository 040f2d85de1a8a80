// The folder tree's top level as the desktop shows it: home, desktop, the
// computer with its volumes, the file system root and the user's volumes.
#pragma once

#include <QList>
#include <QString>

struct CFolderPlace {
    enum class Kind { Folder, Drive, Computer };

    QString name;
    QString path; // empty for a virtual item, which is no file-system folder
    Kind kind = Kind::Folder;
    QList<CFolderPlace> children; // what a virtual item lists

    bool IsVirtual() const { return path.isEmpty(); }
};

// The places of this machine's desktop, read afresh on every call so that a
// volume mounted since the last call appears.
QList<CFolderPlace> DesktopPlaces();

// Whether the desktop shows a volume mounted at `mountPath` to the user:
// removable media and mounts inside the home folder, not system mounts.
bool IsUserVolume(const QString& mountPath, const QString& home);
