// HKDF with HMAC-SHA-256 (RFC 5869).
#pragma once

#include <cstddef>

namespace tessiral::kdf {

inline constexpr std::size_t kHkdfHashBytes = 32;
inline constexpr std::size_t kHkdfMaxOutput = 255 * kHkdfHashBytes;

// PRK = HMAC-SHA-256(salt, input key material); an empty salt stands for
// 32 zero bytes, as the RFC says.
void hkdf_extract(const unsigned char* salt, std::size_t saltLength, const unsigned char* ikm, std::size_t ikmLength,
    unsigned char prk[kHkdfHashBytes]);

// `length` bytes of output keying material for `info`; false, nothing
// written, when length exceeds kHkdfMaxOutput.
bool hkdf_expand(const unsigned char prk[kHkdfHashBytes], const unsigned char* info, std::size_t infoLength,
    unsigned char* out, std::size_t length);

// Several outputs from one PRK: HMAC keyed with it once (its padded key's
// two blocks hashed once, not for every output). The keyed state is as
// secret as the PRK: keep it where the PRK would be kept and wipe it.
inline constexpr std::size_t kHkdfKeyedBytes = 208;
void hkdf_key(const unsigned char prk[kHkdfHashBytes], unsigned char keyed[kHkdfKeyedBytes]);
bool hkdf_expand_keyed(const unsigned char keyed[kHkdfKeyedBytes], const unsigned char* info, std::size_t infoLength,
    unsigned char* out, std::size_t length);

} // namespace tessiral::kdf
