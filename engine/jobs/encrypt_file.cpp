// The body of IdeaEncrypt: one file into the format given.
#include "engine/api/messages.h"
#include "engine/api/progress/percent_progress_ctrl.h"
#include "engine/jobs/chunk_pipeline.h"
#include "engine/jobs/file_job.h"
#include "engine/jobs/file_loops.h"
#include "engine/os/naming_rules.h"

int encrypt_file(CIdea& engine, CFileFormat& format, char* source, char* destination)
{
    CFileJob job(engine, format);
    if (!job.OpenSource(source)) {
        job.OpenFailed(source, true);
        return IDEA_SOURCE_FAILED;
    }
    // The header comes first: a format that strengthens the key does so
    // before anything is created, so a stop or a failure leaves nothing.
    const std::uint64_t length = job.Source().size;
    unsigned char header[CFileFormat::kMaxHeader];
    const std::size_t headerSize = format.SealHeader(header, length);
    if (headerSize == 0) {
        if (job.StopRequested())
            return job.Stopped();
        job.ShowFormatted(msg::kCreateFailedCaption, msg::kFormatRefused, source, format.Problem());
        return IDEA_DEST_FAILED;
    }

    // With replace on and the extension not added, the encrypted file takes
    // the source's own name; the destination given is only a working name.
    const bool replace = engine.m_bReplace != 0;
    const std::string finalPath = naming::encrypted_path(source, destination, replace, engine.m_bAddExt != 0);
    COutputFile out(job.Ops());
    if (!job.CreateOutput(out, finalPath, replace))
        return IDEA_DEST_FAILED;

    job.Announce(source, msg::kEncrypting);
    job.ProgressStart(length);
    if (!out.Write(header, headerSize))
        return job.WriteFailed(out);

    // Chunks are read ahead, sealed on all threads and written behind.
    const unsigned unit = format.Unit();
    CChunkPipeline pipe(
        CEngineWorkers::For(engine), job.Ops(), job.SourceFd(), out, length, { unit, format.Gap(), true });
    std::uint64_t total = 0;
    for (bool first = true;; first = false) {
        if (job.StopRequested())
            return job.Stopped();
        const CChunkPipeline::Chunk chunk = pipe.Next();
        if (chunk.bytes < 0)
            return job.ReadFailed(source);
        // An empty source still gets its (empty) last chunk where the format marks it.
        if (chunk.bytes == 0 && !(first && format.MarksLast()))
            break;
        const std::size_t n = std::size_t(chunk.bytes);
        total += n;
        job.ProgressUnits(n / unit);
        // While the source has more to give than was read, the chunk is not
        // the last without waiting for the next read to say so (should the
        // source shrink meanwhile, the size check at the end fails the file).
        bool last = n < pipe.Capacity();
        if (!last && format.MarksLast() && total >= length) {
            const long next = pipe.PeekNext();
            if (next < 0)
                return job.ReadFailed(source);
            last = next == 0;
        }
        const std::size_t bytes = format.SealChunk(pipe, chunk.data, n, last);
        if (bytes == CFileFormat::kChunkFailed) {
            job.ShowFormatted(msg::kCreateFailedCaption, msg::kFormatRefused, source, format.Problem());
            return IDEA_DEST_FAILED;
        }
        if (!pipe.WriteBehind(bytes, last))
            return job.WriteFailed(out);
        if (last)
            break;
    }
    return job.Conclude(pipe, out, source, total, replace, true);
}
