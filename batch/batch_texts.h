// The texts of the batch checks and of a batch's outcome, shared by the
// windows and the command-line tool.
#pragma once

#include "engine/api/host/message_sink.h"
#include "engine/api/messages.h"
#include "product_version.h"

namespace batch::texts {

// The message boxes' icons, as the engine's message sinks take them.
inline constexpr unsigned kIconInformation = MB_ICONINFORMATION;
inline constexpr unsigned kIconError = MB_ICONERROR;

inline constexpr const char* kAppTitle = KVN_PRODUCT_NAME;
inline constexpr const char* kHelp = "Help";
inline constexpr const char* kTooManyFiles = "Selected files are more than enough!";
inline constexpr const char* kSelectToEncrypt = "Please select files that you want to encrypt!";
inline constexpr const char* kSelectToDecrypt = "Please select files that you want to decrypt!";
inline constexpr const char* kCannotEncrypt = "Help:  Your file(s) can't be encrypted";
inline constexpr const char* kCannotDecrypt = "Help:  Your file(s) can't be decrypted";
inline constexpr const char* kAttributeSuffix
    = "  is read-only/hidden/system, try changing its attribute \nor changing configuration of kelvanetrix Plus.";
inline constexpr const char* kEmptySuffix = "  is empty file!";
// The engine's reasons for refusing a linked source, with the batch's advice.
inline constexpr auto kSymlinkSuffixText
    = msg::join("  ", msg::kSymlinkReason, " \nChoose that file itself, or keep the source files.");
inline constexpr const char* kSymlinkSuffix = kSymlinkSuffixText.data();
inline constexpr auto kHardLinkSuffixText
    = msg::join("  ", msg::kHardLinkReason, " \nRemove the other names, or keep the source files.");
inline constexpr const char* kHardLinkSuffix = kHardLinkSuffixText.data();

inline constexpr const char* kNoKeyTitle = "Error:    Please enter a key/password value !";
inline constexpr const char* kNoKeyText = "Enter a key/password value!";
inline constexpr const char* kConfirmTitle = "Error:  CONFIRM your key please!";
inline constexpr const char* kConfirmText = "Confirm your key please!";

inline constexpr const char* kReady = "Ready";
inline constexpr const char* kCompleted = "Completed";
inline constexpr const char* kFailure = "Failure";
inline constexpr const char* kEncryptFailed = "Encryption is failed! \n";
inline constexpr const char* kEncryptDone = "Congratulation! Encryption has completed!\n \nPlease remember your KEY,it "
                                            "is impossible to \nrecover a file if you "
                                            "forget/lose the key!";
inline constexpr const char* kDecryptFailedSuffix = " decryption is failed! \n";
inline constexpr const char* kDecryptFailedCaption = "Help: file decryption is failed!";
inline constexpr const char* kDecryptDone = "Congratulation! Decryption has completed! \n";
// What the engine says of a file ended by something thrown inside, without a
// reason to give: the batch's callbacks throw nothing that names one.
inline constexpr const char* kFailedInsideCaption = msg::kCreateFailedCaption;
inline constexpr auto kFailedInsideSuffixText = msg::join("\n", msg::kStoppedUnexpectedly, ".\n", msg::kSourceLeft);
inline constexpr const char* kFailedInsideSuffix = kFailedInsideSuffixText.data();
inline constexpr auto kFailedInsideReasonText = msg::join(msg::kStoppedUnexpectedly, ".");
inline constexpr const char* kFailedInsideReason = kFailedInsideReasonText.data();

} // namespace batch::texts
