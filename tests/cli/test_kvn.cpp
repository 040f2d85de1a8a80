// kvn as a separate process: the same names and bytes as the engine gives,
// the ways to give a key, the exit statuses, the terminal prompt, links and
// existing files, a failed allocation, and what another user could learn of
// the key.
#include "cli/key_source.h"
#include "tests/support/engine_recorders.h"
#include "tests/support/other_user.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <pty.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using kvntest::Bytes;
using kvntest::Names;

namespace {

struct Result {
    int status = -1; // the exit status; -1 when kvn did not exit
    std::string err;
};

// Everything that comes from `fd` until it closes.
std::string read_all(int fd)
{
    std::string text;
    char buf[4096];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0)
        text.append(buf, std::size_t(n));
    return text;
}

struct Child {
    pid_t pid = -1;
    int err = -1; // the read end of its standard error
};

// Starts kvn with `args` and `env` added, standard input from /dev/null.
Child start_kvn(const std::vector<std::string>& args, const std::vector<std::string>& env = {})
{
    int pipefd[2];
    if (pipe(pipefd) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        setsid(); // no controlling terminal: kvn must not find one to ask on
        dup2(pipefd[1], 2);
        close(pipefd[0]);
        for (const auto& e : env)
            putenv(const_cast<char*>(e.c_str()));
        std::vector<char*> argv{ const_cast<char*>(KVN_BINARY) };
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(KVN_BINARY, argv.data());
        _exit(127);
    }
    close(pipefd[1]);
    return { pid, pipefd[0] };
}

// Reads the child's standard error to the end and waits for it.
Result finish(const Child& child)
{
    if (child.pid < 0)
        return {};
    Result r;
    r.err = read_all(child.err);
    close(child.err);
    int status = 0;
    waitpid(child.pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

Result run_kvn(const std::vector<std::string>& args, const std::vector<std::string>& env = {})
{
    return finish(start_kvn(args, env));
}

struct Folder {
    kvntest::TempDir dir;
    std::string keyFile = dir.file("key");
    Folder(const std::string& key = "s3cret key") { kvntest::write_file(keyFile, Bytes(key.begin(), key.end())); }
};

} // namespace

TEST(Kvn, SameBytesAsTheEngineForEveryCipherAndBack)
{
    Folder f;
    // A key file's line ending is not part of the key.
    kvntest::write_file(f.keyFile, Bytes{ 'p', 'w', '\r', '\n', 'x' });
    const Bytes plain = kvntest::random_bytes(5000, 1);
    for (const auto& [name, code] : std::vector<std::pair<std::string, std::string>>{ { "aes", "1" }, { "mars", "2" },
             { "rc6", "3" }, { "serpent", "4" }, { "twofish", "5" }, { "idea", "10" }, { "10", "10" } }) {
        const std::string src = f.dir.file("doc-" + name + ".txt");
        kvntest::write_file(src, plain);
        const Result r = run_kvn({ "encrypt", "-q", "--cipher", name, "-k", f.keyFile, src });
        ASSERT_EQ(r.status, 0) << r.err;
        kvntest::EngineRig rig(code, "pw", 0);
        rig.engine.m_bOverwrite = 1;
        ASSERT_EQ(rig.encrypt(src, f.dir.file("expected")), IDEA_DONE);
        EXPECT_EQ(kvntest::read_file(src + ".kvn"), kvntest::read_file(f.dir.file("expected"))) << name;
        std::remove(src.c_str());
        const Result back = run_kvn({ "decrypt", "-c", code, "--key-file=" + f.keyFile, src + ".kvn" });
        ASSERT_EQ(back.status, 0) << back.err;
        EXPECT_EQ(kvntest::read_file(src), plain) << name;
    }
}

TEST(Kvn, ReplaceSameNameAndEnvironmentKey)
{
    Folder f;
    const std::string src = f.dir.file("a.bin");
    kvntest::write_file(src, Bytes(100, 'z'));
    Result r
        = run_kvn({ "encrypt", "--replace", "--same-name", "--key-env", "KVN_TEST_KEY", src }, { "KVN_TEST_KEY=abc" });
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(kvntest::list_dir(f.dir.path()), (Names{ "a.bin", "key" }));
    EXPECT_EQ(kvntest::read_file(src).size(), 16u + 112u);
    r = run_kvn({ "decrypt", "--replace", "--key-env", "KVN_TEST_KEY", src }, { "KVN_TEST_KEY=abc" });
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(kvntest::read_file(src), Bytes(100, 'z'));
    EXPECT_EQ(kvntest::list_dir(f.dir.path()), (Names{ "a.bin", "key" }));
}

// The authenticated format at its real strength: written with --format,
// described by info without a key, read back without being named.
TEST(Kvn, AuthenticatedFormatRoundTripAndInfo)
{
    Folder f;
    const std::string src = f.dir.file("doc.txt");
    const Bytes plain = kvntest::random_bytes(70000, 2);
    kvntest::write_file(src, plain);
    Result r = run_kvn({ "encrypt", "-q", "-c", "serpent", "--format=authenticated", "-k", f.keyFile, src });
    ASSERT_EQ(r.status, 0) << r.err;
    std::remove(src.c_str());
    kvntest::write_file(f.dir.file("old"), Bytes(32, 'x'));
    FILE* info = popen((std::string(KVN_BINARY) + " info '" + src + ".kvn' '" + f.dir.file("old") + "'").c_str(), "r");
    ASSERT_NE(info, nullptr);
    const std::string out = read_all(fileno(info));
    EXPECT_EQ(pclose(info), 0);
    EXPECT_EQ(out,
        src + ".kvn: authenticated, Serpent-256-GCM, chunks of 64 KiB, Argon2id t=3 m=256 MiB p=4\n" + f.dir.file("old")
            + ": compatible (the cipher shows only with the key)\n");
    r = run_kvn({ "decrypt", "-q", "-k", f.keyFile, src + ".kvn" });
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("encrypted with Serpent"), std::string::npos) << r.err;
    EXPECT_EQ(kvntest::read_file(src), plain);
}

TEST(Kvn, FailuresAndTheirExitStatuses)
{
    Folder f;
    const std::string a = f.dir.file("a"), c = f.dir.file("c");
    kvntest::write_file(a, Bytes(3, 'a'));
    kvntest::write_file(c, Bytes(3, 'c'));
    // A missing file fails the batch, the others are still encrypted.
    Result r = run_kvn({ "encrypt", "-k", f.keyFile, a, f.dir.file("b"), c });
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Don't open this file!"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Encryption is failed!"), std::string::npos) << r.err;
    EXPECT_TRUE(kvntest::exists(a + ".kvn") && kvntest::exists(c + ".kvn"));

    // A wrong key stops decryption at the first file and touches nothing.
    std::remove(a.c_str());
    std::remove(c.c_str());
    kvntest::write_file(f.dir.file("wrong"), Bytes{ 'n', 'o', 'p', 'e' });
    r = run_kvn({ "decrypt", "--replace", "-k", f.dir.file("wrong"), a + ".kvn", c + ".kvn" });
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Or it is not encryption file by AES!"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(a + ".kvn decryption is failed!"), std::string::npos) << r.err;
    EXPECT_TRUE(kvntest::exists(a + ".kvn") && kvntest::exists(c + ".kvn"));

    // Replace mode refuses a hidden file before anything is done.
    kvntest::write_file(a, Bytes(3, 'a'));
    kvntest::write_file(f.dir.file(".dot"), Bytes(3, 'd'));
    r = run_kvn({ "encrypt", "--replace", "-k", f.keyFile, a, f.dir.file(".dot") });
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(".dot  is read-only/hidden/system"), std::string::npos) << r.err;
    EXPECT_EQ(kvntest::read_file(a), Bytes(3, 'a'));
}

TEST(Kvn, UsageErrorsAndUnusableKeys)
{
    Folder f;
    const std::string a = f.dir.file("a");
    kvntest::write_file(a, Bytes(3, 'a'));
    kvntest::write_file(f.dir.file("empty"), {});
    kvntest::write_file(f.dir.file("long"), Bytes(17, 'k'));
    for (const auto& args : std::vector<std::vector<std::string>>{
             {},
             { "scramble", a },
             { "encrypt", "-k", f.keyFile },
             { "encrypt", "--cipher", "des", "-k", f.keyFile, a },
             { "encrypt", "--same-name", "-k", f.keyFile, a },
             { "decrypt", "--replace", "--same-name", "-k", f.keyFile, a },
             { "encrypt", "--bogus", a },
             { "encrypt", "-k", f.dir.file("missing"), a },
             { "encrypt", "-k", f.dir.file("empty"), a },
             { "encrypt", "-c", "idea", "-k", f.dir.file("long"), a },
             { "encrypt", "--key-env", "KVN_UNSET_VARIABLE", a },
             { "encrypt", a }, // no terminal to ask on
             { "encrypt", "--format", "authenticated", "-c", "idea", "-k", f.keyFile, a },
             { "encrypt", "--format", "sealed", "-k", f.keyFile, a },
             { "encrypt", "--strength", "strong", "-k", f.keyFile, a }, // only with the authenticated format
             { "decrypt", "--format", "authenticated", "-k", f.keyFile, a },
             { "info" },
         }) {
        const Result r = run_kvn(args);
        EXPECT_EQ(r.status, 2) << ::testing::PrintToString(args) << r.err;
    }
    EXPECT_EQ(kvntest::list_dir(f.dir.path()), (Names{ "a", "empty", "key", "long" }));
    EXPECT_EQ(run_kvn({ "--help" }).status, 0);
    EXPECT_EQ(run_kvn({ "--version" }).status, 0);
}

// The README's copy of the usage text is the text itself: a usage error
// prints it after its one line of reason.
TEST(Kvn, TheReadmeShowsTheUsageAsKvnPrintsIt)
{
    const Bytes readme = kvntest::read_file(KVN_README);
    const std::string text(readme.begin(), readme.end());
    const std::string opening = "## kvn\n\n`kvn --help` prints (a test holds this copy to it):\n\n```\n";
    const std::size_t from = text.find(opening);
    ASSERT_NE(from, std::string::npos);
    const std::size_t begin = from + opening.size();
    const std::string copy = text.substr(begin, text.find("```\n", begin) - begin);
    const Result r = run_kvn({ "encrypt", "--bogus" });
    EXPECT_EQ(r.err.substr(r.err.find('\n') + 1), copy);
}

TEST(Kvn, AsksTwiceOnTheTerminalAndRefusesAMismatch)
{
    Folder f;
    const std::string a = f.dir.file("a");
    kvntest::write_file(a, Bytes(40, 'a'));
    std::string shown;
    auto run_with_tty = [&](const std::string& first, const std::string& second) {
        int master = -1;
        const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
        if (pid == 0) {
            execl(KVN_BINARY, KVN_BINARY, "encrypt", "-q", a.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        std::string screen;
        auto wait_for = [&](const std::string& what) {
            char buf[256];
            while (screen.find(what) == std::string::npos) {
                const ssize_t n = read(master, buf, sizeof buf);
                if (n <= 0)
                    return;
                screen.append(buf, std::size_t(n));
            }
        };
        wait_for("Key: ");
        (void)!write(master, (first + "\n").c_str(), first.size() + 1);
        wait_for("Confirm key: ");
        (void)!write(master, (second + "\n").c_str(), second.size() + 1);
        screen += read_all(master);
        int status = 0;
        waitpid(pid, &status, 0);
        close(master);
        EXPECT_EQ(screen.find(first), std::string::npos) << "the key was echoed";
        shown = screen;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(run_with_tty("typed key", "typed kez"), 2);
    EXPECT_FALSE(kvntest::exists(a + ".kvn"));
    // A weak key is warned of, once, and used.
    EXPECT_EQ(run_with_tty("typed key", "typed key"), 0);
    EXPECT_NE(shown.find("kvn: warning: this key is weak"), std::string::npos) << shown;
    kvntest::EngineRig rig("1", "typed key", 0);
    ASSERT_EQ(rig.encrypt(a, f.dir.file("expected")), IDEA_DONE);
    EXPECT_EQ(kvntest::read_file(a + ".kvn"), kvntest::read_file(f.dir.file("expected")));
    std::remove((a + ".kvn").c_str());
    EXPECT_EQ(run_with_tty("Vq8#tLz2!mRw9&kP", "Vq8#tLz2!mRw9&kP"), 0);
    EXPECT_EQ(shown.find("weak"), std::string::npos) << shown;
}

TEST(Kvn, LinkedSourcesAndExistingFilesAreRefusedWithoutOverwrite)
{
    Folder f;
    const Bytes plain = kvntest::random_bytes(3000, 4);
    const std::string a = f.dir.file("a.txt"), b = f.dir.file("b.txt"), link = f.dir.file("link.txt");
    kvntest::write_file(a, plain);
    ASSERT_EQ(symlink("a.txt", link.c_str()), 0);
    Result r = run_kvn({ "encrypt", "--replace", "-k", f.keyFile, link });
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("link.txt  is a symbolic link"), std::string::npos) << r.err;
    ASSERT_EQ(::link(a.c_str(), b.c_str()), 0);
    r = run_kvn({ "encrypt", "--replace", "-k", f.keyFile, a });
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("a.txt  has other names (hard links)"), std::string::npos) << r.err;
    EXPECT_EQ(kvntest::list_dir(f.dir.path()), (Names{ "a.txt", "b.txt", "key", "link.txt" }));
    EXPECT_EQ(kvntest::read_file(a), plain);

    // The result's name is a link to the source: an existing file like any other.
    std::remove(b.c_str());
    std::remove(link.c_str());
    ASSERT_EQ(symlink("a.txt", (a + ".kvn").c_str()), 0);
    r = run_kvn({ "encrypt", "--replace", "-k", f.keyFile, a });
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(a + ".kvn\n     This file already exists; it is not replaced without --overwrite."),
        std::string::npos)
        << r.err;
    EXPECT_EQ(kvntest::read_file(a), plain);
    r = run_kvn({ "encrypt", "--replace", "--overwrite", "-q", "-k", f.keyFile, a });
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(kvntest::list_dir(f.dir.path()), (Names{ "a.txt.kvn", "key" }));
    struct stat st { };
    ASSERT_EQ(lstat((a + ".kvn").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));

    // A newer a.txt is not replaced by decrypting the older a.txt.kvn.
    kvntest::write_file(a, Bytes{ 'n', 'e', 'w' });
    r = run_kvn({ "decrypt", "-k", f.keyFile, a + ".kvn" });
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(a + "\n"), std::string::npos) << r.err;
    EXPECT_EQ(kvntest::read_file(a), (Bytes{ 'n', 'e', 'w' }));
    r = run_kvn({ "decrypt", "--overwrite", "-k", f.keyFile, a + ".kvn" });
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(kvntest::read_file(a), plain);
}

TEST(Kvn, AFailedAllocationEndsOnlyThatFile)
{
    Folder f;
    std::vector<std::string> files;
    // Only the second file is large enough to need buffers of a megabyte.
    for (const char* n : { "a", "b", "c" }) {
        kvntest::write_file(f.dir.file(n), Bytes(*n == 'b' ? 2 << 20 : 100, 'x'));
        files.push_back(f.dir.file(n));
    }
    const char* asan = std::getenv("ASAN_OPTIONS");
    // The second file's buffer cannot be had (no check after each file: it
    // would take a buffer of its own).
    const Result r = run_kvn({ "encrypt", "--replace", "--no-verify", "-k", f.keyFile, files[0], files[1], files[2] },
        { std::string("LD_PRELOAD=") + KVN_FAILING_ALLOC, "KVN_TEST_FAIL_ALLOC=1",
            std::string("ASAN_OPTIONS=") + (asan ? asan : "") + ":verify_asan_link_order=0" });
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(
        r.err.find(files[1] + "\n     The work on this file stopped on an unexpected failure (not enough memory)."),
        std::string::npos)
        << r.err;
    EXPECT_EQ(kvntest::list_dir(f.dir.path()), (Names{ "a.kvn", "b", "c.kvn", "key" }));
    EXPECT_EQ(kvntest::read_file(files[1]), Bytes(2 << 20, 'x'));
}

// Waits until the process has taken every signal sent to it: one still
// pending when the next arrives would be delivered in signal-number order,
// not in the order sent.
static void await_signals_taken(pid_t pid)
{
    const std::string status = "/proc/" + std::to_string(pid) + "/status";
    for (int i = 0; i < 5000; ++i) {
        std::ifstream in(status);
        std::string line;
        bool pending = false;
        while (std::getline(in, line))
            if (line.rfind("ShdPnd:", 0) == 0 || line.rfind("SigPnd:", 0) == 0)
                pending = pending || line.find_first_not_of("0\t ", 7) != std::string::npos;
        if (!pending)
            return;
        usleep(1000);
    }
}

// The signal comes while kvn is inside the large file: kvn stops itself
// (SIGSTOP, from the preloaded library) at its second chunk's read, is
// signalled and let go; a second SIGINT follows while it stops.
TEST(Kvn, SigintAndSigtermStopAtTheNextChunkAndLeaveNoDebris)
{
    Folder f;
    const std::string big = f.dir.file("big"), next = f.dir.file("next");
    const Bytes plain = kvntest::random_bytes(16 << 20, 3); // four chunks
    kvntest::write_file(big, plain);
    kvntest::write_file(next, Bytes(10, 'n'));
    const char* asan = std::getenv("ASAN_OPTIONS");
    for (const int signal : { SIGINT, SIGTERM }) {
        const Child child = start_kvn({ "encrypt", "--replace", "-k", f.keyFile, big, next },
            { std::string("LD_PRELOAD=") + KVN_FAILING_ALLOC, "KVN_TEST_STOP_AT_READ=2",
                std::string("ASAN_OPTIONS=") + (asan ? asan : "") + ":verify_asan_link_order=0" });
        ASSERT_GE(child.pid, 0);
        int held = 0;
        ASSERT_EQ(waitpid(child.pid, &held, WUNTRACED), child.pid);
        ASSERT_TRUE(WIFSTOPPED(held)) << "kvn ended before its second chunk";
        kill(child.pid, signal);
        kill(child.pid, SIGCONT);
        await_signals_taken(child.pid);
        kill(child.pid, SIGINT);
        const Result r = finish(child);
        ASSERT_NE(r.status, -1) << r.err; // it exited
        EXPECT_EQ(r.status, 128 + signal) << r.err;
        EXPECT_NE(r.err.find("stopped in " + big), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("0 of 2 files done, stopped."), std::string::npos) << r.err;
        EXPECT_EQ(kvntest::list_dir(f.dir.path()), (Names{ "big", "key", "next" }));
        EXPECT_EQ(kvntest::read_file(big), plain);
    }
}

TEST(Kvn, RecursiveTakesEveryFileBelowSkipsLinksAndRefusesTooManyUpFront)
{
    Folder f;
    const std::string top = f.dir.file("top");
    mkdir(top.c_str(), 0755);
    mkdir((top + "/sub").c_str(), 0755);
    kvntest::write_file(top + "/a", Bytes(1000, 'a'));
    kvntest::write_file(top + "/sub/b", Bytes(500, 'b'));
    ASSERT_EQ(symlink("a", (top + "/link").c_str()), 0);
    Result r = run_kvn({ "encrypt", "-r", "--replace", "-c", "twofish", "-k", f.keyFile, top });
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("kvn: 2 files, 0.0 MB\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(top + "/link: skipped"), std::string::npos) << r.err;
    EXPECT_EQ(kvntest::list_dir(top), (Names{ "a.kvn", "link", "sub" }));
    // Decryption takes the .kvn files only and finds the cipher by itself.
    kvntest::write_file(top + "/sub/plain", Bytes(3, 'p'));
    r = run_kvn({ "decrypt", "-r", "-q", "-k", f.keyFile, top + "/sub" });
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find(top + "/sub/b.kvn: encrypted with Twofish, not AES"), std::string::npos) << r.err;
    EXPECT_EQ(kvntest::list_dir(top + "/sub"), (Names{ "b", "b.kvn", "plain" }));
    for (int i = 0; i < 4000; ++i)
        kvntest::write_file(top + "/sub/f" + std::to_string(i), Bytes(1, 'x'));
    r = run_kvn({ "encrypt", "-r", "-k", f.keyFile, top });
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("(4004 files; at most 4000 in one batch)"), std::string::npos) << r.err;
    EXPECT_FALSE(kvntest::exists(top + "/sub/f0.kvn"));
}

// Waiting at the prompt, kvn run by another user is not dumpable (its /proc
// files are root's) and makes no core file; the key read from the
// environment is gone from there, bytes and all.
TEST(Kvn, KeyIsKeptFromCoreFilesAndTheEnvironment)
{
    const std::string value = "env secret";
    ASSERT_EQ(setenv("KVN_TEST_SECRET", value.c_str(), 1), 0);
    const char* where = std::getenv("KVN_TEST_SECRET");
    std::string key, error;
    ASSERT_TRUE(kvn::KeyFromEnvironment("KVN_TEST_SECRET", key, error));
    EXPECT_EQ(key, value);
    EXPECT_EQ(std::getenv("KVN_TEST_SECRET"), nullptr);
    EXPECT_EQ(std::string(where, value.size()), std::string(value.size(), '\0'));

    // A key file's line longer than any buffer kvn starts with.
    Folder f(std::string(5000, 'k'));
    ASSERT_TRUE(kvn::KeyFromFile(f.keyFile, key, error));
    EXPECT_EQ(key, std::string(5000, 'k'));

    kvntest::OtherUser other;
    if (!other.Made())
        GTEST_SKIP() << "no second user account can be made here (needs root)";
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        if (setgroups(0, nullptr) == 0 && setgid(other.Gid()) == 0 && setuid(other.Uid()) == 0)
            execl(KVN_BINARY, KVN_BINARY, "encrypt", "/nonexistent", static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string screen;
    char buf[256];
    ssize_t n;
    while (screen.find("Key: ") == std::string::npos && (n = read(master, buf, sizeof buf)) > 0)
        screen.append(buf, std::size_t(n));
    ASSERT_NE(screen.find("Key: "), std::string::npos) << screen;
    const std::string proc = "/proc/" + std::to_string(pid);
    struct stat st { };
    ASSERT_EQ(stat((proc + "/status").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u) << "dumpable: its /proc files are its user's";
    std::ifstream limits(proc + "/limits");
    std::string line;
    while (std::getline(limits, line) && line.rfind("Max core file size", 0) != 0) { }
    std::istringstream fields(line.substr(std::min<std::size_t>(line.size(), 18)));
    std::string soft, hard;
    fields >> soft >> hard;
    EXPECT_EQ(soft + " " + hard, "0 0");
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    close(master);
}
