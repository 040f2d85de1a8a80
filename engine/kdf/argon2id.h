// Argon2id (RFC 9106, version 0x13) on the reference implementation, with
// its parameters checked against the engine's limits before any memory is
// taken.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tessiral::kdf {

struct Argon2Params {
    std::uint32_t timeCost; // passes over the memory, 1..kArgon2MaxTimeCost
    std::uint32_t memoryKib; // memory in KiB, 8 * lanes .. kArgon2MaxMemoryKib
    std::uint32_t lanes; // parallel lanes (one thread each), 1..kArgon2MaxLanes
};

inline constexpr std::uint32_t kArgon2MaxTimeCost = 10;
inline constexpr std::uint32_t kArgon2MaxMemoryKib = 4u * 1024 * 1024; // 4 GiB
inline constexpr std::uint32_t kArgon2MaxLanes = 16;
inline constexpr std::size_t kArgon2MinSalt = 8;

enum class Argon2Status {
    Ok,
    TimeCostOutOfRange, // 0 or above kArgon2MaxTimeCost
    MemoryOutOfRange, // above kArgon2MaxMemoryKib, or below 8 KiB a lane
    LanesOutOfRange, // 0 or above kArgon2MaxLanes
    BadInput, // salt shorter than 8 bytes, output shorter than 4, a length past 2^32 - 1
    OutOfMemory, // the memory could not be had
    Failed, // anything else the library reports
};

// Whether the parameters lie within the limits (no allocation).
Argon2Status argon2id_check(const Argon2Params& params);

// out = Argon2id(password, salt, params, outLength bytes), with the RFC's
// optional secret and associated data (null and 0 when not used). The
// parameters are checked first; nothing is allocated when they fail.
Argon2Status argon2id_derive(const Argon2Params& params, const unsigned char* password, std::size_t passwordLength,
    const unsigned char* salt, std::size_t saltLength, unsigned char* out, std::size_t outLength,
    const unsigned char* secret = nullptr, std::size_t secretLength = 0, const unsigned char* ad = nullptr,
    std::size_t adLength = 0);

} // namespace tessiral::kdf
