// The key derivation against its published vectors (RFC 5869 HKDF-SHA-256,
// RFC 9106 Argon2id), and the limits Argon2id refuses before it allocates.
#include "engine/kdf/argon2id.h"
#include "engine/kdf/hkdf.h"
#include "engine/kdf/secure_buffer.h"
#include "tests/support/vectors.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

namespace {

using kvntest::Bytes;
using kvntest::to_hex;
namespace kdf = tessiral::kdf;

std::vector<std::vector<std::string>> read_lines(const std::string& relative)
{
    std::vector<std::vector<std::string>> rows;
    std::ifstream file(kvntest::data_path(relative));
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream in(line);
        std::vector<std::string> fields;
        for (std::string f; in >> f;)
            fields.push_back(f);
        rows.push_back(fields);
    }
    return rows;
}

Bytes field(const std::string& s)
{
    return s == "-" ? Bytes() : kvntest::from_hex(s);
}

TEST(Kdf, HkdfSha256PublishedCases)
{
    const auto rows = read_lines("kdf/hkdf_sha256_rfc5869.txt");
    ASSERT_EQ(rows.size(), 3u);
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << "RFC 5869 case " << r[0]);
        const Bytes ikm = field(r[1]), salt = field(r[2]), info = field(r[3]);
        const std::size_t length = std::stoul(r[4]);
        Bytes prk(kdf::kHkdfHashBytes), okm(length);
        kdf::hkdf_extract(salt.data(), salt.size(), ikm.data(), ikm.size(), prk.data());
        EXPECT_EQ(to_hex(prk), to_hex(field(r[5])));
        ASSERT_TRUE(kdf::hkdf_expand(prk.data(), info.data(), info.size(), okm.data(), okm.size()));
        EXPECT_EQ(to_hex(okm), to_hex(field(r[6])));
    }
    // Past 255 hash lengths the output would repeat its counter: refused.
    Bytes prk(32), big(kdf::kHkdfMaxOutput + 1, 0xAA);
    EXPECT_FALSE(kdf::hkdf_expand(prk.data(), nullptr, 0, big.data(), big.size()));
    EXPECT_EQ(big[0], 0xAA);
}

TEST(Kdf, Argon2idPublishedCaseAndLimits)
{
    const auto rows = read_lines("kdf/argon2id_rfc9106.txt");
    ASSERT_EQ(rows.size(), 1u);
    const auto& r = rows[0];
    const kdf::Argon2Params params{ std::uint32_t(std::stoul(r[0])), std::uint32_t(std::stoul(r[1])),
        std::uint32_t(std::stoul(r[2])) };
    const Bytes password = field(r[3]), salt = field(r[4]), secret = field(r[5]), ad = field(r[6]);
    kdf::SecureBuffer tag(32);
    ASSERT_FALSE(tag.empty());
    ASSERT_EQ(kdf::argon2id_derive(params, password.data(), password.size(), salt.data(), salt.size(), tag.data(),
                  tag.size(), secret.data(), secret.size(), ad.data(), ad.size()),
        kdf::Argon2Status::Ok);
    EXPECT_EQ(to_hex(Bytes(tag.data(), tag.data() + tag.size())), to_hex(field(r[7])));

    // Each limit refused before any memory is taken: 4 GiB + 1 KiB would
    // otherwise be allocated and filled.
    struct Case {
        kdf::Argon2Params params;
        kdf::Argon2Status status;
    };
    const Case refused[] = {
        { { 11, 64, 1 }, kdf::Argon2Status::TimeCostOutOfRange },
        { { 0, 64, 1 }, kdf::Argon2Status::TimeCostOutOfRange },
        { { 1, kdf::kArgon2MaxMemoryKib + 1, 1 }, kdf::Argon2Status::MemoryOutOfRange },
        { { 1, 64, 17 }, kdf::Argon2Status::LanesOutOfRange },
        { { 1, 64, 0 }, kdf::Argon2Status::LanesOutOfRange },
        { { 1, 8 * 4 - 1, 4 }, kdf::Argon2Status::MemoryOutOfRange },
    };
    for (const Case& c : refused)
        EXPECT_EQ(kdf::argon2id_derive(
                      c.params, password.data(), password.size(), salt.data(), salt.size(), tag.data(), tag.size()),
            c.status);
    EXPECT_EQ(kdf::argon2id_check({ 10, kdf::kArgon2MaxMemoryKib, 16 }), kdf::Argon2Status::Ok);
    // A salt shorter than the function allows.
    EXPECT_EQ(kdf::argon2id_derive(params, password.data(), password.size(), salt.data(), 7, tag.data(), tag.size()),
        kdf::Argon2Status::BadInput);
}

// The parts that go to the operating system (random source, guarded and
// locked pages) and differ between Linux and Windows.
TEST(Kdf, SystemRandomAndKeyMemory)
{
    Bytes a(64, 0), b(64, 0);
    ASSERT_TRUE(kdf::random_bytes(a.data(), a.size()));
    ASSERT_TRUE(kdf::random_bytes(b.data(), b.size()));
    EXPECT_NE(a, b);
    EXPECT_NE(a, Bytes(64, 0));

    kdf::SecureBuffer key(4097);
    ASSERT_FALSE(key.empty());
    EXPECT_EQ(Bytes(key.data(), key.data() + key.size()), Bytes(4097, 0));
    std::memcpy(key.data(), a.data(), a.size());
    key.data()[4096] = 1;
    EXPECT_TRUE(kdf::equal_constant_time(key.data(), a.data(), a.size()));
    key.data()[63] ^= 0x80;
    EXPECT_FALSE(kdf::equal_constant_time(key.data(), a.data(), a.size()));

    // Locking may be refused past the locked-memory limit; 64 bytes are far below it.
    EXPECT_TRUE(kdf::lock_memory(b.data(), b.size()));
    kdf::unlock_memory(b.data(), b.size());
    EXPECT_EQ(b, Bytes(64, 0)) << "unlocking wipes";

    // A lent buffer goes to one borrower at a time and comes back wiped.
    kdf::SecureLender lender(48);
    unsigned char* lent = lender.borrow();
    ASSERT_NE(lent, nullptr);
    EXPECT_EQ(lender.borrow(), nullptr);
    std::memset(lent, 0xA5, lender.size());
    lender.give_back();
    ASSERT_EQ(lender.borrow(), lent);
    EXPECT_EQ(Bytes(lent, lent + lender.size()), Bytes(48, 0));
}

} // namespace
