// The body of IdeaDecrypt: one file in the format given back to its plain
// bytes, with the key check before anything is created and the final naming
// of the result.
#include "engine/api/batch_control.h"
#include "engine/api/messages.h"
#include "engine/api/progress/percent_progress_ctrl.h"
#include "engine/jobs/chunk_pipeline.h"
#include "engine/jobs/file_job.h"
#include "engine/jobs/file_loops.h"
#include "engine/os/naming_rules.h"

#include <algorithm>

namespace {

// Reads the header and settles the cipher that opens the file: the chosen
// one, or with cipher finding on, the one the header shows. IDEA_DONE when
// the file may be decrypted, else the file's result code (reported).
int OpenHeader(CIdea& engine, CFileJob& job, CFileFormat& format, const char* source)
{
    CBatchControl* control = engine.m_pControl;
    long opened = format.OpenHeader(job.Ops(), job.SourceFd(), control && control->findCipher);
    if (opened > 0 && format.FoundCipher() != nullptr) {
        // Another cipher's header may be shorter than what was read to find
        // it: the file is read again from its start under the cipher found.
        control->cipherFound = format.FoundCipher();
        job.CloseSource();
        if (!job.OpenSource(source)) {
            job.OpenFailed(source, false);
            return IDEA_SOURCE_FAILED;
        }
        opened = format.OpenHeader(job.Ops(), job.SourceFd(), false);
    }
    if (opened < 0)
        return job.ReadFailed(source);
    if (opened == 0 && job.StopRequested())
        return job.Stopped();
    if (opened == 0 && !format.Problem().empty()) {
        job.ShowFormatted(msg::kKeyCheckCaption, msg::kFormatRefused, source, format.Problem());
        return IDEA_SOURCE_FAILED;
    }
    if (opened == 0) {
        const std::string check = std::string(msg::kKeyCheckPrefix) + format.CipherName() + "!";
        std::string reason = check;
        std::replace(reason.begin(), reason.end(), '\n', ' ');
        job.Show((check + "\n" + source).c_str(), msg::kKeyCheckCaption, MB_OK | MB_ICONINFORMATION, reason);
        return IDEA_DEST_FAILED;
    }
    if (!format.WholeData(job.Source().size)) {
        job.ShowFormatted(msg::kKeyCheckCaption, msg::kDamaged, source);
        return IDEA_SOURCE_FAILED;
    }
    return IDEA_DONE;
}

// Chunks are read ahead, opened on all threads and written behind. A full
// chunk is the last when the read after it gives nothing.
int DecryptData(CFileJob& job, CFileFormat& format, COutputFile& out, const char* source, bool replace)
{
    const std::uint64_t length = job.Source().size;
    const std::size_t headerSize = format.HeaderSize();
    const unsigned unit = format.Unit();
    CChunkPipeline pipe(CEngineWorkers::For(job.Engine()), job.Ops(), job.SourceFd(), out, length - headerSize,
        { unit, format.Gap(), false });
    std::uint64_t total = headerSize;
    for (;;) {
        if (job.StopRequested())
            return job.Stopped();
        const CChunkPipeline::Chunk chunk = pipe.Next();
        if (chunk.bytes < 0)
            return job.ReadFailed(source);
        const std::size_t n = std::size_t(chunk.bytes);
        total += n;
        bool atEnd = n < pipe.Capacity();
        if (!atEnd && format.MarksLast()) {
            const long next = pipe.PeekNext();
            if (next < 0)
                return job.ReadFailed(source);
            atEnd = next == 0;
        }
        if (atEnd && !format.MarksLast() && !format.WholeData(n)) {
            job.ShowFormatted(msg::kKeyCheckCaption, msg::kDamaged, source);
            return IDEA_SOURCE_FAILED;
        }
        std::size_t bytes = format.OpenChunk(pipe, chunk.data, n, atEnd);
        if (bytes == CFileFormat::kChunkFailed) {
            job.ShowFormatted(msg::kKeyCheckCaption, msg::kTampered, source, format.Problem());
            return IDEA_SOURCE_FAILED;
        }
        if (!atEnd) {
            const long next = pipe.PeekNext();
            if (next < 0)
                return job.ReadFailed(source);
            atEnd = next == 0;
        }
        if (atEnd)
            bytes = format.LastPlain(bytes);
        if (!pipe.WriteBehind(bytes, atEnd))
            return job.WriteFailed(out);
        job.ProgressUnits(n / unit);
        if (atEnd)
            break;
    }
    return job.Conclude(pipe, out, source, total, replace, false);
}

} // namespace

int decrypt_file(CIdea& engine, CFileFormat& format, char* source, char* destination)
{
    CFileJob job(engine, format);
    if (!job.OpenSource(source)) {
        job.OpenFailed(source, false);
        return IDEA_SOURCE_FAILED;
    }
    const int opened = OpenHeader(engine, job, format, source);
    if (opened != IDEA_DONE)
        return opened;

    const bool replace = engine.m_bReplace != 0;
    const std::string finalPath = naming::decrypted_path(naming::name_of(source), destination, replace);
    COutputFile out(job.Ops());
    if (!job.CreateOutput(out, finalPath, replace))
        return IDEA_DEST_FAILED;
    job.Announce(source, msg::kDecrypting);
    job.ProgressStart(job.Source().size);
    return DecryptData(job, format, out, source, replace);
}
