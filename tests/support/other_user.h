// A second local user for the tests that play another user against this one:
// an account made for the test and removed afterwards, and ways to act as it
// in a child process. Only root can do this; a test without it skips.
#pragma once

#include <cstdlib>
#include <functional>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kvntest {

class OtherUser {
public:
    OtherUser()
    {
        if (::geteuid() != 0)
            return;
        m_name = "kvnother" + std::to_string(::getpid() % 1000000);
        const std::string add = "useradd -M -N -r -s /usr/sbin/nologin " + m_name + " >/dev/null 2>&1";
        if (std::system(add.c_str()) != 0)
            return;
        if (const passwd* pw = ::getpwnam(m_name.c_str())) {
            m_uid = pw->pw_uid;
            m_gid = pw->pw_gid;
            m_made = true;
        }
    }
    ~OtherUser()
    {
        if (m_made)
            (void)!std::system(("userdel " + m_name + " >/dev/null 2>&1").c_str());
    }
    OtherUser(const OtherUser&) = delete;
    OtherUser& operator=(const OtherUser&) = delete;

    bool Made() const { return m_made; }
    uid_t Uid() const { return m_uid; }
    gid_t Gid() const { return m_gid; }

    // Starts `step` in a child process that runs as this user; the child
    // ends with status 0 when `step` answers true. Only system calls belong
    // in `step`: the child is a copy of a process with threads.
    pid_t Start(const std::function<bool()>& step) const
    {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const bool became = ::setgroups(0, nullptr) == 0 && ::setgid(m_gid) == 0 && ::setuid(m_uid) == 0;
            ::_exit(became && step() ? 0 : 1);
        }
        return pid;
    }
    // Runs `step` as this user to its end; true when it answered true.
    bool Do(const std::function<bool()>& step) const
    {
        const pid_t pid = Start(step);
        int status = 0;
        return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    static void Stop(pid_t pid)
    {
        if (pid <= 0)
            return;
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }

private:
    std::string m_name;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
    bool m_made = false;
};

} // namespace kvntest
