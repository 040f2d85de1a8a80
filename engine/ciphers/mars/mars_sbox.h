// The MARS S-box: entries 0-255 are S0, 256-511 are S1; the key schedule
// indexes all 512 at once.
#pragma once

#include "engine/ciphers/cipher_types.h"

extern const uint32 mars_sbox[512];
