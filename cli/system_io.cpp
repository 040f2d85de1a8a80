// kvn's system calls on a POSIX system.
#include "cli/system_io.h"

#include "engine/os/secure_zero.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace kvn {

namespace {

// One line from a descriptor, byte by byte so nothing beyond it is consumed.
// The line is a key: it grows only through AppendWiped.
bool read_line(int fd, std::string& line)
{
    tessiral::secure_zero(line.data(), line.size());
    line.clear();
    char c = 0;
    for (;;) {
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        if (c == '\n')
            break;
        AppendWiped(line, c);
    }
    tessiral::secure_zero(&c, sizeof c);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

// Echo goes off before the prompt appears, so that nothing typed after the
// prompt is ever shown or thrown away. The line is read straight into
// `line`: a returned string would leave its bytes behind in a temporary.
void ask(int tty, const char* prompt, std::string& line)
{
    termios saved{};
    const bool isTerminal = ::tcgetattr(tty, &saved) == 0;
    if (isTerminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        quiet.c_lflag |= ECHONL;
        ::tcsetattr(tty, TCSANOW, &quiet);
    }
    (void)!::write(tty, prompt, std::strlen(prompt));
    read_line(tty, line);
    if (isTerminal)
        ::tcsetattr(tty, TCSANOW, &saved);
}

} // namespace

std::vector<std::string> Arguments(int argc, char** argv)
{
    return { argv + 1, argv + argc };
}

bool ReadFirstLine(const std::string& path, std::string& line, std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot read the key file " + path + ": " + std::strerror(errno);
        return false;
    }
    read_line(fd, line);
    ::close(fd);
    return true;
}

bool ReadStart(const std::string& path, unsigned char* bytes, std::size_t size, std::size_t& got, std::string& error)
{
    got = 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    while (got < size) {
        const ssize_t n = ::read(fd, bytes + got, size - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = path + ": " + std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        got += std::size_t(n);
    }
    ::close(fd);
    return true;
}

bool AskTwiceWithoutEcho(const char* first, const char* second, std::string& answer, std::string& confirm)
{
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (tty < 0)
        return false;
    ask(tty, first, answer);
    if (!answer.empty())
        ask(tty, second, confirm);
    ::close(tty);
    return true;
}

bool TakeEnvironmentValue(const std::string& name, std::string& value)
{
    char* v = std::getenv(name.c_str());
    if (v == nullptr)
        return false;
    const std::size_t size = std::strlen(v);
    tessiral::secure_zero(value.data(), value.size());
    value.clear();
    value.reserve(size);
    value.assign(v, size);
    // The bytes themselves, not only the entry: the variables a process
    // starts with stay readable in its memory (and /proc/<pid>/environ)
    // after unsetenv.
    tessiral::secure_zero(v, size);
    ::unsetenv(name.c_str());
    return true;
}

bool StandardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) != 0;
}

} // namespace kvn
