// The body of IdeaDecrypt: one encrypted file back to its plain bytes, with
// the key check before anything is created and the final naming of the result.
#include "file_format.h"
#include "file_job.h"
#include "messages.h"
#include "progress/percent_progress_ctrl.h"

#include <algorithm>
#include <cctype>

namespace {

bool has_kvn_extension(const std::string& name)
{
    if (name.size() < 4)
        return false;
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return tail == ".kvn";
}

// Where the plain file ends up. A ".kvn" source: the destination as given.
// Otherwise the destination less its last four characters (the working
// ".tmp"), in replace mode as it is, else with "de~" before the file name.
std::string final_name(const std::string& source, const std::string& destination, bool replace)
{
    const std::string name = name_of(source);
    if (has_kvn_extension(name))
        return destination;
    std::string t = destination.substr(0, destination.size() >= 4 ? destination.size() - 4 : 0);
    if (replace)
        return t;
    const std::size_t k = std::min(name.size(), t.size());
    t.insert(t.size() - k, "de~");
    return t;
}

} // namespace

int CIdea::DecryptFile(char* source, char* destination)
{
    const CipherRow* row = find_cipher(m_strArith);
    if (row == nullptr) {
        if (m_pProgress)
            m_pProgress->SetPos(100);
        return IDEA_DONE;
    }
    row->prepare_decrypt(*this);
    const unsigned b = row->block;
    CFileJob job(*this, *row);
    if (!job.OpenSource(source)) {
        job.Show(CFileJob::AboutFile(msg::kOpenFailed, source, job.OpenReason()).c_str(), row->decryptOpenCaption,
                 MB_OKCANCEL | MB_ICONERROR);
        return IDEA_SOURCE_FAILED;
    }

    unsigned char header[16] = {};
    if (job.ReadSource(header, b) < 0)
        return job.ReadFailed(source);
    row->decrypt_blocks(*this, header, header, 1);
    if (!fileformat::header_matches(header, row->header, b)) {
        const std::string text = std::string(msg::kKeyCheckPrefix) + row->name + "!\n" + source;
        job.Show(text.c_str(), msg::kKeyCheckCaption, MB_OK | MB_ICONINFORMATION);
        return IDEA_DEST_FAILED;
    }
    const std::uint64_t length = job.Source().size;
    if (length % b != 0) {
        job.ShowFormatted(msg::kKeyCheckCaption, msg::kDamaged, source);
        return IDEA_SOURCE_FAILED;
    }

    const bool replace = m_bReplace != 0;
    const std::string finalPath = final_name(source, destination, replace);
    COutputFile out(job.Ops());
    if (!job.CreateOutput(out, finalPath, replace))
        return IDEA_DEST_FAILED;

    const unsigned padding = fileformat::padding_for(header[b - 1], b);
    job.Announce(source, msg::kDecrypting);
    job.ProgressStart(length);

    // Blocks are decrypted a chunk at a time; the last block of a chunk is
    // held back until the next read tells whether it is the file's last.
    std::size_t carried = 0;
    std::uint64_t total = b;
    for (int which = 0;; which ^= 1) {
        unsigned char* buf = job.Buffer(which);
        const long n = job.ReadSource(buf + carried, CFileJob::kChunk - carried);
        if (n < 0)
            return job.ReadFailed(source);
        total += std::uint64_t(n);
        const std::size_t have = carried + std::size_t(n);
        const bool atEnd = std::size_t(n) < CFileJob::kChunk - carried;
        if (atEnd && have % b != 0) {
            job.ShowFormatted(msg::kKeyCheckCaption, msg::kDamaged, source);
            return IDEA_SOURCE_FAILED;
        }
        const std::size_t blocks = have / b;
        const std::size_t ready = atEnd ? blocks : blocks - 1;
        row->decrypt_blocks(*this, buf + carried, buf + carried, blocks - carried / b);
        std::size_t bytes = ready * b;
        if (atEnd && ready > 0)
            bytes -= std::min<std::size_t>(padding, b);
        // The held-back block moves to the other buffer once that buffer's
        // write is done; then this buffer's blocks go out behind the cipher.
        bool written = out.WaitWrites();
        if (!atEnd)
            std::memcpy(job.Buffer(which ^ 1), buf + ready * b, b);
        if (written && bytes > 0)
            written = out.WriteBehind(buf, bytes);
        if (!written)
            return job.WriteFailed(out);
        job.ProgressBlocks(ready);
        if (atEnd)
            break;
        carried = b;
    }
    if (!out.WaitWrites())
        return job.WriteFailed(out);
    if (!job.SourceUnchanged(total))
        return job.SourceChanged(source);
    const int result = job.Finish(out, source, replace);
    if (result == IDEA_DONE)
        job.ProgressEnd();
    return result;
}
