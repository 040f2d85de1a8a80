// Serpent's vector kernels: many blocks per pass, the same bytes as
// encrypt_serpent_blocks / decrypt_serpent_blocks. x86 only; the caller
// checks first that the CPU offers the instruction set. Any block count (a
// tail runs on the portable code), any alignment, `in == out` allowed.
#pragma once

#include "engine/ciphers/serpent/serpent.h"
#include "engine/dispatch/cpu_features.h"

#include <cstddef>

#if TESSIRAL_X86_KERNELS

void serpent_encrypt_blocks_avx2(const SerpentContext* ctx, const uint8* in, uint8* out, std::size_t blocks);
void serpent_decrypt_blocks_avx2(const SerpentContext* ctx, const uint8* in, uint8* out, std::size_t blocks);
void serpent_encrypt_blocks_avx512(const SerpentContext* ctx, const uint8* in, uint8* out, std::size_t blocks);
void serpent_decrypt_blocks_avx512(const SerpentContext* ctx, const uint8* in, uint8* out, std::size_t blocks);
#endif
