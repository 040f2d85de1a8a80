// Rules of single ciphers that encrypted files depend on beyond their
// published answers: which key bytes are read, that a refused key changes
// nothing, schedule layouts, and the engine object's IDEA key and strings.
#include "engine/api/idea_access.h"
#include "engine/dispatch/cipher_table.h"
#include "tests/support/vectors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

using kvntest::Bytes;
using kvntest::from_hex;
using kvntest::to_hex;

Bytes key_of(std::size_t bytes)
{
    Bytes key(bytes);
    for (std::size_t i = 0; i < bytes; ++i)
        key[i] = uint8(0x3C + 29 * i);
    return key;
}

const Bytes kBlock = from_hex("00112233445566778899AABBCCDDEEFF");

template <class Cipher> Bytes encrypted(Cipher& c, const Bytes& block)
{
    Bytes out(16);
    c.encrypt(block.data(), out.data());
    return out;
}

TEST(AesContract, The256BitExpansionWritesAllSixtyFourWords)
{
    const Bytes key = key_of(32);
    CAes aes, other;
    aes.set_key(key.data(), 256);
    EXPECT_EQ(aes.key_words, 8u);
    for (auto& w : other.round_keys)
        w = 0xDEADBEEF;
    other.set_key(key.data(), 256);
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(other.round_keys[i], aes.round_keys[i]) << i;
}

TEST(MarsContract, KeyLengthsOutsideFourToFourteenWordsChangeNothing)
{
    const Bytes key = key_of(60);
    CMars mars;
    mars.set_key(key.data(), 128);
    const Bytes before = encrypted(mars, kBlock);
    uint32 schedule[40];
    std::copy(std::begin(mars.round_keys), std::end(mars.round_keys), schedule);
    for (uint32 bits : { 0u, 96u, 127u, 480u, 512u }) {
        mars.set_key(key.data(), bits);
        EXPECT_TRUE(std::equal(std::begin(schedule), std::end(schedule), mars.round_keys)) << bits;
        EXPECT_EQ(encrypted(mars, kBlock), before) << bits;
    }
    // 479 bits are read as the 448-bit key.
    CMars full, odd;
    full.set_key(key.data(), 448);
    odd.set_key(key.data(), 479);
    EXPECT_TRUE(std::equal(std::begin(full.round_keys), std::end(full.round_keys), odd.round_keys));
}

TEST(MarsContract, EngineKeyReadsExactlyFiftySixBytes)
{
    const Bytes key = key_of(56);
    // Exactly 56 bytes on the heap: an address-sanitizer build faults on any
    // read past the end.
    auto tight = std::make_unique<uint8[]>(56);
    std::copy(key.begin(), key.end(), tight.get());
    CMars reference;
    reference.set_key(tight.get(), 448);
    const Bytes expected = encrypted(reference, kBlock);
    for (uint8 fill : { 0x00, 0xFF, 0x5A }) {
        Bytes padded = key;
        padded.resize(80, fill);
        CMars mars;
        mars.set_key(padded.data(), 448);
        EXPECT_EQ(encrypted(mars, kBlock), expected) << "fill " << int(fill);
    }
    Bytes last_changed = key;
    last_changed[55] ^= 0x01;
    CMars changed;
    changed.set_key(last_changed.data(), 448);
    EXPECT_NE(encrypted(changed, kBlock), expected);
}

TEST(Rc6Contract, KeyLengthsAndTheBlockLengthArgument)
{
    const auto vectors = kvntest::read_dat("vectors/rc6val.dat");
    ASSERT_EQ(vectors.size(), 6u);
    auto encrypt = [](CRc6& rc6, Bytes block) {
        EXPECT_EQ(rc6.encrypt(block.data(), 16), 0);
        return to_hex(block);
    };

    // An overlong key is refused and changes nothing.
    const auto& v32 = vectors.back();
    CRc6 rc6;
    ASSERT_EQ(rc6.set_key(v32.key.data(), 32, 0), 0);
    uint32 before[44];
    std::copy(std::begin(rc6.round_keys), std::end(rc6.round_keys), before);
    const Bytes long_key(33, 0x5A);
    EXPECT_EQ(rc6.set_key(long_key.data(), 33, 0), -1);
    EXPECT_EQ(rc6.key_length(), 32);
    EXPECT_TRUE(std::equal(std::begin(before), std::end(before), rc6.round_keys));
    EXPECT_EQ(encrypt(rc6, v32.plain), to_hex(v32.cipher));

    // Bytes beyond the last whole key word are ignored.
    const auto& v16 = vectors.front();
    Bytes key = v16.key;
    key.insert(key.end(), { 0xFF, 0xEE, 0xDD });
    CRc6 extra;
    ASSERT_EQ(extra.set_key(key.data(), 19, 0), 0);
    EXPECT_EQ(extra.key_length(), 19);
    EXPECT_EQ(encrypt(extra, v16.plain), to_hex(v16.cipher));

    // The length argument neither widens nor narrows the 16-byte block.
    const auto& v = vectors[1];
    CRc6 one;
    ASSERT_EQ(one.set_key(v.key.data(), uint32(v.key.size()), 0), 0);
    const auto tail_untouched
        = [](const Bytes& b) { return std::all_of(b.begin() + 16, b.end(), [](uint8 x) { return x == 0xA5; }); };
    for (uint32 len : { 8u, 32u }) {
        Bytes buffer = v.plain;
        buffer.resize(48, 0xA5);
        one.encrypt(buffer.data(), len);
        EXPECT_EQ(to_hex(Bytes(buffer.begin(), buffer.begin() + 16)), to_hex(v.cipher)) << len;
        EXPECT_TRUE(tail_untouched(buffer)) << len;
        one.decrypt(buffer.data(), len);
        EXPECT_EQ(to_hex(Bytes(buffer.begin(), buffer.begin() + 16)), to_hex(v.plain)) << len;
        EXPECT_TRUE(tail_untouched(buffer)) << len;
    }
}

TEST(SerpentContract, KeyWordsInReverseOrderAndOverlongKeysRefused)
{
    // The submission writes its example as key 8000...00 and ciphertext
    // 49AFBFAD9D5A34052CD8FFA5986BD2DD (one number, most significant digit
    // first); in the engine's bytes that is:
    const Bytes example_key = from_hex("00000080000000000000000000000000");
    const Bytes example_cipher = from_hex("ADBFAF4905345A9DA5FFD82CDDD26B98");
    SerpentContext ctx;
    ASSERT_NE(en_key_serpent(&ctx, example_key.data(), 128), nullptr);
    Bytes out(16);
    const Bytes zero(16, 0);
    encrypt_serpent(&ctx, zero.data(), out.data());
    EXPECT_EQ(to_hex(out), to_hex(example_cipher));

    Bytes key(32);
    for (std::size_t i = 0; i < key.size(); ++i)
        key[i] = uint8(i);
    ASSERT_EQ(en_key_serpent(&ctx, key.data(), 256), ctx.schedule);
    EXPECT_EQ(ctx.schedule[0], 0x1F1E1D1Cu); // bytes 28-31, byte 28 lowest
    EXPECT_EQ(ctx.schedule[7], 0x03020100u); // bytes 0-3

    const SerpentContext before = ctx;
    const Bytes other(64, 0x3C);
    EXPECT_EQ(en_key_serpent(&ctx, other.data(), 257), nullptr);
    EXPECT_EQ(en_key_serpent(&ctx, other.data(), 0xFFFFFFFFu), nullptr);
    EXPECT_EQ(std::memcmp(&before, &ctx, sizeof ctx), 0);
}

TEST(TwofishContract, KeyingIsDeterministicAndLeavesNoTrace)
{
    const Bytes key = key_of(32);
    auto first = std::make_unique<TwofishContext>();
    auto second = std::make_unique<TwofishContext>();
    std::memset(first.get(), 0x00, sizeof(TwofishContext));
    std::memset(second.get(), 0xA5, sizeof(TwofishContext));
    for (uint32 bits : { 128u, 192u, 256u }) {
        en_key_twofish(first.get(), key.data(), bits);
        EXPECT_EQ(first->key_units, bits / 64);
    }
    en_key_twofish(second.get(), key.data(), 256);
    EXPECT_EQ(std::memcmp(first.get(), second.get(), sizeof(TwofishContext)), 0);

    // Rekeying a context that held a longer key leaves no trace of it.
    en_key_twofish(first.get(), key.data(), 128);
    en_key_twofish(second.get(), key.data(), 128);
    EXPECT_EQ(std::memcmp(first.get(), second.get(), sizeof(TwofishContext)), 0);
}

TEST(IdeaContract, ModularHelpers)
{
    CIdea e;
    EXPECT_EQ(CIdeaAccess::mul(e, 0, 0), 1);
    EXPECT_EQ(CIdeaAccess::mul(e, 0, 1), 0);
    EXPECT_EQ(CIdeaAccess::mul(e, 65535, 65535), 4);
    EXPECT_EQ(CIdeaAccess::inv(e, 0), 0);
    EXPECT_EQ(CIdeaAccess::inv(e, 1), 1);
    EXPECT_EQ(CIdeaAccess::inv(e, 2), 32769);
    EXPECT_EQ(CIdeaAccess::inv(e, 65535), 32768);
    // inv is the inverse under mul, 0 standing for 65536, for every value.
    for (unsigned x = 1; x < 65536; ++x) {
        const auto s = static_cast<unsigned short>(x);
        ASSERT_EQ(CIdeaAccess::mul(e, s, CIdeaAccess::inv(e, s)), 1) << x;
    }
}

TEST(EngineObject, FreshDefaultsAndSetKeyWithoutCode)
{
    CIdea e;
    EXPECT_EQ(e.m_bReplace, 1);
    EXPECT_EQ(e.m_bAddExt, 1);
    EXPECT_EQ(e.m_nFileIndex, 0);
    EXPECT_TRUE(e.m_strArith.empty());
    unsigned char key[101] = "secret";
    e.SetKey(key);
    unsigned char out[16];
    e.GetKey(out);
    EXPECT_EQ(Bytes(out, out + 16), Bytes(16, 0));
    e.m_strArith = "7";
    e.SetKey(key);
    e.GetKey(out);
    EXPECT_EQ(Bytes(out, out + 16), Bytes(16, 0));
}

TEST(EngineObject, IdeaKeyAndStrings)
{
    CIdea e;
    e.m_strArith = "10";
    unsigned char key[101] = "0123456789abcdefIGNORED";
    e.SetKey(key);
    unsigned char out[16];
    e.GetKey(out);
    EXPECT_EQ(Bytes(out, out + 16), Bytes(key, key + 16));

    // GetKey keeps answering the IDEA key whatever the code says now.
    e.m_strArith = "1";
    unsigned char other[101] = "another key entirely";
    e.SetKey(other);
    e.GetKey(out);
    EXPECT_EQ(Bytes(out, out + 16), Bytes(key, key + 16));

    unsigned char block[8] = { 1, 2, 3, 4, 5, 6, 7, 8 }, enc[8], dec[8];
    e.EnString(block, enc);
    EXPECT_NE(Bytes(enc, enc + 8), Bytes(block, block + 8));
    CIdea fresh;
    fresh.m_strArith = "10";
    fresh.SetKey(key);
    fresh.DeString(enc, dec);
    EXPECT_EQ(Bytes(dec, dec + 8), Bytes(block, block + 8));
    // Same buffer for in and out.
    fresh.EnString(block, block);
    EXPECT_EQ(Bytes(block, block + 8), Bytes(enc, enc + 8));
}

} // namespace
