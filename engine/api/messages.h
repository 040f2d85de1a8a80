// Every text the engine shows, in one place. The batch's own texts that say
// the same take their words from here.
#pragma once

#include <array>
#include <cstddef>

namespace msg {

// The parts joined into one constant text at compile time.
template <std::size_t... N> constexpr auto join(const char (&... parts)[N])
{
    std::array<char, (N + ...) - sizeof...(N) + 1> text{};
    std::size_t at = 0;
    for (const char* part : { static_cast<const char*>(parts)... })
        for (; *part; ++part)
            text[at++] = *part;
    return text;
}

inline constexpr const char* kOpenFailed = "Don't open this file!";
inline constexpr const char* kOpenFailedCaption = "Error: ";
inline constexpr const char* kCreateFailed = "Don't create new file";
inline constexpr const char* kCreateFailedCaption = "Error";
inline constexpr const char* kKeyCheckCaption = "Error:";
inline constexpr const char* kKeyCheckPrefix
    = "The key you entered does not appear to be valid!\nOr it is not encryption file by ";

inline constexpr const char* kEncrypting = "  Encrypting... ";
inline constexpr const char* kDecrypting = "  Decrypting... ";
inline constexpr const char* kFiles = " file(s)";
inline constexpr const char* kDecryptingFound = "  Decrypting (encrypted with %s)... ";

// Failures found while reading a source or writing a result; each names the file.
inline constexpr const char* kReadFailed
    = "%s\nThis file could not be read completely.\nNothing was written or deleted.";
inline constexpr const char* kChanged
    = "%s\nThis file changed while it was being read.\nNothing was written or deleted.";
inline constexpr const char* kDamaged = "%s\nThis encrypted file is damaged: its length is not a whole number of "
                                        "cipher blocks.\nNothing was written or deleted.";
// The authenticated format: a header it will not open or make, and a chunk
// that does not authenticate.
inline constexpr const char* kFormatRefused = "%s\nThis file cannot be worked on. %s\nNothing was written or deleted.";
inline constexpr const char* kTampered = "%s\nThis file was changed or damaged after it was encrypted: %s\n"
                                         "Nothing was written or deleted.";
inline constexpr const char* kWriteFailed
    = "%s\nThe new file could not be written completely (%s).\nThe source file was left as it was.";
inline constexpr const char* kRenameFailed = "%s\nThe new file could not be given this name (%s).\nIt is kept as:\n%s";
inline constexpr const char* kRemoveFailed
    = "%s\nThe source file could not be deleted (%s).\nThe new file is kept as:\n%s";
// Why a file was not opened when the system had no error to give.
inline constexpr const char* kNotRegular = "It is not a regular file.";
inline constexpr const char* kNotOnlyName = "Its name is a link, or not its only one, since it was checked.";
inline constexpr const char* kSameFile = "%s\nThe new file would overwrite its own source.\nNothing was written.";
inline constexpr const char* kExists = "%s\nA file of this name already exists and is not the source; it is not "
                                       "replaced without permission.\nNothing was "
                                       "written.";
// Why replace mode refuses a linked source.
inline constexpr char kSymlinkReason[]
    = "is a symbolic link: replacing it would leave the file it points to as it is, still readable.";
inline constexpr char kHardLinkReason[]
    = "has other names (hard links): replacing it would leave it readable under them.";
inline constexpr auto kSymlinkSourceText = join("%s\nThis ", kSymlinkReason, "\nNothing was written or deleted.");
inline constexpr const char* kSymlinkSource = kSymlinkSourceText.data();
inline constexpr auto kHardLinkSourceText
    = join("%s\nThis file ", kHardLinkReason, "\nNothing was written or deleted.");
inline constexpr const char* kHardLinkSource = kHardLinkSourceText.data();
// A file ended by something thrown inside.
inline constexpr char kStoppedUnexpectedly[] = "The work on this file stopped on an unexpected failure";
inline constexpr char kSourceLeft[] = "The source file was left as it was.";
inline constexpr auto kFailedInsideText = join("%s\n", kStoppedUnexpectedly, " (%s).\n", kSourceLeft);
inline constexpr const char* kFailedInside = kFailedInsideText.data();
inline constexpr const char* kCheckFailed
    = "%s\nThe check of the new file against this file failed: %s.\nThis file was kept; the new file was removed.";
inline constexpr const char* kCheckDiffers = "read back, the new file does not give this file's bytes";
inline constexpr const char* kCheckUnreadable = "the files could not be read back";

} // namespace msg
