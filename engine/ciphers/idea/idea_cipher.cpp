// IDEA: 64-bit block, 128-bit key, 8 rounds and the output transformation.
// Key words are big-endian; block words are little-endian (the engine's own
// byte order, which encrypted files depend on).
#include "engine/api/idea.h"

#include "engine/ciphers/idea/idea_blocks.h"
#include "engine/os/secure_zero.h"

#include <cstring>

namespace {

inline unsigned short mul16(unsigned short a, unsigned short b)
{
    if (a == 0)
        return static_cast<unsigned short>(1 - b);
    if (b == 0)
        return static_cast<unsigned short>(1 - a);
    const std::uint32_t p = std::uint32_t(a) * b;
    const unsigned short low = static_cast<unsigned short>(p & 0xFFFF);
    const unsigned short high = static_cast<unsigned short>(p >> 16);
    return static_cast<unsigned short>(low - high + (low < high ? 1 : 0));
}

} // namespace

unsigned short CIdea::mul(unsigned short a, unsigned short b)
{
    return mul16(a, b);
}

unsigned short CIdea::inv(unsigned short x)
{
    if (x <= 1)
        return x;
    // Extended Euclid against 65537, tracking only the coefficient of x.
    std::int64_t t0 = 0, t1 = 1;
    std::int64_t r0 = 65537, r1 = x;
    while (r1 != 0) {
        const std::int64_t q = r0 / r1;
        std::int64_t tmp = r0 - q * r1;
        r0 = r1;
        r1 = tmp;
        tmp = t0 - q * t1;
        t0 = t1;
        t1 = tmp;
    }
    if (t0 < 0)
        t0 += 65537;
    return static_cast<unsigned short>(t0 & 0xFFFF);
}

void CIdea::en_key_idea(unsigned char* key, unsigned short* z)
{
    for (int i = 0; i < 8; ++i)
        z[i] = static_cast<unsigned short>((key[2 * i] << 8) | key[2 * i + 1]);
    // Each group of eight is the previous group rotated left by 25 bits.
    for (int i = 8; i < 52; ++i) {
        const int base = (i / 8 - 1) * 8;
        const int j = i % 8;
        z[i] = static_cast<unsigned short>((z[base + (j + 1) % 8] << 9) | (z[base + (j + 2) % 8] >> 7));
    }
}

void CIdea::de_key_idea(unsigned short* z, unsigned short* dk)
{
    unsigned short t[52];
    for (int r = 0; r < 8; ++r) {
        unsigned short* d = t + 6 * r;
        d[0] = inv(z[48 - 6 * r]);
        if (r == 0) {
            d[1] = static_cast<unsigned short>(-z[49]);
            d[2] = static_cast<unsigned short>(-z[50]);
        } else {
            d[1] = static_cast<unsigned short>(-z[50 - 6 * r]);
            d[2] = static_cast<unsigned short>(-z[49 - 6 * r]);
        }
        d[3] = inv(z[51 - 6 * r]);
        d[4] = z[46 - 6 * r];
        d[5] = z[47 - 6 * r];
    }
    t[48] = inv(z[0]);
    t[49] = static_cast<unsigned short>(-z[1]);
    t[50] = static_cast<unsigned short>(-z[2]);
    t[51] = inv(z[3]);
    std::memcpy(dk, t, sizeof t);
    tessiral::secure_zero(t, sizeof t);
}

void CIdea::cipher_idea(unsigned char* in, unsigned char* out, unsigned short* z)
{
    idea_crypt_blocks(z, in, out, 1);
}

void idea_crypt_blocks(const unsigned short* subkeys, const uint8* in, uint8* out, std::size_t blocks)
{
    for (std::size_t b = 0; b < blocks; ++b, in += 8, out += 8) {
        const unsigned short* z = subkeys;
        unsigned short x1 = static_cast<unsigned short>(in[0] | (in[1] << 8));
        unsigned short x2 = static_cast<unsigned short>(in[2] | (in[3] << 8));
        unsigned short x3 = static_cast<unsigned short>(in[4] | (in[5] << 8));
        unsigned short x4 = static_cast<unsigned short>(in[6] | (in[7] << 8));
        for (int r = 0; r < 8; ++r, z += 6) {
            x1 = mul16(x1, z[0]);
            x2 = static_cast<unsigned short>(x2 + z[1]);
            x3 = static_cast<unsigned short>(x3 + z[2]);
            x4 = mul16(x4, z[3]);
            unsigned short t2 = mul16(static_cast<unsigned short>(x1 ^ x3), z[4]);
            const unsigned short t1 = mul16(static_cast<unsigned short>(t2 + (x2 ^ x4)), z[5]);
            t2 = static_cast<unsigned short>(t1 + t2);
            x1 ^= t1;
            x4 ^= t2;
            t2 ^= x2;
            x2 = static_cast<unsigned short>(x3 ^ t1);
            x3 = t2;
        }
        const unsigned short y[4] = {
            mul16(x1, z[0]),
            static_cast<unsigned short>(x3 + z[1]),
            static_cast<unsigned short>(x2 + z[2]),
            mul16(x4, z[3]),
        };
        for (int i = 0; i < 4; ++i) {
            out[2 * i] = static_cast<unsigned char>(y[i] & 0xFF);
            out[2 * i + 1] = static_cast<unsigned char>(y[i] >> 8);
        }
    }
}
