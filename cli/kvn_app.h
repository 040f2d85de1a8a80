// kvn from command line to exit status.
#pragma once

#include <string>
#include <vector>

namespace kvn {

enum ExitStatus { kAllDone = 0, kFileFailed = 1, kUsageError = 2 };

int Run(const std::vector<std::string>& args);

} // namespace kvn
