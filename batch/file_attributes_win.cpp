// File attributes on Windows: the file system's own read-only, hidden and
// system attributes.
#include "batch/file_attributes.h"

#include "engine/os/wide_path.h"

#include <windows.h>

namespace batch {

namespace {

// The entry itself (a link is not followed): its file id and link count.
bool entry_info(const std::string& path, BY_HANDLE_FILE_INFORMATION& info)
{
    const HANDLE h = CreateFileW(tessiral::wide_path(path).c_str(), FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    return ok;
}

} // namespace

FileAttributes QueryAttributes(const std::string& path)
{
    FileAttributes a;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(tessiral::wide_path(path).c_str(), GetFileExInfoStandard, &data))
        return a;
    a.found = true;
    a.size = (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    a.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    a.hidden = (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    a.system = (data.dwFileAttributes & (FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE)) != 0;
    a.symlink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    BY_HANDLE_FILE_INFORMATION entry{};
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && entry_info(path, entry))
        a.links = entry.nNumberOfLinks;
    return a;
}

bool OccupiedByAnother(const std::string& path, const std::string& source)
{
    BY_HANDLE_FILE_INFORMATION target{}, own{};
    if (!entry_info(path, target) || !entry_info(source, own))
        return false; // nothing there, or no source to make anything from
    return target.dwVolumeSerialNumber != own.dwVolumeSerialNumber || target.nFileIndexHigh != own.nFileIndexHigh
        || target.nFileIndexLow != own.nFileIndexLow;
}

} // namespace batch
