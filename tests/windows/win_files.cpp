// Windows file and process calls for the Windows tests.
#include "tests/windows/win_files.h"

#include "engine/os/wide_path.h"

#include <algorithm>
#include <filesystem>
#include <windows.h>

namespace fs = std::filesystem;
using tessiral::narrow;
using tessiral::wide_path;
using tessiral::widen;

namespace wintest {

void write(const std::string& path, const Bytes& bytes)
{
    const HANDLE h = CreateFileW(wide_path(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot write " + path);
    DWORD n = 0;
    WriteFile(h, bytes.data(), DWORD(bytes.size()), &n, nullptr);
    CloseHandle(h);
}

Bytes read(const std::string& path)
{
    const HANDLE h
        = CreateFileW(wide_path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return {};
    Bytes bytes(GetFileSize(h, nullptr));
    DWORD n = 0;
    ReadFile(h, bytes.data(), DWORD(bytes.size()), &n, nullptr);
    CloseHandle(h);
    bytes.resize(n);
    return bytes;
}

bool exists(const std::string& path)
{
    return GetFileAttributesW(wide_path(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool remove(const std::string& path)
{
    return DeleteFileW(wide_path(path).c_str()) != 0;
}

bool make_folder(const std::string& path)
{
    return CreateDirectoryW(wide_path(path).c_str(), nullptr) != 0;
}

std::vector<std::string> listing(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    const HANDLE h = FindFirstFileW(wide_path(folder + "\\*").c_str(), &data);
    if (h == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(narrow(name));
    } while (FindNextFileW(h, &data));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

std::string backslashed(const std::string& path)
{
    std::string s = path;
    std::replace(s.begin(), s.end(), '/', '\\');
    return s;
}

bool set_attribute(const std::string& path, Attribute attribute)
{
    const DWORD value = attribute == Attribute::ReadOnly ? FILE_ATTRIBUTE_READONLY
        : attribute == Attribute::Hidden                 ? FILE_ATTRIBUTE_HIDDEN
        : attribute == Attribute::System                 ? FILE_ATTRIBUTE_SYSTEM
                                                         : FILE_ATTRIBUTE_NORMAL;
    return SetFileAttributesW(wide_path(path).c_str(), value) != 0;
}

HeldOpen::HeldOpen(const std::string& path)
    : m_handle(CreateFileW(wide_path(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr))
{
}

HeldOpen::~HeldOpen()
{
    if (ok())
        CloseHandle(m_handle);
}

bool HeldOpen::ok() const
{
    return m_handle != INVALID_HANDLE_VALUE;
}

Run run_beside(const std::string& name, const std::vector<std::string>& args, const std::string& env)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring exe = (fs::path(self).parent_path() / widen(name)).wstring();
    std::wstring line = L"\"" + exe + L"\"";
    for (const auto& a : args)
        line += L" \"" + widen(a) + L"\"";
    SECURITY_ATTRIBUTES inherit{ sizeof inherit, nullptr, TRUE };
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    Run r;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return r;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdError = writeEnd;
    si.hStdOutput = writeEnd;
    si.hStdInput = INVALID_HANDLE_VALUE;
    const std::wstring variable = widen(env.substr(0, env.find('=')));
    if (!env.empty())
        SetEnvironmentVariableW(variable.c_str(), widen(env.substr(env.find('=') + 1)).c_str());
    PROCESS_INFORMATION pi{};
    const bool started = CreateProcessW(
        exe.c_str(), line.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr, &si, &pi);
    CloseHandle(writeEnd);
    if (!env.empty())
        SetEnvironmentVariableW(variable.c_str(), nullptr);
    if (started) {
        char buf[4096];
        DWORD n = 0;
        while (ReadFile(readEnd, buf, sizeof buf, &n, nullptr) && n > 0)
            r.output.append(buf, n);
        WaitForSingleObject(pi.hProcess, INFINITE);
        DWORD status = 0;
        GetExitCodeProcess(pi.hProcess, &status);
        r.status = status;
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CloseHandle(readEnd);
    return r;
}

} // namespace wintest

#include <shellapi.h>

namespace wintest {

long long recycled_items()
{
    SHQUERYRBINFO info{};
    info.cbSize = sizeof info;
    return SHQueryRecycleBinW(nullptr, &info) == S_OK ? info.i64NumItems : -1;
}

std::wstring registry_string(const std::wstring& key, const std::wstring& name)
{
    wchar_t value[512] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, value, &size)
        != ERROR_SUCCESS)
        return {};
    return value;
}

} // namespace wintest

namespace wintest {

void type_text(const std::wstring& text)
{
    for (const wchar_t c : text) {
        INPUT in[2]{};
        for (int i = 0; i < 2; ++i) {
            in[i].type = INPUT_KEYBOARD;
            in[i].ki.wScan = WORD(c);
            in[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
        }
        SendInput(2, in, sizeof(INPUT));
    }
}

void press_key(unsigned short virtualKey)
{
    INPUT in[2]{};
    for (int i = 0; i < 2; ++i) {
        in[i].type = INPUT_KEYBOARD;
        in[i].ki.wVk = virtualKey;
        in[i].ki.dwFlags = i ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(2, in, sizeof(INPUT));
}

void bring_to_front(void* window)
{
    const HWND top = GetAncestor(static_cast<HWND>(window), GA_ROOT);
    SetForegroundWindow(top);
    SetActiveWindow(top);
    SetFocus(top);
}

} // namespace wintest
