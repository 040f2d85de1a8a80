// Output options and destination names.
#include "output_options.h"

#include <algorithm>
#include <cctype>

namespace batch {

namespace {

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

} // namespace

OutputOptions EncryptOptions(const std::string& replace, const std::string& add)
{
    if (replace.empty())
        return { 1, 1 };
    if (replace == "1")
        return { 1, add == "1" ? 1 : 0 };
    return { 0, 1 };
}

OutputOptions DecryptOptions(const std::string& replace)
{
    return { replace.empty() || replace == "1" ? 1 : 0, 1 };
}

std::string EncryptDestination(const std::string& source, const OutputOptions& options)
{
    return source + (options.replace != 0 && options.addExt == 0 ? ".tmp" : ".kvn");
}

bool HasKvnExtension(const std::string& name)
{
    return name.size() >= 4 && lower(name.substr(name.size() - 4)) == ".kvn";
}

std::string DecryptDestination(const std::string& source, bool foldCase)
{
    const std::string path = foldCase ? lower(source) : source;
    return HasKvnExtension(source) ? path.substr(0, path.size() - 4) : path + ".tmp";
}

} // namespace batch
