// Every text the engine shows, in one place.
#pragma once

namespace msg {

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

// Failures the engine detects beyond the classic three; each names the file.
inline constexpr const char* kReadFailed
    = "%s\nThis file could not be read completely.\nNothing was written or deleted.";
inline constexpr const char* kChanged
    = "%s\nThis file changed while it was being read.\nNothing was written or deleted.";
inline constexpr const char* kDamaged = "%s\nThis encrypted file is damaged: its length is not a whole number of "
                                        "cipher blocks.\nNothing was written or deleted.";
inline constexpr const char* kWriteFailed
    = "%s\nThe new file could not be written completely (%s).\nThe source file was left as it was.";
inline constexpr const char* kRenameFailed = "%s\nThe new file could not be given this name (%s).\nIt is kept as:\n%s";
inline constexpr const char* kRemoveFailed
    = "%s\nThe source file could not be deleted (%s).\nThe new file is kept as:\n%s";
inline constexpr const char* kSameFile = "%s\nThe new file would overwrite its own source.\nNothing was written.";

} // namespace msg
