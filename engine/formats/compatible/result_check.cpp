// Reading a result back against its source.
#include "engine/formats/compatible/result_check.h"

#include "engine/api/batch_control.h"
#include "engine/formats/compatible/compatible_format.h"
#include "engine/formats/compatible/header.h"

#include <cstring>

CResultCheck::CResultCheck(CIdea& engine, const CipherRow& row, CFileOps& ops)
    : m_engine(engine)
    , m_row(row)
    , m_ops(ops)
    , m_workers(CEngineWorkers::For(engine))
    , m_chunk(m_workers.Chunk())
    , m_plain(m_workers.Buffer(0, m_chunk))
    , m_encrypted(m_workers.Buffer(1, m_chunk))
{
}

// Both chunks held plain text.
CResultCheck::~CResultCheck()
{
    m_workers.Wipe(0, m_chunk);
    m_workers.Wipe(1, m_chunk);
}

bool CResultCheck::Matches(unsigned char* plain, unsigned char* encrypted, std::size_t blocks, bool decipher)
{
    const unsigned b = m_row.block;
    m_workers.Share(decipher ? encrypted : plain, blocks, b, [&](unsigned char* at, std::size_t count) {
        if (decipher)
            m_row.decrypt_blocks(m_engine, at, at, count);
        else
            m_row.encrypt_blocks(m_engine, at, at, count);
    });
    return std::memcmp(plain, encrypted, blocks * b) == 0;
}

CResultCheck::Verdict CResultCheck::Compare(int plainFd, int encryptedFd, bool decipher)
{
    if (decipher)
        m_row.prepare_decrypt(m_engine);
    else
        m_row.prepare_encrypt(m_engine);
    const unsigned b = m_row.block;
    unsigned char* plain = m_plain;
    unsigned char* encrypted = m_encrypted;

    // The header block: the cipher's text and the marker of the plain length.
    FileInfo info;
    if (m_ops.Fstat(plainFd, info) != 0)
        return Verdict::Unreadable;
    compatible::build_header(plain, compatible_header_text(m_row), b, compatible::marker_for(info.size, b));
    long n = read_full(m_ops, encryptedFd, encrypted, b);
    if (n < 0)
        return Verdict::Unreadable;
    if (n != long(b) || !Matches(plain, encrypted, 1, decipher))
        return Verdict::Differs;

    // The data, the plain side's last piece padded with zeros as encrypting does.
    const CBatchControl* control = m_engine.m_pControl;
    for (;;) {
        if (control && control->stop.load())
            return Verdict::Stopped;
        n = read_full(m_ops, plainFd, plain, m_chunk);
        if (n < 0)
            return Verdict::Unreadable;
        const std::size_t have = std::size_t(n);
        const std::size_t padded = (have + b - 1) / b * b;
        std::memset(plain + have, 0, padded - have);
        const long got = read_full(m_ops, encryptedFd, encrypted, padded);
        if (got < 0)
            return Verdict::Unreadable;
        if (std::size_t(got) != padded || !Matches(plain, encrypted, padded / b, decipher))
            return Verdict::Differs;
        if (have < m_chunk)
            break;
    }
    // Nothing may follow on the encrypted side.
    n = read_full(m_ops, encryptedFd, encrypted, 1);
    if (n < 0)
        return Verdict::Unreadable;
    return n == 0 ? Verdict::Match : Verdict::Differs;
}
