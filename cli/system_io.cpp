// kvn's system calls on a POSIX system.
#include "cli/system_io.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace kvn {

namespace {

// One line from a descriptor, byte by byte so nothing beyond it is consumed.
bool read_line(int fd, std::string& line)
{
    line.clear();
    char c;
    for (;;) {
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return !line.empty() || n == 0;
        if (c == '\n')
            break;
        line.push_back(c);
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return true;
}

// Echo goes off before the prompt appears, so that nothing typed after the
// prompt is ever shown or thrown away.
std::string ask(int tty, const char* prompt)
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
    std::string line;
    read_line(tty, line);
    if (isTerminal)
        ::tcsetattr(tty, TCSANOW, &saved);
    return line;
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

bool AskTwiceWithoutEcho(const char* first, const char* second, std::string& answer, std::string& confirm)
{
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (tty < 0)
        return false;
    answer = ask(tty, first);
    if (!answer.empty())
        confirm = ask(tty, second);
    ::close(tty);
    return true;
}

bool EnvironmentValue(const std::string& name, std::string& value)
{
    const char* v = std::getenv(name.c_str());
    if (v == nullptr)
        return false;
    value = v;
    return true;
}

bool StandardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) != 0;
}

} // namespace kvn
