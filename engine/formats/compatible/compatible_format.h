// CCompatibleFormat: the compatible file format, as the file loops ask it.
// One header block under the cipher (the cipher's header text and a marker
// of the plain length mod B), then the data in B-byte blocks, the last one
// padded with zeros. Nothing else: no length field, no IV, no checksum.
#pragma once

#include "engine/dispatch/cipher_table.h"
#include "engine/jobs/file_format.h"

class CCompatibleFormat final : public CFileFormat {
public:
    CCompatibleFormat(CIdea& engine, const CipherRow& chosen);

    unsigned Unit() const override { return m_row->block; }
    const char* CipherName() const override { return m_row->name; }
    const char* OpenFailedCaption(bool encrypting) const override;

    std::size_t SealHeader(unsigned char* out, std::uint64_t length) override;
    std::size_t SealChunk(CChunkPipeline& pipe, unsigned char* data, std::size_t n, bool last) override;

    std::size_t HeaderSize() const override { return m_row->block; }
    long OpenHeader(CFileOps& ops, int fd, bool findCipher) override;
    const char* FoundCipher() const override { return m_row == &m_chosen ? nullptr : m_row->name; }
    bool WholeData(std::uint64_t length) const override { return length % m_row->block == 0; }
    std::size_t OpenChunk(CChunkPipeline& pipe, unsigned char* data, std::size_t n, bool last) override;
    std::size_t LastPlain(std::size_t plain) const override;

    Verdict Check(CFileOps& ops, int plainFd, int encryptedFd, bool encrypting) override;

    // The cipher other than the chosen one whose header block `sealed` (the
    // file's first 16 bytes) deciphers to; null when none does. Only the
    // header block is deciphered.
    const CipherRow* DetectCipher(const unsigned char* sealed);

private:
    CIdea& m_engine;
    const CipherRow& m_chosen;
    const CipherRow* m_row; // the cipher the file is worked with
    unsigned m_padding = 0; // zero bytes in the last block, by the header's marker
};

// The header text of a cipher's files in the compatible format.
const char* compatible_header_text(const CipherRow& row);
