// Paths on Windows: the programs and the engine carry UTF-8 text, the system
// takes UTF-16. The conversion happens here, at the boundary, and only here.
#pragma once

#include <string>

namespace tessiral {

// UTF-16 for UTF-8 text. Bytes that are not UTF-8 are read in the system
// code page instead, as older callers pass them.
std::wstring widen(const std::string& text);
std::string narrow(const std::wstring& text);

// A path for the file-system calls: widened, and when it is too long for
// the plain form, made absolute with the "\\?\" prefix so that it is
// never cut short.
std::wstring wide_path(const std::string& path);

} // namespace tessiral
