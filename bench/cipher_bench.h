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
void set_throughput(benchmark::State& state);

// One implementation of one cipher in the summary; its benchmarks are named
// id + "/encrypt", "/decrypt", "/setkey_enc", "/setkey_dec".
struct Entry {
    std::string cipher; // the engine cipher's label
    std::string id; // e.g. "engine/AES@aesni", "openssl/AES"
    std::string caption; // e.g. "OpenSSL aes-256-ecb"
    bool yardstick; // measured to compare the engine against
};

void add_entry(Entry entry);
const std::vector<Entry>& entries();

// Registers the benchmarks of `entry` and adds it to the summary.
void register_crypt(const Entry& entry, std::function<void(benchmark::State&, bool encrypt)> crypt);

} // namespace cipherbench
