// The compatible file format's rules: its header texts, the length marker and
// the zero padding of the last block, and how a result is checked.
#include "engine/formats/compatible/compatible_format.h"

#include "engine/api/messages.h"
#include "engine/formats/compatible/header.h"
#include "engine/formats/compatible/result_check.h"
#include "engine/jobs/chunk_pipeline.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// The header text before the marker in each cipher's files, and the caption
// of the message that a file to decrypt cannot be opened (IDEA's differs).
struct CompatibleTexts {
    const char* code;
    const char* header;
    const char* decryptOpenCaption;
};

constexpr CompatibleTexts kTexts[] = {
    { "1", "KelvanetrixPlus", msg::kOpenFailedCaption },
    { "10", "Kelvanp", msg::kKeyCheckCaption },
    { "2", "KelvanetrixPlus", msg::kOpenFailedCaption },
    { "3", "KelvanetrixPlus", msg::kOpenFailedCaption },
    { "4", "KelvanetrixPlus", msg::kOpenFailedCaption },
    { "5", "KelvanetrixPlus", msg::kOpenFailedCaption },
};

const CompatibleTexts& texts_of(const CipherRow& row)
{
    for (const auto& t : kTexts)
        if (std::string(t.code) == row.code)
            return t;
    return kTexts[0];
}

} // namespace

const char* compatible_header_text(const CipherRow& row)
{
    return texts_of(row).header;
}

CCompatibleFormat::CCompatibleFormat(CIdea& engine, const CipherRow& chosen)
    : m_engine(engine)
    , m_chosen(chosen)
    , m_row(&chosen)
{
}

const char* CCompatibleFormat::OpenFailedCaption(bool encrypting) const
{
    return encrypting ? msg::kOpenFailedCaption : texts_of(*m_row).decryptOpenCaption;
}

std::size_t CCompatibleFormat::SealHeader(unsigned char* out, std::uint64_t length)
{
    const unsigned b = m_row->block;
    m_row->prepare_encrypt(m_engine);
    compatible::build_header(out, compatible_header_text(*m_row), b, compatible::marker_for(length, b));
    m_row->encrypt_blocks(m_engine, out, out, 1);
    return b;
}

std::size_t CCompatibleFormat::SealChunk(CChunkPipeline& pipe, unsigned char* data, std::size_t n, bool)
{
    const unsigned b = m_row->block;
    const std::size_t rest = n % b;
    std::size_t bytes = n - rest;
    if (rest != 0) {
        std::memset(data + bytes + rest, 0, b - rest); // the last piece is padded with zeros
        bytes += b;
    }
    const CipherRow* row = m_row;
    CIdea& engine = m_engine;
    pipe.Cipher(bytes / b,
        [&engine, row](unsigned char* at, std::size_t count) { row->encrypt_blocks(engine, at, at, count); });
    return bytes;
}

const CipherRow* CCompatibleFormat::DetectCipher(const unsigned char* sealed)
{
    std::size_t count = 0;
    const CipherRow* rows = cipher_rows(count);
    for (std::size_t i = 0; i < count; ++i) {
        const CipherRow& row = rows[i];
        if (&row == m_row)
            continue;
        unsigned char block[16];
        std::memcpy(block, sealed, row.block);
        row.prepare_decrypt(m_engine);
        row.decrypt_blocks(m_engine, block, block, 1);
        if (compatible::header_matches(block, compatible_header_text(row), row.block))
            return &row;
    }
    return nullptr;
}

long CCompatibleFormat::OpenHeader(CFileOps& ops, int fd, bool findCipher)
{
    const unsigned b = m_row->block;
    m_row->prepare_decrypt(m_engine);
    unsigned char header[16] = {};
    const long n = read_full(ops, fd, header, b);
    if (n < 0)
        return n;
    unsigned char sealed[16] = {};
    std::memcpy(sealed, header, b);
    m_row->decrypt_blocks(m_engine, header, header, 1);
    if (compatible::header_matches(header, compatible_header_text(*m_row), b)) {
        m_padding = compatible::padding_for(header[b - 1], b);
        return 1;
    }
    if (!findCipher)
        return 0;
    // The first 16 bytes hold the header block of every cipher.
    if (b < sizeof sealed) {
        const long more = read_full(ops, fd, sealed + b, sizeof sealed - b);
        if (more < 0)
            return more;
    }
    const CipherRow* found = DetectCipher(sealed);
    if (found == nullptr)
        return 0;
    m_row = found;
    return 1;
}

std::size_t CCompatibleFormat::OpenChunk(CChunkPipeline& pipe, unsigned char*, std::size_t n, bool)
{
    const unsigned b = m_row->block;
    const std::size_t blocks = n / b;
    const CipherRow* row = m_row;
    CIdea& engine = m_engine;
    pipe.Cipher(
        blocks, [&engine, row](unsigned char* at, std::size_t count) { row->decrypt_blocks(engine, at, at, count); });
    return blocks * b;
}

// The padding comes off the file's last block.
std::size_t CCompatibleFormat::LastPlain(std::size_t plain) const
{
    return plain == 0 ? 0 : plain - std::min<std::size_t>(m_padding, m_row->block);
}

CFileFormat::Verdict CCompatibleFormat::Check(CFileOps& ops, int plainFd, int encryptedFd, bool encrypting)
{
    CResultCheck check(m_engine, *m_row, ops);
    return check.Compare(plainFd, encryptedFd, encrypting);
}
