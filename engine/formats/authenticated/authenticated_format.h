// CAuthenticatedFormat: the authenticated file format, as the file loops ask
// it. A plain header (auth_header.h) whose tag proves the key, then the data
// in chunks of 2^k bytes, each sealed with the cipher in GCM under the
// file's payload key, its IV the nonce prefix, the chunk's 32-bit index and
// a flag on the last chunk (the STREAM construction): a chunk changed,
// moved, dropped, added or cut off fails to open.
#pragma once

#include "engine/dispatch/cipher_table.h"
#include "engine/formats/authenticated/auth_header.h"
#include "engine/formats/authenticated/auth_keys.h"
#include "engine/jobs/file_format.h"
#include "engine/modes/gcm/gcm.h"

#include <atomic>
#include <memory>

class CAuthenticatedFormat final : public CFileFormat {
public:
    // `chosen`: the cipher to encrypt with, or the one asked for when
    // decrypting (the header names the file's own).
    CAuthenticatedFormat(CIdea& engine, const CipherRow& chosen);
    ~CAuthenticatedFormat() override;

    unsigned Unit() const override;
    unsigned Gap() const override { return authenticated::kChunkTag; }
    const char* CipherName() const override { return m_row->name; }
    const char* OpenFailedCaption(bool encrypting) const override;
    bool MarksLast() const override { return true; }
    std::string Problem() const override { return m_problem; }

    std::size_t SealHeader(unsigned char* out, std::uint64_t length) override;
    std::size_t SealChunk(CChunkPipeline& pipe, unsigned char* data, std::size_t n, bool last) override;

    std::size_t HeaderSize() const override { return authenticated::kHeaderSize; }
    long OpenHeader(CFileOps& ops, int fd, bool findCipher) override;
    const char* FoundCipher() const override { return m_row == &m_chosen ? nullptr : m_row->name; }
    bool WholeData(std::uint64_t length) const override;
    std::size_t OpenChunk(CChunkPipeline& pipe, unsigned char* data, std::size_t n, bool last) override;
    std::size_t LastPlain(std::size_t plain) const override { return plain; }

    Verdict Check(CFileOps& ops, int plainFd, int encryptedFd, bool encrypting) override;

    // The cipher row of an algorithm number of the header, or null (IDEA has none).
    static const CipherRow* RowOf(unsigned cipher);

private:
    class Keyed;
    // The cipher keyed with the payload key and GCM over it.
    bool StartPayload();
    void Iv(std::uint64_t index, bool last, unsigned char iv[12]) const;
    // Opens the sealed chunk `index` of `bytes` bytes at `at` in place.
    bool OpenOne(unsigned char* at, std::size_t bytes, std::uint64_t index, bool last) const;
    // Checks a run of `count` sealed chunks from `first` on, `bytes` of them
    // read into `sealed`, against the source's bytes at `plain`.
    bool RunMatches(unsigned char* sealed, std::size_t bytes, const unsigned char* plain, std::uint64_t first,
        std::size_t count, bool lastRun);

    CIdea& m_engine;
    const CipherRow& m_chosen;
    const CipherRow* m_row;
    authenticated::Header m_header;
    unsigned char m_headerBytes[authenticated::kHeaderSize] = {};
    authenticated::FileKeys m_keys;
    std::unique_ptr<Keyed> m_keyed;
    std::unique_ptr<tessiral::gcm::Gcm> m_gcm;
    bool m_decrypting = false;
    std::uint64_t m_nextChunk = 0; // index of the next chunk sealed or opened
    std::string m_problem;
};
