// RC6's vector kernels: many blocks per pass, the same bytes as
// CRc6::encrypt_blocks / decrypt_blocks. x86 only; the caller checks first
// that the CPU offers the instruction set. Any block count (a tail runs on
// the portable code), any alignment, `in == out` allowed.
#pragma once

#include "engine/ciphers/rc6/rc6.h"
#include "engine/dispatch/cpu_features.h"

#include <cstddef>

#if TESSIRAL_X86_KERNELS

void rc6_encrypt_blocks_avx2(const CRc6& c, const uint8* in, uint8* out, std::size_t blocks);
void rc6_decrypt_blocks_avx2(const CRc6& c, const uint8* in, uint8* out, std::size_t blocks);
void rc6_encrypt_blocks_avx512(const CRc6& c, const uint8* in, uint8* out, std::size_t blocks);
void rc6_decrypt_blocks_avx512(const CRc6& c, const uint8* in, uint8* out, std::size_t blocks);
#endif
