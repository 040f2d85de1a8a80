// kvn's command line: what to do, with which cipher, key and output rules.
#pragma once

#include "batch/output_options.h"

#include <string>
#include <vector>

namespace kvn {

struct Options {
    enum class Action { Run, Info, Help, Version } action = Action::Run;
    batch::Direction direction = batch::Direction::Encrypt;
    std::string code = "1";
    bool cipherGiven = false; // -c: decryption uses this cipher only
    bool recursive = false; // -r: folders stand for the files below them
    bool verify = true; // replace mode: results checked before the sources go
    batch::FileFormat format = batch::FileFormat::Compatible; // --format (encrypt)
    batch::Strength strength = batch::Strength::Normal; // --strength (encrypt, authenticated)
    std::string keyFile;
    std::string keyEnv;
    bool replace = false;
    bool sameName = false;
    bool overwrite = false; // replace existing files that are not the sources
    bool quiet = false;
    std::vector<std::string> files;
};

// Parses argv (without the program name). On a usage error returns false and
// says why in `error`.
bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error);

// The text --help prints and usage errors end with.
const std::string& Usage();

} // namespace kvn
