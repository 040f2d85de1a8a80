// CFileFormat: what the file loops ask of a file format. The loops own the
// files, the chunk pipeline and its threads, progress, stops and messages; a
// format owns the bytes: its header, how a chunk of data is sealed and
// opened, how the data ends, and how a finished result is read back. One
// format object serves one file.
#pragma once

#include "engine/os/file_ops.h"

#include <cstddef>
#include <cstdint>
#include <string>

class CChunkPipeline;

class CFileFormat {
public:
    enum class Verdict { Match, Differs, Unreadable, Stopped };
    // The largest header a format writes.
    static constexpr std::size_t kMaxHeader = 128;
    // What SealChunk and OpenChunk answer when a chunk cannot be sealed or
    // does not authenticate; Problem() says why.
    static constexpr std::size_t kChunkFailed = ~std::size_t(0);

    virtual ~CFileFormat() = default;

    // The unit data is handled in: full chunks are a multiple of it, the bar
    // advances by it, and a sealed chunk may grow by up to one unit (at its
    // end, when the gap is 0).
    virtual unsigned Unit() const = 0;
    // Room for what sealing adds to each unit, so that a format seals and
    // opens in place (CChunkPipeline::Layout). Encrypting, the units of a
    // chunk sit Unit() + Gap() bytes apart, and SealChunk puts each sealed
    // unit's addition right after it (a short last unit's too), so that the
    // chunk's sealed bytes lie end to end. Decrypting, the units are sealed
    // ones, end to end; OpenChunk leaves the plain bytes at the start of
    // each, and only those are written.
    virtual unsigned Gap() const { return 0; }
    // Whether the format must know that a chunk is the file's last before it
    // seals or opens it (the loops look one chunk ahead), seals an empty
    // source as one empty last chunk, and checks the length of what it opens
    // itself.
    virtual bool MarksLast() const { return false; }
    // Why the header could not be made or opened, or a chunk failed: one
    // sentence for the file's message. Empty when the key does not fit (the
    // key-check message is shown) or nothing failed.
    virtual std::string Problem() const { return {}; }
    // The cipher's name as the key-check message gives it.
    virtual const char* CipherName() const = 0;
    // Caption of the message that a source cannot be opened.
    virtual const char* OpenFailedCaption(bool encrypting) const = 0;

    // Encrypting. The sealed header for a source of `length` bytes, into
    // `out` (kMaxHeader bytes of room); returns its size, or 0 when it cannot
    // be made (Problem() says why, unless the batch asked to stop).
    virtual std::size_t SealHeader(unsigned char* out, std::uint64_t length) = 0;
    // Seals the `n` source bytes of the pipeline's current chunk in place
    // (`last`: the source ends with them); returns how many bytes to write,
    // or kChunkFailed.
    virtual std::size_t SealChunk(CChunkPipeline& pipe, unsigned char* data, std::size_t n, bool last) = 0;

    // Decrypting. How many bytes the header takes at the file's start.
    virtual std::size_t HeaderSize() const = 0;
    // Reads the header through `read` (bytes read, or -errno) and decides
    // which cipher opens the file: 1 when it opens, 0 when the key does not
    // fit, or -errno. With `findCipher`, a cipher other than the chosen one
    // may open it; FoundCipher() then names it.
    virtual long OpenHeader(CFileOps& ops, int fd, bool findCipher) = 0;
    // The cipher that opened the header when it was not the chosen one, else null.
    virtual const char* FoundCipher() const = 0;
    // Whether an encrypted file of `length` bytes, or a last chunk of
    // `length` bytes, can hold whole data (else the file is damaged).
    virtual bool WholeData(std::uint64_t length) const = 0;
    // Opens the `n` bytes of the pipeline's current chunk in place (`last`:
    // the file ends with them, when MarksLast()); returns how many plain
    // bytes they hold (to write, leaving out each unit's gap), or
    // kChunkFailed.
    virtual std::size_t OpenChunk(CChunkPipeline& pipe, unsigned char* data, std::size_t n, bool last) = 0;
    // How many of the `plain` bytes of the file's last chunk are data.
    virtual std::size_t LastPlain(std::size_t plain) const = 0;

    // Reads a finished result back against its source, both from their start:
    // the plain file and the encrypted one. `encrypting`: the result is the
    // encrypted side.
    virtual Verdict Check(CFileOps& ops, int plainFd, int encryptedFd, bool encrypting) = 0;
};
