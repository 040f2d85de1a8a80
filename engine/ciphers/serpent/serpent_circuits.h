// The Serpent round function as templates over the word type: plain 32-bit
// words for one block, or vector registers holding word i of many blocks.
// Shared by the portable code and the vector kernels; every file that
// includes it gets its own copies (unnamed namespace), compiled for that
// file's instruction set.
#pragma once

#include "engine/ciphers/cipher_types.h"

#include <utility>

// A vector kernel defines SERPENT_TARGET (a target attribute) before
// including this, so every function here is compiled for its instruction set.
#ifndef SERPENT_TARGET
#define SERPENT_TARGET
#endif

#if defined(_MSC_VER)
#define SERPENT_INLINE __forceinline
#else
#define SERPENT_INLINE inline __attribute__((always_inline)) SERPENT_TARGET
#endif

namespace {

constexpr int kSerpentRounds = 32;

template <int N> SERPENT_INLINE uint32 rotl(uint32 x)
{
    return tessiral::rotl32(x, N);
}
template <int N> SERPENT_INLINE uint32 rotr(uint32 x)
{
    return tessiral::rotr32(x, N);
}
template <int N> SERPENT_INLINE uint32 shl(uint32 x)
{
    return x << N;
}

// The eight S-boxes and their inverses as circuits of AND, OR, XOR and NOT,
// found by a search over the published 4-bit tables (listed above each one).
// Bit j of x0..x3 forms the nibble x0 + 2 x1 + 4 x2 + 8 x3 for position j.

// S0: 3 8 15 1 10 6 5 11 14 13 4 2 7 0 9 12 (17 operations)
template <class W> SERPENT_INLINE void sbox0(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = a | d;
    const W t1 = c ^ t0;
    const W t2 = b ^ t1;
    const W t3 = a & b;
    const W t4 = t2 | d;
    const W t5 = c & t4;
    const W t6 = t3 | t5;
    const W t7 = d ^ t6;
    const W t8 = a ^ t7;
    const W t9 = ~t8;
    const W t10 = t9 ^ t5;
    const W t11 = b | t10;
    const W t12 = c ^ t11;
    const W t13 = t7 ^ t12;
    const W t14 = t13 | c;
    const W t15 = b ^ t14;
    const W t16 = t10 ^ t15;
    x0 = t9;
    x1 = t13;
    x2 = t16;
    x3 = t2;
}

// S1: 15 12 2 7 9 0 5 10 1 11 14 8 6 13 3 4 (17 operations)
template <class W> SERPENT_INLINE void sbox1(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = ~b;
    const W t1 = a | t0;
    const W t2 = d ^ t1;
    const W t3 = c ^ t2;
    const W t4 = t0 | t3;
    const W t5 = a & t3;
    const W t6 = d | t5;
    const W t7 = t4 & t6;
    const W t8 = a ^ t7;
    const W t9 = t0 ^ t8;
    const W t10 = a ^ b;
    const W t11 = d | t10;
    const W t12 = t3 ^ t11;
    const W t13 = t8 ^ t12;
    const W t14 = c & t11;
    const W t15 = t5 ^ t14;
    const W t16 = t0 ^ t15;
    x0 = t16;
    x1 = t13;
    x2 = t3;
    x3 = t9;
}

// S2: 8 6 7 9 3 12 10 15 13 1 14 4 0 11 5 2 (16 operations)
template <class W> SERPENT_INLINE void sbox2(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = a | c;
    const W t1 = d ^ t0;
    const W t2 = b ^ t1;
    const W t3 = a ^ t2;
    const W t4 = t3 ^ c;
    const W t5 = b | t4;
    const W t6 = t1 ^ t5;
    const W t7 = ~t6;
    const W t8 = t2 | t6;
    const W t9 = c | d;
    const W t10 = t8 & t9;
    const W t11 = t4 ^ t10;
    const W t12 = t1 ^ t11;
    const W t13 = t7 | t12;
    const W t14 = t9 & t13;
    const W t15 = t2 ^ t14;
    x0 = t3;
    x1 = t15;
    x2 = t12;
    x3 = t7;
}

// S3: 0 15 11 8 12 9 6 3 13 1 2 4 10 7 5 14 (17 operations)
template <class W> SERPENT_INLINE void sbox3(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = a & d;
    const W t1 = b | t0;
    const W t2 = a | d;
    const W t3 = c & t2;
    const W t4 = t1 ^ t3;
    const W t5 = a ^ t4;
    const W t6 = t1 & d;
    const W t7 = a & b;
    const W t8 = c | t7;
    const W t9 = t6 ^ t8;
    const W t10 = t2 ^ t9;
    const W t11 = t5 | t10;
    const W t12 = t7 ^ t11;
    const W t13 = t9 ^ t12;
    const W t14 = t12 & t10;
    const W t15 = t6 ^ t14;
    const W t16 = t4 ^ t15;
    x0 = t13;
    x1 = t5;
    x2 = t10;
    x3 = t16;
}

// S4: 1 15 8 3 12 0 11 6 2 5 4 10 9 14 7 13 (16 operations)
template <class W> SERPENT_INLINE void sbox4(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = a ^ b;
    const W t1 = a ^ d;
    const W t2 = t0 | t1;
    const W t3 = c ^ t2;
    const W t4 = a ^ t3;
    const W t5 = ~t4;
    const W t6 = t4 | b;
    const W t7 = t1 ^ t6;
    const W t8 = t3 | t5;
    const W t9 = t1 ^ t8;
    const W t10 = t6 & t9;
    const W t11 = t0 ^ t10;
    const W t12 = t1 ^ t11;
    const W t13 = t7 | t12;
    const W t14 = d ^ t13;
    const W t15 = t4 ^ t14;
    x0 = t5;
    x1 = t15;
    x2 = t11;
    x3 = t7;
}

// S5: 15 5 2 11 4 10 9 12 0 3 14 8 13 6 7 1 (16 operations)
template <class W> SERPENT_INLINE void sbox5(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = a ^ b;
    const W t1 = a ^ d;
    const W t2 = t0 | t1;
    const W t3 = c ^ t2;
    const W t4 = a ^ t3;
    const W t5 = ~t4;
    const W t6 = t4 | d;
    const W t7 = t0 ^ t6;
    const W t8 = ~t7;
    const W t9 = t0 | t7;
    const W t10 = b | t5;
    const W t11 = t9 ^ t10;
    const W t12 = t1 ^ t11;
    const W t13 = t1 ^ t10;
    const W t14 = t7 | t13;
    const W t15 = t3 ^ t14;
    x0 = t5;
    x1 = t8;
    x2 = t12;
    x3 = t15;
}

// S6: 7 2 12 5 8 4 6 11 14 9 1 15 13 3 10 0 (16 operations)
template <class W> SERPENT_INLINE void sbox6(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = a & d;
    const W t1 = c ^ t0;
    const W t2 = b ^ t1;
    const W t3 = ~t2;
    const W t4 = t1 & t3;
    const W t5 = t1 & a;
    const W t6 = d ^ t5;
    const W t7 = t4 | t6;
    const W t8 = a ^ t7;
    const W t9 = t3 ^ t8;
    const W t10 = t9 & t3;
    const W t11 = b | t10;
    const W t12 = t6 ^ t11;
    const W t13 = t12 & t9;
    const W t14 = t1 ^ t13;
    const W t15 = t12 ^ t14;
    x0 = t9;
    x1 = t3;
    x2 = t12;
    x3 = t15;
}

// S7: 1 13 15 0 14 8 2 11 7 4 12 10 9 3 5 6 (19 operations)
template <class W> SERPENT_INLINE void sbox7(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = a & b;
    const W t1 = a ^ b;
    const W t2 = c | t1;
    const W t3 = d & t2;
    const W t4 = t0 ^ t3;
    const W t5 = c ^ t4;
    const W t6 = ~t5;
    const W t7 = t5 & t3;
    const W t8 = t2 | d;
    const W t9 = a ^ t8;
    const W t10 = t7 | t9;
    const W t11 = t4 ^ t10;
    const W t12 = c ^ t2;
    const W t13 = t1 ^ t11;
    const W t14 = t10 & t13;
    const W t15 = t12 | t14;
    const W t16 = t5 & t10;
    const W t17 = t13 ^ t16;
    const W t18 = t9 ^ t17;
    x0 = t6;
    x1 = t11;
    x2 = t15;
    x3 = t18;
}

// S0 inverse: 13 3 11 0 10 6 5 12 1 14 4 7 15 9 8 2 (17 operations)
template <class W> SERPENT_INLINE void inverse_sbox0(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = a | b;
    const W t1 = d ^ t0;
    const W t2 = c ^ t1;
    const W t3 = ~t2;
    const W t4 = t2 & d;
    const W t5 = b & c;
    const W t6 = a ^ t5;
    const W t7 = t4 | t6;
    const W t8 = b ^ t7;
    const W t9 = t3 ^ t8;
    const W t10 = t8 & d;
    const W t11 = t4 | t10;
    const W t12 = t6 ^ t11;
    const W t13 = ~t12;
    const W t14 = t9 | t13;
    const W t15 = d ^ t14;
    const W t16 = t3 ^ t15;
    x0 = t9;
    x1 = t16;
    x2 = t3;
    x3 = t13;
}

// S1 inverse: 5 8 2 14 15 6 12 3 11 4 7 9 1 13 10 0 (18 operations)
template <class W> SERPENT_INLINE void inverse_sbox1(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = b | d;
    const W t1 = c ^ t0;
    const W t2 = b ^ t1;
    const W t3 = a ^ t2;
    const W t4 = t3 | a;
    const W t5 = b ^ d;
    const W t6 = t4 & t5;
    const W t7 = t3 ^ t6;
    const W t8 = t0 & t7;
    const W t9 = t1 ^ t8;
    const W t10 = t5 | t9;
    const W t11 = d ^ t10;
    const W t12 = t7 ^ t11;
    const W t13 = ~t12;
    const W t14 = t9 & t12;
    const W t15 = c ^ t14;
    const W t16 = t3 ^ t15;
    const W t17 = ~t16;
    x0 = t13;
    x1 = t9;
    x2 = t17;
    x3 = t3;
}

// S2 inverse: 12 9 15 4 11 14 1 2 0 3 6 13 5 8 10 7 (17 operations)
template <class W> SERPENT_INLINE void inverse_sbox2(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = c ^ d;
    const W t1 = b | t0;
    const W t2 = d ^ t1;
    const W t3 = a ^ t2;
    const W t4 = a | c;
    const W t5 = b & t4;
    const W t6 = ~d;
    const W t7 = a & c;
    const W t8 = t6 | t7;
    const W t9 = t5 ^ t8;
    const W t10 = a | b;
    const W t11 = t0 & t10;
    const W t12 = t4 ^ t11;
    const W t13 = t9 ^ t12;
    const W t14 = t3 | t13;
    const W t15 = t9 ^ t14;
    const W t16 = t2 ^ t15;
    x0 = t3;
    x1 = t16;
    x2 = t13;
    x3 = t9;
}

// S3 inverse: 0 9 10 7 11 14 6 13 3 5 12 2 4 8 15 1 (17 operations)
template <class W> SERPENT_INLINE void inverse_sbox3(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = a | d;
    const W t1 = c | d;
    const W t2 = b & t1;
    const W t3 = t0 ^ t2;
    const W t4 = c ^ t3;
    const W t5 = t4 ^ b;
    const W t6 = t3 & t5;
    const W t7 = d ^ t6;
    const W t8 = a ^ t7;
    const W t9 = t8 ^ b;
    const W t10 = t7 ^ t1;
    const W t11 = t9 | t10;
    const W t12 = d ^ t11;
    const W t13 = t8 | t12;
    const W t14 = t0 ^ t13;
    const W t15 = t4 ^ t14;
    const W t16 = t10 ^ t15;
    x0 = t4;
    x1 = t16;
    x2 = t8;
    x3 = t12;
}

// S4 inverse: 5 0 8 3 10 9 7 14 2 12 11 6 4 15 13 1 (17 operations)
template <class W> SERPENT_INLINE void inverse_sbox4(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = c | d;
    const W t1 = b ^ t0;
    const W t2 = a & t1;
    const W t3 = d ^ t2;
    const W t4 = c ^ t3;
    const W t5 = t4 | d;
    const W t6 = a & t5;
    const W t7 = d ^ t6;
    const W t8 = t1 ^ t7;
    const W t9 = ~a;
    const W t10 = t4 | t9;
    const W t11 = t6 ^ t10;
    const W t12 = t1 ^ t11;
    const W t13 = t8 | d;
    const W t14 = t3 & c;
    const W t15 = t13 ^ t14;
    const W t16 = t9 ^ t15;
    x0 = t12;
    x1 = t4;
    x2 = t16;
    x3 = t8;
}

// S5 inverse: 8 15 2 9 4 1 13 14 11 6 5 3 7 12 10 0 (16 operations)
template <class W> SERPENT_INLINE void inverse_sbox5(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = a & d;
    const W t1 = c ^ t0;
    const W t2 = b & t1;
    const W t3 = d ^ t2;
    const W t4 = a ^ t3;
    const W t5 = t4 & b;
    const W t6 = t1 ^ b;
    const W t7 = c & t6;
    const W t8 = t5 | t7;
    const W t9 = a ^ t8;
    const W t10 = t5 & a;
    const W t11 = t6 ^ t10;
    const W t12 = ~t11;
    const W t13 = t11 & a;
    const W t14 = b ^ t13;
    const W t15 = t4 ^ t14;
    x0 = t4;
    x1 = t15;
    x2 = t9;
    x3 = t12;
}

// S6 inverse: 15 10 1 13 5 3 6 0 4 9 14 7 2 12 8 11 (16 operations)
template <class W> SERPENT_INLINE void inverse_sbox6(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = ~c;
    const W t1 = a | t0;
    const W t2 = d ^ t1;
    const W t3 = b ^ t2;
    const W t4 = t2 & b;
    const W t5 = t0 & b;
    const W t6 = a ^ t5;
    const W t7 = t4 | t6;
    const W t8 = c ^ t7;
    const W t9 = t3 ^ t8;
    const W t10 = t2 & t9;
    const W t11 = t4 | t10;
    const W t12 = t6 ^ t11;
    const W t13 = t9 & t12;
    const W t14 = t2 ^ t13;
    const W t15 = ~t14;
    x0 = t9;
    x1 = t3;
    x2 = t15;
    x3 = t12;
}

// S7 inverse: 3 0 6 13 9 14 15 8 5 12 11 7 10 1 4 2 (17 operations)
template <class W> SERPENT_INLINE void inverse_sbox7(W& x0, W& x1, W& x2, W& x3)
{
    const W a = x0, b = x1, c = x2, d = x3;
    const W t0 = a & b;
    const W t1 = c | t0;
    const W t2 = a | b;
    const W t3 = d & t2;
    const W t4 = t1 ^ t3;
    const W t5 = b ^ t3;
    const W t6 = t4 ^ d;
    const W t7 = ~t6;
    const W t8 = t5 | t7;
    const W t9 = a ^ t8;
    const W t10 = t9 | d;
    const W t11 = c ^ t10;
    const W t12 = t5 ^ t11;
    const W t13 = t4 | a;
    const W t14 = b ^ t13;
    const W t15 = t8 ^ t14;
    const W t16 = t11 ^ t15;
    x0 = t12;
    x1 = t9;
    x2 = t16;
    x3 = t4;
}

template <int S, class W> SERPENT_INLINE void sbox(W& x0, W& x1, W& x2, W& x3)
{
    if constexpr (S == 0)
        sbox0(x0, x1, x2, x3);
    else if constexpr (S == 1)
        sbox1(x0, x1, x2, x3);
    else if constexpr (S == 2)
        sbox2(x0, x1, x2, x3);
    else if constexpr (S == 3)
        sbox3(x0, x1, x2, x3);
    else if constexpr (S == 4)
        sbox4(x0, x1, x2, x3);
    else if constexpr (S == 5)
        sbox5(x0, x1, x2, x3);
    else if constexpr (S == 6)
        sbox6(x0, x1, x2, x3);
    else
        sbox7(x0, x1, x2, x3);
}

template <int S, class W> SERPENT_INLINE void inverse_sbox(W& x0, W& x1, W& x2, W& x3)
{
    if constexpr (S == 0)
        inverse_sbox0(x0, x1, x2, x3);
    else if constexpr (S == 1)
        inverse_sbox1(x0, x1, x2, x3);
    else if constexpr (S == 2)
        inverse_sbox2(x0, x1, x2, x3);
    else if constexpr (S == 3)
        inverse_sbox3(x0, x1, x2, x3);
    else if constexpr (S == 4)
        inverse_sbox4(x0, x1, x2, x3);
    else if constexpr (S == 5)
        inverse_sbox5(x0, x1, x2, x3);
    else if constexpr (S == 6)
        inverse_sbox6(x0, x1, x2, x3);
    else
        inverse_sbox7(x0, x1, x2, x3);
}

template <class W> SERPENT_INLINE void linear(W& x0, W& x1, W& x2, W& x3)
{
    x0 = rotl<13>(x0);
    x2 = rotl<3>(x2);
    x1 = x1 ^ x0 ^ x2;
    x3 = x3 ^ x2 ^ shl<3>(x0);
    x1 = rotl<1>(x1);
    x3 = rotl<7>(x3);
    x0 = x0 ^ x1 ^ x3;
    x2 = x2 ^ x3 ^ shl<7>(x1);
    x0 = rotl<5>(x0);
    x2 = rotl<22>(x2);
}

template <class W> SERPENT_INLINE void linear_inverse(W& x0, W& x1, W& x2, W& x3)
{
    x2 = rotr<22>(x2);
    x0 = rotr<5>(x0);
    x2 = x2 ^ x3 ^ shl<7>(x1);
    x0 = x0 ^ x1 ^ x3;
    x3 = rotr<7>(x3);
    x1 = rotr<1>(x1);
    x3 = x3 ^ x2 ^ shl<3>(x0);
    x1 = x1 ^ x0 ^ x2;
    x2 = rotr<3>(x2);
    x0 = rotr<13>(x0);
}

// `k` gives round-key words in the state's own word type: an array of them,
// or an object whose operator[] widens a schedule word on the fly.
template <class K, class W> SERPENT_INLINE void mix_key(K k, W& x0, W& x1, W& x2, W& x3)
{
    x0 ^= k[0];
    x1 ^= k[1];
    x2 ^= k[2];
    x3 ^= k[3];
}

template <int R, class K, class W> SERPENT_INLINE void encrypt_round(K k, W& x0, W& x1, W& x2, W& x3)
{
    mix_key(k + 4 * R, x0, x1, x2, x3);
    sbox<R % 8>(x0, x1, x2, x3);
    if constexpr (R < kSerpentRounds - 1)
        linear(x0, x1, x2, x3);
    else
        mix_key(k + 4 * kSerpentRounds, x0, x1, x2, x3);
}

template <int R, class K, class W> SERPENT_INLINE void decrypt_round(K k, W& x0, W& x1, W& x2, W& x3)
{
    if constexpr (R < kSerpentRounds - 1)
        linear_inverse(x0, x1, x2, x3);
    else
        mix_key(k + 4 * kSerpentRounds, x0, x1, x2, x3);
    inverse_sbox<R % 8>(x0, x1, x2, x3);
    mix_key(k + 4 * R, x0, x1, x2, x3);
}

template <class K, class W, int... R>
SERPENT_INLINE void encrypt_state(K k, W& x0, W& x1, W& x2, W& x3, std::integer_sequence<int, R...>)
{
    (encrypt_round<R>(k, x0, x1, x2, x3), ...);
}

template <class K, class W, int... R>
SERPENT_INLINE void decrypt_state(K k, W& x0, W& x1, W& x2, W& x3, std::integer_sequence<int, R...>)
{
    (decrypt_round<kSerpentRounds - 1 - R>(k, x0, x1, x2, x3), ...);
}

constexpr auto kAllRounds = std::make_integer_sequence<int, kSerpentRounds>{};

} // namespace
