// The attributes the replace-mode checks ask about. On POSIX systems they are
// read-only (not writable by the user), hidden (a name starting with "."),
// system (not a regular file: a device, FIFO or socket); on Windows the file
// system's own attributes (file_attributes_win.cpp). And the name's own
// kind: a symbolic link, or one of several hard links.
#pragma once

#include <cstdint>
#include <string>

namespace batch {

struct FileAttributes {
    bool found = false;
    bool readOnly = false;
    bool hidden = false;
    bool system = false;
    bool symlink = false; // the name is a symbolic link (the rest is of its target)
    std::uint64_t links = 1; // hard links of the regular file the name is
    std::uint64_t size = 0;
};

FileAttributes QueryAttributes(const std::string& path);

// The one rule for read-only, hidden and system on a POSIX system, from a
// name, the mode its status gives and whether the user may write it; the
// replace-mode checks and the file list both apply it. The superuser may
// write anything, but a file nobody may write still counts as read-only.
struct PosixAttributes {
    bool readOnly;
    bool hidden;
    bool system;
};
PosixAttributes ClassifyPosix(const std::string& name, unsigned mode, bool writable);

// Whether `path` names an existing entry that is not `source`'s own (a link
// to the source is an entry of its own), `source` being there. Directory
// entries are compared.
bool OccupiedByAnother(const std::string& path, const std::string& source);

} // namespace batch
