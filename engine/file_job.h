// What encrypting and decrypting one file have in common: the source that is
// read, the texts and progress shown in the borrowed windows, the messages,
// and how a finished output takes its final name.
#pragma once

#include "cipher_table.h"
#include "file_ops.h"
#include "output_file.h"

#include <cstdint>
#include <memory>
#include <string>

class CFileJob {
public:
    // Bytes read and written per system call: large, and a whole number of
    // blocks for every cipher.
    static constexpr std::size_t kChunk = 1 << 20;

    CFileJob(CIdea& engine, const CipherRow& row);
    ~CFileJob();
    CFileJob(const CFileJob&) = delete;
    CFileJob& operator=(const CFileJob&) = delete;

    CFileOps& Ops() { return m_ops; }
    // Two chunk buffers: one is filled and ciphered while the other is written.
    unsigned char* Buffer(int which) { return m_buffer.get() + (which ? kChunk : 0); }
    const FileInfo& Source() const { return m_source; }
    int SourceFd() const { return m_fd; }

    // Opens a regular file for reading; anything else is refused unopened.
    bool OpenSource(const char* path);
    void CloseSource();
    // Reads the source until `size` bytes are in or it ends; -errno on error.
    long ReadSource(void* buffer, std::size_t size);
    // True when the source still has the size it had when it was opened.
    bool SourceUnchanged(std::uint64_t bytesRead);

    // A new output for `finalPath` with the source's permissions. Refuses to
    // let a kept source be overwritten by its own output.
    bool CreateOutput(COutputFile& out, const std::string& finalPath, bool replace);

    // Counts the file and shows its name and the running count.
    void Announce(const char* path, const char* verb);

    void ProgressStart(std::uint64_t length);
    // `blocks` full blocks were handled; advances the bar as block-by-block
    // processing would.
    void ProgressBlocks(std::uint64_t blocks);
    void ProgressEnd();

    // Syncs and renames the output into place, then deletes the source in
    // replace mode. Returns the file's result code.
    int Finish(COutputFile& out, const char* source, bool replace);

    // The failures both loops report; each shows its message and answers the
    // file's result code.
    int WriteFailed(const COutputFile& out);
    int ReadFailed(const char* source);
    int SourceChanged(const char* source);

    void Show(const char* text, const char* caption, unsigned style);
    void ShowFormatted(const char* caption, const char* format, const std::string& a, const std::string& b = {},
        const std::string& c = {});
    static std::string ErrorText(int negativeErrno);

private:
    CIdea& m_engine;
    const CipherRow& m_row;
    CFileOps& m_ops;
    std::unique_ptr<unsigned char[]> m_buffer;
    int m_fd = -1;
    FileInfo m_source;
    std::uint64_t m_counter = 0;
    std::uint64_t m_step = 1;
    int m_pos = 1;
};

CMessageSink& default_message_sink();
