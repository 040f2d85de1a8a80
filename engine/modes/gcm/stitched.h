// The counter modes stitched with the hash, per cipher: which one a cipher
// has on a CPU level, and the key argument it takes.
#pragma once

#include "engine/modes/gcm/gcm.h"

class CAes;
class CIdea;
struct CipherRow;

namespace tessiral::gcm {

// A stitched counter mode and its key argument, or none.
struct Stitched {
    StitchedCtr ctr = nullptr;
    const void* key = nullptr;
};

// The stitched counter mode for the cipher of `row` keyed in `engine` (its
// schedule set and staying set), on `level` (never above the processor's);
// none where the cipher or the level has none (MARS has none), and then GCM
// runs on the cipher's bulk call alone. Serpent's is the usual Serpent-GCM:
// the engine's key must be set with its 4-byte words turned round, as the
// bulk call then wants every block.
Stitched stitched_ctr(const CipherRow& row, CIdea& engine, CpuLevel level);

// The kernels one by one: null where `level` or the processor lacks them.
// Their key argument is the cipher's own state (CAes, CRc6, SerpentContext,
// TwofishContext); AES's depends on the key's length.
StitchedCtr aes_stitched(const CAes& key, CpuLevel level);
StitchedCtr rc6_stitched(CpuLevel level);
StitchedCtr serpent_stitched(CpuLevel level);
StitchedCtr twofish_stitched(CpuLevel level);

} // namespace tessiral::gcm
