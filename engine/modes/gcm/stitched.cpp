// Picks a cipher's stitched counter mode by its algorithm code.
#include "engine/modes/gcm/stitched.h"

#include "engine/api/idea_access.h"
#include "engine/dispatch/cipher_table.h"

#include <cstring>

namespace tessiral::gcm {

Stitched stitched_ctr(const CipherRow& row, CIdea& engine, CpuLevel level)
{
    Stitched s;
    if (std::strcmp(row.code, "1") == 0) {
        s = { aes_stitched(CIdeaAccess::aes(engine), level), &CIdeaAccess::aes(engine) };
    } else if (std::strcmp(row.code, "3") == 0) {
        s = { rc6_stitched(level), &CIdeaAccess::rc6(engine) };
    } else if (std::strcmp(row.code, "4") == 0) {
        s = { serpent_stitched(level), &CIdeaAccess::serpent(engine) };
    } else if (std::strcmp(row.code, "5") == 0) {
        s = { twofish_stitched(level), &CIdeaAccess::twofish(engine) };
    }
    if (s.ctr == nullptr)
        s.key = nullptr;
    return s;
}

#if !TESSIRAL_X86_KERNELS

// Elsewhere GCM runs on the ciphers' bulk calls alone.
StitchedCtr aes_stitched(const CAes&, CpuLevel)
{
    return nullptr;
}

StitchedCtr rc6_stitched(CpuLevel)
{
    return nullptr;
}

StitchedCtr serpent_stitched(CpuLevel)
{
    return nullptr;
}

StitchedCtr twofish_stitched(CpuLevel)
{
    return nullptr;
}

#endif

} // namespace tessiral::gcm
