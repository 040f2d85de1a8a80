// Reading the key without leaving copies of it around.
#include "cli/key_source.h"

#include "batch/key_strength.h"
#include "cli/system_io.h"
#include "engine/os/secure_zero.h"

#include <cstdio>

namespace kvn {

namespace {

void wipe(std::string& s)
{
    tessiral::secure_zero(s.data(), s.size());
    s.clear();
}

} // namespace

bool KeyFromFile(const std::string& path, std::string& key, std::string& error)
{
    return ReadFirstLine(path, key, error);
}

bool KeyFromEnvironment(const std::string& name, std::string& key, std::string& error)
{
    if (TakeEnvironmentValue(name, key))
        return true;
    error = "the environment variable " + name + " is not set";
    return false;
}

bool KeyFromTerminal(std::string& key, std::string& error, bool warnIfWeak)
{
    std::string confirm;
    if (!AskTwiceWithoutEcho("Key: ", "Confirm key: ", key, confirm)) {
        error = "no terminal to ask for the key; use --key-file or --key-env";
        return false;
    }
    if (!key.empty() && key != confirm) {
        wipe(key);
        wipe(confirm);
        error = "the two keys differ";
        return false;
    }
    wipe(confirm);
    if (warnIfWeak && !key.empty() && batch::EstimateKeyStrength(key) == batch::KeyStrength::Weak)
        std::fputs("kvn: warning: this key is weak, easy to guess; a longer one is stronger\n", stderr);
    return true;
}

} // namespace kvn
