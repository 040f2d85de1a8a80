// What the cipher benchmarks share: the ciphers, buffers and keys, and the
// list of summary rows each registered implementation adds to.
#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace cipherbench {

// The file loops encrypt one 1 MiB chunk in place per call; so do we.
constexpr std::size_t kBufferBytes = std::size_t(1) << 20;

struct Cipher {
    const char* label;
    const char* code;
    std::size_t keyBytes; // what the engine's key call for this code consumes
};

inline constexpr Cipher kCiphers[] = {
    { "AES", "1", 32 },
    { "MARS", "2", 56 },
    { "RC6", "3", 32 },
    { "Serpent", "4", 32 },
    { "Twofish", "5", 32 },
    { "IDEA", "10", 16 },
};

std::vector<unsigned char> random_bytes(std::size_t n, std::uint32_t seed);
// The engine reads up to 101 key bytes: 56 random ones, then zeros.
std::vector<unsigned char> key_buffer();

// Times `crypt(buffer)` over one kBufferBytes buffer of random bytes, in
// place as the file loops do, and reports the bytes per second. `crypt`
// returns false to stop after it has reported an error with SkipWithError.
template <class Crypt> void time_in_place(benchmark::State& state, Crypt crypt)
{
    std::vector<unsigned char> buf = random_bytes(kBufferBytes, 1);
    for (auto _ : state) {
        if (!crypt(buf.data()))
            break;
        benchmark::DoNotOptimize(buf.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kBufferBytes));
}

// One implementation of one cipher in the summary; its benchmarks are named
// id + "/encrypt", "/decrypt", "/setkey_enc", "/setkey_dec".
struct Entry {
    std::string cipher; // the engine cipher's label
    std::string id; // e.g. "engine/AES@aesni", "openssl/AES"
    std::string caption; // e.g. "OpenSSL aes-256-ecb"
    bool yardstick; // measured to compare the engine against
};

const std::vector<Entry>& entries();

// Registers the benchmarks of `entry` and adds it to the summary.
void register_crypt(const Entry& entry, std::function<void(benchmark::State&, bool encrypt)> crypt);

} // namespace cipherbench
