#include "engine/kdf/argon2id.h"

#include <argon2.h>

#include <cstring>
#include <limits>

namespace tessiral::kdf {

namespace {

bool fits32(std::size_t n)
{
    return n <= std::numeric_limits<std::uint32_t>::max();
}

} // namespace

Argon2Status argon2id_check(const Argon2Params& p)
{
    if (p.timeCost < 1 || p.timeCost > kArgon2MaxTimeCost)
        return Argon2Status::TimeCostOutOfRange;
    if (p.lanes < 1 || p.lanes > kArgon2MaxLanes)
        return Argon2Status::LanesOutOfRange;
    if (p.memoryKib > kArgon2MaxMemoryKib || p.memoryKib < 8 * p.lanes)
        return Argon2Status::MemoryOutOfRange;
    return Argon2Status::Ok;
}

Argon2Status argon2id_derive(const Argon2Params& params, const unsigned char* password, std::size_t passwordLength,
    const unsigned char* salt, std::size_t saltLength, unsigned char* out, std::size_t outLength,
    const unsigned char* secret, std::size_t secretLength, const unsigned char* ad, std::size_t adLength)
{
    const Argon2Status limits = argon2id_check(params);
    if (limits != Argon2Status::Ok)
        return limits;
    if (saltLength < kArgon2MinSalt || outLength < 4 || !fits32(passwordLength) || !fits32(saltLength)
        || !fits32(outLength) || !fits32(secretLength) || !fits32(adLength))
        return Argon2Status::BadInput;

    // The library takes non-const pointers; with the flags left clear it
    // reads the password and the secret without changing them.
    argon2_context ctx;
    std::memset(&ctx, 0, sizeof ctx);
    ctx.out = out;
    ctx.outlen = static_cast<std::uint32_t>(outLength);
    ctx.pwd = const_cast<unsigned char*>(password);
    ctx.pwdlen = static_cast<std::uint32_t>(passwordLength);
    ctx.salt = const_cast<unsigned char*>(salt);
    ctx.saltlen = static_cast<std::uint32_t>(saltLength);
    ctx.secret = const_cast<unsigned char*>(secret);
    ctx.secretlen = static_cast<std::uint32_t>(secretLength);
    ctx.ad = const_cast<unsigned char*>(ad);
    ctx.adlen = static_cast<std::uint32_t>(adLength);
    ctx.t_cost = params.timeCost;
    ctx.m_cost = params.memoryKib;
    ctx.lanes = params.lanes;
    ctx.threads = params.lanes;
    ctx.version = ARGON2_VERSION_13;
    ctx.flags = ARGON2_DEFAULT_FLAGS;
    switch (argon2id_ctx(&ctx)) {
    case ARGON2_OK:
        return Argon2Status::Ok;
    case ARGON2_MEMORY_ALLOCATION_ERROR:
        return Argon2Status::OutOfMemory;
    default:
        return Argon2Status::Failed;
    }
}

} // namespace tessiral::kdf
