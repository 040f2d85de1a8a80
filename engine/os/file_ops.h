// The file-system calls the engine makes, behind one small interface so that
// tests can make any of them fail. Results follow one rule: >= 0 on success,
// -errno on failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

struct FileInfo {
    bool regular = false;
    bool directory = false;
    bool symlink = false; // the entry itself is a symbolic link (Lstat only)
    std::uint64_t links = 0; // names the file has (hard links)
    std::uint64_t size = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    unsigned mode = 0; // permission bits
    std::int64_t modifiedSeconds = 0; // last modification
    long modifiedNanoseconds = 0;
};

// One piece of a scattered read or a gathered write.
struct IoPiece {
    unsigned char* data;
    std::size_t size;
};

class CFileOps {
public:
    // The most pieces one ReadPieces or WritePieces call is given.
    static constexpr int kMaxPieces = 64;

    virtual ~CFileOps() = default;

    // Follows a symbolic link to what it names.
    virtual int Stat(const char* path, FileInfo& info);
    // The directory entry itself: a symbolic link is reported as one.
    virtual int Lstat(const char* path, FileInfo& info);
    virtual int OpenRead(const char* path);
    // Creates a new file that must not exist yet.
    virtual int CreateExclusive(const char* path, unsigned mode);
    virtual int Fstat(int fd, FileInfo& info);
    virtual long Read(int fd, void* buffer, std::size_t size);
    virtual long Write(int fd, const void* buffer, std::size_t size);
    // Like Read and Write over the `count` pieces in turn, as if they were
    // one buffer: one system call where the system has one, else a call per
    // piece until one comes up short.
    virtual long ReadPieces(int fd, const IoPiece* pieces, int count);
    virtual long WritePieces(int fd, const IoPiece* pieces, int count);
    virtual int SetMode(int fd, unsigned mode);
    // Gives the file the modification time recorded in `from`.
    virtual int SetModified(int fd, const FileInfo& from);
    virtual int Sync(int fd);
    // Asks the system to start writing a range out now, so that the final
    // sync finds little left to do; with `wait`, also waits until that range
    // is on the disk. Only a hint: failures are ignored.
    virtual void StartWriteback(int fd, std::uint64_t offset, std::uint64_t length, bool wait);
    virtual int Close(int fd);
    virtual int Remove(const char* path);
    // Puts `from` in the place of `to`, replacing whatever entry `to` names.
    virtual int Rename(const char* from, const char* to);
    // Like Rename, but fails with -EEXIST when `to` exists, checked by the
    // system in the same step as the rename.
    virtual int RenameNoReplace(const char* from, const char* to);
    virtual int SyncFolder(const char* folder);
};

// The real file system.
CFileOps& default_file_ops();

// Reads until `size` bytes are in or the file ends; -errno on a read error.
long read_full(CFileOps& ops, int fd, void* buffer, std::size_t size);
// Writes all of it or fails with -errno (ENOSPC for a write that wrote nothing).
int write_full(CFileOps& ops, int fd, const void* buffer, std::size_t size);
// The same for `size` bytes of the file laid out in `buffer` as pieces of
// `piece` bytes, `stride` bytes apart (the bytes between are not the file's):
// a scattered read and a gathered write.
long read_full_spaced(
    CFileOps& ops, int fd, unsigned char* buffer, std::size_t size, std::size_t piece, std::size_t stride);
int write_full_spaced(
    CFileOps& ops, int fd, const unsigned char* buffer, std::size_t size, std::size_t piece, std::size_t stride);
