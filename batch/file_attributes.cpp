// File attributes on a POSIX system.
#include "file_attributes.h"

#include <sys/stat.h>
#include <unistd.h>

namespace batch {

FileAttributes QueryAttributes(const std::string& path)
{
    FileAttributes a;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return a;
    a.found = true;
    a.symlink = S_ISLNK(st.st_mode);
    if (S_ISREG(st.st_mode))
        a.links = std::uint64_t(st.st_nlink); // a folder's count is of its subfolders
    if (a.symlink && ::stat(path.c_str(), &st) != 0)
        return a; // a link to nothing
    a.size = std::uint64_t(st.st_size);
    // The superuser may write anything; a file nobody may write still counts
    // as read-only for it.
    a.readOnly = ::access(path.c_str(), W_OK) != 0 || (st.st_mode & 0222) == 0;
    const auto slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    a.hidden = !name.empty() && name[0] == '.';
    a.system = !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
    return a;
}

bool OccupiedByAnother(const std::string& path, const std::string& source)
{
    struct stat target {}, own {};
    if (::lstat(path.c_str(), &target) != 0 || ::lstat(source.c_str(), &own) != 0)
        return false; // nothing there, or no source to make anything from
    return target.st_dev != own.st_dev || target.st_ino != own.st_ino;
}

} // namespace batch
