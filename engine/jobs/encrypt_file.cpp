// The body of IdeaEncrypt: one file into the encrypted-file format.
#include "engine/jobs/chunk_pipeline.h"
#include "engine/formats/compatible/header.h"
#include "engine/jobs/file_job.h"
#include "engine/jobs/file_loops.h"
#include "engine/api/messages.h"
#include "engine/api/progress/percent_progress_ctrl.h"

int encrypt_file(CIdea& engine, char* source, char* destination)
{
    const CipherRow* row = cipher_for_file(engine);
    if (row == nullptr)
        return IDEA_DONE;
    row->prepare_encrypt(engine);
    const unsigned b = row->block;
    CFileJob job(engine, *row);
    if (!job.OpenSource(source)) {
        job.Show(CFileJob::AboutFile(msg::kOpenFailed, source, job.OpenReason()).c_str(), msg::kOpenFailedCaption,
            MB_OKCANCEL | MB_ICONERROR);
        return IDEA_SOURCE_FAILED;
    }
    // With replace on and the extension not added, the encrypted file takes
    // the source's own name; the destination given is only a working name.
    const bool replace = engine.m_bReplace != 0;
    const std::string finalPath = replace && engine.m_bAddExt == 0 ? std::string(source) : std::string(destination);
    COutputFile out(job.Ops());
    if (!job.CreateOutput(out, finalPath, replace))
        return IDEA_DEST_FAILED;

    const std::uint64_t length = job.Source().size;
    unsigned char header[16];
    fileformat::build_header(header, row->header, b, fileformat::marker_for(length, b));
    job.Announce(source, msg::kEncrypting);
    job.ProgressStart(length);
    row->encrypt_blocks(engine, header, header, 1);
    if (!out.Write(header, b))
        return job.WriteFailed(out);

    // Chunks are read ahead, ciphered on all threads and written behind.
    CChunkPipeline pipe(CEngineWorkers::For(engine), job.Ops(), job.SourceFd(), out, length, b);
    const auto encrypt
        = [&engine, row](unsigned char* at, std::size_t count) { row->encrypt_blocks(engine, at, at, count); };
    std::uint64_t total = 0;
    for (;;) {
        if (job.StopRequested())
            return job.Stopped();
        const CChunkPipeline::Chunk chunk = pipe.Next();
        if (chunk.bytes < 0)
            return job.ReadFailed(source);
        if (chunk.bytes == 0)
            break;
        const std::size_t n = std::size_t(chunk.bytes);
        total += n;
        const std::size_t whole = n / b;
        const std::size_t rest = n % b;
        std::size_t bytes = whole * b;
        job.ProgressBlocks(whole);
        if (rest != 0) {
            std::memset(chunk.data + bytes + rest, 0, b - rest); // the last piece is padded with zeros
            bytes += b;
        }
        pipe.Cipher(bytes / b, encrypt);
        const bool last = rest != 0 || n < pipe.Capacity();
        if (!pipe.WriteBehind(bytes, last))
            return job.WriteFailed(out);
        if (last)
            break;
    }
    // The marker was taken from the length at the start.
    return job.Conclude(pipe, out, source, total, replace, true);
}
