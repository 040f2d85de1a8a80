// AES on the processor's AES instructions: the bulk kernels the cipher table
// picks by CPU level (dispatch/cipher_kernels.cpp). They read the schedule set_key
// made: round_keys for encryption, dec_round_keys (already inverse-mixed) for
// decryption. Any block count and alignment; `in` may equal `out`.
#pragma once

#include "engine/ciphers/aes/aes.h"
#include "engine/dispatch/cpu_features.h"

#include <cstddef>

#if TESSIRAL_X86_KERNELS
// AES-NI, 128-bit registers, eight blocks in flight (aes_ni.cpp).
void aes_encrypt_blocks_aesni(const CAes& key, const uint8* in, uint8* out, std::size_t blocks);
void aes_decrypt_blocks_aesni(const CAes& key, const uint8* in, uint8* out, std::size_t blocks);
// VAES on 256-bit registers, sixteen blocks in flight (aes_vaes.cpp).
void aes_encrypt_blocks_vaes256(const CAes& key, const uint8* in, uint8* out, std::size_t blocks);
void aes_decrypt_blocks_vaes256(const CAes& key, const uint8* in, uint8* out, std::size_t blocks);
// VAES on 512-bit registers, thirty-two blocks in flight (aes_vaes.cpp).
void aes_encrypt_blocks_vaes512(const CAes& key, const uint8* in, uint8* out, std::size_t blocks);
void aes_decrypt_blocks_vaes512(const CAes& key, const uint8* in, uint8* out, std::size_t blocks);
#endif
