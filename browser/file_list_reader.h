// Reading a folder for the file list: every entry that is not a folder, with
// its size, time and attributes, at one status query per entry.
#pragma once

#include "browser/file_list_texts.h"

#include <QString>

#include <vector>

namespace filelist {

struct Entry {
    QString name;
    qint64 size = 0;
    qint64 modified = 0; // seconds since the epoch
    Attributes attributes;
};

// Which entries a reading leaves out.
struct Filter {
    bool hidden = false;
    bool system = false;
};

// Empty when the folder is empty, unreadable or gone.
std::vector<Entry> ReadEntries(const QString& folder, Filter filter);

} // namespace filelist
