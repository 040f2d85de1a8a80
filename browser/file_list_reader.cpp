// Folder reading. On POSIX systems straight from the directory, relative to
// its handle: a folder of 100,000 files costs two short system calls a file
// instead of the half dozen full-path ones QFileInfo would make.
#include "browser/file_list_reader.h"

#include "batch/file_attributes.h"
#include "shell/local_path.h"

#ifdef Q_OS_UNIX
#include <QFile>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <system_error>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QDirIterator>
#include <QFileInfo>

#include <qt_windows.h>
#endif

namespace filelist {

#ifdef Q_OS_UNIX

namespace {

class DirHandle {
public:
    explicit DirHandle(const QString& folder)
        : m_dir(::opendir(localpath::ToBytes(folder).constData()))
    {
    }
    ~DirHandle()
    {
        if (m_dir)
            ::closedir(m_dir);
    }
    DirHandle(const DirHandle&) = delete;
    DirHandle& operator=(const DirHandle&) = delete;

    DIR* get() const { return m_dir; }

private:
    DIR* m_dir;
};

// Fills in one entry; false when it is to be left out.
bool Examine(int dirFd, const std::string& name, Filter filter, Entry& e)
{
    struct stat st { };
    // A link counts as what it points to; a link to nothing is still an
    // entry, and neither a file nor a folder.
    if (::fstatat(dirFd, name.c_str(), &st, 0) != 0 && ::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (S_ISDIR(st.st_mode))
        return false;
    // The replace-mode checks' rule (folders were left out above).
    const bool writable = (st.st_mode & 0222) != 0 && ::faccessat(dirFd, name.c_str(), W_OK, 0) == 0;
    const batch::PosixAttributes rule = batch::ClassifyPosix(name, st.st_mode, writable);
    e.attributes.hidden = rule.hidden;
    e.attributes.system = rule.system;
    if (e.attributes.system && filter.system)
        return false;
    e.attributes.readOnly = rule.readOnly;
    e.name = localpath::FromBytes(name.data(), qsizetype(name.size()));
    e.size = st.st_size;
    e.modified = st.st_mtime;
    return true;
}

// Runs work(begin, end) over [0, n) on a few threads when n is large: the
// status queries wait on the file system, a network one most of all.
void ForRanges(std::size_t n, const std::function<void(std::size_t, std::size_t)>& work)
{
    constexpr std::size_t kPerThread = 4096;
    const std::size_t hardware = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t parts = std::min({ hardware, std::size_t(8), std::max(std::size_t(1), n / kPerThread) });
    const std::size_t chunk = parts ? (n + parts - 1) / parts : n;
    std::vector<std::thread> threads;
    for (std::size_t begin = chunk; begin < n; begin += chunk) {
        const std::size_t end = std::min(n, begin + chunk);
        try {
            threads.emplace_back(work, begin, end);
        } catch (const std::system_error&) {
            work(begin, end); // no thread to be had: this one does it
        }
    }
    work(0, std::min(n, chunk));
    for (std::thread& t : threads)
        t.join();
}

} // namespace

std::vector<Entry> ReadEntries(const QString& folder, Filter filter)
{
    std::vector<Entry> entries;
    DirHandle dir(folder);
    if (!dir.get())
        return entries;
    std::vector<std::string> names;
    while (const dirent* d = ::readdir(dir.get())) {
        const char* name = d->d_name;
        if (d->d_type == DT_DIR || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        if (name[0] == '.' && filter.hidden)
            continue;
        names.emplace_back(name);
    }

    const int fd = ::dirfd(dir.get());
    std::vector<Entry> examined(names.size());
    std::vector<char> kept(names.size(), 0);
    ForRanges(names.size(), [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i)
            kept[i] = Examine(fd, names[i], filter, examined[i]);
    });
    entries.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        if (kept[i])
            entries.push_back(std::move(examined[i]));
    return entries;
}

#else

static Attributes AttributesOf(const QFileInfo& info)
{
    Attributes a;
    const DWORD bits = GetFileAttributesW(reinterpret_cast<const wchar_t*>(info.absoluteFilePath().utf16()));
    if (bits != INVALID_FILE_ATTRIBUTES) {
        a.archive = bits & FILE_ATTRIBUTE_ARCHIVE;
        a.system = bits & FILE_ATTRIBUTE_SYSTEM;
        a.hidden = bits & FILE_ATTRIBUTE_HIDDEN;
        a.readOnly = bits & FILE_ATTRIBUTE_READONLY;
    }
    return a;
}

std::vector<Entry> ReadEntries(const QString& folder, Filter filter)
{
    std::vector<Entry> entries;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isDir())
            continue;
        Entry e;
        e.attributes = AttributesOf(info);
        if ((filter.hidden && e.attributes.hidden) || (filter.system && e.attributes.system))
            continue;
        e.name = info.fileName();
        e.size = info.size();
        e.modified = info.lastModified().toSecsSinceEpoch();
        entries.push_back(std::move(e));
    }
    return entries;
}

#endif

} // namespace filelist
