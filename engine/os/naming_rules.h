// How results are named, for the engine and the batch rules alike: a path's
// folder and file name, the case-insensitive ".kvn" test, and where a
// decrypted file ends up. Header-only so both layers compile the same rules.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <string>

namespace naming {

inline constexpr const char* kExtension = ".kvn";
inline constexpr const char* kDecryptedPrefix = "de~";

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
    return name.size() >= 4 && ascii_lower(name.substr(name.size() - 4)) == kExtension;
}

// Where a decrypted file ends up, from the source's file name and the
// destination the batch gave. A ".kvn" source: that destination. Otherwise
// the destination less its last four characters (the working ".tmp"), in
// replace mode as it is, else with "de~" before the file name.
inline std::string decrypted_path(const std::string& sourceName, const std::string& destination, bool replace)
{
    if (has_kvn_extension(sourceName))
        return destination;
    std::string t = destination.substr(0, destination.size() >= 4 ? destination.size() - 4 : 0);
    if (!replace)
        t.insert(t.size() - std::min(sourceName.size(), t.size()), kDecryptedPrefix);
    return t;
}

} // namespace naming
