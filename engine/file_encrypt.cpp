// The body of IdeaEncrypt: one file into the encrypted-file format.
#include "file_format.h"
#include "file_job.h"
#include "messages.h"
#include "progress/percent_progress_ctrl.h"
#include "secure_zero.h"

int CIdea::EncryptFile(char* source, char* destination)
{
    const CipherRow* row = find_cipher(m_strArith);
    if (row == nullptr) {
        if (m_pProgress)
            m_pProgress->SetPos(100);
        return IDEA_DONE;
    }
    row->prepare_encrypt(*this);
    const unsigned b = row->block;
    CFileJob job(*this, *row);
    if (!job.OpenSource(source)) {
        job.Show(CFileJob::AboutFile(msg::kOpenFailed, source, job.OpenReason()).c_str(), msg::kOpenFailedCaption,
                 MB_OKCANCEL | MB_ICONERROR);
        return IDEA_SOURCE_FAILED;
    }
    // With replace on and the extension not added, the encrypted file takes
    // the source's own name; the destination given is only a working name.
    const bool replace = m_bReplace != 0;
    const std::string finalPath = replace && m_bAddExt == 0 ? std::string(source) : std::string(destination);
    COutputFile out(job.Ops());
    if (!job.CreateOutput(out, finalPath, replace))
        return IDEA_DEST_FAILED;

    const std::uint64_t length = job.Source().size;
    unsigned char header[16];
    fileformat::build_header(header, row->header, b, fileformat::marker_for(length, b));
    job.Announce(source, msg::kEncrypting);
    job.ProgressStart(length);
    row->encrypt_blocks(*this, header, header, 1);
    if (!out.Write(header, b))
        return job.WriteFailed(out);

    std::uint64_t total = 0;
    for (int which = 0;; which ^= 1) {
        unsigned char* buf = job.Buffer(which);
        const long n = job.ReadSource(buf, CFileJob::kChunk);
        if (n < 0)
            return job.ReadFailed(source);
        if (n == 0)
            break;
        total += std::uint64_t(n);
        const std::size_t whole = std::size_t(n) / b;
        const std::size_t rest = std::size_t(n) % b;
        std::size_t bytes = whole * b;
        job.ProgressBlocks(whole);
        if (rest != 0) {
            std::memset(buf + bytes + rest, 0, b - rest); // the last piece is padded with zeros
            bytes += b;
        }
        row->encrypt_blocks(*this, buf, buf, bytes / b);
        if (!out.WriteBehind(buf, bytes))
            return job.WriteFailed(out);
        if (rest != 0 || std::size_t(n) < CFileJob::kChunk)
            break;
    }
    if (!out.WaitWrites())
        return job.WriteFailed(out);
    // The marker was taken from the length at the start; a file that grew or
    // shrank meanwhile would not decrypt to what was read.
    if (!job.SourceUnchanged(total))
        return job.SourceChanged(source);
    const int result = job.Finish(out, source, replace);
    if (result == IDEA_DONE)
        job.ProgressEnd();
    return result;
}
