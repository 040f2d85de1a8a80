// The body of IdeaDecrypt: one encrypted file back to its plain bytes, with
// the key check before anything is created and the final naming of the result.
#include "chunk_pipeline.h"
#include "file_format.h"
#include "file_loops.h"
#include "file_job.h"
#include "messages.h"
#include "naming_rules.h"
#include "progress/percent_progress_ctrl.h"


int decrypt_file(CIdea& engine, char* source, char* destination)
{
    const CipherRow* row = find_cipher(engine.m_strArith);
    if (row == nullptr) {
        if (engine.m_pProgress)
            engine.m_pProgress->SetPos(100);
        return IDEA_DONE;
    }
    row->prepare_decrypt(engine);
    const unsigned b = row->block;
    CFileJob job(engine, *row);
    if (!job.OpenSource(source)) {
        job.Show(CFileJob::AboutFile(msg::kOpenFailed, source, job.OpenReason()).c_str(), row->decryptOpenCaption,
                 MB_OKCANCEL | MB_ICONERROR);
        return IDEA_SOURCE_FAILED;
    }

    unsigned char header[16] = {};
    if (job.ReadSource(header, b) < 0)
        return job.ReadFailed(source);
    row->decrypt_blocks(engine, header, header, 1);
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

    const bool replace = engine.m_bReplace != 0;
    const std::string finalPath = naming::decrypted_path(naming::name_of(source), destination, replace);
    COutputFile out(job.Ops());
    if (!job.CreateOutput(out, finalPath, replace))
        return IDEA_DEST_FAILED;

    const unsigned padding = fileformat::padding_for(header[b - 1], b);
    job.Announce(source, msg::kDecrypting);
    job.ProgressStart(length);

    // Chunks are read ahead, deciphered on all threads and written behind.
    // The padding comes off the file's last block: a full chunk is the last
    // when the read after it gives nothing.
    CChunkPipeline pipe(CEngineWorkers::For(engine), job.Ops(), job.SourceFd(), out, length - b, b);
    const auto decrypt = [&engine, row](unsigned char* at, std::size_t count) {
        row->decrypt_blocks(engine, at, at, count);
    };
    std::uint64_t total = b;
    for (;;) {
        const CChunkPipeline::Chunk chunk = pipe.Next();
        if (chunk.bytes < 0)
            return job.ReadFailed(source);
        const std::size_t n = std::size_t(chunk.bytes);
        total += n;
        bool atEnd = n < pipe.Capacity();
        if (atEnd && n % b != 0) {
            job.ShowFormatted(msg::kKeyCheckCaption, msg::kDamaged, source);
            return IDEA_SOURCE_FAILED;
        }
        const std::size_t blocks = n / b;
        pipe.Cipher(blocks, decrypt);
        if (!pipe.WaitWrites())
            return job.WriteFailed(out);
        if (!atEnd) {
            const long next = pipe.PeekNext();
            if (next < 0)
                return job.ReadFailed(source);
            atEnd = next == 0;
        }
        std::size_t bytes = blocks * b;
        if (atEnd && blocks > 0)
            bytes -= std::min<std::size_t>(padding, b);
        if (!pipe.WriteBehind(bytes, atEnd))
            return job.WriteFailed(out);
        job.ProgressBlocks(blocks);
        if (atEnd)
            break;
    }
    if (!pipe.WaitWrites())
        return job.WriteFailed(out);
    if (!job.SourceUnchanged(total))
        return job.SourceChanged(source);
    const int result = job.Finish(out, source, replace);
    if (result == IDEA_DONE)
        job.ProgressEnd();
    return result;
}
