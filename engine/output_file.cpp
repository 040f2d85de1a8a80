// Temporary-file-then-rename output.
#include "output_file.h"

#include <cerrno>
#include <random>
#include <system_error>

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

std::string folder_of(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string name_of(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

COutputFile::COutputFile(CFileOps& ops)
    : m_ops(ops)
{
}

COutputFile::~COutputFile()
{
    if (!m_keep)
        Discard();
}

bool COutputFile::Create(const std::string& finalPath, unsigned mode)
{
    m_final = finalPath;
    FileInfo target;
    if (m_ops.Stat(finalPath.c_str(), target) == 0 && !target.regular) {
        m_error = target.directory ? -EISDIR : -EEXIST;
        return false;
    }
    // The plain ".tmp" name first, as users know it; a unique one when that
    // name is taken, so that an unrelated file is never overwritten.
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_temp = attempt == 0 ? finalPath + ".tmp" : finalPath + "." + random_tag() + ".tmp";
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
    if (!WaitWrites() || m_fd < 0)
        return false;
    m_error = DoWrite(data, size);
    return m_error == 0;
}

bool COutputFile::WriteBehind(const void* data, std::size_t size)
{
    if (!WaitWrites() || m_fd < 0)
        return false;
    try {
        m_writer = std::thread([this, data, size] { m_writerResult = DoWrite(data, size); });
    } catch (const std::system_error&) {
        m_error = DoWrite(data, size); // no thread to be had: write here
    }
    return m_error == 0;
}

bool COutputFile::WaitWrites()
{
    if (m_writer.joinable()) {
        m_writer.join();
        if (m_writerResult != 0 && m_error == 0)
            m_error = m_writerResult;
    }
    return m_error == 0;
}

int COutputFile::DoWrite(const void* data, std::size_t size)
{
    const int r = write_full(m_ops, m_fd, data, size);
    if (r != 0)
        return r;
    m_written += size;
    // Hand finished megabytes to the disk while the cipher works on the
    // next, and let the window before them settle: this runs behind the
    // cipher, and the final sync then has only the tail left to wait for.
    constexpr std::uint64_t kWritebackStep = 4u << 20;
    if (m_written - m_flushed >= kWritebackStep) {
        m_ops.StartWriteback(m_fd, m_flushed, m_written - m_flushed, false);
        if (m_flushed > 0)
            m_ops.StartWriteback(m_fd, m_settled, m_flushed - m_settled, true);
        m_settled = m_flushed;
        m_flushed = m_written;
    }
    return 0;
}

bool COutputFile::Finish(bool durable)
{
    if (!WaitWrites() || m_fd < 0) {
        Discard();
        return false;
    }
    m_durable = durable;
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
    m_keep = true; // complete: whatever happens now, the data stays
    const int r = m_ops.Rename(m_temp.c_str(), m_final.c_str());
    if (r != 0) {
        m_error = r;
        return false;
    }
    m_temp.clear();
    m_error = m_durable ? m_ops.SyncFolder(folder_of(m_final).c_str()) : 0;
    return m_error == 0;
}

void COutputFile::Discard()
{
    if (m_writer.joinable())
        m_writer.join(); // never close the file under a write in flight
    if (m_fd >= 0) {
        m_ops.Close(m_fd);
        m_fd = -1;
    }
    if (!m_temp.empty()) {
        m_ops.Remove(m_temp.c_str());
        m_temp.clear();
    }
}
