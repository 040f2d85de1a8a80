// Memory for keys and passwords: allocated apart with guard pages, kept out
// of swap, wiped when freed (libsodium's guarded heap); and random bytes
// from the operating system.
#pragma once

#include <cstddef>

namespace tessiral::kdf {

// Initialises the library once (thread-safe); false when it cannot run, in
// which case nothing here may be used.
bool crypto_ready();

class SecureBuffer {
public:
    SecureBuffer() = default;
    // `size` bytes, zeroed; empty() when the allocation failed.
    explicit SecureBuffer(std::size_t size);
    ~SecureBuffer();
    SecureBuffer(SecureBuffer&& other) noexcept;
    SecureBuffer& operator=(SecureBuffer&& other) noexcept;
    SecureBuffer(const SecureBuffer&) = delete;
    SecureBuffer& operator=(const SecureBuffer&) = delete;

    unsigned char* data() { return m_data; }
    const unsigned char* data() const { return m_data; }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_data == nullptr; }

private:
    void release();

    unsigned char* m_data = nullptr;
    std::size_t m_size = 0;
};

// Fills `out` from the operating system's random source; false, nothing
// written, when the library could not start.
[[nodiscard]] bool random_bytes(unsigned char* out, std::size_t size);

// Overwrites `size` bytes with zeros; never optimised away.
void wipe(void* data, std::size_t size);

// Keeps an existing buffer out of swap (best effort: false when the system
// refuses, e.g. over the locked-memory limit); unlock before freeing it.
bool lock_memory(void* data, std::size_t size);
void unlock_memory(void* data, std::size_t size);

// Equality of two byte strings of the same length in time independent of
// where they differ.
bool equal_constant_time(const unsigned char* a, const unsigned char* b, std::size_t size);

} // namespace tessiral::kdf
