// CResultCheck: a finished result read back against its source before the
// source may go. The encrypted side is deciphered (after encryption) or the
// plain side enciphered again (after decryption) a chunk at a time, so the
// check runs the cipher the other way round from the work it checks and
// holds two chunks whatever the file's size.
#pragma once

#include "cipher_table.h"
#include "file_ops.h"

#include <cstddef>
#include <memory>

class CResultCheck {
public:
    static constexpr std::size_t kChunk = 1 << 20; // a whole number of blocks for every cipher

    enum class Verdict { Match, Differs, Unreadable, Stopped };

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
    std::unique_ptr<unsigned char[]> m_buffer;
};
