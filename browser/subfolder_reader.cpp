// Subfolders straight from the directory on POSIX systems; through QDir elsewhere.
#include "browser/subfolder_reader.h"

#include "shell/local_path.h"

#ifdef Q_OS_UNIX
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#else
#include <QDir>
#endif

namespace filelist {

#ifdef Q_OS_UNIX

QStringList ReadSubfolders(const QString& folder, bool hidden, bool firstOnly)
{
    QStringList names;
    DIR* dir = ::opendir(localpath::ToBytes(folder).constData());
    if (!dir)
        return names;
    const int fd = ::dirfd(dir);
    while (const dirent* d = ::readdir(dir)) {
        const char* name = d->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0 || (name[0] == '.' && !hidden))
            continue;
        bool isFolder = d->d_type == DT_DIR;
        if (d->d_type == DT_UNKNOWN || d->d_type == DT_LNK) {
            struct stat st { };
            isFolder = ::fstatat(fd, name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        if (!isFolder)
            continue;
        names.append(localpath::FromBytes(name, qsizetype(std::strlen(name))));
        if (firstOnly)
            break;
    }
    ::closedir(dir);
    return names;
}

#else

QStringList ReadSubfolders(const QString& folder, bool hidden, bool firstOnly)
{
    QDir::Filters filters = QDir::Dirs | QDir::NoDotAndDotDot;
    if (hidden)
        filters |= QDir::Hidden | QDir::System;
    QStringList names = QDir(folder).entryList(filters, QDir::NoSort);
    if (firstOnly && names.size() > 1)
        names = names.mid(0, 1);
    return names;
}

#endif

} // namespace filelist
