// Single-thread throughput of the six ciphers over a 1 MiB buffer through the
// engine's bulk block calls, side by side with Crypto++'s when it is built in.
#include "cipher_table.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#ifdef KVN_BENCH_CRYPTOPP
#include <cryptopp/aes.h>
#include <cryptopp/config_ver.h>
#include <cryptopp/cpu.h>
#include <cryptopp/idea.h>
#include <cryptopp/mars.h>
#include <cryptopp/modes.h>
#include <cryptopp/rc6.h>
#include <cryptopp/serpent.h>
#include <cryptopp/twofish.h>
#endif

namespace {

// The file loops encrypt one 1 MiB chunk in place per call; so do we.
constexpr std::size_t kBufferBytes = std::size_t(1) << 20;

// The engine reads up to 101 key bytes; MARS, the hungriest, uses 56 of them.
constexpr std::size_t kKeyBufferBytes = 128;
constexpr std::size_t kKeyBytesUsed = 56;

struct Cipher {
    const char* label;
    const char* code;
    std::size_t keyBytes; // what the engine's key call for this code consumes
};

const Cipher kCiphers[] = {
    { "AES", "1", 32 },
    { "MARS", "2", 56 },
    { "RC6", "3", 32 },
    { "Serpent", "4", 32 },
    { "Twofish", "5", 32 },
    { "IDEA", "10", 16 },
};

std::vector<unsigned char> random_bytes(std::size_t n, std::uint32_t seed)
{
    std::mt19937 gen(seed);
    std::vector<unsigned char> v(n);
    for (auto& b : v)
        b = static_cast<unsigned char>(gen());
    return v;
}

std::vector<unsigned char> key_buffer()
{
    std::vector<unsigned char> key = random_bytes(kKeyBytesUsed, 7);
    key.resize(kKeyBufferBytes, 0);
    return key;
}

void set_throughput(benchmark::State& state)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kBufferBytes));
}

// ---- the engine, through the same table rows its file loops use ----

void engine_crypt(benchmark::State& state, const Cipher* cipher, bool encrypt)
{
    const CipherRow* row = find_cipher(cipher->code);
    CIdea engine;
    engine.m_strArith = cipher->code;
    std::vector<unsigned char> key = key_buffer();
    row->set_key(engine, key.data());
    (encrypt ? row->prepare_encrypt : row->prepare_decrypt)(engine);
    auto run = encrypt ? row->encrypt_blocks : row->decrypt_blocks;

    std::vector<unsigned char> buf = random_bytes(kBufferBytes, 1);
    const std::size_t blocks = kBufferBytes / row->block;
    for (auto _ : state) {
        run(engine, buf.data(), buf.data(), blocks);
        benchmark::DoNotOptimize(buf.data());
        benchmark::ClobberMemory();
    }
    set_throughput(state);
}

// Everything a file start does before its first block: the key call, then the
// schedule the direction needs (IDEA computes its subkeys only then).
void engine_set_key(benchmark::State& state, const Cipher* cipher, bool encrypt)
{
    const CipherRow* row = find_cipher(cipher->code);
    CIdea engine;
    engine.m_strArith = cipher->code;
    std::vector<unsigned char> key = key_buffer();
    auto prepare = encrypt ? row->prepare_encrypt : row->prepare_decrypt;
    for (auto _ : state) {
        row->set_key(engine, key.data());
        prepare(engine);
        benchmark::ClobberMemory();
    }
}

#ifdef KVN_BENCH_CRYPTOPP

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

template <class Block> void cryptopp_crypt(benchmark::State& state, std::size_t keyBytes, bool encrypt, AesMode mode)
{
    CpuFeatureMask mask(mode);
    const std::vector<unsigned char> key = key_buffer();
    std::vector<unsigned char> buf = random_bytes(kBufferBytes, 1);
    auto loop = [&](auto& ecb) {
        state.SetLabel(ecb.AlgorithmProvider());
        for (auto _ : state) {
            ecb.ProcessData(buf.data(), buf.data(), buf.size());
            benchmark::DoNotOptimize(buf.data());
            benchmark::ClobberMemory();
        }
    };
    if (encrypt) {
        typename CryptoPP::ECB_Mode<Block>::Encryption ecb(key.data(), keyBytes);
        loop(ecb);
    } else {
        typename CryptoPP::ECB_Mode<Block>::Decryption ecb(key.data(), keyBytes);
        loop(ecb);
    }
    set_throughput(state);
}

template <class Block> void cryptopp_set_key(benchmark::State& state, std::size_t keyBytes, bool encrypt, AesMode mode)
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

struct CryptoppCipher {
    const char* label; // engine cipher it stands beside
    const char* variant;
    AesMode mode;
    void (*crypt)(benchmark::State&, std::size_t, bool, AesMode);
    void (*set_key)(benchmark::State&, std::size_t, bool, AesMode);
};

template <class Block>
constexpr CryptoppCipher peer(const char* label, const char* variant, AesMode mode = AesMode::Native)
{
    return { label, variant, mode, &cryptopp_crypt<Block>, &cryptopp_set_key<Block> };
}

const CryptoppCipher kPeers[] = {
    peer<CryptoPP::AES>("AES", "AES"),
    peer<CryptoPP::AES>("AES", "AES-noaesni", AesMode::NoAesNi),
    peer<CryptoPP::AES>("AES", "AES-portable", AesMode::Portable),
    peer<CryptoPP::MARS>("MARS", "MARS"),
    peer<CryptoPP::RC6>("RC6", "RC6"),
    peer<CryptoPP::Serpent>("Serpent", "Serpent"),
    peer<CryptoPP::Twofish>("Twofish", "Twofish"),
    peer<CryptoPP::IDEA>("IDEA", "IDEA"),
};

#endif // KVN_BENCH_CRYPTOPP

const char* const kOps[] = { "encrypt", "decrypt", "setkey_enc", "setkey_dec" };

// Registered op by op and cipher by cipher, so the engine and its peers come
// out next to each other in the report.
void register_all()
{
    for (const Cipher& c : kCiphers) {
        for (int op = 0; op < 4; ++op) {
            const bool encrypt = op % 2 == 0;
            const bool bulk = op < 2;
            std::string name = std::string("engine/") + c.label + "/" + kOps[op];
            if (bulk)
                benchmark::RegisterBenchmark(name.c_str(), engine_crypt, &c, encrypt)->Unit(benchmark::kMicrosecond);
            else
                benchmark::RegisterBenchmark(name.c_str(), engine_set_key, &c, encrypt);
#ifdef KVN_BENCH_CRYPTOPP
            for (const CryptoppCipher& p : kPeers) {
                if (std::strcmp(p.label, c.label) != 0)
                    continue;
                name = std::string("cryptopp/") + p.variant + "/" + kOps[op];
                if (bulk)
                    benchmark::RegisterBenchmark(name.c_str(), p.crypt, c.keyBytes, encrypt, p.mode)
                        ->Unit(benchmark::kMicrosecond);
                else
                    benchmark::RegisterBenchmark(name.c_str(), p.set_key, c.keyBytes, encrypt, p.mode);
            }
#endif
        }
    }
}

// The console report, then one table in decimal MB/s (Google Benchmark prints
// binary MiB/s) and key setting times, engine against Crypto++.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    explicit SummaryReporter(OutputOptions options)
        : ConsoleReporter(options)
    {
    }

    // The table wants each repetition's own figures; the console shows those
    // and leaves out the aggregates, which the table's best run supersedes.
    // Asked for aggregates only, we get nothing else and fall back on medians.
    void ReportRuns(const std::vector<Run>& runs) override
    {
        std::vector<Run> shown;
        for (const Run& run : runs) {
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Iteration) {
                m_seenIterations.insert(name);
            } else if (m_seenIterations.count(name) != 0) {
                continue;
            } else if (run.aggregate_name != "median") {
                shown.push_back(run);
                continue;
            }
            shown.push_back(run);
            if (!run.error_occurred)
                record(run);
            if (run.run_type != Run::RT_Iteration)
                m_medians = true;
        }
        if (!shown.empty())
            ConsoleReporter::ReportRuns(shown);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const std::string title = std::string("Throughput, MB/s (10^6 bytes/s), ") + (m_medians ? "median" : "best run")
            + ", 1 MiB in place, one thread, CPU time";
        table(
            title.c_str(), [this](const std::string& name) { return mbps(name); }, "encrypt", "decrypt", true);
        table(
            "Key setting, CPU ns per key (engine: key call plus the direction's schedule)",
            [this](const std::string& name) { return ns(name); }, "setkey_enc", "setkey_dec", false);
        std::fflush(stdout);
    }

private:
    struct Best {
        double mbps = 0;
        double ns = 0;
        std::string label;
    };
    std::map<std::string, Best> m_best;
    std::set<std::string> m_seenIterations;
    bool m_medians = false;

    void record(const Run& run)
    {
        Best& best = m_best[run.run_name.function_name];
        const auto bps = run.counters.find("bytes_per_second");
        if (bps != run.counters.end())
            best.mbps = std::max(best.mbps, bps->second.value / 1e6);
        const double ns = run.GetAdjustedCPUTime() * to_ns(run.time_unit);
        best.ns = best.ns == 0 ? ns : std::min(best.ns, ns);
        best.label = run.report_label;
    }

    template <class Cell>
    void table(const char* title, Cell cell, const char* enc, const char* dec, bool withProvider) const
    {
        bool headed = false;
        for (const Cipher& c : kCiphers) {
            const std::string engine = std::string("engine/") + c.label + "/";
            for (const std::string& variant : variants(c.label)) {
                const std::string peer = "cryptopp/" + variant + "/";
                const std::string cells[4]
                    = { cell(engine + enc), cell(peer + enc), cell(engine + dec), cell(peer + dec) };
                if (std::all_of(std::begin(cells), std::end(cells), [](const std::string& t) { return t == "-"; }))
                    continue;
                if (!headed) {
                    std::printf("\n%s\n%-22s %12s %12s %12s %12s\n", title, "cipher", "engine enc", "Crypto++ enc",
                        "engine dec", "Crypto++ dec");
                    headed = true;
                }
                std::string caption = variant.empty() ? c.label : variant;
                const std::string provider = label(peer + enc);
                if (withProvider && !provider.empty())
                    caption += " [" + provider + "]";
                std::printf("%-22s %12s %12s %12s %12s\n", caption.c_str(), cells[0].c_str(), cells[1].c_str(),
                    cells[2].c_str(), cells[3].c_str());
            }
        }
    }

    static double to_ns(benchmark::TimeUnit unit)
    {
        switch (unit) {
        case benchmark::kSecond:
            return 1e9;
        case benchmark::kMillisecond:
            return 1e6;
        case benchmark::kMicrosecond:
            return 1e3;
        case benchmark::kNanosecond:
            break;
        }
        return 1;
    }

    // The Crypto++ rows standing beside one engine cipher; one empty entry
    // when there are none, so the engine's own figures still get a line.
    std::vector<std::string> variants(const std::string& cipher) const
    {
        std::vector<std::string> found;
        for (const auto& entry : m_best) {
            const std::string& name = entry.first;
            if (name.rfind("cryptopp/", 0) != 0)
                continue;
            const std::string variant = name.substr(9, name.find('/', 9) - 9);
            if (variant.rfind(cipher, 0) == 0 && (variant.size() == cipher.size() || variant[cipher.size()] == '-')
                && std::find(found.begin(), found.end(), variant) == found.end())
                found.push_back(variant);
        }
        // The plain name first, then its variants.
        std::stable_sort(
            found.begin(), found.end(), [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
        if (found.empty())
            found.emplace_back();
        return found;
    }

    std::string label(const std::string& name) const
    {
        const auto it = m_best.find(name);
        return it == m_best.end() ? std::string() : it->second.label;
    }

    std::string mbps(const std::string& name) const
    {
        const auto it = m_best.find(name);
        if (it == m_best.end() || it->second.mbps == 0)
            return "-";
        char text[32];
        std::snprintf(text, sizeof text, "%.1f", it->second.mbps);
        return text;
    }

    std::string ns(const std::string& name) const
    {
        const auto it = m_best.find(name);
        if (it == m_best.end())
            return "-";
        char text[32];
        std::snprintf(text, sizeof text, "%.0f", it->second.ns);
        return text;
    }
};

} // namespace

int main(int argc, char** argv)
{
    // A machine-readable format asked for on the command line wins over the
    // summary table.
    bool plainFormat = false;
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--benchmark_format=", 19) == 0 && std::strcmp(argv[i] + 19, "console") != 0)
            plainFormat = true;

    register_all();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
#ifdef KVN_BENCH_CRYPTOPP
    benchmark::AddCustomContext("cryptopp_version", std::to_string(CRYPTOPP_VERSION));
    benchmark::AddCustomContext("cpu_aesni", CryptoPP::HasAESNI() ? "yes" : "no");
#endif
    if (plainFormat) {
        benchmark::RunSpecifiedBenchmarks();
    } else {
        SummaryReporter reporter(isatty(STDOUT_FILENO) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                       : benchmark::ConsoleReporter::OO_Tabular);
        benchmark::RunSpecifiedBenchmarks(&reporter);
    }
    benchmark::Shutdown();
    return 0;
}
