// The algorithm-code rule and the per-cipher facts the windows show.
#include "batch/algorithm.h"

#include "batch/cipher_list.h"
#include "batch/settings_entries.h"
#include "engine/os/naming_rules.h"

namespace batch {

std::string SelectAlgorithm(const std::string& stored)
{
    return FindCipher(stored) ? stored : "1";
}

std::string ResolveAlgorithm(CSettingsAccess& s)
{
    const std::string stored = settings::StoredAlgorithm(s);
    if (FindCipher(stored))
        return stored;
    settings::WriteAlgorithm(s, "1");
    return "1";
}

int KeyLimit(const std::string& code)
{
    return FindCipher(SelectAlgorithm(code))->keyLimit;
}

const char* CipherName(const std::string& code)
{
    return FindCipher(SelectAlgorithm(code))->name;
}

std::string CodeFromName(const std::string& nameOrCode)
{
    if (FindCipher(nameOrCode))
        return nameOrCode;
    std::string lower = naming::ascii_lower(nameOrCode);
    if (lower == "rc-6")
        lower = "rc6";
    std::size_t count = 0;
    const CipherInfo* ciphers = Ciphers(count);
    for (std::size_t i = 0; i < count; ++i)
        if (lower == ciphers[i].cliName)
            return ciphers[i].code;
    return {};
}

} // namespace batch
