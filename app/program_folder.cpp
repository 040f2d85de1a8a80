// Locating the files that ship with the program.
#include "program_folder.h"

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
    const QString installed = QStringLiteral(KVN_DATA_DIR);
    if (!installed.isEmpty() && QFileInfo::exists(QDir(installed).filePath(name)))
        return installed;
    return beside;
}

QString PathOf(const QString& name) { return QDir(FolderFor(name)).filePath(name); }

void Override(const QString& folder) { overridden() = folder; }

} // namespace ProgramFolder
