// IDEA's block function on its own: the engine object's cipher_idea and the
// cipher table both run it; the direction is in the 52 subkeys given.
#pragma once

#include "ciphers/cipher_types.h"

#include <cstddef>

void idea_crypt_blocks(const unsigned short* subkeys, const uint8* in, uint8* out, std::size_t blocks);
