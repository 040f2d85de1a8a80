// The shared half of the per-file loops.
#include "file_job.h"

#include "messages.h"
#include "progress/percent_progress_ctrl.h"
#include "secure_zero.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

CFileJob::CFileJob(CIdea& engine, const CipherRow& row)
    : m_engine(engine)
    , m_row(row)
    , m_ops(engine.m_pFileOps ? *engine.m_pFileOps : default_file_ops())
    , m_buffer(new unsigned char[2 * kChunk])
{
}

// The buffer held plain text; it is not left lying around.
CFileJob::~CFileJob()
{
    CloseSource();
    tessiral::secure_zero(m_buffer.get(), 2 * kChunk);
}

bool CFileJob::OpenSource(const char* path)
{
    FileInfo info;
    if (m_ops.Stat(path, info) != 0 || !info.regular)
        return false;
    const int fd = m_ops.OpenRead(path);
    if (fd < 0)
        return false;
    if (m_ops.Fstat(fd, m_source) != 0 || !m_source.regular) {
        m_ops.Close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void CFileJob::CloseSource()
{
    if (m_fd >= 0) {
        m_ops.Close(m_fd);
        m_fd = -1;
    }
}

long CFileJob::ReadSource(void* buffer, std::size_t size)
{
    return read_full(m_ops, m_fd, buffer, size);
}

bool CFileJob::SourceUnchanged(std::uint64_t bytesRead)
{
    FileInfo now;
    return bytesRead == m_source.size && m_ops.Fstat(m_fd, now) == 0 && now.size == m_source.size;
}

bool CFileJob::CreateOutput(COutputFile& out, const std::string& finalPath, bool replace)
{
    FileInfo target;
    if (!replace && m_ops.Stat(finalPath.c_str(), target) == 0 && target.device == m_source.device
        && target.inode == m_source.inode) {
        ShowFormatted(msg::kCreateFailedCaption, msg::kSameFile, finalPath);
        return false;
    }
    if (!out.Create(finalPath, m_source.mode & 0777)) {
        Show(msg::kCreateFailed, msg::kCreateFailedCaption, MB_OKCANCEL | MB_ICONERROR);
        return false;
    }
    return true;
}

void CFileJob::Announce(const char* path, const char* verb)
{
    ++m_engine.m_nFileIndex;
    char count[64];
    std::snprintf(count, sizeof count, "%d/%d", m_engine.m_nFileIndex, m_engine.m_nTotalFiles);
    if (m_engine.m_pStatusWnd)
        m_engine.m_pStatusWnd->SetWindowText((name_of(path) + verb).c_str());
    if (m_engine.m_pCountWnd)
        m_engine.m_pCountWnd->SetWindowText((std::string(count) + msg::kFiles).c_str());
}

void CFileJob::ProgressStart(std::uint64_t length)
{
    m_counter = 0;
    m_pos = 1;
    m_step = length > 100 ? length / 100 : 1;
    if (m_engine.m_pProgress) {
        m_engine.m_pProgress->SetRange(0, 100);
        m_engine.m_pProgress->SetPos(1);
    }
}

// Block by block the counter grows by B until it reaches the step; the next
// block then moves the bar on and restarts the count. Whole runs of blocks
// that only grow the counter are skipped in one go.
void CFileJob::ProgressBlocks(std::uint64_t blocks)
{
    const std::uint64_t b = m_row.block;
    while (blocks > 0) {
        if (m_counter < m_step) {
            const std::uint64_t until = (m_step - m_counter + b - 1) / b;
            const std::uint64_t n = until < blocks ? until : blocks;
            m_counter += n * b;
            blocks -= n;
        } else {
            m_counter = 0;
            ++m_pos;
            if (m_engine.m_pProgress)
                m_engine.m_pProgress->SetPos(m_pos);
            --blocks;
        }
    }
}

void CFileJob::ProgressEnd()
{
    if (m_engine.m_pProgress)
        m_engine.m_pProgress->SetPos(100);
}

int CFileJob::Finish(COutputFile& out, const char* source, bool replace)
{
    FileInfo target;
    const bool targetExists = m_ops.Stat(out.FinalPath().c_str(), target) == 0;
    const bool replacesSource = targetExists && target.device == m_source.device && target.inode == m_source.inode;
    if (!out.Finish(replace || targetExists))
        return WriteFailed(out);
    CloseSource();
    if (!out.Commit()) {
        if (!out.TempPath().empty())
            ShowFormatted(
                msg::kCreateFailedCaption, msg::kRenameFailed, out.FinalPath(), ErrorText(out.Error()), out.TempPath());
        else
            WriteFailed(out);
        return IDEA_DEST_FAILED;
    }
    if (replace && !replacesSource) {
        // Only the file that was read is deleted, not one put in its place since.
        FileInfo now;
        int r = m_ops.Stat(source, now);
        if (r == 0 && (now.device != m_source.device || now.inode != m_source.inode))
            r = -EBUSY;
        else if (r == 0)
            r = m_ops.Remove(source);
        if (r != 0 && r != -ENOENT) {
            ShowFormatted(msg::kCreateFailedCaption, msg::kRemoveFailed, source, ErrorText(r), out.FinalPath());
            return IDEA_DEST_FAILED;
        }
    }
    return IDEA_DONE;
}

int CFileJob::WriteFailed(const COutputFile& out)
{
    ShowFormatted(msg::kCreateFailedCaption, msg::kWriteFailed, out.FinalPath(), ErrorText(out.Error()));
    return IDEA_DEST_FAILED;
}

int CFileJob::ReadFailed(const char* source)
{
    ShowFormatted(msg::kOpenFailedCaption, msg::kReadFailed, source);
    return IDEA_SOURCE_FAILED;
}

int CFileJob::SourceChanged(const char* source)
{
    ShowFormatted(msg::kOpenFailedCaption, msg::kChanged, source);
    return IDEA_SOURCE_FAILED;
}

void CFileJob::Show(const char* text, const char* caption, unsigned style)
{
    CMessageSink& sink = m_engine.m_pMessages ? *m_engine.m_pMessages : default_message_sink();
    sink.MessageBox(text, caption, style);
}

void CFileJob::ShowFormatted(
    const char* caption, const char* format, const std::string& a, const std::string& b, const std::string& c)
{
    const int n = std::snprintf(nullptr, 0, format, a.c_str(), b.c_str(), c.c_str());
    std::string text(std::size_t(n > 0 ? n : 0) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, a.c_str(), b.c_str(), c.c_str());
    text.resize(text.size() - 1);
    Show(text.c_str(), caption, MB_OK | MB_ICONERROR);
}

std::string CFileJob::ErrorText(int negativeErrno)
{
    return std::error_code(-negativeErrno, std::generic_category()).message();
}
