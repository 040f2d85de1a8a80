// The algorithm-code rule and the per-cipher facts the windows show.
#include "algorithm.h"

#include "settings_access.h"

#include <algorithm>
#include <cctype>

namespace batch {

namespace {

struct Cipher {
    const char* code;
    const char* name;
    int keyLimit;
};

// In the engine's comparison order.
const Cipher kCiphers[] = {
    { "1", "AES", 32 },
    { "10", "IDEA", 16 },
    { "2", "MARS", 56 },
    { "3", "RC6", 32 },
    { "4", "Serpent", 32 },
    { "5", "Twofish", 32 },
};

const Cipher* find(const std::string& code)
{
    for (const auto& c : kCiphers)
        if (code == c.code)
            return &c;
    return nullptr;
}

} // namespace

std::string SelectAlgorithm(const std::string& stored)
{
    return find(stored) ? stored : "1";
}

std::string ResolveAlgorithm(CSettingsAccess& settings)
{
    const std::string stored = settings.GetProfileString("Arith", "value");
    if (find(stored))
        return stored;
    settings.WriteProfileString("Arith", "value", "1");
    return "1";
}

bool IsAlgorithmCode(const std::string& code)
{
    return find(code) != nullptr;
}

int KeyLimit(const std::string& code)
{
    return find(SelectAlgorithm(code))->keyLimit;
}

const char* CipherName(const std::string& code)
{
    return find(SelectAlgorithm(code))->name;
}

std::string CodeFromName(const std::string& nameOrCode)
{
    if (find(nameOrCode))
        return nameOrCode;
    std::string lower = nameOrCode;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    if (lower == "rc-6")
        lower = "rc6";
    for (const auto& c : kCiphers) {
        std::string name = c.name;
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char ch) { return char(std::tolower(ch)); });
        if (lower == name)
            return c.code;
    }
    return {};
}

} // namespace batch
