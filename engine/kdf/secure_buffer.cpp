#include "engine/kdf/secure_buffer.h"

#include <sodium.h>

#include <utility>

namespace tessiral::kdf {

bool crypto_ready()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

SecureBuffer::SecureBuffer(std::size_t size)
{
    if (size == 0 || !crypto_ready())
        return;
    // sodium_malloc locks the pages itself where the system allows.
    m_data = static_cast<unsigned char*>(sodium_malloc(size));
    if (m_data == nullptr)
        return;
    sodium_memzero(m_data, size);
    m_size = size;
}

SecureBuffer::~SecureBuffer()
{
    release();
}

SecureBuffer::SecureBuffer(SecureBuffer&& other) noexcept
    : m_data(std::exchange(other.m_data, nullptr))
    , m_size(std::exchange(other.m_size, 0))
{
}

SecureBuffer& SecureBuffer::operator=(SecureBuffer&& other) noexcept
{
    if (this != &other) {
        release();
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
    }
    return *this;
}

void SecureBuffer::release()
{
    // sodium_free wipes and unlocks before it frees.
    if (m_data != nullptr)
        sodium_free(m_data);
    m_data = nullptr;
    m_size = 0;
}

unsigned char* SecureLender::borrow()
{
    if (m_buffer.empty() || m_lent.exchange(true, std::memory_order_acquire))
        return nullptr;
    return m_buffer.data();
}

void SecureLender::give_back()
{
    sodium_memzero(m_buffer.data(), m_buffer.size());
    m_lent.store(false, std::memory_order_release);
}

bool random_bytes(unsigned char* out, std::size_t size)
{
    if (!crypto_ready())
        return false;
    if (size > 0)
        randombytes_buf(out, size);
    return true;
}

void wipe(void* data, std::size_t size)
{
    if (size > 0)
        sodium_memzero(data, size);
}

bool lock_memory(void* data, std::size_t size)
{
    return size == 0 || sodium_mlock(data, size) == 0;
}

void unlock_memory(void* data, std::size_t size)
{
    // Wipes as well.
    if (size > 0)
        sodium_munlock(data, size);
}

bool equal_constant_time(const unsigned char* a, const unsigned char* b, std::size_t size)
{
    return size == 0 || sodium_memcmp(a, b, size) == 0;
}

} // namespace tessiral::kdf
