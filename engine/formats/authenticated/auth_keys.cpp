// Key derivation of the authenticated format, with the batch's cache.
#include "engine/formats/authenticated/auth_keys.h"

#include "engine/api/batch_control.h"
#include "engine/kdf/argon2id.h"
#include "engine/kdf/hkdf.h"

#include <sodium.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace authenticated {

using tessiral::kdf::SecureBuffer;

namespace {

std::atomic<const TestSeam*> g_seam{ nullptr };
std::atomic<int> g_derivations{ 0 }; // running, given up or not

// The derivations of one batch, kept in the batch's control, and the locked
// memory its files' keys take in turn.
struct KeyCache {
    struct Entry {
        unsigned char salt[kSaltSize] = {};
        unsigned timeCost = 0, memoryExponent = 0, lanes = 0;
        bool batchSalt = false; // drawn for this batch's encryption
        SecureBuffer a{ kKeySize };
    };
    std::vector<std::unique_ptr<Entry>> entries;
    tessiral::kdf::SecureLender fileKeys{ FileKeys::kBytes };
    // Stream salts drawn ahead; each is handed out once.
    std::mutex saltsMutex;
    unsigned char salts[64 * kSaltSize] = {};
    std::size_t saltsLeft = 0;
};

KeyCache& cache_of(CBatchControl& control)
{
    if (!control.derivedKeys)
        control.derivedKeys = std::make_shared<KeyCache>();
    return *static_cast<KeyCache*>(control.derivedKeys.get());
}

bool same_parameters(const KeyCache::Entry& e, const Header& h)
{
    return e.timeCost == h.timeCost && e.memoryExponent == h.memoryExponent && e.lanes == h.lanes;
}

// One Argon2id run on a thread of its own, so that the batch's thread can
// give up waiting for it when asked to stop. The run owns copies of what it
// needs; a run given up finishes alone and wipes them.
struct Run {
    SecureBuffer password;
    std::size_t passwordLength = 0;
    unsigned char salt[kSaltSize] = {};
    tessiral::kdf::Argon2Params params{};
    SecureBuffer out{ kKeySize };
    tessiral::kdf::Argon2Status status = tessiral::kdf::Argon2Status::Failed;
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
};

KeyStatus derive(CBatchControl* control, const Header& h, unsigned char* a)
{
    auto run = std::make_shared<Run>();
    run->passwordLength = control->passwordLength;
    run->password = SecureBuffer(control->passwordLength + 1);
    if (run->password.empty() || run->out.empty())
        return KeyStatus::OutOfMemory;
    if (control->passwordLength != 0)
        std::memcpy(run->password.data(), control->password, control->passwordLength);
    std::memcpy(run->salt, h.kdfSalt, kSaltSize);
    run->params = { h.timeCost, h.MemoryKib(), h.lanes };

    if (control->strengthening)
        control->strengthening(true);
    struct Busy {
        CBatchControl* control;
        ~Busy()
        {
            if (control->strengthening)
                control->strengthening(false);
        }
    } busy{ control };

    ++g_derivations;
    std::thread([run] {
        const auto status = tessiral::kdf::argon2id_derive(
            run->params, run->password.data(), run->passwordLength, run->salt, kSaltSize, run->out.data(), kKeySize);
        {
            std::lock_guard<std::mutex> lock(run->mutex);
            run->status = status;
            run->finished = true;
            run->done.notify_all();
        }
        --g_derivations;
    }).detach();

    std::unique_lock<std::mutex> lock(run->mutex);
    while (!run->finished) {
        if (control->stop.load())
            return KeyStatus::Stopped;
        run->done.wait_for(lock, std::chrono::milliseconds(20));
    }
    switch (run->status) {
    case tessiral::kdf::Argon2Status::Ok:
        std::memcpy(a, run->out.data(), kKeySize);
        return KeyStatus::Ok;
    case tessiral::kdf::Argon2Status::OutOfMemory:
        return KeyStatus::OutOfMemory;
    default:
        return KeyStatus::Failed;
    }
}

bool expand(const FileKeys& keys, const char* label, const unsigned char* hash, unsigned char* out, std::size_t size)
{
    const std::size_t labelSize = std::strlen(label);
    unsigned char info[128];
    std::memcpy(info, label, labelSize);
    std::size_t infoSize = labelSize;
    if (hash != nullptr) {
        std::memcpy(info + labelSize, hash, crypto_hash_sha256_BYTES);
        infoSize += crypto_hash_sha256_BYTES;
    }
    return tessiral::kdf::hkdf_expand_keyed(keys.keyed_prk(), info, infoSize, out, size);
}

} // namespace

void set_test_seam(const TestSeam* seam)
{
    g_seam.store(seam);
}

int derivations_running()
{
    return g_derivations.load();
}

void choose_parameters(int strength, Header& h)
{
    if (strength == 1) {
        h.timeCost = 1;
        h.memoryExponent = 21; // 2 GiB
    } else {
        h.timeCost = 3;
        h.memoryExponent = 18; // 256 MiB
    }
    h.lanes = 4;
    h.chunkExponent = kDefaultChunkExponent;
    if (const TestSeam* seam = g_seam.load()) {
        if (seam->timeCost != 0)
            h.timeCost = seam->timeCost;
        if (seam->memoryExponent != 0)
            h.memoryExponent = seam->memoryExponent;
        if (seam->lanes != 0)
            h.lanes = seam->lanes;
        if (seam->chunkExponent != 0)
            h.chunkExponent = seam->chunkExponent;
    }
}

std::string key_status_text(KeyStatus status, const Header& h)
{
    switch (status) {
    case KeyStatus::Ok:
    case KeyStatus::Stopped:
        break;
    case KeyStatus::NoPassword:
        return "The authenticated format needs the key as typed, which this program did not pass on.";
    case KeyStatus::OutOfMemory:
        return "There is not enough memory to strengthen the key (" + std::to_string(h.MemoryKib() >> 10)
            + " MiB are needed).";
    case KeyStatus::Failed:
        break;
    }
    return "The key could not be strengthened.";
}

KeyStatus master_key(CBatchControl* control, Header& h, bool newSalt, unsigned char a[kKeySize])
{
    if (control == nullptr || control->password == nullptr)
        return KeyStatus::NoPassword;
    if (!tessiral::kdf::crypto_ready())
        return KeyStatus::Failed;
    if (a == nullptr)
        return KeyStatus::OutOfMemory;
    KeyCache& cache = cache_of(*control);
    const TestSeam* seam = g_seam.load();
    for (const auto& e : cache.entries) {
        const bool fits = newSalt ? e->batchSalt : std::memcmp(e->salt, h.kdfSalt, kSaltSize) == 0;
        if (fits && same_parameters(*e, h)) {
            std::memcpy(h.kdfSalt, e->salt, kSaltSize);
            std::memcpy(a, e->a.data(), kKeySize);
            return KeyStatus::Ok;
        }
    }
    if (newSalt) {
        if (seam != nullptr && seam->fixedSalts)
            std::memcpy(h.kdfSalt, seam->kdfSalt, kSaltSize);
        else if (!tessiral::kdf::random_bytes(h.kdfSalt, kSaltSize))
            return KeyStatus::Failed;
    }
    auto entry = std::make_unique<KeyCache::Entry>();
    if (entry->a.empty())
        return KeyStatus::OutOfMemory;
    const KeyStatus status = derive(control, h, entry->a.data());
    if (status != KeyStatus::Ok)
        return status;
    std::memcpy(entry->salt, h.kdfSalt, kSaltSize);
    entry->timeCost = h.timeCost;
    entry->memoryExponent = h.memoryExponent;
    entry->lanes = h.lanes;
    entry->batchSalt = newSalt;
    std::memcpy(a, entry->a.data(), kKeySize);
    cache.entries.push_back(std::move(entry));
    return KeyStatus::Ok;
}

bool fresh_stream_salt(CBatchControl* control, unsigned char salt[kSaltSize])
{
    const TestSeam* seam = g_seam.load();
    if (seam != nullptr && seam->fixedSalts) {
        std::memcpy(salt, seam->streamSalt, kSaltSize);
        return true;
    }
    if (control == nullptr)
        return tessiral::kdf::random_bytes(salt, kSaltSize);
    KeyCache& cache = cache_of(*control);
    std::lock_guard<std::mutex> lock(cache.saltsMutex);
    if (cache.saltsLeft == 0) {
        if (!tessiral::kdf::random_bytes(cache.salts, sizeof cache.salts))
            return false;
        cache.saltsLeft = sizeof cache.salts / kSaltSize;
    }
    unsigned char* next = cache.salts + --cache.saltsLeft * kSaltSize;
    std::memcpy(salt, next, kSaltSize);
    tessiral::kdf::wipe(next, kSaltSize); // never handed out twice
    return true;
}

FileKeys::~FileKeys()
{
    if (m_batch)
        static_cast<KeyCache*>(m_batch.get())->fileKeys.give_back(); // wipes
    // m_own wipes itself.
}

bool FileKeys::reserve(CBatchControl* control)
{
    if (m_memory != nullptr)
        return true;
    if (control != nullptr && tessiral::kdf::crypto_ready()) {
        m_memory = cache_of(*control).fileKeys.borrow();
        if (m_memory != nullptr) {
            m_batch = control->derivedKeys;
            return true;
        }
    }
    m_own = SecureBuffer(kBytes);
    m_memory = m_own.empty() ? nullptr : m_own.data();
    return m_memory != nullptr;
}

bool header_keys(const unsigned char* a, const Header& h, FileKeys& keys)
{
    if (!keys.reserve())
        return false;
    tessiral::kdf::hkdf_extract(h.streamSalt, kSaltSize, a, kKeySize, keys.prk());
    tessiral::kdf::hkdf_key(keys.prk(), keys.keyed_prk());
    return expand(keys, kHeaderLabel, nullptr, keys.header_key(), kKeySize);
}

void header_tag(const FileKeys& keys, const unsigned char header[kHeaderSize], unsigned char tag[32])
{
    crypto_auth_hmacsha256_state state;
    crypto_auth_hmacsha256_init(&state, keys.header_key(), kKeySize);
    crypto_auth_hmacsha256_update(&state, header, kTagOffset);
    crypto_auth_hmacsha256_final(&state, tag);
    sodium_memzero(&state, sizeof state);
}

bool payload_keys(const unsigned char header[kHeaderSize], FileKeys& keys)
{
    unsigned char hash[crypto_hash_sha256_BYTES];
    crypto_hash_sha256(hash, header, kHeaderSize);
    return expand(keys, kPayloadLabel, hash, keys.payload_key(), kKeySize)
        && expand(keys, kPrefixLabel, hash, keys.prefix, kPrefixSize);
}

} // namespace authenticated
