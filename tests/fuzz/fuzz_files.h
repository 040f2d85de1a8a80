// What the file-decrypting fuzz targets share: a message sink that answers
// every box, the real file system without its syncs, one temporary folder per
// program, and small helpers to write and list its files.
#pragma once

#include "engine/api/host/message_sink.h"
#include "engine/os/file_ops.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace fuzz {

class QuietMessages final : public CMessageSink {
public:
    int MessageBox(const char*, const char*, unsigned) override { return IDOK; }
};

// The real file system without the syncs: they make no difference to what
// is read and written, and would spend most of the fuzzing time.
class UnsyncedFiles final : public CFileOps {
public:
    int Sync(int) override { return 0; }
    void StartWriteback(int, std::uint64_t, std::uint64_t, bool) override { }
    int SyncFolder(const char*) override { return 0; }
};

// A folder of its own under /tmp, made on first use; each run removes its
// files, and the folder goes when the program ends.
inline const std::string& Folder(const char* pattern)
{
    static const std::string folder = [pattern] {
        std::string name = pattern;
        if (!mkdtemp(name.data()))
            std::abort();
        return name;
    }();
    static const bool removed_at_exit = std::atexit([] { ::rmdir(folder.c_str()); }) == 0;
    (void)removed_at_exit;
    return folder;
}

// The names in the folder besides "." and "..".
inline std::vector<std::string> Listed(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        std::abort();
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

inline void Write(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out || (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()))
        std::abort();
    std::fclose(out);
}

} // namespace fuzz
