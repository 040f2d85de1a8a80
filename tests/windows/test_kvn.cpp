// kvn.exe as a separate process under Windows: UTF-8 arguments and names
// from the wide command line, the same bytes as the engine,
// keys from a file and from the environment, attributes and exit statuses.
#include "tests/support/engine_recorders.h"
#include "tests/support/temp_dir.h"
#include "tests/windows/win_files.h"

#include <gtest/gtest.h>

using Bytes = std::vector<unsigned char>;
using wintest::read;
using wintest::write;

namespace {

wintest::Run run_kvn(const std::vector<std::string>& args, const std::string& env = {})
{
    return wintest::run_beside(KVN_BINARY, args, env);
}

} // namespace

// Two block sizes here; tests/windows/cross_check.sh takes every cipher
// through kvn.exe against the Linux kvn.
TEST(KvnWindows, UnicodeNamesSameBytesAsTheEngineAndBack)
{
    kvntest::TempDir dir;
    const std::string folder = wintest::backslashed(dir.path());
    const std::string keyFile = folder + "\\key";
    write(keyFile, Bytes{ 'p', 'w', '\r', '\n' });
    const Bytes plain = kvntest::random_bytes(5000, 1);
    write(folder + "\\plain", plain);
    for (const auto& [cipher, code] :
        std::vector<std::pair<std::string, std::string>>{ { "aes", "1" }, { "idea", "10" } }) {
        const std::string src = folder + "\\\xC3\xA9t\xC3\xA9 \xE2\x82\xAC " + cipher + ".txt"; // "été € aes.txt"
        write(src, plain);
        const wintest::Run r = run_kvn({ "encrypt", "-q", "--cipher", cipher, "-k", keyFile, src });
        ASSERT_EQ(r.status, 0u) << r.output;
        kvntest::EngineRig rig(code, "pw", 0);
        rig.engine.m_bOverwrite = 1; // "expected" is made again for each cipher
        ASSERT_EQ(rig.encrypt(folder + "\\plain", folder + "\\expected"), IDEA_DONE);
        EXPECT_EQ(read(src + ".kvn"), read(folder + "\\expected")) << cipher;
        ASSERT_TRUE(wintest::remove(src));
        const wintest::Run back
            = run_kvn({ "decrypt", "-c", code, "--key-file=" + keyFile, "--replace", src + ".kvn" });
        ASSERT_EQ(back.status, 0u) << back.output;
        EXPECT_EQ(read(src), plain) << cipher;
        EXPECT_FALSE(wintest::exists(src + ".kvn"));
    }
}

TEST(KvnWindows, EnvironmentKeyIsUtf8AndAttributesRefuseReplaceMode)
{
    kvntest::TempDir dir;
    const std::string a = dir.file("a.bin");
    write(a, Bytes(100, 'z'));
    const std::string key = "cl\xC3\xA9"; // "clé"
    wintest::Run r = run_kvn({ "encrypt", "--key-env", "KVN_TEST_KEY", a }, "KVN_TEST_KEY=" + key);
    ASSERT_EQ(r.status, 0u) << r.output;
    kvntest::EngineRig rig("1", key, 0);
    ASSERT_EQ(rig.encrypt(a, dir.file("expected")), IDEA_DONE);
    EXPECT_EQ(read(a + ".kvn"), read(dir.file("expected")));

    ASSERT_TRUE(wintest::set_attribute(a, wintest::Attribute::Hidden));
    r = run_kvn({ "encrypt", "--replace", "--key-env", "KVN_TEST_KEY", a }, "KVN_TEST_KEY=x");
    EXPECT_EQ(r.status, 1u);
    EXPECT_NE(r.output.find("a.bin  is read-only/hidden/system"), std::string::npos) << r.output;
    EXPECT_EQ(read(a), Bytes(100, 'z'));
}

TEST(KvnWindows, FailuresAndExitStatuses)
{
    kvntest::TempDir dir;
    const std::string a = dir.file("a"), key = dir.file("key");
    write(a, Bytes(3, 'a'));
    write(key, Bytes{ 'k' });
    wintest::Run r = run_kvn({ "encrypt", "-k", key, a, dir.file("missing") });
    EXPECT_EQ(r.status, 1u);
    EXPECT_NE(r.output.find("Don't open this file!"), std::string::npos) << r.output;
    write(dir.file("wrong"), Bytes{ 'w' });
    // The kept plain file is in the way of the result: allowed, so that the key is checked.
    r = run_kvn({ "decrypt", "--overwrite", "-k", dir.file("wrong"), a + ".kvn" });
    EXPECT_EQ(r.status, 1u);
    EXPECT_NE(r.output.find("Or it is not encryption file by AES!"), std::string::npos) << r.output;
    for (const auto& args : std::vector<std::vector<std::string>>{
             { "encrypt", a }, // no console to ask on
             { "encrypt", "-k", dir.file("nokey"), a }, // unreadable key file
             { "encrypt", "--cipher", "des", "-k", key, a }, // unknown cipher
         }) {
        r = run_kvn(args);
        EXPECT_EQ(r.status, 2u) << r.output;
    }
    EXPECT_NE(run_kvn({ "--version" }).output.find("kvn (Kelvanetrix Plus) 3.32"), std::string::npos);
}
