// The cipher benchmarks' shared helpers and summary rows.
#include "bench/cipher_bench.h"

#include <random>

namespace cipherbench {

namespace {
std::vector<Entry>& list()
{
    static std::vector<Entry> all;
    return all;
}
} // namespace

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
    std::vector<unsigned char> key = random_bytes(56, 7);
    key.resize(128, 0);
    return key;
}

const std::vector<Entry>& entries()
{
    return list();
}

void register_crypt(const Entry& entry, std::function<void(benchmark::State&, bool encrypt)> crypt)
{
    for (bool encrypt : { true, false })
        benchmark::RegisterBenchmark((entry.id + (encrypt ? "/encrypt" : "/decrypt")).c_str(),
            [crypt, encrypt](benchmark::State& state) { crypt(state, encrypt); })
            ->Unit(benchmark::kMicrosecond);
    list().push_back(entry);
}

} // namespace cipherbench
