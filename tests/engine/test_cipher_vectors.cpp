// Every published known answer of the six ciphers, in the engine's byte
// order: through the cipher table when the key has the length the engine
// uses, through the cipher itself for the other key lengths. One test case
// per vector, so a failure names the file and the line's key.
#include "engine/api/idea_access.h"
#include "engine/dispatch/cipher_table.h"
#include "tests/support/vectors.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <memory>
#include <ostream>

namespace {

using kvntest::Bytes;
using kvntest::to_hex;

// How a file's byte strings become the bytes the engine reads and writes.
enum class Mapping {
    AsPublished,
    // The engine reads Serpent's little-endian words in reverse order.
    ReverseWords,
    // The engine stores IDEA's 16-bit block words low byte first.
    SwapBlockBytePairs,
};

struct VectorFile {
    const char* code; // the cipher table's algorithm code
    const char* file; // below tests/data/vectors
    const char* record; // for record files: the Name or Test value to take
    std::size_t count; // vectors the file holds for this test
    Mapping mapping;
};

const VectorFile kFiles[] = {
    { "1", "fips197-appendix-c.txt", nullptr, 3, Mapping::AsPublished },
    { "1", "rijndael.dat", nullptr, 9, Mapping::AsPublished },
    { "1", "aes.txt", "AES/ECB", 4, Mapping::AsPublished },
    { "2", "marsval.dat", nullptr, 9, Mapping::AsPublished },
    { "2", "mars.txt", "Encrypt", 10, Mapping::AsPublished },
    { "3", "rc6val.dat", nullptr, 6, Mapping::AsPublished },
    { "4", "serpentv.dat", nullptr, 12, Mapping::ReverseWords },
    { "5", "twofishv.dat", nullptr, 9, Mapping::AsPublished },
    { "10", "ideaval.dat", nullptr, 11, Mapping::SwapBlockBytePairs },
};

Bytes swap_pairs(Bytes b)
{
    for (std::size_t i = 0; i + 1 < b.size(); i += 2)
        std::swap(b[i], b[i + 1]);
    return b;
}

kvntest::KnownAnswer to_engine(const kvntest::KnownAnswer& v, Mapping mapping)
{
    switch (mapping) {
    case Mapping::ReverseWords:
        return { kvntest::reverse_words(v.key), kvntest::reverse_words(v.plain), kvntest::reverse_words(v.cipher) };
    case Mapping::SwapBlockBytePairs:
        return { v.key, swap_pairs(v.plain), swap_pairs(v.cipher) };
    case Mapping::AsPublished:
        break;
    }
    return v;
}

std::vector<kvntest::KnownAnswer> published(const VectorFile& f)
{
    const std::string path = std::string("vectors/") + f.file;
    if (!f.record)
        return kvntest::read_dat(path);
    std::vector<kvntest::KnownAnswer> out;
    for (const auto& r : kvntest::read_records(path)) {
        const auto name = r.text.find("Name");
        if (r.test == f.record || (name != r.text.end() && name->second == f.record))
            out.push_back({ r.bytes.at("Key"), r.bytes.at("Plaintext"), r.bytes.at("Ciphertext") });
    }
    return out;
}

struct Vector {
    const VectorFile* file;
    std::size_t line; // 1-based, among the file's vectors for this test
    kvntest::KnownAnswer bytes; // in the engine's byte order
};

// Names a vector by its file and place there, in test names and failures.
void PrintTo(const Vector& v, std::ostream* out)
{
    *out << v.file->file << " #" << v.line;
}

std::vector<Vector> all_vectors()
{
    std::vector<Vector> out;
    for (const auto& f : kFiles) {
        const auto vectors = published(f);
        // A short read would silently check less: make it a failing case.
        if (vectors.size() != f.count)
            out.push_back({ &f, 0, {} });
        for (std::size_t i = 0; i < vectors.size(); ++i)
            out.push_back({ &f, i + 1, to_engine(vectors[i], f.mapping) });
    }
    return out;
}

// The key length (bytes) the engine keys each cipher with.
std::size_t engine_key_bytes(const std::string& code)
{
    return code == "10" ? 16 : code == "2" ? 56 : 32;
}

// Runs blocks through the engine object's cipher table row; the key is read
// from a buffer as long as the engine's key buffer.
Bytes through_table(const std::string& code, const Bytes& key, const Bytes& in, bool decrypt)
{
    const CipherRow* row = find_cipher(code);
    auto engine = std::make_unique<CIdea>();
    Bytes buffer = key;
    buffer.resize(101, 0);
    row->set_key(*engine, buffer.data());
    Bytes out(in.size());
    if (decrypt) {
        row->prepare_decrypt(*engine);
        row->decrypt_blocks(*engine, in.data(), out.data(), in.size() / row->block);
    } else {
        row->prepare_encrypt(*engine);
        row->encrypt_blocks(*engine, in.data(), out.data(), in.size() / row->block);
    }
    return out;
}

// The cipher itself, keyed with the vector's key length.
Bytes direct(const std::string& code, const Bytes& key, const Bytes& in, bool decrypt)
{
    const uint32 bits = uint32(key.size() * 8);
    const std::size_t blocks = in.size() / 16;
    Bytes out(in.size());
    if (code == "1") {
        CAes c;
        c.set_key(key.data(), bits);
        decrypt ? c.decrypt_blocks(in.data(), out.data(), blocks) : c.encrypt_blocks(in.data(), out.data(), blocks);
    } else if (code == "2") {
        CMars c;
        c.set_key(key.data(), bits);
        decrypt ? c.decrypt_blocks(in.data(), out.data(), blocks) : c.encrypt_blocks(in.data(), out.data(), blocks);
    } else if (code == "3") {
        CRc6 c;
        EXPECT_EQ(c.set_key(key.data(), uint32(key.size()), 0), 0);
        decrypt ? c.decrypt_blocks(in.data(), out.data(), blocks) : c.encrypt_blocks(in.data(), out.data(), blocks);
    } else if (code == "4") {
        SerpentContext c;
        EXPECT_NE(en_key_serpent(&c, key.data(), bits), nullptr);
        decrypt ? decrypt_serpent_blocks(&c, in.data(), out.data(), blocks)
                : encrypt_serpent_blocks(&c, in.data(), out.data(), blocks);
    } else if (code == "5") {
        auto c = std::make_unique<TwofishContext>(); // about 4 KB of tables
        en_key_twofish(c.get(), key.data(), bits);
        decrypt ? decrypt_twofish_blocks(c.get(), in.data(), out.data(), blocks)
                : encrypt_twofish_blocks(c.get(), in.data(), out.data(), blocks);
    } else {
        ADD_FAILURE() << "no direct call for cipher " << code;
    }
    return out;
}

Bytes run(const std::string& code, const Bytes& key, const Bytes& in, bool decrypt)
{
    if (key.size() == engine_key_bytes(code))
        return through_table(code, key, in, decrypt);
    return direct(code, key, in, decrypt);
}

class PublishedVector : public ::testing::TestWithParam<Vector> { };

TEST_P(PublishedVector, EncryptsAndDecrypts)
{
    const Vector& v = GetParam();
    ASSERT_NE(v.line, 0u) << v.file->file << " holds a different number of vectors than " << v.file->count;
    const auto& b = v.bytes;
    EXPECT_EQ(to_hex(run(v.file->code, b.key, b.plain, false)), to_hex(b.cipher)) << "key " << to_hex(b.key);
    EXPECT_EQ(to_hex(run(v.file->code, b.key, b.cipher, true)), to_hex(b.plain)) << "key " << to_hex(b.key);
}

std::string vector_name(const ::testing::TestParamInfo<Vector>& info)
{
    std::string name = info.param.file->file;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name + "_" + std::to_string(info.param.line);
}

INSTANTIATE_TEST_SUITE_P(Published, PublishedVector, ::testing::ValuesIn(all_vectors()), vector_name);

// The published vectors once more through each CPU level's kernels, each
// block repeated so that every vector width and its tail run. One case per
// cipher and level; a level this CPU lacks is skipped (its kernels are only
// tested on a CPU that has it). Each case prints its line of the table
// scripts/test shows: "[ VECTORS  ] cipher level passed/total" or "skipped".
struct CipherOnLevel {
    const CipherRow* row;
    tessiral::CpuLevel level;
};

// Names a case in CTest's list and in failures.
void PrintTo(const CipherOnLevel& c, std::ostream* out)
{
    *out << c.row->name << " on " << tessiral::cpu_level_name(c.level);
}

class PublishedOnLevel : public ::testing::TestWithParam<CipherOnLevel> { };

TEST_P(PublishedOnLevel, EveryWidthGivesTheAnswers)
{
    const CipherRow& row = *GetParam().row;
    const tessiral::CpuLevel level = GetParam().level;
    const char* levelName = tessiral::cpu_level_name(level);
    if (level > tessiral::detected_cpu_level()) {
        std::printf("[ VECTORS  ] %s %s skipped\n", row.name, levelName);
        GTEST_SKIP() << "this CPU lacks level " << levelName;
    }
    constexpr std::size_t kCopies = 67;
    const CipherPath path = row.path(level);
    int total = 0, passed = 0;
    // The key the engine uses, through the table's key call. No MARS vector
    // has the engine's 448-bit key; its expanded key is 40 words at any key
    // length, so MARS's vectors are keyed on the engine's MARS directly.
    const bool mars = std::string(row.code) == "2";
    for (const Vector& v : all_vectors()) {
        if (v.line == 0 || v.file->code != std::string(row.code)
            || (!mars && v.bytes.key.size() != engine_key_bytes(row.code)))
            continue;
        ++total;
        auto engine = std::make_unique<CIdea>();
        Bytes key = v.bytes.key;
        if (mars) {
            CIdeaAccess::mars(*engine).set_key(key.data(), uint32(key.size() * 8));
        } else {
            key.resize(101, 0);
            row.set_key(*engine, key.data());
        }
        Bytes plain, cipher;
        for (std::size_t i = 0; i < kCopies; ++i) {
            plain.insert(plain.end(), v.bytes.plain.begin(), v.bytes.plain.end());
            cipher.insert(cipher.end(), v.bytes.cipher.begin(), v.bytes.cipher.end());
        }
        const std::size_t blocks = plain.size() / row.block; // a vector may hold several blocks
        Bytes encrypted(plain.size()), decrypted(cipher.size());
        row.prepare_encrypt(*engine);
        path.encrypt_blocks(*engine, plain.data(), encrypted.data(), blocks);
        row.prepare_decrypt(*engine);
        path.decrypt_blocks(*engine, cipher.data(), decrypted.data(), blocks);
        const bool ok = encrypted == cipher && decrypted == plain;
        EXPECT_TRUE(ok) << path.name << ": " << v.file->file << " #" << v.line;
        passed += ok ? 1 : 0;
    }
    EXPECT_GT(total, 0);
    std::printf("[ VECTORS  ] %s %s %d/%d\n", row.name, levelName, passed, total);
}

std::vector<CipherOnLevel> ciphers_on_levels()
{
    std::vector<CipherOnLevel> out;
    std::size_t count = 0;
    const CipherRow* rows = cipher_rows(count);
    for (std::size_t r = 0; r < count; ++r)
        for (tessiral::CpuLevel level : tessiral::kCpuLevels)
            out.push_back({ &rows[r], level });
    return out;
}

INSTANTIATE_TEST_SUITE_P(Level, PublishedOnLevel, ::testing::ValuesIn(ciphers_on_levels()),
    [](const ::testing::TestParamInfo<CipherOnLevel>& info) {
        std::string name = info.param.row->name;
        std::erase_if(name, [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); });
        return name + "_" + tessiral::cpu_level_name(info.param.level);
    });

// The mappings are needed: the files' bytes taken as they stand do not give
// the published answers for the two ciphers whose engine order differs.
TEST(PublishedVectorMapping, IdeaAndSerpentNeedTheirMapping)
{
    for (const auto& f : kFiles) {
        if (f.mapping == Mapping::AsPublished)
            continue;
        const auto v = published(f).back();
        EXPECT_NE(to_hex(run(f.code, v.key, v.plain, false)), to_hex(v.cipher)) << f.file;
    }
}

// MARS Monte Carlo chains: 2,400 key settings, several hundred of whose
// multiplication keys need the weak-key repair, so they pin down its mask.
TEST(PublishedVectorChains, MarsMonteCarlo)
{
    int chains = 0;
    for (const auto& r : kvntest::read_records("vectors/mars.txt")) {
        const bool encrypting = r.test == "EncryptionMCT";
        if (!encrypting && r.test != "DecryptionMCT")
            continue;
        ++chains;
        SCOPED_TRACE(r.test + " with " + std::to_string(r.bytes.at("Key").size() * 8) + "-bit key");

        Bytes key = r.bytes.at("Key");
        const Bytes& start = r.bytes.at(encrypting ? "Plaintext" : "Ciphertext");
        const Bytes& expected = r.bytes.at(encrypting ? "Ciphertext" : "Plaintext");

        uint8 v[16], previous[16] = {};
        std::copy(start.begin(), start.end(), v);
        CMars mars;
        for (int pass = 0; pass < 400; ++pass) {
            mars.set_key(key.data(), uint32(key.size() * 8));
            for (int n = 0; n < 10000; ++n) {
                std::copy(v, v + 16, previous);
                if (encrypting)
                    mars.encrypt(v, v);
                else
                    mars.decrypt(v, v);
            }
            // The key takes up the last key-length bytes of the results.
            Bytes tail(previous, previous + 16);
            tail.insert(tail.end(), v, v + 16);
            const std::size_t from = tail.size() - key.size();
            for (std::size_t i = 0; i < key.size(); ++i)
                key[i] ^= tail[from + i];
        }
        EXPECT_EQ(to_hex(Bytes(v, v + 16)), to_hex(expected));
    }
    EXPECT_EQ(chains, 6);
}

} // namespace
