// File attributes on a POSIX system.
#include "file_attributes.h"

#include <sys/stat.h>
#include <unistd.h>

namespace batch {

FileAttributes QueryAttributes(const std::string& path)
{
    FileAttributes a;
    struct stat st { };
    if (::stat(path.c_str(), &st) != 0)
        return a;
    a.found = true;
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

} // namespace batch
