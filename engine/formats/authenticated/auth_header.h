// The authenticated format's header: a fixed layout of 112 bytes, read and
// written here without any key (kvn's info reads it too). Every byte of it
// is covered by the HMAC-SHA-256 tag at its end.
//
//   0   8  magic and version: "KvnAuth" then 0x01
//   8   1  cipher: the algorithm code as a number (1 AES, 2 MARS, 3 RC6, 4 Serpent, 5 Twofish)
//   9   1  mode: 1 = GCM
//  10   1  chunk size as a power of two (8..22: 256 bytes to 4 MiB; 16 by default)
//  11   1  Argon2 version: 0x13
//  12   1  Argon2id time cost (1..10)
//  13   1  Argon2id memory as a power of two in KiB (3..22: up to 4 GiB)
//  14   1  Argon2id lanes (1..16)
//  15   1  key-file flag: 0 (key files are not built yet; readers refuse other values)
//  16  32  salt of the key derivation
//  48  32  salt of the stream (fresh for every file)
//  80  32  HMAC-SHA-256 over bytes 0..79 under the header key
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace authenticated {

inline constexpr std::size_t kMagicSize = 8;
inline constexpr unsigned char kMagic[kMagicSize] = { 'K', 'v', 'n', 'A', 'u', 't', 'h', 0x01 };
inline constexpr std::size_t kSaltSize = 32;
inline constexpr std::size_t kTagOffset = 80;
inline constexpr std::size_t kHeaderSize = 112;
inline constexpr unsigned char kModeGcm = 1;
inline constexpr unsigned char kArgon2Version = 0x13;
inline constexpr unsigned kMinChunkExponent = 8;
inline constexpr unsigned kMaxChunkExponent = 22;
inline constexpr unsigned kDefaultChunkExponent = 16;
inline constexpr unsigned kMaxTimeCost = 10;
inline constexpr unsigned kMaxMemoryExponent = 22; // 4 GiB in KiB
inline constexpr unsigned kMaxLanes = 16;
// Chunks per file: their index is a 32-bit counter.
inline constexpr std::uint64_t kMaxChunks = std::uint64_t(1) << 32;
inline constexpr std::size_t kChunkTag = 16;

struct Header {
    unsigned cipher = 1; // algorithm code as a number
    unsigned mode = kModeGcm;
    unsigned chunkExponent = kDefaultChunkExponent;
    unsigned argon2Version = kArgon2Version;
    unsigned timeCost = 3;
    unsigned memoryExponent = 18; // 256 MiB
    unsigned lanes = 4;
    unsigned keyFile = 0;
    unsigned char kdfSalt[kSaltSize] = {};
    unsigned char streamSalt[kSaltSize] = {};
    unsigned char tag[32] = {};

    std::size_t ChunkSize() const { return std::size_t(1) << chunkExponent; }
    std::uint32_t MemoryKib() const { return std::uint32_t(1) << memoryExponent; }
};

enum class HeaderStatus {
    Ok,
    NotThisFormat, // no magic
    Truncated, // fewer bytes than a header
    Version, // the magic of a later version
    Unsupported, // cipher, mode, Argon2 version or key-file flag this version does not know
    ChunkSize, // chunk size outside 256 bytes .. 4 MiB
    Limits, // key derivation past the limits (time cost, memory, lanes)
};

// Whether `bytes` (at least kMagicSize of them) begin with this format's magic, of any version.
bool has_magic(const unsigned char* bytes, std::size_t size);

// Writes the header (tag included as it stands in `h`) to `out`.
void write_header(const Header& h, unsigned char out[kHeaderSize]);
// Reads and checks a header's fields (not its tag), before anything is
// derived or allocated.
HeaderStatus read_header(const unsigned char* bytes, std::size_t size, Header& h);

// The cipher's name for an algorithm number, or null.
const char* cipher_name(unsigned cipher);
// One line describing a status that refuses a file.
const char* status_text(HeaderStatus status);
// "authenticated, AES-256-GCM, chunks of 64 KiB, Argon2id t=3 m=256 MiB p=4"
std::string describe(const Header& h);

} // namespace authenticated
