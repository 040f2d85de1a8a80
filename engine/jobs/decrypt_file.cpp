// The body of IdeaDecrypt: one encrypted file back to its plain bytes, with
// the key check before anything is created and the final naming of the result.
#include "engine/api/batch_control.h"
#include "engine/jobs/chunk_pipeline.h"
#include "engine/formats/compatible/header.h"
#include "engine/jobs/file_job.h"
#include "engine/jobs/file_loops.h"
#include "engine/api/messages.h"
#include "engine/os/naming_rules.h"
#include "engine/api/progress/percent_progress_ctrl.h"

namespace {

// The cipher other than `chosen` whose header block `sealed` decrypts to;
// null when none does. Only the header block is deciphered.
const CipherRow* FindCipher(CIdea& engine, const CipherRow& chosen, const unsigned char* sealed)
{
    std::size_t count = 0;
    const CipherRow* rows = cipher_rows(count);
    for (std::size_t i = 0; i < count; ++i) {
        const CipherRow& row = rows[i];
        if (&row == &chosen)
            continue;
        unsigned char block[16];
        std::memcpy(block, sealed, row.block);
        row.prepare_decrypt(engine);
        row.decrypt_blocks(engine, block, block, 1);
        if (fileformat::header_matches(block, row.header, row.block))
            return &row;
    }
    return nullptr;
}

// The whole file again under the cipher found, which the file's own header
// has just shown fits; the batch's chosen cipher is back for the next file.
int DecryptFoundCipher(CIdea& engine, const CipherRow& found, char* source, char* destination)
{
    struct Restore {
        CIdea& engine;
        std::string code;
        ~Restore()
        {
            engine.m_strArith.swap(code);
            engine.m_pControl->findCipher = true;
        }
    } restore{ engine, found.code };
    engine.m_strArith.swap(restore.code);
    engine.m_pControl->findCipher = false;
    engine.m_pControl->cipherFound = found.name;
    return decrypt_file(engine, source, destination);
}

} // namespace

int decrypt_file(CIdea& engine, char* source, char* destination)
{
    const CipherRow* row = cipher_for_file(engine);
    if (row == nullptr)
        return IDEA_DONE;
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
    unsigned char sealed[16] = {};
    std::memcpy(sealed, header, b);
    row->decrypt_blocks(engine, header, header, 1);
    if (!fileformat::header_matches(header, row->header, b)) {
        if (engine.m_pControl && engine.m_pControl->findCipher) {
            // The first 16 bytes hold the header block of every cipher.
            if (b < sizeof sealed && job.ReadSource(sealed + b, sizeof sealed - b) < 0)
                return job.ReadFailed(source);
            if (const CipherRow* found = FindCipher(engine, *row, sealed)) {
                job.CloseSource();
                return DecryptFoundCipher(engine, *found, source, destination);
            }
        }
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
    const auto decrypt
        = [&engine, row](unsigned char* at, std::size_t count) { row->decrypt_blocks(engine, at, at, count); };
    std::uint64_t total = b;
    for (;;) {
        if (job.StopRequested())
            return job.Stopped();
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
    return job.Conclude(pipe, out, source, total, replace, false);
}
