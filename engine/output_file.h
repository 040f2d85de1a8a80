// A new file that appears under its final name only when it is complete:
// written to a fresh temporary file beside the target, synced, then renamed
// over the target in one step. Until Commit succeeds nothing existing is
// touched, and an abandoned output removes its temporary file.
#pragma once

#include "file_ops.h"

#include <string>
#include <thread>

class COutputFile {
public:
    explicit COutputFile(CFileOps& ops);
    ~COutputFile();
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    // Creates the temporary file for `finalPath`; false with Error() set when
    // it cannot be created or the target exists and is not a regular file.
    bool Create(const std::string& finalPath, unsigned mode);
    bool Write(const void* data, std::size_t size);
    // Starts writing `data` on a helper thread and returns; the caller leaves
    // the bytes alone until the next write or wait. One write is in flight
    // at a time, so the caller can fill a second buffer meanwhile.
    bool WriteBehind(const void* data, std::size_t size);
    // Waits for the write in flight; false when it (or an earlier one) failed.
    bool WaitWrites();
    // Close the data, synced to the disk first when `durable` (false: a
    // write-out error; the output is gone). Durability is needed when the
    // output replaces a file or a source is deleted after it; a brand-new
    // file beside a kept source loses nothing if a crash takes it.
    bool Finish(bool durable);
    // Rename over the final path (and, when durable, sync the folder). On
    // failure the finished temporary file is kept, TempPath() names it.
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
    int DoWrite(const void* data, std::size_t size);

    int m_fd = -1;
    std::thread m_writer; // the write in flight, if any
    int m_writerResult = 0;
    std::uint64_t m_written = 0;
    std::uint64_t m_flushed = 0; // writeback started up to here
    std::uint64_t m_settled = 0; // and waited for up to here
    int m_error = 0;
    bool m_keep = false;
    bool m_durable = true;
};

// The folder part of a path ("." when it has none).
std::string folder_of(const std::string& path);
// The name part of a path, without its folder.
std::string name_of(const std::string& path);
