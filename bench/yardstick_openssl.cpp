// OpenSSL's EVP interface as a yardstick: the ECB ciphers it shares with the
// engine (AES-256; IDEA only from its legacy provider, when that loads).
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

} // namespace

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
