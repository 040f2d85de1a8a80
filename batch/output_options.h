// The output settings of a batch: what happens to the sources, and the
// destination name each file gets.
#pragma once

#include <string>

namespace batch {

enum class Direction { Encrypt, Decrypt };

// The file format new encrypted files are written in (decryption reads either).
enum class FileFormat { Compatible, Authenticated };
// How hard the authenticated format strengthens the key: Normal (Argon2id
// t=3, 256 MiB, 4 lanes) or Strong (t=1, 2 GiB, 4 lanes).
enum class Strength { Normal, Strong };

struct OutputOptions {
    int replace = 1; // the engine's m_bReplace
    int addExt = 1; // the engine's m_bAddExt (encryption only)
    bool verify = true; // replace mode: each result is checked against its source before the source goes
    FileFormat format = FileFormat::Compatible; // encryption only
    Strength strength = Strength::Normal; // the authenticated format's
};

// How the settings decode into these: settings_entries.h.

// source + ".tmp" when the encrypted file is to take the source's own name,
// else source + ".kvn"; whatever extension the source already has.
std::string EncryptDestination(const std::string& source, const OutputOptions& options);

// A ".kvn" source (compared case-insensitively) loses those four characters;
// any other gets ".tmp" appended. With foldCase (file systems that ignore
// case) the whole path is lower-cased first; elsewhere folder and name keep
// their case, since lower-casing would name another file.
std::string DecryptDestination(const std::string& source, bool foldCase);

// Whether names on this platform's file systems ignore case.
constexpr bool kFoldCase =
#if defined(_WIN32)
    true;
#else
    false;
#endif

} // namespace batch
