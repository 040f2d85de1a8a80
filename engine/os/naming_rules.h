// How results and their temporary files are named, for the engine and the
// batch rules alike: a path's folder and file name, the case-insensitive
// ".kvn" test, the working name the batch hands the engine, where an
// encrypted or decrypted file ends up, and the temporary name a result is
// written under. Header-only so both layers compile the same rules; nothing
// else makes up a result's name.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <string>

namespace naming {

inline constexpr const char* kExtension = ".kvn";
inline constexpr const char* kDecryptedPrefix = "de~";
// The suffix of working and temporary names.
inline constexpr const char* kWorkingSuffix = ".tmp";
inline constexpr std::size_t kSuffixLength = 4; // of ".kvn" and ".tmp" alike

// Where the folder part of a path ends; npos for a bare name.
inline std::size_t last_separator(const std::string& path)
{
#if defined(_WIN32)
    return path.find_last_of("/\\");
#else
    return path.find_last_of('/');
#endif
}

inline std::string name_of(const std::string& path)
{
    const auto slash = last_separator(path);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// "." for a bare name, the root itself for a file in the root.
inline std::string folder_of(const std::string& path)
{
    const auto slash = last_separator(path);
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return path.substr(0, 1);
#if defined(_WIN32)
    if (slash == 2 && path[1] == ':')
        return path.substr(0, 3); // a drive's root
#endif
    return path.substr(0, slash);
}

// ASCII letters only: other bytes of a name are kept as they are.
inline std::string ascii_lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

// Whether a name or path ends in ".kvn", in any case.
inline bool has_kvn_extension(const std::string& name)
{
    return name.size() >= kSuffixLength && ascii_lower(name.substr(name.size() - kSuffixLength)) == kExtension;
}

// Whether an encrypted file takes its source's own name: with replace on
// and the extension not added.
inline bool keeps_source_name(bool replace, bool addExt)
{
    return replace && !addExt;
}

// The destination the batch hands the engine for encrypting `source`: the
// working name source + ".tmp" when the result is to take the source's own
// name, else source + ".kvn", whatever extension the source already has.
inline std::string encrypt_destination(const std::string& source, bool replace, bool addExt)
{
    return source + (keeps_source_name(replace, addExt) ? kWorkingSuffix : kExtension);
}

// The destination for decrypting `source`: a ".kvn" source (any case) loses
// its extension; any other gets the working ".tmp". With foldCase the whole
// path is lower-cased first.
inline std::string decrypt_destination(const std::string& source, bool foldCase)
{
    const std::string path = foldCase ? ascii_lower(source) : source;
    return has_kvn_extension(source) ? path.substr(0, path.size() - kSuffixLength) : path + kWorkingSuffix;
}

// Where an encrypted file ends up: the source's own name or the destination.
inline std::string encrypted_path(const std::string& source, const std::string& destination, bool replace, bool addExt)
{
    return keeps_source_name(replace, addExt) ? source : destination;
}

// Where a decrypted file ends up, from the source's file name and the
// destination the batch gave. A ".kvn" source: that destination. Otherwise
// the destination less its working suffix (the ".tmp" decrypt_destination
// added), in replace mode as it is, else with "de~" before the file name.
inline std::string decrypted_path(const std::string& sourceName, const std::string& destination, bool replace)
{
    if (has_kvn_extension(sourceName))
        return destination;
    std::string t = destination.substr(0, destination.size() >= kSuffixLength ? destination.size() - kSuffixLength : 0);
    if (!replace)
        t.insert(t.size() - std::min(sourceName.size(), t.size()), kDecryptedPrefix);
    return t;
}

// The temporary name a result for `finalPath` is written under before it
// takes its final name: finalPath + ".tmp", or with a `tag` (when that name
// is taken) finalPath + "." + tag + ".tmp".
inline std::string temporary_path(const std::string& finalPath, const std::string& tag = {})
{
    return tag.empty() ? finalPath + kWorkingSuffix : finalPath + "." + tag + kWorkingSuffix;
}

} // namespace naming
