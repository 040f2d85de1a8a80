// Key buffer construction and wiping.
#include "batch/key_buffer.h"

#include "engine/os/secure_zero.h"

#include <algorithm>
#include <cstring>

namespace batch {

KeyBuffer::KeyBuffer(const std::string& keyText)
    : m_bytes(std::max(kMinimumSize, keyText.size() + 1), 0)
{
    std::memcpy(m_bytes.data(), keyText.data(), keyText.size());
}

KeyText::~KeyText()
{
    tessiral::secure_zero(value.data(), value.size());
}

KeyBuffer::~KeyBuffer()
{
    tessiral::secure_zero(m_bytes.data(), m_bytes.size());
}

std::size_t CharacterCount(const std::string& utf8)
{
    return std::size_t(
        std::count_if(utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

} // namespace batch
