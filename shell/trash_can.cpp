// The trash on POSIX systems, at the level of the file system's own calls so
// that a name is moved as the bytes it is.
#include "shell/trash_can.h"

#include "engine/os/naming_rules.h"
#include "shell/local_path.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace trashcan {

QString HomeTrash()
{
    QString data = localpath::FromBytes(qgetenv("XDG_DATA_HOME"));
    if (data.isEmpty() || !data.startsWith(QLatin1Char('/')))
        data = QDir::homePath() + QStringLiteral("/.local/share");
    return data + QStringLiteral("/Trash");
}

#ifdef Q_OS_UNIX

namespace {

// Every missing folder of `path`, the user's alone.
int MakeFolders(const std::string& path)
{
    struct stat st { };
    if (::stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    if (path != "/" && path != ".") {
        if (const int e = MakeFolders(naming::folder_of(path)))
            return e;
    }
    return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST ? 0 : errno;
}

// The folder where the file system holding `path` begins.
std::string TopOf(const std::string& path)
{
    struct stat st { };
    std::string top = naming::folder_of(path);
    if (::stat(top.c_str(), &st) != 0)
        return top;
    const dev_t device = st.st_dev;
    while (top != "/") {
        const std::string up = naming::folder_of(top);
        if (::stat(up.c_str(), &st) != 0 || st.st_dev != device)
            break;
        top = up;
    }
    return top;
}

// The trash of the file system at `top`: the administrator's shared
// ".Trash/<uid>" when that is a proper sticky folder, else ".Trash-<uid>".
std::string TopTrash(const std::string& top)
{
    const std::string base = top == "/" ? std::string() : top;
    const std::string uid = std::to_string(::getuid());
    struct stat st { };
    const std::string shared = base + "/.Trash";
    if (::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX))
        return shared + "/" + uid;
    return base + "/.Trash-" + uid;
}

// Writes the record; `name` is changed to one not in use yet, which the
// record then holds.
int WriteInfo(const std::string& trash, std::string& name, const std::string& recorded)
{
    const std::string stem = name;
    for (int n = 1; n < 10000; ++n) {
        if (n > 1)
            name = stem + "." + std::to_string(n);
        struct stat st { };
        const std::string info = trash + "/info/" + name + ".trashinfo";
        if (::lstat((trash + "/files/" + name).c_str(), &st) == 0)
            continue;
        const int fd = ::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return errno;
        }
        const QByteArray text = "[Trash Info]\nPath=" + QByteArray::fromStdString(recorded).toPercentEncoding("/")
            + "\nDeletionDate=" + QDateTime::currentDateTime().toString(Qt::ISODate).left(19).toLatin1() + "\n";
        const bool written = ::write(fd, text.constData(), std::size_t(text.size())) == text.size();
        const int error = written ? 0 : (errno ? errno : ENOSPC);
        if (::close(fd) != 0 || !written) {
            ::unlink(info.c_str());
            return error ? error : EIO;
        }
        return 0;
    }
    return EEXIST;
}

// Moves the file into `trash`; `recorded` is the path the record gives.
int MoveInto(const std::string& trash, const std::string& path, const std::string& recorded)
{
    if (const int e = MakeFolders(trash + "/files"))
        return e;
    if (const int e = MakeFolders(trash + "/info"))
        return e;
    std::string name = naming::name_of(path);
    if (const int e = WriteInfo(trash, name, recorded))
        return e;
    if (::rename(path.c_str(), (trash + "/files/" + name).c_str()) == 0)
        return 0;
    const int e = errno;
    ::unlink((trash + "/info/" + name + ".trashinfo").c_str());
    return e;
}

} // namespace

bool MoveToTrash(const QString& path, QString* error)
{
    std::string file = localpath::ToStd(path);
    if (!file.empty() && file[0] != '/')
        file = localpath::ToStd(QDir::currentPath()) + "/" + file;
    while (file.size() > 1 && file.back() == '/')
        file.pop_back();
    struct stat st { };
    int e = ::lstat(file.c_str(), &st) == 0 ? 0 : errno;
    if (e == 0) {
        e = MoveInto(localpath::ToStd(HomeTrash()), file, file);
        if (e == EXDEV) {
            // Another file system: its own trash, the path recorded from its top.
            const std::string top = TopOf(file);
            const std::string relative = file.substr(top == "/" ? 1 : top.size() + 1);
            const std::string trash = TopTrash(top);
            // Another user's folder, or a link someone put there, is no trash of ours.
            struct stat own { };
            if (::lstat(trash.c_str(), &own) == 0 && (!S_ISDIR(own.st_mode) || own.st_uid != ::getuid()))
                e = EPERM;
            else
                e = MoveInto(trash, file, relative);
        }
    }
    if (e != 0 && error)
        *error = QString::fromLocal8Bit(std::strerror(e));
    return e == 0;
}

#else

bool MoveToTrash(const QString& path, QString* error)
{
    QFile file(path);
    if (file.moveToTrash())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

#endif

} // namespace trashcan
