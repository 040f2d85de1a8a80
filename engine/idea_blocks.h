// IDEA over many blocks at once on x86-64 vector units. Encryption and
// decryption are the same routine; the caller passes the 52-word encryption or
// decryption schedule. Any block count, any alignment, and in == out work.
// The portable cipher_idea stays the reference these must match byte for byte.
#pragma once

#include "ciphers/cipher_types.h"

#include <cstddef>

#if defined(__x86_64__)
// AVX2: sixteen blocks per register set.
void idea_encrypt_blocks_avx2(const unsigned short* subkeys, const uint8* in, uint8* out, std::size_t blocks);
// AVX-512 F+BW: thirty-two blocks per register set.
void idea_encrypt_blocks_avx512(const unsigned short* subkeys, const uint8* in, uint8* out, std::size_t blocks);
#endif
