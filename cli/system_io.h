// What kvn asks of the system that POSIX and Windows do differently: the
// arguments, the key file, the environment, the terminal prompt without echo
// and whether standard error is a terminal. system_io.cpp has the POSIX calls,
// system_io_win.cpp the Windows ones; everything else in kvn is portable.
#pragma once

#include <string>
#include <vector>

namespace kvn {

// The command-line arguments after the program's name, as UTF-8.
std::vector<std::string> Arguments(int argc, char** argv);

// The first line of a file without its line ending; false with `error` set
// when the file cannot be read.
bool ReadFirstLine(const std::string& path, std::string& line, std::string& error);

// Shows `first` on the terminal and reads a line without echo; when that is
// not empty, does the same with `second`. False when there is no terminal.
bool AskTwiceWithoutEcho(const char* first, const char* second, std::string& answer, std::string& confirm);

// An environment variable's value as UTF-8; false when it is not set.
bool EnvironmentValue(const std::string& name, std::string& value);

bool StandardErrorIsTerminal();

} // namespace kvn
