// Where kvn gets the key: a key file, an environment variable, or the
// terminal (asked twice, without echo).
#pragma once

#include <string>

namespace kvn {

// The first line of the file without its line ending. False with `error` set
// when the file cannot be read.
bool KeyFromFile(const std::string& path, std::string& key, std::string& error);
// The variable is gone from the environment afterwards, its bytes wiped.
bool KeyFromEnvironment(const std::string& name, std::string& key, std::string& error);
// Asks on the controlling terminal; false when there is none or the two
// entries differ. With `warnIfWeak`, a key the estimate finds weak is used
// all the same, after a one-line warning on standard error.
bool KeyFromTerminal(std::string& key, std::string& error, bool warnIfWeak = false);

} // namespace kvn
