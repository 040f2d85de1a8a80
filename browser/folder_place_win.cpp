// The places of a Windows desktop: the user's folder, the desktop, and the
// computer with every drive, each named as the shell names it ("Local Disk
// (C:)").
#include "browser/folder_place.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <windows.h>

#include <shellapi.h>

namespace {

QString DriveName(const std::wstring& root)
{
    SHFILEINFOW info{};
    if (SHGetFileInfoW(root.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME) && info.szDisplayName[0])
        return QString::fromWCharArray(info.szDisplayName);
    // The volume's own label, when the shell gives no name.
    wchar_t label[MAX_PATH + 1] = {};
    const QString letter = QString::fromWCharArray(root.c_str(), 2);
    if (GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0) && label[0])
        return QStringLiteral("%1 (%2)").arg(QString::fromWCharArray(label), letter);
    return letter;
}

QList<CFolderPlace> Drives()
{
    QList<CFolderPlace> drives;
    const DWORD letters = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(letters & (1u << i)))
            continue;
        const std::wstring root = { wchar_t(L'A' + i), L':', L'\\' };
        // An empty card reader or optical drive is listed; opening it says
        // that it has no medium.
        drives.append(
            { DriveName(root), QString(QChar(u'A' + i)) + QStringLiteral(":/"), CFolderPlace::Kind::Drive, {} });
    }
    return drives;
}

} // namespace

QList<CFolderPlace> DesktopPlaces()
{
    const QString home = QDir::homePath();
    QList<CFolderPlace> places{ { QStandardPaths::displayName(QStandardPaths::HomeLocation), home, {}, {} } };
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!desktop.isEmpty() && QFileInfo(desktop).isDir() && QDir(desktop) != QDir(home))
        places.append({ QStandardPaths::displayName(QStandardPaths::DesktopLocation), desktop, {}, {} });
    places.append({ QStringLiteral("Computer"), {}, CFolderPlace::Kind::Computer, Drives() });
    return places;
}
