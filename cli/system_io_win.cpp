// kvn's system calls on Windows: the wide command line and environment and
// the console, converted to and from UTF-8 here.
#include "cli/system_io.h"

#include "engine/os/secure_zero.h"
#include "engine/os/wide_path.h"

#include <io.h>
#include <windows.h>

// After <windows.h>, which it needs.
#include <shellapi.h>

namespace kvn {

namespace {

using tessiral::narrow;
using tessiral::widen;

void write_console(HANDLE out, const std::wstring& text)
{
    DWORD n = 0;
    WriteConsoleW(out, text.data(), DWORD(text.size()), &n, nullptr);
}

// Echo goes off before the prompt appears; the line break the user types is
// not echoed either, so it is written afterwards.
std::string ask(HANDLE in, HANDLE out, const char* prompt)
{
    DWORD saved = 0;
    GetConsoleMode(in, &saved);
    SetConsoleMode(in, (saved & ~DWORD(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT | ENABLE_PROCESSED_INPUT);
    write_console(out, widen(prompt));
    wchar_t buffer[512];
    std::wstring line;
    for (;;) {
        DWORD n = 0;
        if (!ReadConsoleW(in, buffer, DWORD(std::size(buffer)), &n, nullptr) || n == 0)
            break;
        line.append(buffer, n);
        if (line.back() == L'\n')
            break;
    }
    SetConsoleMode(in, saved);
    write_console(out, L"\r\n");
    while (!line.empty() && (line.back() == L'\n' || line.back() == L'\r'))
        line.pop_back();
    std::string text = narrow(line);
    tessiral::secure_zero(buffer, sizeof buffer);
    tessiral::secure_zero(line.data(), line.size() * sizeof(wchar_t));
    return text;
}

} // namespace

// The narrow arguments are in the system code page; the wide ones hold every
// name. Messages are written as UTF-8, so the console is told so, and the
// status line's redrawing uses the console's terminal sequences.
std::vector<std::string> Arguments(int, char**)
{
    SetConsoleOutputCP(CP_UTF8);
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(err, &mode))
        SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide != nullptr && i < count; ++i)
        args.push_back(narrow(wide[i]));
    LocalFree(wide);
    return args;
}

bool ReadFirstLine(const std::string& path, std::string& line, std::string& error)
{
    const HANDLE h = CreateFileW(tessiral::wide_path(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        wchar_t* text = nullptr;
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        std::string why = text ? narrow(text) : "error " + std::to_string(code);
        LocalFree(text);
        while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == ' ' || why.back() == '.'))
            why.pop_back();
        error = "cannot read the key file " + path + ": " + why;
        return false;
    }
    tessiral::secure_zero(line.data(), line.size());
    line.clear();
    char c = 0;
    DWORD n = 0;
    while (ReadFile(h, &c, 1, &n, nullptr) && n == 1 && c != '\n')
        AppendWiped(line, c);
    tessiral::secure_zero(&c, sizeof c);
    CloseHandle(h);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

bool ReadStart(const std::string& path, unsigned char* bytes, std::size_t size, std::size_t& got, std::string& error)
{
    got = 0;
    const HANDLE h = CreateFileW(tessiral::wide_path(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        error = path + ": cannot be opened (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    DWORD n = 0;
    while (got < size && ReadFile(h, bytes + got, DWORD(size - got), &n, nullptr) && n != 0)
        got += n;
    CloseHandle(h);
    return true;
}

bool AskTwiceWithoutEcho(const char* first, const char* second, std::string& answer, std::string& confirm)
{
    const HANDLE in = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, 0, nullptr);
    const HANDLE out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
        nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD mode = 0;
    const bool console = in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE && GetConsoleMode(in, &mode);
    if (console) {
        answer = ask(in, out, first);
        if (!answer.empty())
            confirm = ask(in, out, second);
    }
    if (in != INVALID_HANDLE_VALUE)
        CloseHandle(in);
    if (out != INVALID_HANDLE_VALUE)
        CloseHandle(out);
    return console;
}

bool TakeEnvironmentValue(const std::string& name, std::string& value)
{
    const std::wstring wideName = widen(name);
    const DWORD n = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    if (n == 0)
        return false;
    std::wstring wide(n, L'\0');
    const DWORD m = GetEnvironmentVariableW(wideName.c_str(), wide.data(), n);
    wide.resize(m < n ? m : 0);
    value = narrow(wide);
    tessiral::secure_zero(wide.data(), wide.size() * sizeof(wchar_t));
    // Out of the C library's copy of the environment and the process's own.
    _wputenv_s(wideName.c_str(), L"");
    SetEnvironmentVariableW(wideName.c_str(), nullptr);
    return true;
}

bool StandardErrorIsTerminal()
{
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

} // namespace kvn
