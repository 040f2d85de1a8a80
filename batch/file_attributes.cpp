// File attributes on a POSIX system.
#include "batch/file_attributes.h"
#include "engine/os/naming_rules.h"

#include <sys/stat.h>
#include <unistd.h>

namespace batch {

PosixAttributes ClassifyPosix(const std::string& name, unsigned mode, bool writable)
{
    return { !writable || (mode & 0222) == 0, !name.empty() && name[0] == '.', !S_ISREG(mode) && !S_ISDIR(mode) };
}

FileAttributes QueryAttributes(const std::string& path)
{
    FileAttributes a;
    struct stat st { };
    if (::lstat(path.c_str(), &st) != 0)
        return a;
    a.found = true;
    a.symlink = S_ISLNK(st.st_mode);
    if (S_ISREG(st.st_mode))
        a.links = std::uint64_t(st.st_nlink); // a folder's count is of its subfolders
    if (a.symlink && ::stat(path.c_str(), &st) != 0)
        return a; // a link to nothing
    a.size = std::uint64_t(st.st_size);
    const PosixAttributes rule = ClassifyPosix(naming::name_of(path), st.st_mode, ::access(path.c_str(), W_OK) == 0);
    a.readOnly = rule.readOnly;
    a.hidden = rule.hidden;
    a.system = rule.system;
    return a;
}

bool OccupiedByAnother(const std::string& path, const std::string& source)
{
    struct stat target {
    }, own{};
    if (::lstat(path.c_str(), &target) != 0 || ::lstat(source.c_str(), &own) != 0)
        return false; // nothing there, or no source to make anything from
    return target.st_dev != own.st_dev || target.st_ino != own.st_ino;
}

} // namespace batch
