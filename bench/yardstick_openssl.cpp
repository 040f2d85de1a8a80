// OpenSSL's EVP interface as a yardstick: the ECB ciphers it shares with the
// engine (AES-256; IDEA only from its legacy provider, when that loads).
#include "bench/gcm_bench.h"
#include "bench/yardsticks.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <cctype>
#include <cstring>
#include <string>

namespace cipherbench {

namespace {

struct Peer {
    const char* label;
    const char* evpName;
};

const Peer kPeers[] = { { "AES", "AES-256-ECB" }, { "IDEA", "IDEA-ECB" } };

// Loading the legacy provider by hand stops the default one loading by
// itself, so both are loaded; for the process's life, like the library's own.
void load_providers()
{
    static const bool loaded = [] {
        (void)OSSL_PROVIDER_load(nullptr, "default");
        (void)OSSL_PROVIDER_load(nullptr, "legacy");
        return true;
    }();
    (void)loaded;
}

void crypt(benchmark::State& state, EVP_CIPHER* cipher, std::size_t keyBytes, bool encrypt)
{
    const std::vector<unsigned char> key = key_buffer();
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    if (ctx == nullptr || EVP_CIPHER_get_key_length(cipher) != int(keyBytes)
        || EVP_CipherInit_ex2(ctx, cipher, key.data(), nullptr, encrypt ? 1 : 0, nullptr) != 1) {
        EVP_CIPHER_CTX_free(ctx);
        state.SkipWithError("EVP set-up failed");
        return;
    }
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    time_in_place(state, [&](unsigned char* buf) {
        int written = 0;
        if (EVP_CipherUpdate(ctx, buf, &written, buf, int(kBufferBytes)) != 1 || written != int(kBufferBytes)) {
            state.SkipWithError("EVP_CipherUpdate failed");
            return false;
        }
        return true;
    });
    EVP_CIPHER_CTX_free(ctx);
}

// aes-256-gcm over the same 64 KiB messages as the engine's GCM.
void crypt_gcm(benchmark::State& state, bool encrypt)
{
    EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, "AES-256-GCM", nullptr);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    const std::vector<unsigned char> key = key_buffer();
    if (cipher == nullptr || ctx == nullptr) {
        EVP_CIPHER_CTX_free(ctx);
        EVP_CIPHER_free(cipher);
        state.SkipWithError("EVP aes-256-gcm unavailable");
        return;
    }
    std::vector<unsigned char> in = random_bytes(kBufferBytes, 1), out(kBufferBytes);
    constexpr std::size_t chunks = kBufferBytes / kGcmChunkBytes;
    std::vector<unsigned char> tags(chunks * 16);
    const unsigned char aad[16] = { 1, 2, 3 };
    unsigned char iv[12];
    auto run = [&](bool seal, const unsigned char* from, unsigned char* to) {
        for (std::size_t i = 0; i < chunks; ++i) {
            std::memset(iv, 0x5a, sizeof iv);
            std::memcpy(iv + 7, &i, 4);
            int n = 0;
            if (EVP_CipherInit_ex2(ctx, cipher, key.data(), iv, seal ? 1 : 0, nullptr) != 1
                || EVP_CipherUpdate(ctx, nullptr, &n, aad, int(sizeof aad)) != 1
                || EVP_CipherUpdate(ctx, to + i * kGcmChunkBytes, &n, from + i * kGcmChunkBytes, int(kGcmChunkBytes))
                    != 1)
                return false;
            if (!seal && EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_AEAD_SET_TAG, 16, &tags[16 * i]) != 1)
                return false;
            if (EVP_CipherFinal_ex(ctx, to + i * kGcmChunkBytes + n, &n) != 1)
                return false;
            if (seal && EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_AEAD_GET_TAG, 16, &tags[16 * i]) != 1)
                return false;
        }
        return true;
    };
    bool ok = encrypt || run(true, in.data(), in.data());
    for (auto _ : state) {
        if (!ok || !(encrypt ? run(true, in.data(), in.data()) : run(false, in.data(), out.data()))) {
            ok = false;
            break;
        }
        benchmark::ClobberMemory();
    }
    if (!ok)
        state.SkipWithError("EVP aes-256-gcm failed");
    else
        state.SetBytesProcessed(
            static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kBufferBytes));
    EVP_CIPHER_CTX_free(ctx);
    EVP_CIPHER_free(cipher);
}

} // namespace

void register_openssl_gcm()
{
    load_providers();
    for (bool encrypt : { true, false })
        benchmark::RegisterBenchmark((gcm_name("openssl", "AES") + (encrypt ? "/encrypt" : "/decrypt")).c_str(),
            [encrypt](benchmark::State& state) { crypt_gcm(state, encrypt); });
}

void register_openssl(const Cipher& c)
{
    load_providers();
    for (const Peer& p : kPeers) {
        if (std::strcmp(p.label, c.label) != 0)
            continue;
        EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, p.evpName, nullptr);
        if (cipher == nullptr) {
            benchmark::AddCustomContext(std::string("openssl_") + p.evpName, "unavailable");
            continue;
        }
        // Kept for the process's life: the benchmarks run after registration.
        std::string name = p.evpName;
        for (auto& ch : name)
            ch = char(std::tolower(static_cast<unsigned char>(ch)));
        register_crypt({ c.label, std::string("openssl/") + c.label, "OpenSSL " + name, true },
            [cipher, &c](benchmark::State& state, bool encrypt) { crypt(state, cipher, c.keyBytes, encrypt); });
    }
}

void openssl_context()
{
    benchmark::AddCustomContext("openssl_version", OpenSSL_version(OPENSSL_VERSION));
}

} // namespace cipherbench
