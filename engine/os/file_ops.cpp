// The engine's file-system calls on a POSIX system (file_ops_win.cpp has
// them for Windows), and the loops over them that every system shares.
#include "engine/os/file_ops.h"

#include <algorithm>
#include <cerrno>

#if !defined(_WIN32)
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace {

int result(int r)
{
    return r < 0 ? -errno : r;
}

void fill(const struct stat& st, FileInfo& info)
{
    info.regular = S_ISREG(st.st_mode);
    info.directory = S_ISDIR(st.st_mode);
    info.symlink = S_ISLNK(st.st_mode);
    info.links = std::uint64_t(st.st_nlink);
    info.size = std::uint64_t(st.st_size);
    info.device = std::uint64_t(st.st_dev);
    info.inode = std::uint64_t(st.st_ino);
    info.mode = unsigned(st.st_mode & 07777);
    info.modifiedSeconds = std::int64_t(st.st_mtim.tv_sec);
    info.modifiedNanoseconds = long(st.st_mtim.tv_nsec);
}

} // namespace

int CFileOps::Stat(const char* path, FileInfo& info)
{
    struct stat st { };
    if (::stat(path, &st) != 0)
        return -errno;
    fill(st, info);
    return 0;
}

int CFileOps::Lstat(const char* path, FileInfo& info)
{
    struct stat st { };
    if (::lstat(path, &st) != 0)
        return -errno;
    fill(st, info);
    return 0;
}

// Non-blocking so that a FIFO swapped in after the type check cannot hang
// the open; the caller checks the type again on the descriptor.
int CFileOps::OpenRead(const char* path)
{
    return result(::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
}

int CFileOps::CreateExclusive(const char* path, unsigned mode)
{
    return result(::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode));
}

int CFileOps::Fstat(int fd, FileInfo& info)
{
    struct stat st { };
    if (::fstat(fd, &st) != 0)
        return -errno;
    fill(st, info);
    return 0;
}

long CFileOps::Read(int fd, void* buffer, std::size_t size)
{
    for (;;) {
        const ssize_t n = ::read(fd, buffer, size);
        if (n >= 0)
            return long(n);
        if (errno != EINTR)
            return -errno;
    }
}

long CFileOps::Write(int fd, const void* buffer, std::size_t size)
{
    for (;;) {
        const ssize_t n = ::write(fd, buffer, size);
        if (n >= 0)
            return long(n);
        if (errno != EINTR)
            return -errno;
    }
}

namespace {

// readv or writev over up to kMaxPieces pieces, again when a signal cut it short.
long call_pieces(ssize_t (*call)(int, const struct iovec*, int), int fd, const IoPiece* pieces, int count)
{
    struct iovec io[CFileOps::kMaxPieces];
    count = std::min(count, CFileOps::kMaxPieces);
    for (int i = 0; i < count; ++i)
        io[i] = { pieces[i].data, pieces[i].size };
    for (;;) {
        const ssize_t n = call(fd, io, count);
        if (n >= 0)
            return long(n);
        if (errno != EINTR)
            return -errno;
    }
}

} // namespace

long CFileOps::ReadPieces(int fd, const IoPiece* pieces, int count)
{
    return call_pieces(::readv, fd, pieces, count);
}

long CFileOps::WritePieces(int fd, const IoPiece* pieces, int count)
{
    return call_pieces(::writev, fd, pieces, count);
}

int CFileOps::SetMode(int fd, unsigned mode)
{
    return result(::fchmod(fd, mode_t(mode)));
}

int CFileOps::SetModified(int fd, const FileInfo& from)
{
    struct timespec times[2] = {};
    times[0].tv_nsec = UTIME_OMIT; // the access time is the system's business
    times[1].tv_sec = time_t(from.modifiedSeconds);
    times[1].tv_nsec = from.modifiedNanoseconds;
    return result(::futimens(fd, times));
}

int CFileOps::Sync(int fd)
{
    return result(::fsync(fd));
}

void CFileOps::StartWriteback(int fd, std::uint64_t offset, std::uint64_t length, bool wait)
{
#if defined(SYNC_FILE_RANGE_WRITE)
    const unsigned flags = wait ? SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER
                                : SYNC_FILE_RANGE_WRITE;
    (void)::sync_file_range(fd, off64_t(offset), off64_t(length), flags);
#else
    (void)fd;
    (void)offset;
    (void)length;
    (void)wait;
#endif
}

int CFileOps::Close(int fd)
{
    return result(::close(fd));
}

int CFileOps::Remove(const char* path)
{
    return result(::unlink(path));
}

int CFileOps::Rename(const char* from, const char* to)
{
    return result(::rename(from, to));
}

// Where the system or the file system cannot rename without replacing, a
// second name made with link() fails just as atomically when the target
// exists; the working name is dropped after. File systems without hard links
// get a check just before the rename, the best they allow.
int CFileOps::RenameNoReplace(const char* from, const char* to)
{
#if defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return -errno;
#endif
    if (::link(from, to) == 0) {
        (void)::unlink(from);
        return 0;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP)
        return -errno;
    struct stat st { };
    if (::lstat(to, &st) == 0)
        return -EEXIST;
    return result(::rename(from, to));
}

int CFileOps::SyncFolder(const char* folder)
{
    const int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -errno;
    const int r = ::fsync(fd) == 0 ? 0 : -errno;
    ::close(fd);
    // Some file systems cannot sync a folder; the data itself is synced.
    return r == -EINVAL || r == -EROFS ? 0 : r;
}

#endif // !_WIN32

CFileOps& default_file_ops()
{
    static CFileOps ops;
    return ops;
}

long read_full(CFileOps& ops, int fd, void* buffer, std::size_t size)
{
    auto* p = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const long n = ops.Read(fd, p + done, size - done);
        if (n < 0)
            return n;
        if (n == 0)
            break;
        done += std::size_t(n);
    }
    return long(done);
}

int write_full(CFileOps& ops, int fd, const void* buffer, std::size_t size)
{
    const auto* p = static_cast<const unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const long n = ops.Write(fd, p + done, size - done);
        if (n < 0)
            return int(n);
        if (n == 0)
            return -ENOSPC;
        done += std::size_t(n);
    }
    return 0;
}

namespace {

// The pieces of a spaced layout from byte `done` of the file on, as many as
// one call takes.
int pieces_from(const unsigned char* buffer, std::size_t size, std::size_t piece, std::size_t stride, std::size_t done,
    IoPiece* out)
{
    int count = 0;
    while (done < size && count < CFileOps::kMaxPieces) {
        const std::size_t within = done % piece;
        const std::size_t n = std::min(piece - within, size - done);
        out[count++] = { const_cast<unsigned char*>(buffer) + done / piece * stride + within, n };
        done += n;
    }
    return count;
}

} // namespace

long read_full_spaced(
    CFileOps& ops, int fd, unsigned char* buffer, std::size_t size, std::size_t piece, std::size_t stride)
{
    if (piece == stride || size == 0)
        return read_full(ops, fd, buffer, size);
    IoPiece pieces[CFileOps::kMaxPieces];
    std::size_t done = 0;
    while (done < size) {
        const int count = pieces_from(buffer, size, piece, stride, done, pieces);
        const long n = ops.ReadPieces(fd, pieces, count);
        if (n < 0)
            return n;
        if (n == 0)
            break;
        done += std::size_t(n);
    }
    return long(done);
}

int write_full_spaced(
    CFileOps& ops, int fd, const unsigned char* buffer, std::size_t size, std::size_t piece, std::size_t stride)
{
    if (piece == stride || size == 0)
        return write_full(ops, fd, buffer, size);
    IoPiece pieces[CFileOps::kMaxPieces];
    std::size_t done = 0;
    while (done < size) {
        const int count = pieces_from(buffer, size, piece, stride, done, pieces);
        const long n = ops.WritePieces(fd, pieces, count);
        if (n < 0)
            return int(n);
        if (n == 0)
            return -ENOSPC;
        done += std::size_t(n);
    }
    return 0;
}
