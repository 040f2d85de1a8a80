// Collecting a batch's files from folders.
#include "batch/folder_walk.h"

#include "engine/os/naming_rules.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace batch {

namespace {

// Paths are UTF-8 texts in the batch rules, whatever the system's own encoding.
std::string text_of(const fs::path& path)
{
    const std::u8string u = path.u8string();
    return std::string(u.begin(), u.end());
}

fs::path path_of(const std::string& text)
{
    return fs::path(std::u8string(text.begin(), text.end()));
}

void take(const fs::path& path, const fs::file_status& status, Direction direction, FolderWalk& walk, bool fromFolder)
{
    if (fs::is_symlink(status) || (fromFolder && !fs::is_regular_file(status))) {
        walk.skipped.push_back(text_of(path));
        return;
    }
    if (fromFolder && direction == Direction::Decrypt && !naming::has_kvn_extension(text_of(path.filename())))
        return;
    walk.files.push_back(text_of(path));
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (!ec)
        walk.bytes += size;
}

} // namespace

bool WalkFolders(const std::vector<std::string>& arguments, Direction direction, FolderWalk& walk, std::string& error)
{
    for (const auto& argument : arguments) {
        std::error_code ec;
        const fs::path where = path_of(argument);
        const fs::file_status status = fs::symlink_status(where, ec);
        if (!fs::is_directory(status)) {
            // A file (or a missing name, or a link) goes to the batch as given:
            // its checks say what is wrong with it.
            if (fs::is_symlink(status) && fs::is_directory(fs::status(where, ec)))
                walk.skipped.push_back(argument);
            else
                take(where, status, direction, walk, false);
            continue;
        }
        std::vector<std::pair<fs::path, fs::file_status>> found;
        fs::recursive_directory_iterator it(where, fs::directory_options::none, ec), end;
        for (; !ec && it != end; it.increment(ec))
            found.emplace_back(it->path(), it->symlink_status());
        if (ec) {
            error = argument + ": the folder could not be read (" + ec.message() + ")";
            return false;
        }
        std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [path, entry] : found)
            if (!fs::is_directory(entry))
                take(path, entry, direction, walk, true);
    }
    return true;
}

} // namespace batch
