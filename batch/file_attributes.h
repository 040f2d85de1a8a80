// The attributes the replace-mode checks ask about. On POSIX systems they are
// read-only (not writable by the user), hidden (a name starting with "."),
// system (not a regular file: a device, FIFO or socket); on Windows the file
// system's own attributes (file_attributes_win.cpp).
#pragma once

#include <cstdint>
#include <string>

namespace batch {

struct FileAttributes {
    bool found = false;
    bool readOnly = false;
    bool hidden = false;
    bool system = false;
    std::uint64_t size = 0;
};

FileAttributes QueryAttributes(const std::string& path);

} // namespace batch
