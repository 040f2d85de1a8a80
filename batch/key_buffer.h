// The key as the engine reads it: the key text's bytes, a zero, then zeros up
// to at least 101 bytes, so every cipher reads the same bytes for the same
// text (MARS reads 56). Kept in locked pages left out of dumps, and wiped
// when it goes.
#pragma once

#include "batch/key_memory.h"

#include <string>
#include <vector>

namespace batch {

class KeyBuffer {
public:
    static constexpr std::size_t kMinimumSize = 101;

    explicit KeyBuffer(const std::string& keyText);
    ~KeyBuffer();
    KeyBuffer(const KeyBuffer&) = delete;
    KeyBuffer& operator=(const KeyBuffer&) = delete;

    unsigned char* data() { return m_bytes.data(); }
    std::size_t size() const { return m_bytes.size(); }

private:
    std::vector<unsigned char, KeyAllocator<unsigned char>> m_bytes;
};

// A key text as typed, wiped when it goes.
struct KeyText {
    std::string value;
    KeyText() = default;
    ~KeyText();
    KeyText(const KeyText&) = delete;
    KeyText& operator=(const KeyText&) = delete;
};

// The number of characters in a UTF-8 text (what the key box counts).
std::size_t CharacterCount(const std::string& utf8);

} // namespace batch
