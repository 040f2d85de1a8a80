// Locating the files that ship with the program.
#include "shell/program_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef KVN_DATA_DIR
#define KVN_DATA_DIR ""
#endif

namespace ProgramFolder {

namespace {

QString& overridden()
{
    static QString folder;
    return folder;
}

} // namespace

QString FolderFor(const QString& name)
{
    if (!overridden().isEmpty())
        return overridden();
    const QString beside = QCoreApplication::applicationDirPath();
    if (QFileInfo::exists(QDir(beside).filePath(name)))
        return beside;
    // Installed: share/kelvanetrix next to the program's bin folder, wherever
    // the tree was put, else where the build meant to install it.
    const QString relative = QDir::cleanPath(beside + QStringLiteral("/../share/kelvanetrix"));
    for (const QString& folder : { relative, QStringLiteral(KVN_DATA_DIR) })
        if (!folder.isEmpty() && QFileInfo::exists(QDir(folder).filePath(name)))
            return folder;
    return beside;
}

QString PathOf(const QString& name)
{
    return QDir(FolderFor(name)).filePath(name);
}

void Override(const QString& folder)
{
    overridden() = folder;
}

} // namespace ProgramFolder
