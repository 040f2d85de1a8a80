// GCM over the engine's AES with the counter mode and the hash stitched in
// one loop (VAES and VPCLMULQDQ on 512-bit registers): the AES rounds of one
// run of blocks and the carry-less products of another go through the
// processor together instead of in two passes.
#pragma once

#include "engine/modes/gcm/gcm.h"

class CAes;

namespace tessiral::gcm {

// The stitched counter mode for `key` (its schedule set; 128, 192 or 256
// bits), or null where `level` or the processor lacks it; then GCM runs on
// the cipher's bulk call alone. Its key argument is the CAes itself.
StitchedCtr aes_stitched(const CAes& key, CpuLevel level);

} // namespace tessiral::gcm
