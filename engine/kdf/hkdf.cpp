// HKDF on libsodium's HMAC-SHA-256, whose key may be of any length.
#include "engine/kdf/hkdf.h"

#include "engine/kdf/secure_buffer.h"

#include <sodium.h>

#include <algorithm>
#include <cstring>

namespace tessiral::kdf {

void hkdf_extract(const unsigned char* salt, std::size_t saltLength, const unsigned char* ikm, std::size_t ikmLength,
    unsigned char prk[kHkdfHashBytes])
{
    crypto_ready();
    // HMAC pads its key with zeros to a block, so no salt and 32 zero bytes
    // give the same key.
    crypto_auth_hmacsha256_state state;
    static const unsigned char kNoSalt[1] = { 0 };
    crypto_auth_hmacsha256_init(&state, saltLength > 0 ? salt : kNoSalt, saltLength);
    crypto_auth_hmacsha256_update(&state, ikm, ikmLength);
    crypto_auth_hmacsha256_final(&state, prk);
    sodium_memzero(&state, sizeof state);
}

static_assert(sizeof(crypto_auth_hmacsha256_state) <= kHkdfKeyedBytes);

void hkdf_key(const unsigned char prk[kHkdfHashBytes], unsigned char keyed[kHkdfKeyedBytes])
{
    crypto_ready();
    crypto_auth_hmacsha256_state state;
    crypto_auth_hmacsha256_init(&state, prk, kHkdfHashBytes);
    std::memcpy(keyed, &state, sizeof state);
    sodium_memzero(&state, sizeof state);
}

bool hkdf_expand_keyed(const unsigned char keyed[kHkdfKeyedBytes], const unsigned char* info, std::size_t infoLength,
    unsigned char* out, std::size_t length)
{
    if (length > kHkdfMaxOutput)
        return false;
    // T(i) = HMAC(PRK, T(i-1) | info | i), T(0) empty.
    unsigned char t[kHkdfHashBytes];
    crypto_auth_hmacsha256_state state;
    for (std::size_t done = 0, i = 1; done < length; ++i) {
        const unsigned char counter = static_cast<unsigned char>(i);
        std::memcpy(&state, keyed, sizeof state);
        if (i > 1)
            crypto_auth_hmacsha256_update(&state, t, kHkdfHashBytes);
        if (infoLength > 0)
            crypto_auth_hmacsha256_update(&state, info, infoLength);
        crypto_auth_hmacsha256_update(&state, &counter, 1);
        crypto_auth_hmacsha256_final(&state, t);
        const std::size_t n = std::min(kHkdfHashBytes, length - done);
        std::memcpy(out + done, t, n);
        done += n;
    }
    sodium_memzero(t, sizeof t);
    sodium_memzero(&state, sizeof state);
    return true;
}

bool hkdf_expand(const unsigned char prk[kHkdfHashBytes], const unsigned char* info, std::size_t infoLength,
    unsigned char* out, std::size_t length)
{
    if (length > kHkdfMaxOutput)
        return false;
    unsigned char keyed[kHkdfKeyedBytes];
    hkdf_key(prk, keyed);
    const bool ok = hkdf_expand_keyed(keyed, info, infoLength, out, length);
    sodium_memzero(keyed, sizeof keyed);
    return ok;
}

} // namespace tessiral::kdf
