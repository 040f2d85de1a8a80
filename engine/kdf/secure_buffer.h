// Memory for keys and passwords: allocated apart with guard pages, kept out
// of swap, wiped when freed (libsodium's guarded heap); and random bytes
// from the operating system.
#pragma once

#include <atomic>
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

// One SecureBuffer lent again and again, to one borrower at a time: for
// secrets made anew for every file of a batch, whose guarded allocation
// (its own pages, locked, guard pages around) would cost more than the
// file's work. Wiped whenever it comes back.
class SecureLender {
public:
    explicit SecureLender(std::size_t size)
        : m_buffer(size)
    {
    }

    // The buffer, zeroed, until given back; null while it is out (or when
    // it could not be allocated).
    unsigned char* borrow();
    // Wipes the buffer and makes it available again.
    void give_back();
    std::size_t size() const { return m_buffer.size(); }

private:
    SecureBuffer m_buffer;
    std::atomic<bool> m_lent{ false };
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
