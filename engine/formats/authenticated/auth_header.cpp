// Reading and writing the authenticated format's header fields.
#include "engine/formats/authenticated/auth_header.h"

#include <cstring>

namespace authenticated {

namespace {

constexpr const char* kCipherNames[] = { nullptr, "AES", "MARS", "RC6", "Serpent", "Twofish" };

std::string size_text(std::uint64_t bytes)
{
    if (bytes >= (std::uint64_t(1) << 30))
        return std::to_string(bytes >> 30) + " GiB";
    if (bytes >= (std::uint64_t(1) << 20))
        return std::to_string(bytes >> 20) + " MiB";
    if (bytes >= 1024)
        return std::to_string(bytes >> 10) + " KiB";
    return std::to_string(bytes) + " bytes";
}

} // namespace

bool has_magic(const unsigned char* bytes, std::size_t size)
{
    return size >= kMagicSize && std::memcmp(bytes, kMagic, kMagicSize - 1) == 0;
}

void write_header(const Header& h, unsigned char out[kHeaderSize])
{
    std::memcpy(out, kMagic, kMagicSize);
    out[8] = static_cast<unsigned char>(h.cipher);
    out[9] = static_cast<unsigned char>(h.mode);
    out[10] = static_cast<unsigned char>(h.chunkExponent);
    out[11] = static_cast<unsigned char>(h.argon2Version);
    out[12] = static_cast<unsigned char>(h.timeCost);
    out[13] = static_cast<unsigned char>(h.memoryExponent);
    out[14] = static_cast<unsigned char>(h.lanes);
    out[15] = static_cast<unsigned char>(h.keyFile);
    std::memcpy(out + 16, h.kdfSalt, kSaltSize);
    std::memcpy(out + 48, h.streamSalt, kSaltSize);
    std::memcpy(out + kTagOffset, h.tag, sizeof h.tag);
}

HeaderStatus read_header(const unsigned char* bytes, std::size_t size, Header& h)
{
    if (!has_magic(bytes, size))
        return HeaderStatus::NotThisFormat;
    if (bytes[7] != kMagic[7])
        return HeaderStatus::Version;
    if (size < kHeaderSize)
        return HeaderStatus::Truncated;
    h.cipher = bytes[8];
    h.mode = bytes[9];
    h.chunkExponent = bytes[10];
    h.argon2Version = bytes[11];
    h.timeCost = bytes[12];
    h.memoryExponent = bytes[13];
    h.lanes = bytes[14];
    h.keyFile = bytes[15];
    std::memcpy(h.kdfSalt, bytes + 16, kSaltSize);
    std::memcpy(h.streamSalt, bytes + 48, kSaltSize);
    std::memcpy(h.tag, bytes + kTagOffset, sizeof h.tag);
    if (cipher_name(h.cipher) == nullptr || h.mode != kModeGcm || h.argon2Version != kArgon2Version || h.keyFile != 0)
        return HeaderStatus::Unsupported;
    if (h.chunkExponent < kMinChunkExponent || h.chunkExponent > kMaxChunkExponent)
        return HeaderStatus::ChunkSize;
    // Argon2 needs at least 8 KiB a lane.
    if (h.timeCost < 1 || h.timeCost > kMaxTimeCost || h.lanes < 1 || h.lanes > kMaxLanes
        || h.memoryExponent > kMaxMemoryExponent || (std::uint64_t(1) << h.memoryExponent) < 8u * h.lanes)
        return HeaderStatus::Limits;
    return HeaderStatus::Ok;
}

const char* cipher_name(unsigned cipher)
{
    return cipher >= 1 && cipher <= 5 ? kCipherNames[cipher] : nullptr;
}

const char* status_text(HeaderStatus status)
{
    switch (status) {
    case HeaderStatus::Ok:
    case HeaderStatus::NotThisFormat:
        break;
    case HeaderStatus::Truncated:
        return "Its header is cut short: the file was changed or damaged after encryption.";
    case HeaderStatus::Version:
        return "It was written by a later version of the authenticated format, which this version cannot read.";
    case HeaderStatus::Unsupported:
        return "Its header names a cipher, mode or option this version does not know.";
    case HeaderStatus::ChunkSize:
        return "Its header asks for a chunk size outside 256 bytes to 4 MiB.";
    case HeaderStatus::Limits:
        return "Its header asks for a key derivation past the limits (time cost up to 10, memory up to 4 GiB, "
               "up to 16 lanes); nothing was allocated.";
    }
    return "";
}

std::string describe(const Header& h)
{
    const char* name = cipher_name(h.cipher);
    return std::string("authenticated, ") + (name ? name : "?") + "-256-GCM, chunks of " + size_text(h.ChunkSize())
        + ", Argon2id t=" + std::to_string(h.timeCost) + " m=" + size_text(std::uint64_t(h.MemoryKib()) << 10)
        + " p=" + std::to_string(h.lanes);
}

} // namespace authenticated
