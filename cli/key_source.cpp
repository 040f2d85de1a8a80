// Reading the key without leaving copies of it around.
#include "key_source.h"

#include "secure_zero.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace kvn {

namespace {

void wipe(std::string& s)
{
    tessiral::secure_zero(s.data(), s.size());
    s.clear();
}

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

bool KeyFromFile(const std::string& path, std::string& key, std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot read the key file " + path + ": " + std::strerror(errno);
        return false;
    }
    read_line(fd, key);
    ::close(fd);
    return true;
}

bool KeyFromEnvironment(const std::string& name, std::string& key, std::string& error)
{
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) {
        error = "the environment variable " + name + " is not set";
        return false;
    }
    key = value;
    return true;
}

bool KeyFromTerminal(std::string& key, std::string& error)
{
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (tty < 0) {
        error = "no terminal to ask for the key; use --key-file or --key-env";
        return false;
    }
    key = ask(tty, "Key: ");
    std::string confirm = key.empty() ? std::string() : ask(tty, "Confirm key: ");
    ::close(tty);
    if (!key.empty() && key != confirm) {
        wipe(key);
        wipe(confirm);
        error = "the two keys differ";
        return false;
    }
    wipe(confirm);
    return true;
}

} // namespace kvn
