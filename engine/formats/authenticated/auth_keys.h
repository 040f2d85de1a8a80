// The authenticated format's keys. The password is strengthened with
// Argon2id once per batch (or once per salt and parameters met when
// decrypting) into A; each file then gets its own keys from its stream salt:
//
//   A       = Argon2id(password, kdf salt, t, m, p, 32 bytes)
//   PRK     = HKDF-Extract(salt = stream salt, IKM = A)
//   header  = HKDF-Expand(PRK, "Kelvanetrix authenticated v1 header key", 32)
//   payload = HKDF-Expand(PRK, "Kelvanetrix authenticated v1 payload key" || SHA-256(header), 32)
//   prefix  = HKDF-Expand(PRK, "Kelvanetrix authenticated v1 nonce prefix" || SHA-256(header), 7)
//
// where `header` is the whole 112-byte header, tag included. Everything
// secret lives in locked memory (kept out of swap), wiped when done.
#pragma once

#include "engine/formats/authenticated/auth_header.h"
#include "engine/kdf/hkdf.h"
#include "engine/kdf/secure_buffer.h"

#include <memory>
#include <string>

struct CBatchControl;

namespace authenticated {

inline constexpr std::size_t kKeySize = 32;
inline constexpr std::size_t kPrefixSize = 7;

inline constexpr char kHeaderLabel[] = "Kelvanetrix authenticated v1 header key";
inline constexpr char kPayloadLabel[] = "Kelvanetrix authenticated v1 payload key";
inline constexpr char kPrefixLabel[] = "Kelvanetrix authenticated v1 nonce prefix";

// What the tests fix: the salts (so that files come out byte for byte the
// same), cheap key-derivation parameters and small chunks. Zero fields keep
// the normal choice.
struct TestSeam {
    bool fixedSalts = false;
    unsigned char kdfSalt[kSaltSize] = {};
    unsigned char streamSalt[kSaltSize] = {};
    unsigned timeCost = 0;
    unsigned memoryExponent = 0;
    unsigned lanes = 0;
    unsigned chunkExponent = 0;
};
// Null: back to normal. Not for use while files are being worked on.
void set_test_seam(const TestSeam* seam);
// Argon2id runs not yet ended, those a stop gave up on included: a test
// waits for them before its program ends.
int derivations_running();

// The key-derivation parameters and chunk size of a new file at `strength`
// (0 normal, 1 strong).
void choose_parameters(int strength, Header& h);

enum class KeyStatus { Ok, Stopped, NoPassword, OutOfMemory, Failed };
// One line saying why a key could not be had.
std::string key_status_text(KeyStatus status, const Header& h);

// A for the header's kdf salt and parameters. With a control, a derivation
// met before in the batch is reused, a new one is kept, the control's
// `strengthening` hears of it and a stop request ends it at once.
// Encrypting (`newSalt`): the batch's salt is put in `h` (drawn on the
// batch's first file). `a`: locked memory, e.g. FileKeys::a().
KeyStatus master_key(CBatchControl* control, Header& h, bool newSalt, unsigned char a[kKeySize]);

// A new file's stream salt (the seam's when it fixes the salts). With a
// control, salts are drawn from the system many at a time for the batch:
// a call to the system costs more than the rest of a small file's keys.
bool fresh_stream_salt(CBatchControl* control, unsigned char salt[kSaltSize]);

// One file's secrets, side by side in locked memory: A (while the header
// key is made from it), PRK and HMAC keyed with it, the header key and the
// payload key. In a batch they take memory the batch allocated once, lent to
// one file at a time and wiped when the file is done with it; otherwise (or
// while the batch's is lent out) memory of their own.
class FileKeys {
public:
    FileKeys() = default;
    ~FileKeys();
    FileKeys(const FileKeys&) = delete;
    FileKeys& operator=(const FileKeys&) = delete;

    // Takes memory for the keys, the batch's when `control` has it free;
    // false when there is none. Done once; later calls keep the first.
    bool reserve(CBatchControl* control = nullptr);

    unsigned char* a() { return at(kA); }
    unsigned char* prk() { return at(kPrk); }
    unsigned char* keyed_prk() { return at(kKeyedPrk); }
    unsigned char* header_key() { return at(kHeaderKey); }
    unsigned char* payload_key() { return at(kPayloadKey); }
    const unsigned char* keyed_prk() const { return at(kKeyedPrk); }
    const unsigned char* header_key() const { return at(kHeaderKey); }
    const unsigned char* payload_key() const { return at(kPayloadKey); }

    unsigned char prefix[kPrefixSize] = {};

    // The bytes reserve() takes.
    static constexpr std::size_t kBytes = 4 * kKeySize + tessiral::kdf::kHkdfKeyedBytes;

private:
    // Where each secret sits in the memory.
    static constexpr std::size_t kA = 0, kPrk = kKeySize, kHeaderKey = 2 * kKeySize, kPayloadKey = 3 * kKeySize,
                                 kKeyedPrk = 4 * kKeySize;
    unsigned char* at(std::size_t offset) const { return m_memory == nullptr ? nullptr : m_memory + offset; }

    unsigned char* m_memory = nullptr;
    tessiral::kdf::SecureBuffer m_own;
    std::shared_ptr<void> m_batch; // the batch's key cache, while its memory is lent to us
};

// PRK and the header key from A and the header's stream salt (`keys`
// reserved first, or here without a batch).
bool header_keys(const unsigned char* a, const Header& h, FileKeys& keys);
// The header tag: HMAC-SHA-256 over the header's first 80 bytes.
void header_tag(const FileKeys& keys, const unsigned char header[kHeaderSize], unsigned char tag[32]);
// The payload key and nonce prefix, bound to the whole header.
bool payload_keys(const unsigned char header[kHeaderSize], FileKeys& keys);

} // namespace authenticated
