// Reading a result back against its source.
#include "result_check.h"

#include "batch_control.h"
#include "file_format.h"
#include "secure_zero.h"

#include <cstring>

CResultCheck::CResultCheck(CIdea& engine, const CipherRow& row, CFileOps& ops)
    : m_engine(engine), m_row(row), m_ops(ops), m_buffer(new unsigned char[2 * kChunk])
{
}

// Both chunks held plain text.
CResultCheck::~CResultCheck() { tessiral::secure_zero(m_buffer.get(), 2 * kChunk); }

bool CResultCheck::Matches(unsigned char* plain, unsigned char* encrypted, std::size_t blocks, bool decipher)
{
    if (decipher)
        m_row.decrypt_blocks(m_engine, encrypted, encrypted, blocks);
    else
        m_row.encrypt_blocks(m_engine, plain, plain, blocks);
    return std::memcmp(plain, encrypted, blocks * m_row.block) == 0;
}

CResultCheck::Verdict CResultCheck::Compare(int plainFd, int encryptedFd, bool decipher)
{
    if (decipher)
        m_row.prepare_decrypt(m_engine);
    else
        m_row.prepare_encrypt(m_engine);
    const unsigned b = m_row.block;
    unsigned char* plain = m_buffer.get();
    unsigned char* encrypted = m_buffer.get() + kChunk;

    // The header block: the cipher's text and the marker of the plain length.
    FileInfo info;
    if (m_ops.Fstat(plainFd, info) != 0)
        return Verdict::Unreadable;
    fileformat::build_header(plain, m_row.header, b, fileformat::marker_for(info.size, b));
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
        n = read_full(m_ops, plainFd, plain, kChunk);
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
        if (have < kChunk)
            break;
    }
    // Nothing may follow on the encrypted side.
    n = read_full(m_ops, encryptedFd, encrypted, 1);
    if (n < 0)
        return Verdict::Unreadable;
    return n == 0 ? Verdict::Match : Verdict::Differs;
}
