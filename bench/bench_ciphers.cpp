// Single-thread throughput of the six ciphers over a 1 MiB buffer through the
// engine's bulk block calls, on the CPU level the engine runs at and on each
// lower level with kernels of its own, side by side with the library
// yardsticks that are built in (Crypto++, OpenSSL's EVP, Botan 2).
#include "bench/cipher_bench.h"
#include "bench/cipher_summary.h"
#include "bench/gcm_bench.h"
#include "bench/yardsticks.h"
#include "engine/dispatch/cipher_table.h"

#include <algorithm>
#include <cstring>
#include <string>

#include <unistd.h>

using namespace cipherbench;
using tessiral::CpuLevel;

namespace {

// ---- the engine, through the same table rows its file loops use ----

void engine_crypt(benchmark::State& state, const Cipher& cipher, CpuLevel level, bool encrypt)
{
    const CipherRow* row = find_cipher(cipher.code);
    CIdea engine;
    engine.m_strArith = cipher.code;
    std::vector<unsigned char> key = key_buffer();
    row->set_key(engine, key.data());
    (encrypt ? row->prepare_encrypt : row->prepare_decrypt)(engine);
    const CipherPath path = row->path(level);
    auto run = encrypt ? path.encrypt_blocks : path.decrypt_blocks;
    const std::size_t blocks = kBufferBytes / row->block;
    time_in_place(state, [&](unsigned char* buf) {
        run(engine, buf, buf, blocks);
        return true;
    });
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

// engine/<cipher> runs the engine's own level (the one its file loops use);
// engine/<cipher>@<level> each lower level whose kernels differ.
void register_engine(const Cipher& c)
{
    const CipherRow* row = find_cipher(c.code);
    const CpuLevel running = tessiral::cpu_level();
    std::vector<std::string> seen;
    for (int l = int(running); l >= 0; --l) {
        const auto level = CpuLevel(l);
        const CipherPath path = row->path(level);
        if (std::find(seen.begin(), seen.end(), path.name) != seen.end())
            continue;
        seen.push_back(path.name);
        const std::string suffix = level == running ? "" : std::string("@") + tessiral::cpu_level_name(level);
        const std::string caption
            = std::string("engine ") + path.name + " (" + tessiral::cpu_level_name(path.level) + ")";
        register_crypt({ c.label, std::string("engine/") + c.label + suffix, caption, false },
            [&c, level](benchmark::State& state, bool encrypt) { engine_crypt(state, c, level, encrypt); });
    }
    for (bool encrypt : { true, false })
        benchmark::RegisterBenchmark(
            (std::string("engine/") + c.label + (encrypt ? "/setkey_enc" : "/setkey_dec")).c_str(), engine_set_key, &c,
            encrypt);
}

void register_all()
{
    for (const Cipher& c : kCiphers) {
        register_engine(c);
        register_gcm(c);
#ifdef KVN_BENCH_CRYPTOPP
        register_cryptopp(c);
#endif
#ifdef KVN_BENCH_OPENSSL
        register_openssl(c);
#endif
#ifdef KVN_BENCH_BOTAN
        register_botan(c);
#endif
    }
#ifdef KVN_BENCH_OPENSSL
    register_openssl_gcm();
#endif
}

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
    benchmark::AddCustomContext("engine_cpu_level", tessiral::cpu_level_name(tessiral::cpu_level()));
    benchmark::AddCustomContext("cpu_detected_level", tessiral::cpu_level_name(tessiral::detected_cpu_level()));
#ifdef KVN_BENCH_CRYPTOPP
    cryptopp_context();
#endif
#ifdef KVN_BENCH_OPENSSL
    openssl_context();
#endif
#ifdef KVN_BENCH_BOTAN
    botan_context();
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
