// What encrypting and decrypting one file have in common: the source that is
// read, the texts and progress shown in the borrowed windows, the messages,
// and how a finished output takes its final name.
#pragma once

#include "engine/dispatch/cipher_table.h"
#include "engine/jobs/file_format.h"
#include "engine/os/file_ops.h"
#include "engine/os/output_file.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

class CChunkPipeline;

class CFileJob {
public:
    CFileJob(CIdea& engine, CFileFormat& format);
    ~CFileJob();
    CFileJob(const CFileJob&) = delete;
    CFileJob& operator=(const CFileJob&) = delete;

    CIdea& Engine() { return m_engine; }
    CFileOps& Ops() { return m_ops; }
    const FileInfo& Source() const { return m_source; }
    int SourceFd() const { return m_fd; }

    // Opens a regular file for reading; anything else is refused unopened.
    // In replace mode the name must be the file's only one: not a symbolic
    // link, no other hard links (checked again on what was opened). On
    // failure OpenReason() says why.
    bool OpenSource(const char* path);
    const std::string& OpenReason() const { return m_openReason; }
    void CloseSource();
    // Shows that the source cannot be opened, with OpenReason().
    void OpenFailed(const char* source, bool encrypting);
    // Reads the source until `size` bytes are in or it ends; -errno on error.
    long ReadSource(void* buffer, std::size_t size);

    // A new output for `finalPath` with the source's permissions. Refuses to
    // let a kept source be overwritten by its own output, and to replace an
    // existing entry other than the source unless the engine may overwrite.
    bool CreateOutput(COutputFile& out, const std::string& finalPath, bool replace);

    // Counts the file and shows its name and the running count.
    void Announce(const char* path, const char* verb);

    void ProgressStart(std::uint64_t length);
    // `units` full units of the format were handled; advances the bar as
    // unit-by-unit processing would.
    void ProgressUnits(std::uint64_t units);

    // Whether the batch asked to stop; the loops ask at every chunk.
    bool StopRequested() const;
    // Ends the file unfinished for the stop: no message, the output is
    // discarded by its owner, the source is left as it was.
    int Stopped();

    // How both loops end once the last chunk is handed over: its writes
    // waited for, the source checked to be as long as the `bytesRead` read
    // from it (a file that grew or shrank meanwhile would not round-trip),
    // Finish, and the bar ended on success.
    int Conclude(CChunkPipeline& pipe, COutputFile& out, const char* source, std::uint64_t bytesRead, bool replace,
        bool encrypting);

    // The failures both loops report; each shows its message and answers the
    // file's result code.
    int WriteFailed(const COutputFile& out);
    int ReadFailed(const char* source);

    // Shows a failure's message; `reason`: the same as one line (reason_line).
    void Show(const char* text, const char* caption, unsigned style, const std::string& reason);
    void ShowFormatted(const char* caption, const char* format, const std::string& a, const std::string& b = {},
        const std::string& c = {});
    // `text` as its first line, the file and the reason beneath.
    static std::string AboutFile(const char* text, const std::string& path, const std::string& reason);

private:
    // True when the source still has the size it had when it was opened.
    bool SourceUnchanged(std::uint64_t bytesRead);
    void ProgressEnd();
    // Syncs and renames the output into place, then deletes the source in
    // replace mode, after checking the result against it when the batch asks
    // so. The result keeps the source's modification time. Returns the
    // file's result code.
    int Finish(COutputFile& out, const char* source, bool replace, bool encrypting);
    // Reads the finished temporary output back against the source; 0 when it
    // matches, else the failure's result code (reported, or stopped).
    int CheckResult(const COutputFile& out, const char* source, bool encrypting);
    int SourceChanged(const char* source);
    int CheckFailed(const char* source, const char* why);

    static std::string ErrorText(int negativeErrno);
    // Whether two entries are the same file.
    static bool SameFile(const FileInfo& a, const FileInfo& b) { return a.device == b.device && a.inode == b.inode; }

    CIdea& m_engine;
    CFileFormat& m_format;
    CFileOps& m_ops;
    int m_fd = -1;
    FileInfo m_source;
    std::string m_openReason;
    std::string m_sourcePath;
    std::uint64_t m_counter = 0;
    std::uint64_t m_step = 1;
    int m_pos = 1;
};

// The cipher the engine's code names. With none, the file is left alone and
// counts as done, the bar standing full: the caller returns IDEA_DONE.
const CipherRow* cipher_for_file(CIdea& engine);

CMessageSink& default_message_sink();

// Shows a failure's message in the engine's message sink (standard error
// without one), telling the sink `reason` first.
void show_engine_message(
    CIdea& engine, const char* text, const char* caption, unsigned style, const std::string& reason);
// A failure's reason as one line: its pieces joined by spaces, the file's own
// name (`source`, listed beside it) left out, ending with the first piece
// that ends a sentence.
std::string reason_line(std::initializer_list<std::string> pieces, const std::string& source);
// The sentence of a "%s\n<sentence>\n..." message format, its own "%s" filled.
std::string format_sentence(const char* format, const std::string& a, const std::string& b = {});
// `format` with up to three "%s" filled in.
std::string format_message(
    const char* format, const std::string& a, const std::string& b = {}, const std::string& c = {});
