// The engine's file-system calls on Windows: UTF-16 paths, handles behind
// C runtime descriptors (so the interface keeps its int descriptors),
// FlushFileBuffers for syncing, and one MoveFileExW that replaces the target
// and returns only once the move is on the disk. Errors are given as -errno
// like on POSIX systems, mapped from the system's error codes.
#include "engine/os/file_ops.h"
#include "engine/os/wide_path.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {

using tessiral::wide_path;

int error_of(DWORD code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_NETWORK_ACCESS_DENIED:
        return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EBUSY;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_PARAMETER:
        return EINVAL;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    default:
        return EIO;
    }
}

int last_error()
{
    return -error_of(GetLastError());
}

HANDLE handle_of(int fd)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

// A C runtime descriptor owning the handle; -errno (the handle closed) when
// none is to be had.
int descriptor_for(HANDLE h, int flags)
{
    if (h == INVALID_HANDLE_VALUE)
        return last_error();
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), flags | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        return -EMFILE;
    }
    return fd;
}

// The read-only attribute stands for "nobody may write".
int fill(HANDLE h, FileInfo& info)
{
    BY_HANDLE_FILE_INFORMATION bhfi{};
    const DWORD type = GetFileType(h);
    info = FileInfo{};
    if (type != FILE_TYPE_DISK) // a console, a pipe, a device such as NUL
        return type == FILE_TYPE_UNKNOWN && GetLastError() != NO_ERROR ? last_error() : 0;
    if (!GetFileInformationByHandle(h, &bhfi))
        return last_error();
    info.directory = (bhfi.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    info.regular = !info.directory && (bhfi.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) == 0;
    info.size = (std::uint64_t(bhfi.nFileSizeHigh) << 32) | bhfi.nFileSizeLow;
    info.device = bhfi.dwVolumeSerialNumber;
    info.inode = (std::uint64_t(bhfi.nFileIndexHigh) << 32) | bhfi.nFileIndexLow;
    info.mode = info.directory ? 0777u : (bhfi.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 0444u : 0666u;
    info.links = bhfi.nNumberOfLinks;
    // 100-nanosecond ticks since 1601, kept as the seconds and nanoseconds since 1970.
    const std::uint64_t ticks
        = (std::uint64_t(bhfi.ftLastWriteTime.dwHighDateTime) << 32) | bhfi.ftLastWriteTime.dwLowDateTime;
    info.modifiedSeconds = std::int64_t(ticks / 10000000u) - 11644473600;
    info.modifiedNanoseconds = long(ticks % 10000000u) * 100;
    // A symbolic link or junction, when the name itself was opened.
    if (bhfi.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        info.symlink = true;
        info.regular = false;
    }
    return 0;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Asking for attributes only: never refused for a file another program
// holds open, and a folder opens too.
int stat_path(const char* path, DWORD flags, FileInfo& info)
{
    const HANDLE h = CreateFileW(wide_path(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return last_error();
    const int r = fill(h, info);
    CloseHandle(h);
    return r;
}

} // namespace

int CFileOps::Stat(const char* path, FileInfo& info)
{
    const int r = stat_path(path, 0, info);
    // Opened through any link: what it points to is described.
    info.symlink = false;
    return r;
}

// The name itself, a link not followed.
int CFileOps::Lstat(const char* path, FileInfo& info)
{
    return stat_path(path, FILE_FLAG_OPEN_REPARSE_POINT, info);
}

// Others may go on reading, writing and renaming meanwhile, as on POSIX
// systems; the caller notices a change of size.
int CFileOps::OpenRead(const char* path)
{
    return descriptor_for(CreateFileW(wide_path(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr),
        _O_RDONLY);
}

// Windows files take their permissions from the folder; `mode` has nothing
// to say here.
int CFileOps::CreateExclusive(const char* path, unsigned)
{
    return descriptor_for(CreateFileW(wide_path(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr),
        _O_WRONLY);
}

int CFileOps::Fstat(int fd, FileInfo& info)
{
    const HANDLE h = handle_of(fd);
    return h == INVALID_HANDLE_VALUE ? -EBADF : fill(h, info);
}

long CFileOps::Read(int fd, void* buffer, std::size_t size)
{
    DWORD n = 0;
    const DWORD want = size > (1u << 30) ? DWORD(1u << 30) : DWORD(size);
    if (!ReadFile(handle_of(fd), buffer, want, &n, nullptr)) {
        const DWORD code = GetLastError();
        return code == ERROR_HANDLE_EOF || code == ERROR_BROKEN_PIPE ? 0 : -error_of(code);
    }
    return long(n);
}

long CFileOps::Write(int fd, const void* buffer, std::size_t size)
{
    DWORD n = 0;
    const DWORD want = size > (1u << 30) ? DWORD(1u << 30) : DWORD(size);
    if (!WriteFile(handle_of(fd), buffer, want, &n, nullptr))
        return last_error();
    return long(n);
}

// No scattered or gathered calls on plain handles: a call per piece, until
// one comes up short (the plain calls: a test's hooks see one call). A
// failure after some bytes is left to the next call.
namespace {

template <class Call> long each_piece(const IoPiece* pieces, int count, Call call)
{
    long done = 0;
    for (int i = 0; i < count; ++i) {
        const long n = call(pieces[i]);
        if (n < 0)
            return done > 0 ? done : n;
        done += n;
        if (std::size_t(n) < pieces[i].size)
            break;
    }
    return done;
}

} // namespace

long CFileOps::ReadPieces(int fd, const IoPiece* pieces, int count)
{
    return each_piece(pieces, count, [&](const IoPiece& p) { return CFileOps::Read(fd, p.data, p.size); });
}

long CFileOps::WritePieces(int fd, const IoPiece* pieces, int count)
{
    return each_piece(pieces, count, [&](const IoPiece& p) { return CFileOps::Write(fd, p.data, p.size); });
}

// The output keeps the read-only attribute off: it has to be replaceable and
// removable like any file the engine makes.
int CFileOps::SetMode(int, unsigned)
{
    return 0;
}

int CFileOps::SetModified(int fd, const FileInfo& from)
{
    const std::uint64_t ticks
        = std::uint64_t(from.modifiedSeconds + 11644473600) * 10000000u + std::uint64_t(from.modifiedNanoseconds / 100);
    FILETIME written{ DWORD(ticks & 0xffffffffu), DWORD(ticks >> 32) };
    return SetFileTime(handle_of(fd), nullptr, nullptr, &written) ? 0 : last_error();
}

int CFileOps::Sync(int fd)
{
    return FlushFileBuffers(handle_of(fd)) ? 0 : last_error();
}

// Windows has no call to start a range's write-out early; the final flush
// does it all.
void CFileOps::StartWriteback(int, std::uint64_t, std::uint64_t, bool) { }

int CFileOps::Close(int fd)
{
    return _close(fd) == 0 ? 0 : -errno;
}

int CFileOps::Remove(const char* path)
{
    return DeleteFileW(wide_path(path).c_str()) ? 0 : last_error();
}

int CFileOps::Rename(const char* from, const char* to)
{
    return MoveFileExW(
               wide_path(from).c_str(), wide_path(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
        ? 0
        : last_error();
}

// Without MOVEFILE_REPLACE_EXISTING the move fails when the target exists.
int CFileOps::RenameNoReplace(const char* from, const char* to)
{
    return MoveFileExW(wide_path(from).c_str(), wide_path(to).c_str(), MOVEFILE_WRITE_THROUGH) ? 0 : last_error();
}

// The rename itself was written through; a folder has nothing more to sync.
int CFileOps::SyncFolder(const char*)
{
    return 0;
}
