// UTF-8 <-> UTF-16 for the Windows file-system calls.
#include "engine/os/wide_path.h"

#include <windows.h>

namespace tessiral {

std::wstring widen(const std::string& text)
{
    if (text.empty())
        return {};
    UINT page = CP_UTF8;
    int n = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, text.data(), int(text.size()), nullptr, 0);
    if (n <= 0) {
        page = CP_ACP;
        n = MultiByteToWideChar(page, 0, text.data(), int(text.size()), nullptr, 0);
    }
    std::wstring wide(std::size_t(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(
            page, page == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0, text.data(), int(text.size()), wide.data(), n);
    return wide;
}

std::string narrow(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring wide_path(const std::string& path)
{
    std::wstring wide = widen(path);
    // Room for the longest name the engine adds (".xxxxxx.tmp").
    if (wide.size() + 16 < MAX_PATH || wide.rfind(L"\\\\?\\", 0) == 0)
        return wide;
    const DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return wide;
    std::wstring full(n, L'\0');
    const DWORD m = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
    if (m == 0 || m >= n)
        return wide;
    full.resize(m);
    if (full.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + full.substr(2); // \\server\share\...
    return L"\\\\?\\" + full;
}

} // namespace tessiral
