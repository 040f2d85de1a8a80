// Fixed-width integer names used throughout the cipher code, and the little
// helpers (rotations, little-endian loads and stores) every cipher needs.
#pragma once

#include <cstdint>
#include <cstring>

using uint8 = std::uint8_t;
using uint16 = std::uint16_t;
using uint32 = std::uint32_t;
using int32 = std::int32_t;

namespace tessiral {

inline constexpr uint32 rotl32(uint32 x, unsigned n)
{
    n &= 31;
    return n ? (x << n) | (x >> (32 - n)) : x;
}
inline constexpr uint32 rotr32(uint32 x, unsigned n)
{
    n &= 31;
    return n ? (x >> n) | (x << (32 - n)) : x;
}

inline uint32 load_le32(const uint8* p)
{
    return uint32(p[0]) | (uint32(p[1]) << 8) | (uint32(p[2]) << 16) | (uint32(p[3]) << 24);
}

inline void store_le32(uint8* p, uint32 v)
{
    p[0] = uint8(v);
    p[1] = uint8(v >> 8);
    p[2] = uint8(v >> 16);
    p[3] = uint8(v >> 24);
}

} // namespace tessiral
