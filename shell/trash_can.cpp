// The trash on POSIX systems, at the level of the file system's own calls so
// that a name is moved as the bytes it is. On a volume other users can write
// to, every step goes by descriptors of folders checked to be the user's
// alone, never by a path someone could swap for a link in between.
#include "shell/trash_can.h"

#include "engine/os/naming_rules.h"
#include "shell/local_path.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
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

// Not an errno value: no trash folder could be trusted, so nothing moved.
constexpr int kNoSafeTrash = -1;

// A descriptor, closed when it goes.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd)
        : m_fd(fd)
    {
    }
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(Fd&& other) noexcept
        : m_fd(std::exchange(other.m_fd, -1))
    {
    }
    Fd& operator=(Fd&& other) noexcept
    {
        if (this != &other) {
            if (m_fd >= 0)
                ::close(m_fd);
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    int get() const { return m_fd; }
    bool ok() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

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

// How closed a trash folder must be: a volume's trash is shared with nobody
// (0700); the home trash, inside the user's own home, only with no writer.
enum class Closed { ToAll, ToWriters };

// Opens the folder `name` below the folder `at`, made 0700 when missing,
// never through a link, and only when it is the user's and closed as asked.
// Every later step goes by the descriptor, so that nobody can swap the
// folder for another between the check and the use.
int OpenOwnFolder(int at, const char* name, Closed closed, Fd& folder)
{
    if (::mkdirat(at, name, 0700) != 0 && errno != EEXIST)
        return errno;
    Fd fd(::openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.ok())
        return errno == ELOOP || errno == ENOTDIR ? kNoSafeTrash : errno;
    struct stat st { };
    if (::fstat(fd.get(), &st) != 0)
        return errno;
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid() || (st.st_mode & (closed == Closed::ToAll ? 077 : 022)) != 0)
        return kNoSafeTrash;
    folder = std::move(fd);
    return 0;
}

// A trash's "files" and "info" folders, open.
struct Trash {
    Fd files;
    Fd info;
};

int OpenTrash(int at, const std::string& name, Closed closed, Trash& trash)
{
    Fd root;
    if (const int e = OpenOwnFolder(at, name.c_str(), closed, root))
        return e;
    if (const int e = OpenOwnFolder(root.get(), "files", closed, trash.files))
        return e;
    return OpenOwnFolder(root.get(), "info", closed, trash.info);
}

int OpenHomeTrash(Trash& trash)
{
    const std::string home = localpath::ToStd(HomeTrash());
    const std::string parent = naming::folder_of(home);
    if (const int e = MakeFolders(parent))
        return e;
    const Fd at(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!at.ok())
        return errno;
    return OpenTrash(at.get(), naming::name_of(home), Closed::ToWriters, trash);
}

// The trash of the file system at `top`: the administrator's ".Trash/<uid>"
// when ".Trash" is a sticky folder (not a link) of root's or the user's and
// "<uid>" in it is the user's alone; else ".Trash-<uid>", the user's alone.
int OpenTopTrash(const std::string& top, Trash& trash)
{
    const Fd at(::open(top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!at.ok())
        return errno;
    const std::string uid = std::to_string(::getuid());
    const Fd shared(::openat(at.get(), ".Trash", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st { };
    if (shared.ok() && ::fstat(shared.get(), &st) == 0 && (st.st_mode & S_ISVTX) != 0
        && (st.st_uid == 0 || st.st_uid == ::getuid()) && OpenTrash(shared.get(), uid, Closed::ToAll, trash) == 0)
        return 0;
    trash = Trash();
    return OpenTrash(at.get(), ".Trash-" + uid, Closed::ToAll, trash);
}

// Writes the record; `name` is changed to one not in use yet, which the
// record then holds.
int WriteInfo(const Trash& trash, std::string& name, const std::string& recorded)
{
    const std::string stem = name;
    for (int n = 1; n < 10000; ++n) {
        if (n > 1)
            name = stem + "." + std::to_string(n);
        struct stat st { };
        if (::fstatat(trash.files.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
            continue;
        if (errno != ENOENT)
            return errno;
        const std::string info = name + ".trashinfo";
        const int fd
            = ::openat(trash.info.get(), info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
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
            ::unlinkat(trash.info.get(), info.c_str(), 0);
            return error ? error : EIO;
        }
        return 0;
    }
    return EEXIST;
}

// A rename that never replaces what is there.
int RenameInto(int fromFolder, const std::string& from, int toFolder, const std::string& to)
{
#ifdef RENAME_NOREPLACE
    if (::renameat2(fromFolder, from.c_str(), toFolder, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
#endif
    return ::renameat(fromFolder, from.c_str(), toFolder, to.c_str()) == 0 ? 0 : errno;
}

// Moves the file `name` of the folder `from` into `trash`; `recorded` is
// the path the record gives.
int MoveInto(const Trash& trash, int from, const std::string& name, const std::string& recorded)
{
    std::string inTrash = name;
    if (const int e = WriteInfo(trash, inTrash, recorded))
        return e;
    const int e = RenameInto(from, name, trash.files.get(), inTrash);
    if (e != 0)
        ::unlinkat(trash.info.get(), (inTrash + ".trashinfo").c_str(), 0);
    return e;
}

int MoveFile(const std::string& file)
{
    const Fd from(::open(naming::folder_of(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!from.ok())
        return errno;
    const std::string name = naming::name_of(file);
    struct stat st { };
    if (::fstatat(from.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    Trash home;
    if (const int e = OpenHomeTrash(home))
        return e;
    struct stat homeFacts { };
    int e = ::fstat(home.files.get(), &homeFacts) != 0 ? errno : homeFacts.st_dev != st.st_dev ? EXDEV : 0;
    if (e == 0)
        e = MoveInto(home, from.get(), name, file);
    if (e != EXDEV)
        return e;
    // Another file system: its own trash, the path recorded from its top.
    const std::string top = TopOf(file);
    Trash trash;
    if (const int opened = OpenTopTrash(top, trash))
        return opened;
    return MoveInto(trash, from.get(), name, file.substr(top == "/" ? 1 : top.size() + 1));
}

} // namespace

bool MoveToTrash(const QString& path, QString* error)
{
    std::string file = localpath::ToStd(path);
    if (!file.empty() && file[0] != '/')
        file = localpath::ToStd(QDir::currentPath()) + "/" + file;
    while (file.size() > 1 && file.back() == '/')
        file.pop_back();
    const int e = MoveFile(file);
    if (e != 0 && error)
        *error = e == kNoSafeTrash ? QString::fromLatin1(kNoSafeTrashText) : QString::fromLocal8Bit(std::strerror(e));
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
