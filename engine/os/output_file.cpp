// Temporary-file-then-rename output.
#include "engine/os/output_file.h"
#include "engine/os/naming_rules.h"

#include <cerrno>
#include <random>

namespace {

std::string random_tag()
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::string tag(6, 'x');
    for (auto& c : tag)
        c = letters[random() % (sizeof letters - 1)];
    return tag;
}

} // namespace

COutputFile::COutputFile(CFileOps& ops)
    : m_ops(ops)
{
}

// Also runs while something thrown passes by: a seam that throws again here
// must not end the program.
COutputFile::~COutputFile()
{
    if (m_keep)
        return;
    try {
        Discard();
    } catch (...) {
    }
}

bool COutputFile::Create(const std::string& finalPath, unsigned mode, bool mayReplace)
{
    m_final = finalPath;
    m_mayReplace = mayReplace;
    // The plain ".tmp" name first (the name the batch planned); a unique one when that
    // name is taken, so that an unrelated file is never overwritten.
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_temp = naming::temporary_path(finalPath, attempt == 0 ? std::string() : random_tag());
        const int fd = m_ops.CreateExclusive(m_temp.c_str(), 0600);
        if (fd >= 0) {
            m_fd = fd;
            m_error = m_ops.SetMode(fd, mode & 0777);
            if (m_error != 0) {
                Discard();
                return false;
            }
            return true;
        }
        if (fd != -EEXIST) {
            m_error = fd;
            m_temp.clear();
            return false;
        }
    }
    m_error = -EEXIST;
    m_temp.clear();
    return false;
}

bool COutputFile::Write(const void* data, std::size_t size)
{
    if (m_error != 0 || m_fd < 0)
        return false;
    m_error = DoWrite(static_cast<const unsigned char*>(data), size, size, size);
    return m_error == 0;
}

bool COutputFile::WriteSpaced(const unsigned char* data, std::size_t size, std::size_t piece, std::size_t stride)
{
    if (m_error != 0 || m_fd < 0)
        return false;
    m_error = DoWrite(data, size, piece, stride);
    return m_error == 0;
}

int COutputFile::DoWrite(const unsigned char* data, std::size_t size, std::size_t piece, std::size_t stride)
{
    const int r = write_full_spaced(m_ops, m_fd, data, size, piece, stride);
    if (r != 0)
        return r;
    m_written += size;
    // Hand finished megabytes to the disk while the cipher works on the
    // next, without waiting for them: a result that must be durable waits
    // in the final sync for only what is still on its way, and one that need
    // not be never waits for the disk.
    constexpr std::uint64_t kWritebackStep = 4u << 20;
    if (m_written - m_flushed >= kWritebackStep) {
        m_ops.StartWriteback(m_fd, m_flushed, m_written - m_flushed, false);
        m_flushed = m_written;
    }
    return 0;
}

bool COutputFile::Finish(const FileInfo& source, bool durable)
{
    if (m_error != 0 || m_fd < 0) {
        Discard();
        return false;
    }
    m_durable = durable;
    // A time the system cannot set is no reason to lose the result.
    (void)m_ops.SetModified(m_fd, source);
    int r = durable ? m_ops.Sync(m_fd) : 0;
    const int c = m_ops.Close(m_fd);
    m_fd = -1;
    if (r == 0)
        r = c;
    if (r != 0) {
        m_error = r;
        Discard();
        return false;
    }
    return true;
}

bool COutputFile::Commit()
{
    const int r = m_mayReplace ? m_ops.Rename(m_temp.c_str(), m_final.c_str())
                               : m_ops.RenameNoReplace(m_temp.c_str(), m_final.c_str());
    m_keep = true; // complete: whatever happens now, the data stays
    if (r != 0) {
        m_error = r;
        return false;
    }
    m_temp.clear();
    m_error = m_durable ? m_ops.SyncFolder(naming::folder_of(m_final).c_str()) : 0;
    return m_error == 0;
}

void COutputFile::Discard()
{
    if (m_fd >= 0) {
        m_ops.Close(m_fd);
        m_fd = -1;
    }
    if (!m_temp.empty()) {
        m_ops.Remove(m_temp.c_str());
        m_temp.clear();
    }
}
