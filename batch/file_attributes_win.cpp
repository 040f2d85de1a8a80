// File attributes on Windows: the file system's own read-only, hidden and
// system attributes.
#include "file_attributes.h"

#include "wide_path.h"

#include <windows.h>

namespace batch {

FileAttributes QueryAttributes(const std::string& path)
{
    FileAttributes a;
    WIN32_FILE_ATTRIBUTE_DATA data {};
    if (!GetFileAttributesExW(tessiral::wide_path(path).c_str(), GetFileExInfoStandard, &data))
        return a;
    a.found = true;
    a.size = (std::uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    a.readOnly = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    a.hidden = (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    a.system = (data.dwFileAttributes & (FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DEVICE)) != 0;
    return a;
}

} // namespace batch
