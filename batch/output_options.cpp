// Output options and destination names.
#include "batch/output_options.h"

#include "engine/os/naming_rules.h"

namespace batch {

std::string EncryptDestination(const std::string& source, const OutputOptions& options)
{
    return source + (options.replace != 0 && options.addExt == 0 ? ".tmp" : naming::kExtension);
}

std::string DecryptDestination(const std::string& source, bool foldCase)
{
    const std::string path = foldCase ? naming::ascii_lower(source) : source;
    return naming::has_kvn_extension(source) ? path.substr(0, path.size() - 4) : path + ".tmp";
}

} // namespace batch
