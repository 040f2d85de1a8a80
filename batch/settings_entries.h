// Every settings entry the programs share, in one place: its section and
// name, its type and default, and how a stored text is decoded. Pages and
// consumers read and write an entry only through these functions.
#pragma once

#include "batch/output_options.h"
#include "batch/settings_access.h"

#include <string>

namespace batch::settings {

// "Arith"/"value": the algorithm code. Anything but an exact code means AES.
std::string AlgorithmCode(CSettingsAccess& s); // decoded; nothing written
std::string StoredAlgorithm(CSettingsAccess& s); // as stored, possibly empty
void WriteAlgorithm(CSettingsAccess& s, const std::string& code);

// "EncryptOption"/"replace" and "add", as "1"/"0" texts. An empty "replace"
// means replace with ".kvn" added; "add" counts only while "replace" is "1".
struct EncryptChoice {
    std::string replace;
    std::string add;
};
EncryptChoice StoredEncryptChoice(CSettingsAccess& s);
void WriteEncryptChoice(CSettingsAccess& s, bool replace, bool add);
void WriteEncryptAdd(CSettingsAccess& s, bool add);
// What a batch does with those texts.
OutputOptions EncryptOptions(const EncryptChoice& c);
OutputOptions EncryptOptions(CSettingsAccess& s);

// "EncryptOption"/"verify": in replace mode, each result is read back and
// compared with its source before the source goes (both directions). Empty
// or anything but "0" is on. The options read from the settings carry it.
bool VerifyResults(CSettingsAccess& s);
void WriteVerifyResults(CSettingsAccess& s, bool on);

// "EncryptOption"/"Format": "1" the authenticated format, anything else
// (empty included) the compatible one. "EncryptOption"/"Strength": "1" strong
// key strengthening, anything else normal. Both count for encryption only;
// the options read from the settings carry them, the compatible format for
// a cipher that has no authenticated one whatever is stored.
FileFormat StoredFormat(CSettingsAccess& s);
void WriteFormat(CSettingsAccess& s, FileFormat format);
Strength StoredStrength(CSettingsAccess& s);
void WriteStrength(CSettingsAccess& s, Strength strength);
// Whether the cipher of this code can write the authenticated format: all
// but IDEA, whose 64-bit blocks the format's mode cannot take.
bool OffersAuthenticated(const std::string& code);

// "DecryptOption"/"replace": empty or "1" replaces, anything else keeps.
std::string StoredDecryptReplace(CSettingsAccess& s);
void WriteDecryptReplace(CSettingsAccess& s, bool replace);
OutputOptions DecryptOptions(const std::string& replace);
OutputOptions DecryptOptions(CSettingsAccess& s);

// "ViewOption"/"Option": which files the list leaves out ("1" hidden, "2"
// system, "3" both, anything else none). Empty reads, and is written, as "3".
inline constexpr const char* kHideBothFilter = "3";
std::string StoredViewFilter(CSettingsAccess& s);
std::string ViewFilter(CSettingsAccess& s); // writes the default back when empty
void WriteViewFilter(CSettingsAccess& s, const std::string& code);
bool FilterHidesHidden(const std::string& code);
bool FilterHidesSystem(const std::string& code);

// "ViewOption"/"Select": full-row selection; empty or "0" is off.
std::string StoredFullRowSelect(CSettingsAccess& s);
bool FullRowSelect(CSettingsAccess& s);
void WriteFullRowSelect(CSettingsAccess& s, bool on);

// "ViewOption"/"Folder": the folder the file list last showed, a UTF-8 path;
// empty until one was shown. Whether it still exists is the reader's concern.
std::string LastFolder(CSettingsAccess& s);
void WriteLastFolder(CSettingsAccess& s, const std::string& path);

} // namespace batch::settings
