// The steps MARS is built from, shared by the one-block code and the
// interleaved kernels so both run the very same arithmetic.
#pragma once

#include "engine/ciphers/mars/mars_sbox.h"

#include <bit>

namespace tessiral::mars {

const uint32* const S0 = mars_sbox;
const uint32* const S1 = mars_sbox + 256;

inline uint32 rol(uint32 x, uint32 n)
{
    return std::rotl(x, int(n & 31));
}
inline uint32 ror(uint32 x, uint32 n)
{
    return std::rotr(x, int(n & 31));
}

inline uint32 byte0(uint32 x)
{
    return x & 0xFF;
}
inline uint32 byte1(uint32 x)
{
    return (x >> 8) & 0xFF;
}
inline uint32 byte2(uint32 x)
{
    return (x >> 16) & 0xFF;
}
inline uint32 byte3(uint32 x)
{
    return x >> 24;
}

inline void mix_forward(uint32& a, uint32& b, uint32& c, uint32& d)
{
    b ^= S0[byte0(a)];
    b += S1[byte1(a)];
    c += S0[byte2(a)];
    d ^= S1[byte3(a)];
    a = ror(a, 24);
}

inline void mix_backward(uint32& a, uint32& b, uint32& c, uint32& d)
{
    b ^= S1[byte0(a)];
    c -= S0[byte3(a)];
    d -= S1[byte2(a)];
    d ^= S0[byte1(a)];
    a = rol(a, 24);
}

// The keyed E function on a. Its outputs L and M are added into and R is
// XORed into the words the round names; a itself only rotates.
inline void core(uint32& a, uint32& l_to, uint32& m_to, uint32& r_to, uint32 k1, uint32 k2)
{
    uint32 m = a + k1;
    const uint32 rotated = rol(a, 13);
    uint32 r = rol(rotated * k2, 5);
    uint32 l = mars_sbox[m & 0x1FF] ^ r;
    m = rol(m, r);
    r = rol(r, 5);
    l = rol(l ^ r, r);
    a = rotated;
    l_to += l;
    m_to += m;
    r_to ^= r;
}

// Undoes core(): a is the rotated input word as encryption left it.
inline void core_inverse(uint32& a, uint32& l_to, uint32& m_to, uint32& r_to, uint32 k1, uint32 k2)
{
    const uint32 original = ror(a, 13);
    uint32 m = original + k1;
    uint32 r = rol(a * k2, 5);
    uint32 l = mars_sbox[m & 0x1FF] ^ r;
    m = rol(m, r);
    r = rol(r, 5);
    l = rol(l ^ r, r);
    a = original;
    l_to -= l;
    m_to -= m;
    r_to ^= r;
}

} // namespace tessiral::mars
