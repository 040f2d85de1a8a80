// The GCM benchmarks: the engine's GCM per cipher, OpenSSL's AES-GCM beside it.
#pragma once

#include "bench/cipher_bench.h"

#include <string>

namespace cipherbench {

// The authenticated format's default chunk: one GCM message each.
constexpr std::size_t kGcmChunkBytes = std::size_t(64) << 10;

// "gcm/<implementation>/<cipher>"; the benchmarks add "/encrypt" or "/decrypt".
std::string gcm_name(const char* implementation, const char* cipher);

void register_gcm(const Cipher& cipher);

} // namespace cipherbench
