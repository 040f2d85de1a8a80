// Writes tests/data/gcm/gcm_ciphers.txt: GCM known answers for the ciphers
// that have no published ones (MARS, RC6, Serpent, Twofish; AES as a check
// of the generator itself), made with Crypto++'s GCM. Built only on request
// (cmake -DKVN_BUILD_VECTOR_TOOLS=ON, target gcm_vectors); the engine itself
// never links Crypto++. Before writing anything it checks that Crypto++'s
// block ciphers give the engine's bytes for the same 256-bit key.
//
//   gcm_vectors > tests/data/gcm/gcm_ciphers.txt
#include "engine/api/idea_access.h"
#include "engine/dispatch/cipher_table.h"

#include <cryptopp/aes.h>
#include <cryptopp/gcm.h>
#include <cryptopp/mars.h>
#include <cryptopp/modes.h>
#include <cryptopp/rc6.h>
#include <cryptopp/serpent.h>
#include <cryptopp/sha.h>
#include <cryptopp/twofish.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

std::string hex(const Bytes& b)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (unsigned char c : b) {
        s += digits[c >> 4];
        s += digits[c & 15];
    }
    return s.empty() ? "-" : s;
}

// The documented patterns (see the data file's head).
Bytes pattern(std::size_t n, unsigned mul, unsigned add)
{
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<unsigned char>(i * mul + add);
    return b;
}

// ---- GF(2^128) in GCM's bit order (SP 800-38D, algorithm 1) ----
struct Gf {
    std::uint64_t hi, lo; // hi holds bytes 0..7
};

Gf to_gf(const unsigned char* p)
{
    Gf g{ 0, 0 };
    for (int i = 0; i < 8; ++i) {
        g.hi = (g.hi << 8) | p[i];
        g.lo = (g.lo << 8) | p[8 + i];
    }
    return g;
}

Bytes from_gf(Gf g)
{
    Bytes b(16);
    for (int i = 0; i < 8; ++i) {
        b[7 - i] = static_cast<unsigned char>(g.hi >> (8 * i));
        b[15 - i] = static_cast<unsigned char>(g.lo >> (8 * i));
    }
    return b;
}

Gf gf_mul(Gf x, Gf y)
{
    Gf z{ 0, 0 }, v = y;
    for (int i = 0; i < 128; ++i) {
        const bool bit = i < 64 ? (x.hi >> (63 - i)) & 1 : (x.lo >> (127 - i)) & 1;
        if (bit) {
            z.hi ^= v.hi;
            z.lo ^= v.lo;
        }
        const bool carry = v.lo & 1;
        v.lo = (v.lo >> 1) | (v.hi << 63);
        v.hi >>= 1;
        if (carry)
            v.hi ^= 0xe100000000000000ull;
    }
    return z;
}

Gf gf_inverse(Gf a)
{
    // a^(2^128 - 2) = product of a^(2^i) for i = 1..127.
    Gf result{ 0x8000000000000000ull, 0 }; // one
    Gf square = gf_mul(a, a);
    for (int i = 1; i < 128; ++i) {
        result = gf_mul(result, square);
        square = gf_mul(square, square);
    }
    return result;
}

// ---- the ciphers ----
struct Cipher {
    const char* code;
    const char* name;
    std::unique_ptr<CryptoPP::BlockCipher> (*ecb)(const Bytes& key);
    std::unique_ptr<CryptoPP::AuthenticatedSymmetricCipher> (*gcm)();
};

template <class T> std::unique_ptr<CryptoPP::BlockCipher> make_ecb(const Bytes& key)
{
    auto c = std::make_unique<typename T::Encryption>();
    c->SetKey(key.data(), key.size());
    return c;
}

template <class T> std::unique_ptr<CryptoPP::AuthenticatedSymmetricCipher> make_gcm()
{
    return std::make_unique<typename CryptoPP::GCM<T>::Encryption>();
}

const Cipher kCiphers[] = {
    { "1", "AES", make_ecb<CryptoPP::AES>, make_gcm<CryptoPP::AES> },
    { "2", "MARS", make_ecb<CryptoPP::MARS>, make_gcm<CryptoPP::MARS> },
    { "3", "RC6", make_ecb<CryptoPP::RC6>, make_gcm<CryptoPP::RC6> },
    { "4", "Serpent", make_ecb<CryptoPP::Serpent>, make_gcm<CryptoPP::Serpent> },
    { "5", "Twofish", make_ecb<CryptoPP::Twofish>, make_gcm<CryptoPP::Twofish> },
};

// The order of 4-byte words reversed, each word's bytes kept.
Bytes reverse_words(const Bytes& b)
{
    Bytes r(b.size());
    const std::size_t n = b.size() / 4;
    for (std::size_t i = 0; i < n; ++i)
        std::memcpy(&r[4 * i], &b[4 * (n - 1 - i)], 4);
    return r;
}

// The engine's ECB against Crypto++'s over a few keys and blocks. The
// engine's Serpent reads keys and blocks as the reversed word order of the
// usual byte convention (Crypto++'s, and the other libraries'); the vectors
// keep the usual one, and the tests reverse the words around the engine.
bool same_ecb(const Cipher& c)
{
    const bool serpent = std::strcmp(c.code, "4") == 0;
    auto map = [serpent](const Bytes& b) { return serpent ? reverse_words(b) : b; };
    const CipherRow* row = find_cipher(c.code);
    for (unsigned k = 0; k < 4; ++k) {
        Bytes key = pattern(32, 29 + 2 * k, 3 * k + 1);
        Bytes plain = pattern(64, 41, 7 * k);
        CIdea engine;
        engine.m_strArith = c.code;
        Bytes engineKey = map(key);
        // The compatible format keys MARS with 448 bits; GCM uses 256 for every cipher.
        if (std::strcmp(c.code, "2") == 0)
            CIdeaAccess::mars(engine).set_key(engineKey.data(), 256);
        else
            row->set_key(engine, engineKey.data());
        row->prepare_encrypt(engine);
        Bytes ours(plain.size()), theirs(plain.size());
        for (std::size_t i = 0; i < plain.size(); i += 16) {
            Bytes block = map(Bytes(plain.begin() + i, plain.begin() + i + 16)), out(16);
            row->encrypt_blocks(engine, block.data(), out.data(), 1);
            out = map(out);
            std::memcpy(&ours[i], out.data(), 16);
        }
        auto ecb = c.ecb(key);
        for (std::size_t i = 0; i < plain.size(); i += 16)
            ecb->ProcessBlock(plain.data() + i, theirs.data() + i);
        if (ours != theirs) {
            std::fprintf(stderr, "%s: Crypto++ %s differs from the engine (key %s)\n", c.name, hex(theirs).c_str(),
                hex(key).c_str());
            return false;
        }
    }
    return true;
}

void emit(const Cipher& c, const Bytes& key, const Bytes& iv, const Bytes& j0, const Bytes& aad, std::size_t length)
{
    const Bytes plain = pattern(length, 13, 5);
    Bytes out(length), tag(16);
    auto gcm = c.gcm();
    gcm->SetKeyWithIV(key.data(), key.size(), iv.data(), iv.size());
    gcm->EncryptAndAuthenticate(
        out.data(), tag.data(), 16, iv.data(), int(iv.size()), aad.data(), aad.size(), plain.data(), length);
    std::string body;
    if (length <= 64) {
        body = hex(out);
    } else {
        Bytes digest(CryptoPP::SHA256::DIGESTSIZE);
        CryptoPP::SHA256().CalculateDigest(digest.data(), out.data(), out.size());
        body = "sha256:" + hex(digest);
    }
    std::printf("%s %zu %s %s %s %s %s\n", c.code, length, hex(key).c_str(), hex(j0.empty() ? iv : j0).c_str(),
        hex(aad).c_str(), hex(tag).c_str(), body.c_str());
}

} // namespace

int main()
{
    for (const Cipher& c : kCiphers)
        if (!same_ecb(c))
            return 1;
    std::printf("# GCM known answers made with Crypto++ %d.%d.%d GCM over its own block ciphers, whose\n"
                "# 256-bit-key encryption was first checked against the engine's byte for byte\n"
                "# (Serpent in its usual byte order: the engine's with the 4-byte words of key\n"
                "# and block in reverse order).\n"
                "# Regenerate: tests/tools/gcm_vectors (see the README).\n"
                "# Fields: cipher code, length, key, IV (24 hex digits) or the pre-counter block\n"
                "# J0 itself (32: the counter started near its 32-bit wrap-around), associated\n"
                "# data (- for none), tag, and the cipher text (hex up to 64 bytes, else the\n"
                "# SHA-256 of it). Plain text byte i is (13 i + 5) mod 256.\n",
        CRYPTOPP_VERSION / 100, CRYPTOPP_VERSION / 10 % 10, CRYPTOPP_VERSION % 10);
    const std::size_t lengths[] = { 0, 1, 15, 16, 17, 4095, 65536 };
    for (const Cipher& c : kCiphers) {
        const Bytes key = pattern(32, 17, c.code[0]);
        const Bytes aad = pattern(20, 3, 0xa0);
        unsigned n = 0;
        for (std::size_t length : lengths) {
            const Bytes iv = pattern(12, 11, 0x30 + n++);
            emit(c, key, iv, {}, length == 16 ? Bytes() : aad, length);
        }
        // A counter that wraps within the message: J0 ends in fffffffd. GCM
        // with a 16-byte IV sets J0 = GHASH(IV || 0^64 || [128]_64), so the
        // IV that gives a chosen J0 is (J0 H^-1 + L) H^-1, with H = E(K, 0).
        Bytes j0 = pattern(16, 7, 0x51);
        j0[12] = j0[13] = j0[14] = 0xff;
        j0[15] = 0xfd;
        Bytes zero(16, 0), hb(16);
        c.ecb(key)->ProcessBlock(zero.data(), hb.data());
        const Gf hinv = gf_inverse(to_gf(hb.data()));
        Gf t = gf_mul(to_gf(j0.data()), hinv);
        t.lo ^= 128; // L: 0^64 || [128]_64
        const Bytes iv = from_gf(gf_mul(t, hinv));
        emit(c, key, iv, j0, aad, 100);
    }
    return 0;
}
