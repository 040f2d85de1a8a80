// What kvn asks of the system that POSIX and Windows do differently: the
// arguments, the key file, the environment, the terminal prompt without echo
// and whether standard error is a terminal. system_io.cpp has the POSIX calls,
// system_io_win.cpp the Windows ones; everything else in kvn is portable.
#pragma once

#include "engine/os/secure_zero.h"

#include <algorithm>
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
// Up to `size` bytes from the start of a file into `bytes` (`got`: how
// many); false with the reason in `error` when it cannot be read.
bool ReadStart(const std::string& path, unsigned char* bytes, std::size_t size, std::size_t& got, std::string& error);

bool AskTwiceWithoutEcho(const char* first, const char* second, std::string& answer, std::string& confirm);

// An environment variable's value as UTF-8, after which the variable is
// removed from the environment and its bytes wiped; false when it is not set.
bool TakeEnvironmentValue(const std::string& name, std::string& value);

// Appends `c` to a line that holds a key: when the line has to grow, the
// bytes it leaves behind are wiped first.
inline void AppendWiped(std::string& line, char c)
{
    if (line.size() == line.capacity()) {
        std::string bigger;
        bigger.reserve(std::max<std::size_t>(256, line.capacity() * 2));
        bigger.assign(line);
        tessiral::secure_zero(line.data(), line.size());
        line.swap(bigger);
    }
    line.push_back(c);
}

bool StandardErrorIsTerminal();

} // namespace kvn
