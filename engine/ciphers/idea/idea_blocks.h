// IDEA's block functions on their own: the engine object's cipher_idea and
// the cipher table run them; the direction is in the 52 subkeys given (the
// encryption or the decryption schedule, same routine). Any block count, any
// alignment, and in == out work. The portable one is the reference the
// vector kernels match byte for byte.
#pragma once

#include "engine/ciphers/cipher_types.h"
#include "engine/dispatch/cpu_features.h"

#include <cstddef>

void idea_crypt_blocks(const unsigned short* subkeys, const uint8* in, uint8* out, std::size_t blocks);

#if TESSIRAL_X86_KERNELS
// AVX2: sixteen blocks per register set.
void idea_encrypt_blocks_avx2(const unsigned short* subkeys, const uint8* in, uint8* out, std::size_t blocks);
// AVX-512 F+BW: thirty-two blocks per register set.
void idea_encrypt_blocks_avx512(const unsigned short* subkeys, const uint8* in, uint8* out, std::size_t blocks);
#endif
