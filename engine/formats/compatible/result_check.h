// CResultCheck: a finished result read back against its source before the
// source may go. The encrypted side is deciphered (after encryption) or the
// plain side enciphered again (after decryption) a chunk at a time, so the
// check runs the cipher the other way round from the work it checks. It
// borrows two of the engine's chunk buffers (free once a file's loop is
// done) and ciphers on all of its threads.
#pragma once

#include "engine/dispatch/cipher_table.h"
#include "engine/jobs/engine_workers.h"
#include "engine/jobs/file_format.h"
#include "engine/os/file_ops.h"

#include <cstddef>

class CResultCheck {
public:
    using Verdict = CFileFormat::Verdict;

    CResultCheck(CIdea& engine, const CipherRow& row, CFileOps& ops);
    ~CResultCheck();
    CResultCheck(const CResultCheck&) = delete;
    CResultCheck& operator=(const CResultCheck&) = delete;

    // Compares the plain file `plainFd` with the encrypted file `encryptedFd`,
    // both read from their start. `decipher`: check by deciphering the
    // encrypted side (else by enciphering the plain side).
    Verdict Compare(int plainFd, int encryptedFd, bool decipher);

private:
    bool Matches(unsigned char* plain, unsigned char* encrypted, std::size_t blocks, bool decipher);

    CIdea& m_engine;
    const CipherRow& m_row;
    CFileOps& m_ops;
    CEngineWorkers& m_workers;
    const std::size_t m_chunk;
    unsigned char* m_plain;
    unsigned char* m_encrypted;
};
