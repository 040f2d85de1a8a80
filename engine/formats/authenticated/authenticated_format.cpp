// The authenticated format's header, key schedule and chunks.
#include "engine/formats/authenticated/authenticated_format.h"

#include "engine/api/batch_control.h"
#include "engine/api/idea_access.h"
#include "engine/api/messages.h"
#include "engine/jobs/chunk_pipeline.h"
#include "engine/kdf/secure_buffer.h"
#include "engine/modes/gcm/stitched.h"

#include <algorithm>
#include <cstring>

using namespace authenticated;
namespace gcm = tessiral::gcm;

// The chosen cipher keyed with 256 bits, as GCM's bulk call. The engine's
// Serpent reads the words of key and block in the reverse of the usual byte
// order: its key and every counter block are turned round for it, so the
// format's Serpent-GCM is the usual one.
class CAuthenticatedFormat::Keyed {
public:
    Keyed(const CipherRow& row, const unsigned char* key)
        : m_row(row)
        , m_reverse(std::strcmp(row.code, "4") == 0)
    {
        unsigned char k[kKeySize];
        std::memcpy(k, key, kKeySize);
        if (m_reverse)
            ReverseWords(k, kKeySize / 16 * 16);
        m_engine.m_strArith = row.code;
        if (std::strcmp(row.code, "2") == 0)
            CIdeaAccess::mars(m_engine).set_key(k, 256); // 448 bits in the compatible format
        else
            row.set_key(m_engine, k);
        row.prepare_encrypt(m_engine);
        tessiral::kdf::wipe(k, sizeof k);
        m_stitched = gcm::stitched_ctr(row, m_engine, tessiral::cpu_level());
    }

    gcm::BlockEncryptor Encryptor() { return { &Keyed::Encrypt, this, m_stitched.ctr, m_stitched.key }; }

private:
    // Reverses the order of the 4-byte words in each 16-byte block.
    static void ReverseWords(unsigned char* data, std::size_t size)
    {
        for (std::size_t at = 0; at + 16 <= size; at += 16) {
            unsigned char block[16];
            for (int w = 0; w < 4; ++w)
                std::memcpy(block + 4 * w, data + at + 4 * (3 - w), 4);
            std::memcpy(data + at, block, 16);
        }
    }

    static void Encrypt(void* context, const unsigned char* in, unsigned char* out, std::size_t blocks)
    {
        auto* self = static_cast<Keyed*>(context);
        if (!self->m_reverse) {
            self->m_row.encrypt_blocks(self->m_engine, in, out, blocks);
            return;
        }
        unsigned char run[64 * 16];
        while (blocks != 0) {
            const std::size_t n = std::min<std::size_t>(blocks, 64);
            std::memcpy(run, in, n * 16);
            ReverseWords(run, n * 16);
            self->m_row.encrypt_blocks(self->m_engine, run, run, n);
            ReverseWords(run, n * 16);
            std::memcpy(out, run, n * 16);
            in += n * 16;
            out += n * 16;
            blocks -= n;
        }
    }

    const CipherRow& m_row;
    const bool m_reverse;
    CIdea m_engine; // holds the keyed cipher only; wipes it when it goes
    gcm::Stitched m_stitched;
};

const CipherRow* CAuthenticatedFormat::RowOf(unsigned cipher)
{
    if (cipher_name(cipher) == nullptr)
        return nullptr;
    return find_cipher(std::to_string(cipher));
}

CAuthenticatedFormat::CAuthenticatedFormat(CIdea& engine, const CipherRow& chosen)
    : m_engine(engine)
    , m_chosen(chosen)
    , m_row(&chosen)
{
}

CAuthenticatedFormat::~CAuthenticatedFormat() = default;

unsigned CAuthenticatedFormat::Unit() const
{
    // Encrypting, a unit is a chunk of data; decrypting, a sealed chunk.
    return unsigned(m_header.ChunkSize() + (m_decrypting ? kChunkTag : 0));
}

const char* CAuthenticatedFormat::OpenFailedCaption(bool) const
{
    return msg::kOpenFailedCaption;
}

void CAuthenticatedFormat::Iv(std::uint64_t index, bool last, unsigned char iv[12]) const
{
    std::memcpy(iv, m_keys.prefix, kPrefixSize);
    iv[7] = static_cast<unsigned char>(index >> 24);
    iv[8] = static_cast<unsigned char>(index >> 16);
    iv[9] = static_cast<unsigned char>(index >> 8);
    iv[10] = static_cast<unsigned char>(index);
    iv[11] = last ? 1 : 0;
}

bool CAuthenticatedFormat::StartPayload()
{
    if (!payload_keys(m_headerBytes, m_keys))
        return false;
    m_keyed = std::make_unique<Keyed>(*m_row, m_keys.payload_key());
    m_gcm = std::make_unique<gcm::Gcm>(m_keyed->Encryptor());
    return true;
}

std::size_t CAuthenticatedFormat::SealHeader(unsigned char* out, std::uint64_t length)
{
    m_decrypting = false;
    CBatchControl* control = m_engine.m_pControl;
    m_header = Header{};
    m_header.cipher = unsigned(std::stoul(m_row->code));
    if (RowOf(m_header.cipher) == nullptr || m_row->block != 16) {
        m_problem = "The authenticated format needs a cipher with 128-bit blocks; IDEA has 64-bit blocks.";
        return 0;
    }
    choose_parameters(control ? control->strength : 0, m_header);
    const std::uint64_t chunks = std::max<std::uint64_t>(1, (length + m_header.ChunkSize() - 1) / m_header.ChunkSize());
    if (chunks > kMaxChunks) {
        m_problem = "It is too large for the authenticated format (at most 2^32 chunks).";
        return 0;
    }
    const KeyStatus status
        = m_keys.reserve(control) ? master_key(control, m_header, true, m_keys.a()) : KeyStatus::OutOfMemory;
    if (status != KeyStatus::Ok) {
        if (status != KeyStatus::Stopped)
            m_problem = key_status_text(status, m_header);
        return 0;
    }
    const bool keyed = fresh_stream_salt(control, m_header.streamSalt) && header_keys(m_keys.a(), m_header, m_keys);
    tessiral::kdf::wipe(m_keys.a(), kKeySize);
    if (!keyed) {
        m_problem = key_status_text(KeyStatus::Failed, m_header);
        return 0;
    }
    write_header(m_header, m_headerBytes);
    header_tag(m_keys, m_headerBytes, m_header.tag);
    write_header(m_header, m_headerBytes);
    if (!StartPayload()) {
        m_problem = key_status_text(KeyStatus::Failed, m_header);
        return 0;
    }
    m_nextChunk = 0;
    std::memcpy(out, m_headerBytes, kHeaderSize);
    return kHeaderSize;
}

// Each data chunk is sealed where it was read, its tag into the room the
// pipeline left after it (right after a short last chunk's bytes), so that
// the sealed chunks lie end to end.
std::size_t CAuthenticatedFormat::SealChunk(CChunkPipeline& pipe, unsigned char* data, std::size_t n, bool last)
{
    const std::size_t size = m_header.ChunkSize();
    const std::size_t chunks = n == 0 ? 1 : (n + size - 1) / size;
    if (m_nextChunk + chunks > kMaxChunks) {
        m_problem = "It grew too large for the authenticated format (at most 2^32 chunks).";
        return kChunkFailed;
    }
    const std::size_t stride = size + kChunkTag;
    const std::uint64_t base = m_nextChunk;
    pipe.Share(chunks, stride, [&](std::size_t first, std::size_t count) {
        for (std::size_t i = first; i < first + count; ++i) {
            const std::size_t bytes = std::min(size, n - i * size);
            const bool isLast = last && i + 1 == chunks;
            unsigned char iv[12];
            Iv(base + i, isLast, iv);
            unsigned char* at = data + i * stride;
            m_gcm->seal(iv, nullptr, 0, at, bytes, at, at + bytes);
        }
    });
    m_nextChunk += chunks;
    return n + chunks * kChunkTag;
}

long CAuthenticatedFormat::OpenHeader(CFileOps& ops, int fd, bool findCipher)
{
    m_decrypting = true;
    m_problem.clear();
    const long n = read_full(ops, fd, m_headerBytes, kHeaderSize);
    if (n < 0)
        return n;
    const HeaderStatus status = read_header(m_headerBytes, std::size_t(n), m_header);
    if (status != HeaderStatus::Ok) {
        m_problem = status_text(status);
        return 0;
    }
    const CipherRow* row = RowOf(m_header.cipher);
    if (row == nullptr) {
        m_problem = status_text(HeaderStatus::Unsupported);
        return 0;
    }
    // Without finding, only the cipher settled on may open it (the chosen
    // one, or the one found on a first reading): its key check fails.
    if (row != m_row && !findCipher)
        return 0;
    m_row = row;
    CBatchControl* control = m_engine.m_pControl;
    const KeyStatus keyStatus
        = m_keys.reserve(control) ? master_key(control, m_header, false, m_keys.a()) : KeyStatus::OutOfMemory;
    if (keyStatus != KeyStatus::Ok) {
        if (keyStatus != KeyStatus::Stopped)
            m_problem = key_status_text(keyStatus, m_header);
        return 0;
    }
    const bool keyed = header_keys(m_keys.a(), m_header, m_keys);
    tessiral::kdf::wipe(m_keys.a(), kKeySize);
    if (!keyed) {
        m_problem = key_status_text(KeyStatus::Failed, m_header);
        return 0;
    }
    unsigned char tag[32];
    header_tag(m_keys, m_headerBytes, tag);
    if (!tessiral::kdf::equal_constant_time(tag, m_headerBytes + kTagOffset, sizeof tag))
        return 0; // the key does not fit (or the header was changed): the key-check message
    if (!StartPayload()) {
        m_problem = key_status_text(KeyStatus::Failed, m_header);
        return 0;
    }
    m_nextChunk = 0;
    return 1;
}

bool CAuthenticatedFormat::WholeData(std::uint64_t length) const
{
    // The header and at least one chunk's tag; the chunks check the rest.
    return length >= kHeaderSize + kChunkTag;
}

// Each sealed chunk is opened where it was read; its plain bytes stay at its
// start, and the pipeline writes them without the tags.
std::size_t CAuthenticatedFormat::OpenChunk(CChunkPipeline& pipe, unsigned char* data, std::size_t n, bool last)
{
    const std::size_t size = m_header.ChunkSize();
    const std::size_t sealed = size + kChunkTag;
    const std::size_t chunks = (n + sealed - 1) / sealed;
    const std::uint64_t base = m_nextChunk;
    if (chunks == 0 || base + chunks > kMaxChunks) {
        m_problem = "its last chunk is missing.";
        return kChunkFailed;
    }
    std::atomic<std::uint64_t> failed{ ~std::uint64_t(0) };
    pipe.Share(chunks, sealed, [&](std::size_t first, std::size_t count) {
        for (std::size_t i = first; i < first + count; ++i) {
            const std::uint64_t index = base + i;
            if (!OpenOne(data + i * sealed, std::min(sealed, n - i * sealed), index, last && i + 1 == chunks)) {
                std::uint64_t seen = failed.load();
                while (index < seen && !failed.compare_exchange_weak(seen, index)) { }
            }
        }
    });
    const std::uint64_t bad = failed.load();
    if (bad != ~std::uint64_t(0)) {
        m_problem = "chunk " + std::to_string(bad + 1)
            + " of its data does not authenticate (it was altered, moved, cut short or has bytes after it).";
        return kChunkFailed;
    }
    m_nextChunk += chunks;
    return n - chunks * kChunkTag;
}

bool CAuthenticatedFormat::OpenOne(unsigned char* at, std::size_t bytes, std::uint64_t index, bool last) const
{
    // A last chunk is empty only when the whole file is.
    if (bytes < kChunkTag || (bytes == kChunkTag && !(last && index == 0)))
        return false;
    unsigned char iv[12];
    Iv(index, last, iv);
    const std::size_t plain = bytes - kChunkTag;
    return m_gcm->open(iv, nullptr, 0, at, plain, at + plain, at);
}

CFileFormat::Verdict CAuthenticatedFormat::Check(CFileOps& ops, int plainFd, int encryptedFd, bool encrypting)
{
    // Decrypting, every chunk was authenticated on its way out.
    if (!encrypting)
        return Verdict::Match;
    // The result is opened as a reader would: its header must be the one
    // written, every chunk must authenticate (in order, the last one marked)
    // and give the source's bytes.
    CBatchControl* control = m_engine.m_pControl;
    FileInfo info;
    if (ops.Fstat(encryptedFd, info) != 0)
        return Verdict::Unreadable;
    unsigned char header[kHeaderSize];
    long r = read_full(ops, encryptedFd, header, kHeaderSize);
    if (r < 0)
        return Verdict::Unreadable;
    if (std::size_t(r) != kHeaderSize || std::memcmp(header, m_headerBytes, kHeaderSize) != 0)
        return Verdict::Differs;
    unsigned char tag[32];
    header_tag(m_keys, header, tag);
    if (!tessiral::kdf::equal_constant_time(tag, header + kTagOffset, sizeof tag))
        return Verdict::Differs;
    const std::size_t size = m_header.ChunkSize();
    const std::size_t sealed = size + kChunkTag;
    if (info.size < kHeaderSize + kChunkTag)
        return Verdict::Differs;
    const std::uint64_t data = info.size - kHeaderSize;
    const std::uint64_t chunks = (data + sealed - 1) / sealed;
    if (chunks > kMaxChunks)
        return Verdict::Differs;

    // Runs of a pipeline chunk's worth of sealed chunks and the source's
    // bytes for them, both read on workers while the run before is opened
    // and compared on all threads, in the engine's chunk buffers (free once
    // a file's loop is done).
    CEngineWorkers& workers = CEngineWorkers::For(m_engine);
    const std::size_t run = std::max<std::size_t>(1, workers.Chunk() / sealed);
    const std::size_t runSealed = std::size_t(std::min<std::uint64_t>(run, chunks)) * sealed;
    const std::size_t runPlain = runSealed / sealed * size + 1;
    struct Run {
        unsigned char* in;
        unsigned char* source;
        long got = 0, sourceGot = 0; // bytes read, or -errno
    } runs[2] = { { workers.Buffer(0, runSealed), workers.Buffer(1, runPlain) },
        { workers.Buffer(2, runSealed), workers.Buffer(3, runPlain) } };
    // The chunks of the run from `first` on, and their sealed bytes.
    const auto countOf = [&](std::uint64_t first) { return std::size_t(std::min<std::uint64_t>(run, chunks - first)); };
    const auto bytesOf = [&](std::uint64_t first) {
        return std::size_t(std::min<std::uint64_t>(countOf(first) * sealed, data - first * sealed));
    };
    // Whether the run's last chunk can hold a tag (else its bytes differ).
    const auto whole = [&](std::uint64_t first) { return bytesOf(first) - (countOf(first) - 1) * sealed >= kChunkTag; };
    Verdict verdict = Verdict::Match;
    {
        CJobAhead sealedAhead(workers.Pool()), sourceAhead(workers.Pool());
        // A result of one run is read here: a small file hands nothing over.
        const bool here = chunks <= run;
        const auto start = [&](std::uint64_t first, unsigned k) {
            Run& r = runs[k];
            const auto readSealed
                = [&r, &ops, encryptedFd, bytes = bytesOf(first)] { r.got = read_full(ops, encryptedFd, r.in, bytes); };
            // The source ends with the last chunk: one byte more must not come.
            const std::size_t plain = whole(first) ? bytesOf(first) - countOf(first) * kChunkTag : 0;
            const std::size_t want = plain + (first + countOf(first) == chunks ? 1 : 0);
            const auto readSource
                = [&r, &ops, plainFd, want] { r.sourceGot = read_full(ops, plainFd, r.source, want); };
            if (here)
                readSealed();
            else
                sealedAhead.Start(readSealed);
            if (whole(first) && here)
                readSource();
            else if (whole(first))
                sourceAhead.Start(readSource);
        };
        start(0, 0);
        for (std::uint64_t i = 0, k = 0; i < chunks && verdict == Verdict::Match; i += run, k ^= 1) {
            sealedAhead.Wait();
            sourceAhead.Wait();
            if (i + run < chunks)
                start(i + run, unsigned(k ^ 1));
            if (control && control->stop.load()) {
                verdict = Verdict::Stopped;
                break;
            }
            // Judged in the order of reading: the result's bytes, then the source's.
            const Run& r = runs[k];
            const std::size_t bytes = bytesOf(i);
            if (r.got < 0)
                verdict = Verdict::Unreadable;
            else if (std::size_t(r.got) != bytes || !whole(i))
                verdict = Verdict::Differs;
            else if (r.sourceGot < 0)
                verdict = Verdict::Unreadable;
            else if (std::size_t(r.sourceGot) != bytes - countOf(i) * kChunkTag
                || !RunMatches(r.in, bytes, r.source, i, countOf(i), i + countOf(i) == chunks))
                verdict = Verdict::Differs;
        }
    } // a read still under way is waited for; what it gave is not needed
    for (unsigned b = 0; b < 4; ++b)
        workers.Wipe(b, b % 2 == 0 ? runSealed : runPlain);
    return verdict;
}

bool CAuthenticatedFormat::RunMatches(unsigned char* sealed, std::size_t bytes, const unsigned char* plain,
    std::uint64_t first, std::size_t count, bool lastRun)
{
    const std::size_t size = m_header.ChunkSize();
    const std::size_t stride = size + kChunkTag;
    std::atomic<bool> matches{ true };
    CEngineWorkers::For(m_engine).Share(sealed, count, unsigned(stride), [&](unsigned char* at, std::size_t n) {
        const std::size_t from = std::size_t(at - sealed) / stride;
        for (std::size_t j = from; j < from + n && matches.load(std::memory_order_relaxed); ++j) {
            const std::size_t length = std::min(stride, bytes - j * stride);
            if (!OpenOne(sealed + j * stride, length, first + j, lastRun && j + 1 == count)
                || std::memcmp(sealed + j * stride, plain + j * size, length - kChunkTag) != 0)
                matches.store(false, std::memory_order_relaxed);
        }
    });
    return matches.load();
}
