// GCM's counter mode and hash around the cipher's bulk call: the counter
// blocks of a piece that stays in the first-level cache are made in one
// batch, enciphered in one call, then XORed in and hashed in one pass.
#include "engine/modes/gcm/gcm.h"

#include "engine/os/secure_zero.h"

#include <algorithm>
#include <cstring>

namespace tessiral::gcm {

namespace {

// Blocks per piece: 2 KiB, measured best (the keystream, the data and the
// hash key's powers stay in the first-level cache between the passes).
constexpr std::size_t kPieceBlocks = 128;

std::uint32_t load_be32(const unsigned char* p)
{
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

void store_be32(unsigned char* p, std::uint32_t v)
{
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

void store_be64(unsigned char* p, std::uint64_t v)
{
    store_be32(p, static_cast<std::uint32_t>(v >> 32));
    store_be32(p + 4, static_cast<std::uint32_t>(v));
}

void make_j0(const unsigned char iv[kIvBytes], unsigned char j0[kBlockBytes])
{
    std::memcpy(j0, iv, kIvBytes);
    store_be32(j0 + kIvBytes, 1);
}

} // namespace

Gcm::Gcm(BlockEncryptor cipher, CpuLevel level)
    : m_cipher(cipher)
    , m_kernel(ghash_kernel(level))
    , m_key{}
{
    alignas(16) unsigned char h[kBlockBytes] = {};
    m_cipher.encrypt_blocks(m_cipher.context, h, h, 1);
    ghash_init(m_key, h, m_kernel);
    secure_zero(h, sizeof h);
}

Gcm::~Gcm()
{
    secure_zero(&m_key, sizeof m_key);
}

void Gcm::crypt(const unsigned char j0[kBlockBytes], const unsigned char* aad, std::size_t aadLength,
    const unsigned char* in, std::size_t length, unsigned char* out, bool encrypt, unsigned char tag[kTagBytes]) const
{
    FieldElement state = {};
    alignas(16) unsigned char last[kBlockBytes];

    const std::size_t aadBlocks = aadLength / kBlockBytes, aadRest = aadLength % kBlockBytes;
    if (aadBlocks > 0)
        m_kernel.hash(m_key, state, aad, aadBlocks);
    if (aadRest > 0) {
        std::memset(last, 0, sizeof last);
        std::memcpy(last, aad + aadBlocks * kBlockBytes, aadRest);
        m_kernel.hash(m_key, state, last, 1);
    }

    alignas(64) unsigned char keystream[kPieceBlocks * kBlockBytes];
    const std::size_t blocks = length / kBlockBytes, rest = length % kBlockBytes;
    const std::size_t total = blocks + (rest > 0 ? 1 : 0);
    const std::uint32_t counter = load_be32(j0 + 12);
    std::size_t first = 0;
    if (m_cipher.stitched != nullptr && blocks > 0)
        first = m_cipher.stitched(
            m_cipher.stitchedKey, m_key, state, j0, static_cast<std::uint32_t>(counter + 1), in, out, blocks, encrypt);
    for (std::size_t done = first; done < total;) {
        const std::size_t n = std::min(kPieceBlocks, total - done);
        // inc32: the low 32 bits count modulo 2^32.
        m_kernel.counters(j0, static_cast<std::uint32_t>(counter + 1 + done), keystream, n);
        m_cipher.encrypt_blocks(m_cipher.context, keystream, keystream, n);
        const std::size_t whole = std::min(n, blocks - done);
        if (whole > 0)
            m_kernel.crypt(m_key, state, keystream, in + kBlockBytes * done, out + kBlockBytes * done, whole, encrypt);
        if (whole < n) {
            // The last, partial block: hashed zero-padded.
            const unsigned char* ks = keystream + kBlockBytes * whole;
            std::memset(last, 0, sizeof last);
            std::memcpy(last, in + kBlockBytes * blocks, rest);
            if (!encrypt)
                m_kernel.hash(m_key, state, last, 1);
            for (std::size_t i = 0; i < rest; ++i)
                last[i] ^= ks[i];
            std::memcpy(out + kBlockBytes * blocks, last, rest);
            if (encrypt) {
                std::memset(last + rest, 0, kBlockBytes - rest);
                m_kernel.hash(m_key, state, last, 1);
            }
        }
        done += n;
    }

    store_be64(last, std::uint64_t(aadLength) * 8);
    store_be64(last + 8, std::uint64_t(length) * 8);
    m_kernel.hash(m_key, state, last, 1);

    alignas(16) unsigned char mask[kBlockBytes];
    std::memcpy(mask, j0, kBlockBytes);
    m_cipher.encrypt_blocks(m_cipher.context, mask, mask, 1);
    store_block(state, tag);
    for (std::size_t i = 0; i < kTagBytes; ++i)
        tag[i] ^= mask[i];

    secure_zero(keystream, std::min(total - first, kPieceBlocks) * kBlockBytes);
    secure_zero(last, sizeof last);
    secure_zero(mask, sizeof mask);
    secure_zero(&state, sizeof state);
}

bool Gcm::seal_j0(const unsigned char j0[kBlockBytes], const unsigned char* aad, std::size_t aadLength,
    const unsigned char* plain, std::size_t length, unsigned char* out, unsigned char tag[kTagBytes]) const
{
    if (std::uint64_t(length) > kMaxMessageBytes)
        return false;
    crypt(j0, aad, aadLength, plain, length, out, true, tag);
    return true;
}

bool Gcm::open_j0(const unsigned char j0[kBlockBytes], const unsigned char* aad, std::size_t aadLength,
    const unsigned char* cipher, std::size_t length, const unsigned char tag[kTagBytes], unsigned char* out) const
{
    if (std::uint64_t(length) > kMaxMessageBytes) {
        secure_zero(out, length);
        return false;
    }
    unsigned char expected[kTagBytes];
    crypt(j0, aad, aadLength, cipher, length, out, false, expected);
    unsigned differ = 0;
    for (std::size_t i = 0; i < kTagBytes; ++i)
        differ |= static_cast<unsigned>(expected[i] ^ tag[i]);
    secure_zero(expected, sizeof expected);
    if (differ != 0) {
        secure_zero(out, length);
        return false;
    }
    return true;
}

bool Gcm::seal(const unsigned char iv[kIvBytes], const unsigned char* aad, std::size_t aadLength,
    const unsigned char* plain, std::size_t length, unsigned char* out, unsigned char tag[kTagBytes]) const
{
    unsigned char j0[kBlockBytes];
    make_j0(iv, j0);
    return seal_j0(j0, aad, aadLength, plain, length, out, tag);
}

bool Gcm::open(const unsigned char iv[kIvBytes], const unsigned char* aad, std::size_t aadLength,
    const unsigned char* cipher, std::size_t length, const unsigned char tag[kTagBytes], unsigned char* out) const
{
    unsigned char j0[kBlockBytes];
    make_j0(iv, j0);
    return open_j0(j0, aad, aadLength, cipher, length, tag, out);
}

} // namespace tessiral::gcm
