// kvn's option parser over arbitrary argument lists: the input's NUL bytes
// separate the arguments.
#include "cli/cli_options.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> args;
    if (size > 0)
        args.emplace_back();
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back() += static_cast<char>(data[i]);
    }
    kvn::Options options;
    std::string error;
    const bool ok = kvn::ParseOptions(args, options, error);
    // A refusal always says why.
    if (!ok && error.empty())
        __builtin_trap();
    return 0;
}
