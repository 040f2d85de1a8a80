// A new file that appears under its final name only when it is complete:
// written to a fresh temporary file beside the target, synced, then renamed
// over the target in one step. Until Commit succeeds nothing existing is
// touched, and an abandoned output removes its temporary file.
#pragma once

#include "engine/os/file_ops.h"

#include <cstdint>
#include <string>

class COutputFile {
public:
    explicit COutputFile(CFileOps& ops);
    ~COutputFile();
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    // Creates the temporary file for `finalPath`; false with Error() set when
    // it cannot be created. The caller has checked that the target, if there
    // is one, is a regular file or a symbolic link. Without `mayReplace` the
    // final rename fails rather than replace anything that has taken the
    // name meanwhile; a link that is replaced is replaced itself, never
    // written through.
    bool Create(const std::string& finalPath, unsigned mode, bool mayReplace);
    // Writes all of `data`; false, with Error() set, when this or an earlier
    // write failed. One thread at a time: the file loops write from one
    // worker at a time, in order, and wait for it before they go on.
    bool Write(const void* data, std::size_t size);
    // Writes `size` bytes laid out in pieces of `piece` bytes, `stride`
    // bytes apart (see write_full_spaced); like Write otherwise.
    bool WriteSpaced(const unsigned char* data, std::size_t size, std::size_t piece, std::size_t stride);
    // Give the data `source`'s modification time and close it, synced to
    // the disk first when `durable` (false: a write-out error; the output is
    // gone). Durability is needed when the output replaces a file or a
    // source is deleted after it; a brand-new file beside a kept source
    // loses nothing if a crash takes it.
    bool Finish(const FileInfo& source, bool durable);
    // Rename over the final path (and, when durable, sync the folder). On
    // failure the finished temporary file is kept, TempPath() names it; when
    // the rename throws, it is removed like an unfinished one.
    bool Commit();
    // Close and delete the temporary file.
    void Discard();

    const std::string& TempPath() const { return m_temp; }
    const std::string& FinalPath() const { return m_final; }
    int Error() const { return m_error; }

private:
    CFileOps& m_ops;
    std::string m_final;
    std::string m_temp;
    int DoWrite(const unsigned char* data, std::size_t size, std::size_t piece, std::size_t stride);

    int m_fd = -1;
    std::uint64_t m_written = 0;
    std::uint64_t m_flushed = 0; // writeback started up to here
    int m_error = 0;
    bool m_keep = false;
    bool m_durable = true;
    bool m_mayReplace = false;
};
