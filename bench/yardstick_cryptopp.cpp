// Crypto++ as a yardstick: ECB over the same 1 MiB buffer, and its key setting.
#include "bench/yardsticks.h"

#include <cryptopp/aes.h>
#include <cryptopp/config_ver.h>
#include <cryptopp/cpu.h>
#include <cryptopp/idea.h>
#include <cryptopp/mars.h>
#include <cryptopp/modes.h>
#include <cryptopp/rc6.h>
#include <cryptopp/serpent.h>
#include <cryptopp/twofish.h>

#include <cstring>
#include <string>

namespace cipherbench {

namespace {

// Crypto++ picks its AES code at run time from the CPU flags it detected.
// Clearing the flags it consults, only while one benchmark runs, steers it to
// its table-driven code on the same machine. Objects must be keyed after the
// switch: the AES-NI and table paths lay out their key schedules differently.
class CpuFeatureMask {
public:
    enum class Aes { Native, NoAesNi, Portable };

    explicit CpuFeatureMask(Aes mode)
    {
        (void)CryptoPP::HasAESNI(); // detect now, or detection overwrites us later
        m_aesni = CryptoPP::g_hasAESNI;
        m_sse2 = CryptoPP::g_hasSSE2;
        if (mode != Aes::Native)
            CryptoPP::g_hasAESNI = false;
        if (mode == Aes::Portable)
            CryptoPP::g_hasSSE2 = false; // its SSE2 table code is hand-written assembly
    }
    ~CpuFeatureMask()
    {
        CryptoPP::g_hasAESNI = m_aesni;
        CryptoPP::g_hasSSE2 = m_sse2;
    }
    CpuFeatureMask(const CpuFeatureMask&) = delete;
    CpuFeatureMask& operator=(const CpuFeatureMask&) = delete;

private:
    bool m_aesni;
    bool m_sse2;
};

using AesMode = CpuFeatureMask::Aes;

template <class Block> void crypt(benchmark::State& state, std::size_t keyBytes, bool encrypt, AesMode mode)
{
    CpuFeatureMask mask(mode);
    const std::vector<unsigned char> key = key_buffer();
    auto loop = [&](auto& ecb) {
        state.SetLabel(ecb.AlgorithmProvider());
        time_in_place(state, [&](unsigned char* buf) {
            ecb.ProcessData(buf, buf, kBufferBytes);
            return true;
        });
    };
    if (encrypt) {
        typename CryptoPP::ECB_Mode<Block>::Encryption ecb(key.data(), keyBytes);
        loop(ecb);
    } else {
        typename CryptoPP::ECB_Mode<Block>::Decryption ecb(key.data(), keyBytes);
        loop(ecb);
    }
}

template <class Block> void set_key(benchmark::State& state, std::size_t keyBytes, bool encrypt, AesMode mode)
{
    CpuFeatureMask mask(mode);
    const std::vector<unsigned char> key = key_buffer();
    auto loop = [&](auto& ecb) {
        state.SetLabel(ecb.AlgorithmProvider());
        for (auto _ : state) {
            ecb.SetKey(key.data(), keyBytes);
            benchmark::ClobberMemory();
        }
    };
    if (encrypt) {
        typename CryptoPP::ECB_Mode<Block>::Encryption ecb;
        loop(ecb);
    } else {
        typename CryptoPP::ECB_Mode<Block>::Decryption ecb;
        loop(ecb);
    }
}

struct Peer {
    const char* label; // engine cipher it stands beside
    const char* variant;
    AesMode mode;
    void (*crypt)(benchmark::State&, std::size_t, bool, AesMode);
    void (*set_key)(benchmark::State&, std::size_t, bool, AesMode);
};

template <class Block> constexpr Peer peer(const char* label, const char* variant, AesMode mode = AesMode::Native)
{
    return { label, variant, mode, &crypt<Block>, &set_key<Block> };
}

const Peer kPeers[] = {
    peer<CryptoPP::AES>("AES", "AES"),
    peer<CryptoPP::AES>("AES", "AES-noaesni", AesMode::NoAesNi),
    peer<CryptoPP::AES>("AES", "AES-portable", AesMode::Portable),
    peer<CryptoPP::MARS>("MARS", "MARS"),
    peer<CryptoPP::RC6>("RC6", "RC6"),
    peer<CryptoPP::Serpent>("Serpent", "Serpent"),
    peer<CryptoPP::Twofish>("Twofish", "Twofish"),
    peer<CryptoPP::IDEA>("IDEA", "IDEA"),
};

} // namespace

void register_cryptopp(const Cipher& c)
{
    for (const Peer& p : kPeers) {
        if (std::strcmp(p.label, c.label) != 0)
            continue;
        const std::string id = std::string("cryptopp/") + p.variant;
        const char* dash = std::strchr(p.variant, '-');
        const std::string caption = std::string("Crypto++") + (dash ? std::string(" ") + (dash + 1) : "");
        register_crypt({ c.label, id, caption, true },
            [&p, &c](benchmark::State& state, bool encrypt) { p.crypt(state, c.keyBytes, encrypt, p.mode); });
        for (bool encrypt : { true, false })
            benchmark::RegisterBenchmark(
                (id + (encrypt ? "/setkey_enc" : "/setkey_dec")).c_str(), p.set_key, c.keyBytes, encrypt, p.mode);
    }
}

void cryptopp_context()
{
    benchmark::AddCustomContext("cryptopp_version", std::to_string(CRYPTOPP_VERSION));
    benchmark::AddCustomContext("cpu_aesni", CryptoPP::HasAESNI() ? "yes" : "no");
}

} // namespace cipherbench
