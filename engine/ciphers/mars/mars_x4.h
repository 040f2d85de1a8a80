// MARS over many blocks, four interleaved at a time; same bytes as CMars's
// one-block calls. Any block count, any alignment, and in == out work.
#pragma once

#include "engine/ciphers/cipher_types.h"

#include <cstddef>

void mars_encrypt_blocks_x4(const uint32* round_keys, const uint8* in, uint8* out, std::size_t blocks);
void mars_decrypt_blocks_x4(const uint32* round_keys, const uint8* in, uint8* out, std::size_t blocks);
