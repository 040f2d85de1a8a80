// The shared half of the per-file loops.
#include "engine/jobs/file_job.h"

#include "engine/api/batch_control.h"
#include "engine/api/messages.h"
#include "engine/api/progress/percent_progress_ctrl.h"
#include "engine/jobs/chunk_pipeline.h"
#include "engine/os/naming_rules.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

const CipherRow* cipher_for_file(CIdea& engine)
{
    const CipherRow* row = find_cipher(engine.m_strArith);
    if (row == nullptr && engine.m_pProgress)
        engine.m_pProgress->SetPos(100);
    return row;
}

CFileJob::CFileJob(CIdea& engine, CFileFormat& format)
    : m_engine(engine)
    , m_format(format)
    , m_ops(engine.m_pFileOps ? *engine.m_pFileOps : default_file_ops())
{
}

CFileJob::~CFileJob()
{
    CloseSource();
}

bool CFileJob::OpenSource(const char* path)
{
    m_sourcePath = path;
    FileInfo info;
    int r = m_ops.Stat(path, info);
    if (r != 0 || !info.regular) {
        m_openReason = r != 0 ? ErrorText(r) : msg::kNotRegular;
        return false;
    }
    const int fd = m_ops.OpenRead(path);
    if (fd < 0) {
        m_openReason = ErrorText(fd);
        return false;
    }
    m_fd = fd;
    r = m_ops.Fstat(fd, m_source);
    if (r != 0 || !m_source.regular) {
        m_openReason = r != 0 ? ErrorText(r) : msg::kNotRegular;
        CloseSource();
        return false;
    }
    FileInfo entry;
    if (m_engine.m_bReplace != 0
        && (m_ops.Lstat(path, entry) != 0 || !SameFile(entry, m_source) || m_source.links > 1)) {
        m_openReason = msg::kNotOnlyName;
        CloseSource();
        return false;
    }
    return true;
}

void CFileJob::OpenFailed(const char* source, bool encrypting)
{
    Show(AboutFile(msg::kOpenFailed, source, m_openReason).c_str(), m_format.OpenFailedCaption(encrypting),
        MB_OKCANCEL | MB_ICONERROR, reason_line({ msg::kOpenFailed, source, m_openReason }, source));
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
    // Directory entries are compared, not what they point to: a link in the
    // target's place is a file of its own, replaced (when allowed) itself.
    FileInfo target;
    const bool exists = m_ops.Lstat(finalPath.c_str(), target) == 0;
    const bool isSource = exists && SameFile(target, m_source);
    if (isSource && !replace) {
        ShowFormatted(msg::kCreateFailedCaption, msg::kSameFile, finalPath);
        return false;
    }
    const auto createFailed = [&](int error) {
        const std::string why = ErrorText(error);
        Show(AboutFile(msg::kCreateFailed, finalPath, why).c_str(), msg::kCreateFailedCaption,
            MB_OKCANCEL | MB_ICONERROR, reason_line({ msg::kCreateFailed, finalPath, why }, m_sourcePath));
        return false;
    };
    if (exists && !target.regular && !target.symlink) // a folder, a device ...: never replaced
        return createFailed(target.directory ? -EISDIR : -EEXIST);
    const bool mayReplace = isSource || m_engine.m_bOverwrite != 0;
    if (exists && !mayReplace) {
        ShowFormatted(msg::kCreateFailedCaption, msg::kExists, finalPath);
        return false;
    }
    if (!out.Create(finalPath, m_source.mode & 0777, mayReplace))
        return createFailed(out.Error());
    return true;
}

void CFileJob::Announce(const char* path, const char* verb)
{
    ++m_engine.m_nFileIndex;
    std::string doing = verb;
    if (m_engine.m_pControl && !m_engine.m_pControl->cipherFound.empty())
        doing = format_message(msg::kDecryptingFound, m_engine.m_pControl->cipherFound);
    char count[64];
    std::snprintf(count, sizeof count, "%d/%d", m_engine.m_nFileIndex, m_engine.m_nTotalFiles);
    if (m_engine.m_pStatusWnd)
        m_engine.m_pStatusWnd->SetWindowText((naming::name_of(path) + doing).c_str());
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

// Unit by unit the counter grows by the unit until it reaches the step; the
// next unit then moves the bar on and restarts the count. Whole runs of units
// that only grow the counter are skipped in one go.
void CFileJob::ProgressUnits(std::uint64_t blocks)
{
    const std::uint64_t b = m_format.Unit();
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

bool CFileJob::StopRequested() const
{
    return m_engine.m_pControl && m_engine.m_pControl->stop.load();
}

int CFileJob::Stopped()
{
    m_engine.m_pControl->stopped = true;
    return IDEA_SOURCE_FAILED;
}

int CFileJob::Finish(COutputFile& out, const char* source, bool replace, bool encrypting)
{
    FileInfo target;
    const bool targetExists = m_ops.Lstat(out.FinalPath().c_str(), target) == 0;
    const bool replacesSource = targetExists && SameFile(target, m_source);
    if (!out.Finish(m_source, replace || targetExists))
        return WriteFailed(out);
    CloseSource();
    if (replace && m_engine.m_pControl && m_engine.m_pControl->verify) {
        const int failed = CheckResult(out, source, encrypting);
        if (failed != 0) {
            out.Discard();
            return failed;
        }
    }
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
        int r = m_ops.Lstat(source, now);
        if (r == 0 && !SameFile(now, m_source))
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

int CFileJob::Conclude(
    CChunkPipeline& pipe, COutputFile& out, const char* source, std::uint64_t bytesRead, bool replace, bool encrypting)
{
    if (!pipe.WaitWrites())
        return WriteFailed(out);
    if (!SourceUnchanged(bytesRead))
        return SourceChanged(source);
    const int result = Finish(out, source, replace, encrypting);
    if (result == IDEA_DONE)
        ProgressEnd();
    return result;
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

int CFileJob::CheckFailed(const char* source, const char* why)
{
    ShowFormatted(msg::kCreateFailedCaption, msg::kCheckFailed, source, why);
    return IDEA_DEST_FAILED;
}

// The source is opened again by name and must still be the file that was
// read; the result is read from its temporary name, before it replaces
// anything or the source goes.
int CFileJob::CheckResult(const COutputFile& out, const char* source, bool encrypting)
{
    const int sourceFd = m_ops.OpenRead(source);
    if (sourceFd < 0)
        return CheckFailed(source, msg::kCheckUnreadable);
    FileInfo now;
    if (m_ops.Fstat(sourceFd, now) != 0 || !SameFile(now, m_source)) {
        m_ops.Close(sourceFd);
        return CheckFailed(source, msg::kCheckUnreadable);
    }
    const int resultFd = m_ops.OpenRead(out.TempPath().c_str());
    if (resultFd < 0) {
        m_ops.Close(sourceFd);
        return CheckFailed(source, msg::kCheckUnreadable);
    }
    const CFileFormat::Verdict verdict = encrypting ? m_format.Check(m_ops, sourceFd, resultFd, true)
                                                    : m_format.Check(m_ops, resultFd, sourceFd, false);
    m_ops.Close(resultFd);
    m_ops.Close(sourceFd);
    switch (verdict) {
    case CFileFormat::Verdict::Match:
        return 0;
    case CFileFormat::Verdict::Stopped:
        return Stopped();
    case CFileFormat::Verdict::Unreadable:
        return CheckFailed(source, msg::kCheckUnreadable);
    case CFileFormat::Verdict::Differs:
        break;
    }
    return CheckFailed(source, msg::kCheckDiffers);
}

void CFileJob::Show(const char* text, const char* caption, unsigned style, const std::string& reason)
{
    show_engine_message(m_engine, text, caption, style, reason);
}

void CFileJob::ShowFormatted(
    const char* caption, const char* format, const std::string& a, const std::string& b, const std::string& c)
{
    Show(format_message(format, a, b, c).c_str(), caption, MB_OK | MB_ICONERROR,
        reason_line({ a, format_sentence(format, b, c) }, m_sourcePath));
}

std::string CFileJob::AboutFile(const char* text, const std::string& path, const std::string& reason)
{
    return std::string(text) + "\n" + path + "\n" + reason;
}

std::string CFileJob::ErrorText(int negativeErrno)
{
    return std::error_code(-negativeErrno, std::generic_category()).message();
}

// Cancel in a failure box ends the batch, not only this file.
void show_engine_message(
    CIdea& engine, const char* text, const char* caption, unsigned style, const std::string& reason)
{
    CMessageSink& sink = engine.m_pMessages ? *engine.m_pMessages : default_message_sink();
    sink.FailureReason(reason.c_str());
    if (sink.MessageBox(text, caption, style) == IDCANCEL && engine.m_pControl)
        engine.m_pControl->stop.store(true);
}

std::string format_message(const char* format, const std::string& a, const std::string& b, const std::string& c)
{
    const int n = std::snprintf(nullptr, 0, format, a.c_str(), b.c_str(), c.c_str());
    std::string text(std::size_t(n > 0 ? n : 0) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, a.c_str(), b.c_str(), c.c_str());
    text.resize(text.size() - 1);
    return text;
}

std::string reason_line(std::initializer_list<std::string> pieces, const std::string& source)
{
    std::string reason;
    for (std::string piece : pieces) {
        while (!piece.empty() && piece.back() == ' ')
            piece.pop_back();
        if (piece.empty() || piece == source)
            continue;
        reason += (reason.empty() ? "" : " ") + piece;
        if (reason.back() == '.')
            break; // the first sentence says why
    }
    return reason;
}

std::string format_sentence(const char* format, const std::string& a, const std::string& b)
{
    const std::string f = format;
    const std::size_t start = f.find('\n');
    if (start == std::string::npos)
        return {};
    const std::size_t end = f.find('\n', start + 1);
    return format_message(
        f.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1).c_str(), a, b);
}
