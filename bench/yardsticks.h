// The library yardsticks the engine's ciphers are measured against, each
// built only when its library is installed (never part of the product).
// Each registers its benchmarks for one engine cipher, when it has it.
#pragma once

#include "bench/cipher_bench.h"

namespace cipherbench {

#ifdef KVN_BENCH_CRYPTOPP
void register_cryptopp(const Cipher& cipher);
void cryptopp_context();
#endif
#ifdef KVN_BENCH_OPENSSL
void register_openssl(const Cipher& cipher);
void register_openssl_gcm(); // aes-256-gcm, for the GCM table
void openssl_context();
#endif
#ifdef KVN_BENCH_BOTAN
void register_botan(const Cipher& cipher);
void botan_context();
#endif

} // namespace cipherbench
