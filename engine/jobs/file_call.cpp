// IdeaEncrypt and IdeaDecrypt as other programs call them: the refusal of a
// linked source in replace mode before anything is opened, and the net that
// turns anything thrown inside (an allocation, a string, a file operation)
// into one failed file instead of the end of the calling program.
#include "engine/api/batch_control.h"
#include "engine/api/messages.h"
#include "engine/formats/authenticated/auth_header.h"
#include "engine/formats/compatible/compatible_format.h"
#if TESSIRAL_AUTHENTICATED
#include "engine/formats/authenticated/authenticated_format.h"
#endif
#include "engine/jobs/file_job.h"
#include "engine/jobs/file_loops.h"

#include <new>

namespace {

// In replace mode the source's name is removed or written over when the work
// is done. A symbolic link or a file with other hard links would keep the
// contents readable elsewhere, so the user would be told of a success that
// is none.
bool linked_source_refused(CIdea& engine, const char* source)
{
    if (engine.m_bReplace == 0)
        return false;
    CFileOps& ops = engine.m_pFileOps ? *engine.m_pFileOps : default_file_ops();
    FileInfo entry;
    if (ops.Lstat(source, entry) != 0)
        return false; // not there: the open reports it
    const char* why = entry.symlink        ? msg::kSymlinkSource
        : entry.regular && entry.links > 1 ? msg::kHardLinkSource
                                           : nullptr;
    if (why == nullptr)
        return false;
    show_engine_message(engine, format_message(why, source).c_str(), msg::kOpenFailedCaption, MB_OK | MB_ICONERROR,
        format_sentence(why, {}));
    return true;
}

#if !TESSIRAL_AUTHENTICATED
constexpr const char* kNoAuthenticated = "this build of the engine has no authenticated format.";
#endif

void report_thrown(CIdea& engine, const char* source, const char* why)
{
    try {
        show_engine_message(engine, format_message(msg::kFailedInside, source ? source : "", why).c_str(),
            msg::kCreateFailedCaption, MB_OK | MB_ICONERROR, format_sentence(msg::kFailedInside, why));
    } catch (...) {
        // Nothing left to tell it with; the result code still says it failed.
    }
}

// Runs one file. The file's own objects clean up as whatever was thrown
// passes them: the partial output is removed, the source is closed untouched.
template <typename Body> int guarded(CIdea& engine, const char* source, Body body)
{
    if (CBatchControl* control = engine.m_pControl) {
        control->stopped = false;
        control->cipherFound.clear();
        if (control->stop.load()) {
            control->stopped = true; // asked before the file began: it is not touched
            return IDEA_SOURCE_FAILED;
        }
    }
    try {
        if (linked_source_refused(engine, source))
            return IDEA_SOURCE_FAILED;
        return body();
    } catch (const std::bad_alloc&) {
        report_thrown(engine, source, "not enough memory");
    } catch (const std::exception& e) {
        report_thrown(engine, source, e.what());
    } catch (...) {
        report_thrown(engine, source, "unknown failure");
    }
    return IDEA_DEST_FAILED;
}

// Whether the file begins with the authenticated format's magic: a file in
// the compatible format begins with a cipher block instead.
bool looks_authenticated(CIdea& engine, const char* source)
{
    CFileOps& ops = engine.m_pFileOps ? *engine.m_pFileOps : default_file_ops();
    FileInfo info;
    if (ops.Stat(source, info) != 0 || !info.regular)
        return false; // never opened here (a FIFO would block): the loop refuses it
    const int fd = ops.OpenRead(source);
    if (fd < 0)
        return false; // the loop opens it again and reports why it cannot
    unsigned char magic[authenticated::kMagicSize] = {};
    const long n = read_full(ops, fd, magic, sizeof magic);
    ops.Close(fd);
    return n == long(sizeof magic) && authenticated::has_magic(magic, sizeof magic);
}

// The file in the format it is to be written in (encrypting: the one the
// batch asks for) or is written in (decrypting: the one its start shows),
// under the engine's cipher. With no cipher chosen the file is left alone
// and counts as done.
template <typename Loop> int in_its_format(CIdea& engine, const char* source, bool encrypting, Loop loop)
{
    const CipherRow* row = cipher_for_file(engine);
    if (row == nullptr)
        return IDEA_DONE;
    const CBatchControl* control = engine.m_pControl;
    const bool authenticated
        = encrypting ? control != nullptr && control->authenticated : looks_authenticated(engine, source);
    if (authenticated) {
#if TESSIRAL_AUTHENTICATED
        CAuthenticatedFormat format(engine, *row);
        return loop(format);
#else
        show_engine_message(engine, format_message(msg::kFormatRefused, source, kNoAuthenticated).c_str(),
            msg::kCreateFailedCaption, MB_OK | MB_ICONERROR, format_sentence(msg::kFormatRefused, kNoAuthenticated));
        return encrypting ? IDEA_DEST_FAILED : IDEA_SOURCE_FAILED;
#endif
    }
    CCompatibleFormat format(engine, *row);
    return loop(format);
}

} // namespace

int CIdea::IdeaEncrypt(char* source, char* destination)
{
    return guarded(*this, source, [&] {
        return in_its_format(
            *this, source, true, [&](CFileFormat& format) { return encrypt_file(*this, format, source, destination); });
    });
}

int CIdea::IdeaDecrypt(char* source, char* destination)
{
    return guarded(*this, source, [&] {
        return in_its_format(*this, source, false,
            [&](CFileFormat& format) { return decrypt_file(*this, format, source, destination); });
    });
}
