// kvn as a separate process: the same names and bytes as the engine gives,
// the ways to give a key, the exit statuses, and the terminal prompt.
#include "engine_recorders.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

using Bytes = std::vector<unsigned char>;
using Names = std::vector<std::string>;

namespace {

struct Result {
    int status = -1;
    std::string err;
};

// Runs kvn with `args`, standard input from /dev/null, standard error captured.
Result run_kvn(const std::vector<std::string>& args, const std::vector<std::string>& env = {})
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
    Result r;
    char buf[4096];
    ssize_t n;
    while ((n = read(pipefd[0], buf, sizeof buf)) > 0)
        r.err.append(buf, std::size_t(n));
    close(pipefd[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
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
    for (const std::string name : { "aes", "mars", "rc6", "serpent", "twofish", "idea", "10" }) {
        const std::string src = f.dir.file("doc-" + name + ".txt");
        kvntest::write_file(src, plain);
        const Result r = run_kvn({ "encrypt", "-q", "--cipher", name, "-k", f.keyFile, src });
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string code = name == "idea" || name == "10" ? "10"
            : name == "aes"                                     ? "1"
            : name == "mars"                                    ? "2"
            : name == "rc6"                                     ? "3"
            : name == "serpent"                                 ? "4"
                                                                : "5";
        kvntest::EngineRig rig(code, "pw", 0);
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
    kvntest::write_file(f.dir.file("wrong"), Bytes{ 'n', 'o', 'p', 'e' });
    r = run_kvn({ "decrypt", "--replace", "-k", f.dir.file("wrong"), a + ".kvn", c + ".kvn" });
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Or it is not encryption file by AES!"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(a + ".kvn decryption is failed!"), std::string::npos) << r.err;
    EXPECT_TRUE(kvntest::exists(a + ".kvn") && kvntest::exists(c + ".kvn"));

    // Replace mode refuses a hidden file before anything is done.
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
             {}, { "scramble", a }, { "encrypt", "-k", f.keyFile },
             { "encrypt", "--cipher", "des", "-k", f.keyFile, a }, { "encrypt", "--same-name", "-k", f.keyFile, a },
             { "decrypt", "--replace", "--same-name", "-k", f.keyFile, a }, { "encrypt", "--bogus", a },
             { "encrypt", "-k", f.dir.file("missing"), a }, { "encrypt", "-k", f.dir.file("empty"), a },
             { "encrypt", "-c", "idea", "-k", f.dir.file("long"), a },
             { "encrypt", "--key-env", "KVN_UNSET_VARIABLE", a }, { "encrypt", a }, // no terminal to ask on
         }) {
        const Result r = run_kvn(args);
        EXPECT_EQ(r.status, 2) << ::testing::PrintToString(args) << r.err;
    }
    EXPECT_EQ(kvntest::list_dir(f.dir.path()), (Names{ "a", "empty", "key", "long" }));
    EXPECT_EQ(run_kvn({ "--help" }).status, 0);
    EXPECT_EQ(run_kvn({ "--version" }).status, 0);
}

TEST(Kvn, AsksTwiceOnTheTerminalAndRefusesAMismatch)
{
    Folder f;
    const std::string a = f.dir.file("a");
    kvntest::write_file(a, Bytes(40, 'a'));
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
        char buf[256];
        ssize_t n;
        while ((n = read(master, buf, sizeof buf)) > 0)
            screen.append(buf, std::size_t(n));
        int status = 0;
        waitpid(pid, &status, 0);
        close(master);
        EXPECT_EQ(screen.find(first), std::string::npos) << "the key was echoed";
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(run_with_tty("typed key", "typed kez"), 2);
    EXPECT_FALSE(kvntest::exists(a + ".kvn"));
    EXPECT_EQ(run_with_tty("typed key", "typed key"), 0);
    kvntest::EngineRig rig("1", "typed key", 0);
    ASSERT_EQ(rig.encrypt(a, f.dir.file("expected")), IDEA_DONE);
    EXPECT_EQ(kvntest::read_file(a + ".kvn"), kvntest::read_file(f.dir.file("expected")));
}
