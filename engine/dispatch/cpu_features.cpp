// CPU feature detection through cpuid, with the operating system's consent to
// the wider register state read from XCR0, and the TESSIRAL_CPU cap.
#include "engine/dispatch/cpu_features.h"

#include <cctype>
#include <cstdlib>

#if TESSIRAL_X86_KERNELS
#include <cpuid.h>
#endif

namespace tessiral {

namespace {

#if TESSIRAL_X86_KERNELS
// XCR0: which register states the operating system saves on a task switch.
unsigned long long xcr0()
{
    unsigned eax = 0, edx = 0;
    __asm__ volatile("xgetbv" : "=a"(eax), "=d"(edx) : "c"(0));
    return (static_cast<unsigned long long>(edx) << 32) | eax;
}
#endif

CpuFeatures detect()
{
    CpuFeatures f;
#if TESSIRAL_X86_KERNELS
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(1, &a, &b, &c, &d) == 0)
        return f;
    f.aesni = (c >> 25) & 1;
    const bool osxsave = (c >> 27) & 1;
    const bool avx = (c >> 28) & 1;
    if (!osxsave || !avx || __get_cpuid_max(0, nullptr) < 7)
        return f;
    const unsigned long long x = xcr0();
    const bool ymm = (x & 0x6) == 0x6; // SSE and AVX state
    const bool zmm = ymm && (x & 0xE0) == 0xE0; // opmask and both halves of the 512-bit state
    __cpuid_count(7, 0, a, b, c, d);
    f.avx2 = ymm && ((b >> 5) & 1);
    f.avx512 = zmm && ((b >> 16) & 1) && ((b >> 30) & 1) && ((b >> 31) & 1);
    f.vaes = ymm && ((c >> 9) & 1);
    f.vbmi_gfni = f.avx512 && ((c >> 1) & 1) && ((c >> 8) & 1);
#endif
    return f;
}

CpuLevel level_of(const CpuFeatures& f)
{
    if (!f.aesni)
        return CpuLevel::Portable;
    if (!f.avx2)
        return CpuLevel::AesNi;
    return f.avx512 ? CpuLevel::Avx512 : CpuLevel::Avx2;
}

} // namespace

const CpuFeatures& cpu_features()
{
    static const CpuFeatures features = detect();
    return features;
}

CpuLevel detected_cpu_level()
{
    static const CpuLevel level = level_of(cpu_features());
    return level;
}

CpuLevel cpu_level()
{
    static const CpuLevel level = [] {
        CpuLevel asked = CpuLevel::Avx512;
        const char* text = std::getenv("TESSIRAL_CPU");
        if (text == nullptr || !parse_cpu_level(text, asked))
            asked = CpuLevel::Avx512;
        return asked < detected_cpu_level() ? asked : detected_cpu_level();
    }();
    return level;
}

const char* cpu_level_name(CpuLevel level)
{
    switch (level) {
    case CpuLevel::Portable:
        return "portable";
    case CpuLevel::AesNi:
        return "aesni";
    case CpuLevel::Avx2:
        return "avx2";
    case CpuLevel::Avx512:
        return "avx512";
    }
    return "portable";
}

bool parse_cpu_level(const char* text, CpuLevel& level)
{
    for (CpuLevel candidate : kCpuLevels) {
        const char* name = cpu_level_name(candidate);
        std::size_t i = 0;
        while (name[i] != '\0' && std::tolower(static_cast<unsigned char>(text[i])) == name[i])
            ++i;
        if (name[i] == '\0' && text[i] == '\0') {
            level = candidate;
            return true;
        }
    }
    return false;
}

} // namespace tessiral
