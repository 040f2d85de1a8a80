// The real file system behind the file operations seam, with chosen calls made
// to fail or throw, and a log of the calls that open, sync, remove and rename.
// Reads and writes come from the engine's workers too.
#pragma once

#include "engine/os/file_ops.h"
#include "tests/support/temp_dir.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <new>
#include <string>
#include <vector>

namespace kvntest {

class FaultyOps final : public CFileOps {
public:
    int failingRead = -1; // the read of this number fails with EIO
    int endingRead = -1; // from the read of this number on, the file ends (it shrank)
    int removeError = 0;
    int renameError = 0;
    long writeBudget = -1; // bytes that may be written before ENOSPC; -1 unlimited
    std::size_t callLimit = 0; // when not 0: the most bytes one read or write call moves
    bool growSource = false;
    std::string intruder; // a file that appears under this name at the first write
    std::string throwOn; // the call that throws std::bad_alloc ...
    int throwAfter = 0; // ... after this many calls of it went through
    std::vector<std::string> log;

    int OpenRead(const char* path) override
    {
        log.push_back(std::string("open ") + path);
        maybe_throw("open");
        return CFileOps::OpenRead(path);
    }
    long Read(int fd, void* buffer, std::size_t size) override
    {
        const int n = BeforeRead();
        if (n == failingRead)
            return -EIO;
        if (endingRead >= 0 && n >= endingRead)
            return 0;
        return CFileOps::Read(fd, buffer, callLimit ? std::min(size, callLimit) : size);
    }
    long ReadPieces(int fd, const IoPiece* pieces, int count) override
    {
        const int n = BeforeRead();
        if (n == failingRead)
            return -EIO;
        if (endingRead >= 0 && n >= endingRead)
            return 0;
        const std::vector<IoPiece> cut = Cut(pieces, count, callLimit ? callLimit : ~std::size_t(0));
        return CFileOps::ReadPieces(fd, cut.data(), int(cut.size()));
    }
    long Write(int fd, const void* buffer, std::size_t size) override
    {
        if (!BeforeWrite(size))
            return -ENOSPC;
        return CFileOps::Write(fd, buffer, size);
    }
    long WritePieces(int fd, const IoPiece* pieces, int count) override
    {
        std::size_t size = 0;
        for (int i = 0; i < count; ++i)
            size += pieces[i].size;
        if (!BeforeWrite(size))
            return -ENOSPC;
        const std::vector<IoPiece> cut = Cut(pieces, count, size);
        return CFileOps::WritePieces(fd, cut.data(), int(cut.size()));
    }
    int Fstat(int fd, FileInfo& info) override
    {
        const int r = CFileOps::Fstat(fd, info);
        if (growSource && ++m_fstats > 1)
            info.size += 10;
        return r;
    }
    int Sync(int fd) override
    {
        log.push_back("sync");
        maybe_throw("sync");
        return CFileOps::Sync(fd);
    }
    int Remove(const char* path) override
    {
        log.push_back(std::string("remove ") + path);
        return removeError ? -removeError : CFileOps::Remove(path);
    }
    int Rename(const char* from, const char* to) override
    {
        log.push_back(std::string("rename ") + from + " -> " + to);
        maybe_throw("rename");
        return renameError ? -renameError : CFileOps::Rename(from, to);
    }
    int RenameNoReplace(const char* from, const char* to) override
    {
        log.push_back(std::string("rename-new ") + from + " -> " + to);
        return CFileOps::RenameNoReplace(from, to);
    }

private:
    // A read call: its number.
    int BeforeRead()
    {
        maybe_throw("read");
        return m_reads.fetch_add(1);
    }
    // A write call of `size` bytes: false when the disk is full, else
    // `size` cut to what may go in this call.
    bool BeforeWrite(std::size_t& size)
    {
        maybe_throw("write");
        if (callLimit != 0)
            size = std::min(size, callLimit);
        if (!intruder.empty()) {
            write_file(intruder, { 'n', 'e', 'w' });
            intruder.clear();
        }
        if (writeBudget >= 0) {
            if (writeBudget == 0)
                return false;
            size = std::min<std::size_t>(size, std::size_t(writeBudget));
            writeBudget -= long(size);
        }
        return true;
    }

    // The pieces cut to `bytes` in all.
    static std::vector<IoPiece> Cut(const IoPiece* pieces, int count, std::size_t bytes)
    {
        std::vector<IoPiece> cut;
        for (int i = 0; i < count && bytes != 0; ++i) {
            cut.push_back({ pieces[i].data, std::min(pieces[i].size, bytes) });
            bytes -= cut.back().size;
        }
        return cut;
    }

    std::atomic<int> m_reads{ 0 };
    int m_fstats = 0;
    int m_thrown = 0;
    void maybe_throw(const std::string& call)
    {
        if (call == throwOn && m_thrown++ == throwAfter)
            throw std::bad_alloc();
    }
};

} // namespace kvntest
