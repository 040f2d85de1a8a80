// The test vectors docs/file-format.md publishes, from the engine. The
// authenticated format's (tests/data/authenticated/vector.txt, computed by an
// independent program): the engine's key schedule gives its keys, the engine
// writes its file byte for byte from the same salts, and reads it back.
#include "engine/api/batch_control.h"
#include "engine/formats/authenticated/auth_keys.h"
#include "engine/kdf/argon2id.h"
#include "tests/support/engine_recorders.h"
#include "tests/support/temp_dir.h"
#include "tests/support/vectors.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>

using kvntest::Bytes;
namespace auth = authenticated;

namespace {

std::map<std::string, Bytes> vector_values()
{
    std::ifstream in(kvntest::data_path("authenticated/vector.txt"));
    std::map<std::string, Bytes> values;
    std::string line;
    while (std::getline(in, line)) {
        const auto eq = line.find(" = ");
        if (line.empty() || line[0] == '#' || eq == std::string::npos)
            continue;
        values[line.substr(0, eq)] = kvntest::from_hex(line.substr(eq + 3));
    }
    return values;
}

} // namespace

TEST(AuthenticatedVector, EngineReproducesThePublishedVector)
{
    auto v = vector_values();
    ASSERT_EQ(v.size(), 12u);
    auth::TestSeam seam;
    seam.fixedSalts = true;
    std::memcpy(seam.kdfSalt, v["kdf salt"].data(), auth::kSaltSize);
    std::memcpy(seam.streamSalt, v["stream salt"].data(), auth::kSaltSize);
    seam.timeCost = 1;
    seam.memoryExponent = 5;
    seam.lanes = 1;
    seam.chunkExponent = 8;
    auth::set_test_seam(&seam);

    // The key schedule, step by step.
    auth::Header h;
    auth::choose_parameters(0, h);
    std::memcpy(h.kdfSalt, seam.kdfSalt, auth::kSaltSize);
    std::memcpy(h.streamSalt, seam.streamSalt, auth::kSaltSize);
    Bytes a(32);
    const Bytes& password = v["password"];
    ASSERT_EQ(tessiral::kdf::argon2id_derive(
                  { 1, 32, 1 }, password.data(), password.size(), h.kdfSalt, auth::kSaltSize, a.data(), a.size()),
        tessiral::kdf::Argon2Status::Ok);
    EXPECT_EQ(a, v["A"]);
    auth::FileKeys keys;
    ASSERT_TRUE(auth::header_keys(a.data(), h, keys));
    EXPECT_EQ(Bytes(keys.prk(), keys.prk() + 32), v["PRK"]);
    EXPECT_EQ(Bytes(keys.header_key(), keys.header_key() + 32), v["header key"]);
    ASSERT_TRUE(auth::payload_keys(v["header"].data(), keys));
    EXPECT_EQ(Bytes(keys.payload_key(), keys.payload_key() + 32), v["payload key"]);
    EXPECT_EQ(Bytes(keys.prefix, keys.prefix + 7), v["nonce prefix"]);

    // The whole file, written and read by the engine.
    kvntest::TempDir dir;
    kvntest::write_file(dir.file("p"), v["plain"]);
    const std::string text(password.begin(), password.end());
    kvntest::EngineRig rig("1", text);
    CBatchControl control;
    control.authenticated = true;
    control.password = password.data();
    control.passwordLength = password.size();
    rig.engine.m_pControl = &control;
    ASSERT_EQ(rig.encrypt(dir.file("p"), dir.file("p.kvn")), IDEA_DONE);
    EXPECT_EQ(kvntest::to_hex(kvntest::read_file(dir.file("p.kvn"))), kvntest::to_hex(v["file"]));
    kvntest::write_file(dir.file("v.kvn"), v["file"]);
    ASSERT_EQ(rig.decrypt(dir.file("v.kvn"), dir.file("v")), IDEA_DONE);
    EXPECT_EQ(kvntest::read_file(dir.file("v")), v["plain"]);
    auth::set_test_seam(nullptr);
}

TEST(CompatibleVector, EngineReproducesThePublishedVector)
{
    kvntest::TempDir dir;
    kvntest::write_file(dir.file("h"), Bytes{ 'H', 'e', 'l', 'l', 'o' });
    kvntest::EngineRig rig("1", "pw");
    ASSERT_EQ(rig.encrypt(dir.file("h"), dir.file("h.kvn")), IDEA_DONE);
    EXPECT_EQ(kvntest::read_file(dir.file("h.kvn")),
        kvntest::from_hex("4da0a46ba2489da67a3bb3abbbda18bfd08d3fd1a322c636d10d6b7640e8a08c"));
}
