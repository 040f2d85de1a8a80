// The Recycle Bin: the shell's own file operation, with undo, so that the
// file can be restored from the bin as any other deleted file.
#include "shell/trash_can.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

#include <shellapi.h>

namespace trashcan {

QString HomeTrash()
{
    return {}; // the Recycle Bin is no folder of the user's
}

namespace {

bool Fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

bool MoveToTrash(const QString& path, QString* error)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return Fail(error, QStringLiteral("The file does not exist."));
    // A list of names, each ended by a null, the list by a second one.
    std::wstring from = QDir::toNativeSeparators(info.absoluteFilePath()).toStdWString();
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    // Where the bin cannot take the file (too large, no bin on the drive)
    // the shell asks before deleting it for good instead of doing so quietly.
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_WANTNUKEWARNING | FOF_NOERRORUI | FOF_SILENT;
    const int result = SHFileOperationW(&op);
    if (result != 0 || op.fAnyOperationsAborted)
        return Fail(
            error, QStringLiteral("The shell could not move the file to the Recycle Bin (error %1).").arg(result));
    if (QFileInfo::exists(path))
        return Fail(error, QStringLiteral("The file is still there."));
    return true;
}

} // namespace trashcan
