// Each cipher's bulk block functions per CPU level. The cipher table runs the
// kernels of cpu_level(); tests and benchmarks may ask for any level.
#pragma once

#include "engine/ciphers/aes/aes.h"
#include "engine/ciphers/mars/mars.h"
#include "engine/ciphers/rc6/rc6.h"
#include "engine/ciphers/serpent/serpent.h"
#include "engine/ciphers/twofish/twofish.h"
#include "engine/dispatch/cpu_features.h"

#include <cstddef>

namespace tessiral {

// What a kernel needs beyond its level.
enum class CpuExtra { None, Vaes, VbmiGfni };

// A pair of kernels: any block count, any alignment, `in` equal to `out` or
// not overlapping it; always the same bytes as the portable code.
template <class Schedule> struct BlockKernels {
    using Fn = void (*)(Schedule schedule, const uint8* in, uint8* out, std::size_t blocks);
    CpuLevel level; // the least level they need
    CpuExtra extra;
    const char* name; // names the path in test output and benchmarks
    Fn encrypt;
    Fn decrypt;
};

using AesKernels = BlockKernels<const CAes&>;
using IdeaKernels = BlockKernels<const unsigned short*>; // the direction's 52 subkeys
using MarsKernels = BlockKernels<const CMars&>;
using Rc6Kernels = BlockKernels<const CRc6&>;
using SerpentKernels = BlockKernels<const SerpentContext*>;
using TwofishKernels = BlockKernels<const TwofishContext*>;

// The best kernels for `level`, never above what this CPU has.
AesKernels aes_kernels(CpuLevel level);
IdeaKernels idea_kernels(CpuLevel level);
MarsKernels mars_kernels(CpuLevel level);
Rc6Kernels rc6_kernels(CpuLevel level);
SerpentKernels serpent_kernels(CpuLevel level);
TwofishKernels twofish_kernels(CpuLevel level);

} // namespace tessiral
