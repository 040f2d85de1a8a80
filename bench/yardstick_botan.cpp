// Botan 2 as a yardstick: its block cipher objects over the same buffer,
// with whatever provider (instruction set) it picks on this CPU. It has no
// MARS and no RC6.
#include "bench/yardsticks.h"

#include <botan/block_cipher.h>
#include <botan/version.h>

#include <cstring>

namespace cipherbench {

namespace {

struct Peer {
    const char* label;
    const char* name;
};

const Peer kPeers[] = { { "AES", "AES-256" }, { "Serpent", "Serpent" }, { "Twofish", "Twofish" }, { "IDEA", "IDEA" },
    { "MARS", "MARS" }, { "RC6", "RC6" } };

void crypt(benchmark::State& state, const char* name, std::size_t keyBytes, bool encrypt)
{
    const std::vector<unsigned char> key = key_buffer();
    const auto cipher = Botan::BlockCipher::create(name);
    cipher->set_key(key.data(), keyBytes);
    state.SetLabel(cipher->provider());
    const std::size_t blocks = kBufferBytes / cipher->block_size();
    time_in_place(state, [&](unsigned char* buf) {
        encrypt ? cipher->encrypt_n(buf, buf, blocks) : cipher->decrypt_n(buf, buf, blocks);
        return true;
    });
}

} // namespace

void register_botan(const Cipher& c)
{
    for (const Peer& p : kPeers) {
        if (std::strcmp(p.label, c.label) != 0)
            continue;
        if (!Botan::BlockCipher::create(p.name)) {
            benchmark::AddCustomContext(std::string("botan_") + p.name, "unavailable");
            continue;
        }
        register_crypt({ c.label, std::string("botan/") + c.label, std::string("Botan ") + p.name, true },
            [&p, &c](benchmark::State& state, bool encrypt) { crypt(state, p.name, c.keyBytes, encrypt); });
    }
}

void botan_context()
{
    benchmark::AddCustomContext("botan_version", Botan::short_version_string());
}

} // namespace cipherbench
