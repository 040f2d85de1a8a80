// Twofish over many blocks on x86-64 vector units; same bytes as the portable
// block calls. Any block count, any alignment, and in == out work.
#pragma once

#include "engine/ciphers/twofish/twofish.h"
#include "engine/dispatch/cpu_features.h"

#include <cstddef>

#if TESSIRAL_X86_KERNELS
// AVX-512 F+BW with VBMI and GFNI: sixteen blocks per register set.
void twofish_encrypt_blocks_avx512(const TwofishContext* ctx, const uint8* in, uint8* out, std::size_t blocks);
void twofish_decrypt_blocks_avx512(const TwofishContext* ctx, const uint8* in, uint8* out, std::size_t blocks);
#endif
