// The files a batch takes from the folders it is given (kvn -r, the folder
// tree's Encrypt/Decrypt Files in Folder). Every regular file below a folder
// (decrypting: every ".kvn" file), in name order; symbolic links are never
// followed, and they and anything else that is not a regular file are set
// aside for the report. Arguments that are not folders are taken as they are.
#pragma once

#include "batch/output_options.h"

#include <cstdint>
#include <string>
#include <vector>

namespace batch {

struct FolderWalk {
    std::vector<std::string> files;
    std::vector<std::string> skipped; // links and other entries that are not regular files
    std::uint64_t bytes = 0; // the files' sizes together
};

// False with `error` set when a folder cannot be read.
bool WalkFolders(const std::vector<std::string>& arguments, Direction direction, FolderWalk& walk, std::string& error);

} // namespace batch
