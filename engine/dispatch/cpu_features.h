// What the processor offers the cipher kernels, and the level the engine runs
// at: detected once per process, optionally lowered by the environment
// variable TESSIRAL_CPU (portable, aesni, avx2 or avx512; never raised).
#pragma once

// Vector kernels exist for x86 with a GCC-compatible compiler (per-function
// target attributes); everywhere else only the portable code is built.
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define TESSIRAL_X86_KERNELS 1
#else
#define TESSIRAL_X86_KERNELS 0
#endif

namespace tessiral {

// Ordered: each level has everything the levels below it have.
//   AesNi:  the AES instructions on 128-bit registers
//   Avx2:   AES-NI and AVX2 (VAES on 256-bit registers only with the vaes flag)
//   Avx512: Avx2 and AVX-512 F, BW and VL (VAES on 512-bit registers only with vaes)
enum class CpuLevel { Portable = 0, AesNi = 1, Avx2 = 2, Avx512 = 3 };

inline constexpr CpuLevel kCpuLevels[] = { CpuLevel::Portable, CpuLevel::AesNi, CpuLevel::Avx2, CpuLevel::Avx512 };

struct CpuFeatures {
    bool aesni = false;
    bool vaes = false; // VAES, with the operating system saving the 256-bit state
    bool avx2 = false; // with the operating system saving the 256-bit state
    bool avx512 = false; // F, BW and VL, with the operating system saving the 512-bit state
    bool vbmi_gfni = false; // AVX-512 VBMI and GFNI: byte permutes over two registers, GF(2^8) affine maps
};

// Detected on first use; constant after that.
const CpuFeatures& cpu_features();
CpuLevel detected_cpu_level();

// The level the cipher table runs at: the detected one, lowered by
// TESSIRAL_CPU when it names a lower level. Decided on first use.
CpuLevel cpu_level();

// "portable", "aesni", "avx2", "avx512": the names TESSIRAL_CPU takes.
const char* cpu_level_name(CpuLevel level);

// A TESSIRAL_CPU value (case ignored); false, level untouched, for anything else.
bool parse_cpu_level(const char* text, CpuLevel& level);

} // namespace tessiral
