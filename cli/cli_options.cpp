// Command-line parsing for kvn.
#include "cli/cli_options.h"

#include "batch/algorithm.h"
#include "batch/cipher_list.h"

namespace kvn {

namespace {

// "aes, mars, ..., idea, or "1","2",...,"10"", from the cipher list.
std::string cipher_choices()
{
    std::size_t count = 0;
    const batch::CipherInfo* ciphers = batch::Ciphers(count);
    std::string names, codes;
    for (std::size_t i = 0; i < count; ++i) {
        names += std::string(ciphers[i].cliName) + ", ";
        codes += std::string(i ? "," : "") + '"' + ciphers[i].code + '"';
    }
    return names + "or " + codes + "; default " + ciphers[0].cliName;
}

} // namespace

const std::string& Usage()
{
    static const std::string text = std::string("usage: kvn encrypt [options] FILE...\n"
                                                "       kvn decrypt [options] FILE...\n"
                                                "       kvn info FILE...\n"
                                                "  -c, --cipher NAME|CODE  ")
        + cipher_choices()
        + "\n"
          "                          (decrypt without -c: the cipher each file's header shows)\n"
          "      --format F          encrypt: compatible (default; earlier versions read it) or authenticated\n"
          "                          (password strengthened, changes detected; not with idea)\n"
          "      --strength S        authenticated: normal (default; Argon2id 256 MiB, t=3) or strong (2 GiB, t=1)\n"
          "  -r, --recursive         folders: every file below them (decrypt: every .kvn file); links skipped\n"
          "  -k, --key-file FILE     the key is the first line of FILE, without its line ending\n"
          "      --key-env VAR       the key is the value of environment variable VAR\n"
          "      --keep              keep the sources; results are written beside them (default)\n"
          "      --replace           results take the sources' places\n"
          "      --same-name         with --replace on encryption: the encrypted file keeps the source's name\n"
          "      --overwrite         replace an existing file of the result's name (otherwise refused)\n"
          "      --no-verify         with --replace: delete sources without reading the results back first\n"
          "  -q, --quiet             no progress output\n"
          "  -h, --help; --version\n"
          "Without -k or --key-env the key is asked for twice on the terminal.\n"
          "Decryption reads either format by itself. info shows each file's format without a key.\n"
          "Ctrl+C (or SIGTERM) stops at the next chunk: the unfinished result is removed, its source kept.\n"
          "exit status: 0 all files done, 1 a file failed, 2 usage error or no usable key,\n"
          "             130 stopped by SIGINT, 143 stopped by SIGTERM\n";
    return text;
}

namespace {

// "--name=value", "--name value", "-x value" and "-xvalue".
bool take_value(const std::vector<std::string>& args, std::size_t& i, const std::string& longName, char shortName,
    std::string& value, bool& matched, std::string& error)
{
    const std::string& a = args[i];
    matched = false;
    if (a == longName || (shortName && a == std::string("-") + shortName)) {
        matched = true;
        if (i + 1 >= args.size()) {
            error = "option " + a + " needs a value";
            return false;
        }
        value = args[++i];
        return true;
    }
    if (a.rfind(longName + "=", 0) == 0) {
        matched = true;
        value = a.substr(longName.size() + 1);
        return true;
    }
    if (shortName && a.size() > 2 && a[0] == '-' && a[1] == shortName) {
        matched = true;
        value = a.substr(2);
        return true;
    }
    return true;
}

} // namespace

namespace {

// What a run of the parse carries between arguments.
struct ParseState {
    bool command = false; // encrypt or decrypt seen
    bool onlyFiles = false; // after "--"
    bool keep = false;
    bool formatGiven = false;
    bool strengthGiven = false;
};

// A word that is not an option: the command first, then the files.
bool take_word(const std::string& a, ParseState& state, Options& options, std::string& error)
{
    if (state.command || state.onlyFiles) {
        options.files.push_back(a);
        return true;
    }
    if (a == "encrypt")
        options.direction = batch::Direction::Encrypt;
    else if (a == "decrypt")
        options.direction = batch::Direction::Decrypt;
    else if (a == "info")
        options.action = Options::Action::Info;
    else {
        error = "unknown command '" + a + "' (encrypt, decrypt or info)";
        return false;
    }
    state.command = true;
    return true;
}

// The options that take no value: each sets one flag. True when `a` is one.
bool take_switch(const std::string& a, ParseState& state, Options& options)
{
    const struct {
        const char* name;
        const char* alias;
        bool& flag;
        bool value;
    } switches[] = {
        { "--quiet", "-q", options.quiet, true },
        { "--keep", nullptr, state.keep, true },
        { "--replace", nullptr, options.replace, true },
        { "--same-name", nullptr, options.sameName, true },
        { "--overwrite", nullptr, options.overwrite, true },
        { "--recursive", "-r", options.recursive, true },
        { "--no-verify", nullptr, options.verify, false },
    };
    bool switched = false;
    for (const auto& s : switches)
        if (a == s.name || (s.alias && a == s.alias)) {
            s.flag = s.value;
            switched = true;
        }
    return switched;
}

// The options that take a value: the cipher and where the key comes from.
bool take_valued(
    const std::vector<std::string>& args, std::size_t& i, ParseState& state, Options& options, std::string& error)
{
    std::string value;
    bool matched = false;
    if (!take_value(args, i, "--format", 0, value, matched, error))
        return false;
    if (matched) {
        state.formatGiven = true;
        if (value == "compatible" || value == "authenticated") {
            options.format = value == "compatible" ? batch::FileFormat::Compatible : batch::FileFormat::Authenticated;
            return true;
        }
        error = "unknown format '" + value + "' (compatible or authenticated)";
        return false;
    }
    if (!take_value(args, i, "--strength", 0, value, matched, error))
        return false;
    if (matched) {
        state.strengthGiven = true;
        if (value == "normal" || value == "strong") {
            options.strength = value == "normal" ? batch::Strength::Normal : batch::Strength::Strong;
            return true;
        }
        error = "unknown strength '" + value + "' (normal or strong)";
        return false;
    }
    if (!take_value(args, i, "--cipher", 'c', value, matched, error))
        return false;
    if (matched) {
        options.code = batch::CodeFromName(value);
        options.cipherGiven = true;
        if (options.code.empty()) {
            error = "unknown cipher '" + value + "'";
            return false;
        }
        return true;
    }
    if (!take_value(args, i, "--key-file", 'k', options.keyFile, matched, error))
        return false;
    if (matched)
        return true;
    if (!take_value(args, i, "--key-env", 0, options.keyEnv, matched, error))
        return false;
    if (matched)
        return true;
    error = "unknown option '" + args[i] + "'";
    return false;
}

// The rules between options, once all are read.
bool check_together(const ParseState& state, const Options& options, std::string& error)
{
    const bool encrypting = options.direction == batch::Direction::Encrypt && options.action == Options::Action::Run;
    if (!state.command)
        error = "a command (encrypt, decrypt or info) is needed";
    else if ((state.formatGiven || state.strengthGiven) && !encrypting)
        error = "--format and --strength go with encrypt";
    else if (state.strengthGiven && options.format != batch::FileFormat::Authenticated)
        error = "--strength goes with --format authenticated";
    else if (options.format == batch::FileFormat::Authenticated && options.code == "10")
        error = "idea cannot be used with --format authenticated (its 64-bit blocks are too small for GCM)";
    else if (state.keep && options.replace)
        error = "--keep and --replace exclude each other";
    else if (options.sameName && (!options.replace || options.direction != batch::Direction::Encrypt))
        error = "--same-name goes with --replace on encryption";
    else if (!options.keyFile.empty() && !options.keyEnv.empty())
        error = "give the key one way: --key-file or --key-env";
    else if (options.files.empty())
        error = "no files given";
    return error.empty();
}

} // namespace

bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error)
{
    ParseState state;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (state.onlyFiles || a.empty() || a[0] != '-' || a == "-") {
            if (!take_word(a, state, options, error))
                return false;
        } else if (a == "--") {
            if (!state.command) {
                error = "a command (encrypt, decrypt or info) comes first";
                return false;
            }
            state.onlyFiles = true;
        } else if (a == "-h" || a == "--help" || a == "--version") {
            options.action = a == "--version" ? Options::Action::Version : Options::Action::Help;
            return true;
        } else if (!take_switch(a, state, options) && !take_valued(args, i, state, options, error)) {
            return false;
        }
    }
    return check_together(state, options, error);
}

} // namespace kvn
