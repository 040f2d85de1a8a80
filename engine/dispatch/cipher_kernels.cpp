// Which kernels exist for each cipher, and the choice among them. Lists run
// best first and end with the portable code, the reference; the first entry
// whose level and extra feature the CPU (capped by TESSIRAL_CPU) has wins.
//
// This is the one place to wire a new kernel pair:
//   1. its source file (beside the portable one, in engine/CMakeLists.txt)
//      keeps its code inside #if TESSIRAL_X86_KERNELS and compiles it with
//      __attribute__((target("avx2"))) and the like, never with -m flags;
//   2. include its header in the #if TESSIRAL_X86_KERNELS block below;
//   3. add one line before the cipher's portable line, inside #if, e.g.
//        {CpuLevel::Avx2, None, "avx2 x8", serpent_encrypt_blocks_avx2, serpent_decrypt_blocks_avx2},
// test_cpu_paths and the per-level CTest entries then check it on their own.
#include "engine/dispatch/cipher_kernels.h"

#include "engine/ciphers/idea/idea_blocks.h"

#if TESSIRAL_X86_KERNELS
#include "engine/ciphers/aes/aes_vector.h"
#include "engine/ciphers/mars/mars_x4.h"
#include "engine/ciphers/rc6/rc6_simd.h"
#include "engine/ciphers/serpent/serpent_simd.h"
#include "engine/ciphers/twofish/twofish_vector.h"
#endif

namespace tessiral {

namespace {

bool has(CpuExtra extra)
{
    switch (extra) {
    case CpuExtra::None:
        return true;
    case CpuExtra::Vaes:
        return cpu_features().vaes;
    case CpuExtra::VbmiGfni:
        return cpu_features().vbmi_gfni;
    }
    return false;
}

template <class Schedule, std::size_t N>
BlockKernels<Schedule> pick(const BlockKernels<Schedule> (&list)[N], CpuLevel level)
{
    const CpuLevel usable = level < detected_cpu_level() ? level : detected_cpu_level();
    for (const auto& kernels : list)
        if (kernels.level <= usable && has(kernels.extra))
            return kernels;
    return list[N - 1];
}

constexpr CpuLevel P = CpuLevel::Portable;
constexpr CpuExtra None = CpuExtra::None;

const AesKernels kAes[] = {
#if TESSIRAL_X86_KERNELS
    { CpuLevel::Avx512, CpuExtra::Vaes, "vaes-512 x32", aes_encrypt_blocks_vaes512, aes_decrypt_blocks_vaes512 },
    { CpuLevel::Avx2, CpuExtra::Vaes, "vaes-256 x16", aes_encrypt_blocks_vaes256, aes_decrypt_blocks_vaes256 },
    { CpuLevel::AesNi, None, "aes-ni x8", aes_encrypt_blocks_aesni, aes_decrypt_blocks_aesni },
#endif
    { P, None, "portable",
        [](const CAes& k, const uint8* in, uint8* out, std::size_t n) { k.encrypt_blocks(in, out, n); },
        [](const CAes& k, const uint8* in, uint8* out, std::size_t n) { k.decrypt_blocks(in, out, n); } },
};

// One function for both directions: the subkeys make the difference.
const IdeaKernels kIdea[] = {
#if TESSIRAL_X86_KERNELS
    { CpuLevel::Avx512, None, "avx-512 x32", idea_encrypt_blocks_avx512, idea_encrypt_blocks_avx512 },
    { CpuLevel::Avx2, None, "avx2 x16", idea_encrypt_blocks_avx2, idea_encrypt_blocks_avx2 },
#endif
    { P, None, "portable", idea_crypt_blocks, idea_crypt_blocks },
};

// The interleaved kernel is plain scalar code; it enters one level above the
// portable one so that TESSIRAL_CPU=portable still runs the one-block
// reference, and the path comparison checks one against the other.
const MarsKernels kMars[] = {
#if TESSIRAL_X86_KERNELS
    { CpuLevel::AesNi, None, "scalar x4",
        [](const CMars& k, const uint8* in, uint8* out, std::size_t n) {
            mars_encrypt_blocks_x4(k.round_keys, in, out, n);
        },
        [](const CMars& k, const uint8* in, uint8* out, std::size_t n) {
            mars_decrypt_blocks_x4(k.round_keys, in, out, n);
        } },
#endif
    { P, None, "portable",
        [](const CMars& k, const uint8* in, uint8* out, std::size_t n) { k.encrypt_blocks(in, out, n); },
        [](const CMars& k, const uint8* in, uint8* out, std::size_t n) { k.decrypt_blocks(in, out, n); } },
};

const Rc6Kernels kRc6[] = {
#if TESSIRAL_X86_KERNELS
    { CpuLevel::Avx512, None, "avx512 x64", rc6_encrypt_blocks_avx512, rc6_decrypt_blocks_avx512 },
    { CpuLevel::Avx2, None, "avx2 x32", rc6_encrypt_blocks_avx2, rc6_decrypt_blocks_avx2 },
#endif
    { P, None, "portable",
        [](const CRc6& k, const uint8* in, uint8* out, std::size_t n) { k.encrypt_blocks(in, out, n); },
        [](const CRc6& k, const uint8* in, uint8* out, std::size_t n) { k.decrypt_blocks(in, out, n); } },
};

const SerpentKernels kSerpent[] = {
#if TESSIRAL_X86_KERNELS
    { CpuLevel::Avx512, None, "avx512 x64", serpent_encrypt_blocks_avx512, serpent_decrypt_blocks_avx512 },
    { CpuLevel::Avx2, None, "avx2 x16", serpent_encrypt_blocks_avx2, serpent_decrypt_blocks_avx2 },
#endif
    { P, None, "portable", encrypt_serpent_blocks, decrypt_serpent_blocks },
};

const TwofishKernels kTwofish[] = {
#if TESSIRAL_X86_KERNELS
    { CpuLevel::Avx512, CpuExtra::VbmiGfni, "avx-512 vbmi x16", twofish_encrypt_blocks_avx512,
        twofish_decrypt_blocks_avx512 },
#endif
    { P, None, "portable", encrypt_twofish_blocks, decrypt_twofish_blocks },
};

} // namespace

AesKernels aes_kernels(CpuLevel level)
{
    return pick(kAes, level);
}
IdeaKernels idea_kernels(CpuLevel level)
{
    return pick(kIdea, level);
}
MarsKernels mars_kernels(CpuLevel level)
{
    return pick(kMars, level);
}
Rc6Kernels rc6_kernels(CpuLevel level)
{
    return pick(kRc6, level);
}
SerpentKernels serpent_kernels(CpuLevel level)
{
    return pick(kSerpent, level);
}
TwofishKernels twofish_kernels(CpuLevel level)
{
    return pick(kTwofish, level);
}

} // namespace tessiral
