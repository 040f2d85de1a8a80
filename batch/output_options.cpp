// Output options and destination names.
#include "batch/output_options.h"

#include "engine/os/naming_rules.h"

namespace batch {

std::string EncryptDestination(const std::string& source, const OutputOptions& options)
{
    return naming::encrypt_destination(source, options.replace != 0, options.addExt != 0);
}

std::string DecryptDestination(const std::string& source, bool foldCase)
{
    return naming::decrypt_destination(source, foldCase);
}

} // namespace batch
