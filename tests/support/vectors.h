// Reading the published known-answer files in tests/data/vectors: hex text to
// bytes, the one-line and three-line .dat layouts, and the record (.txt) format.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kvntest {

using Bytes = std::vector<std::uint8_t>;

// The path of a file under tests/data, from its path relative to that folder.
std::string data_path(const std::string& relative);

// Hex digits (upper or lower case) to bytes; white space is skipped.
Bytes from_hex(const std::string& hex);
std::string to_hex(const Bytes& bytes);

struct KnownAnswer {
    Bytes key;
    Bytes plain;
    Bytes cipher;
};

// KEY PLAINTEXT CIPHERTEXT per vector (lines starting with # are comments);
// also the three-line layout of rc6val.dat.
std::vector<KnownAnswer> read_dat(const std::string& relative);

// One record of a .txt file: the fields in force when a `Test:` line was met
// (values already decoded to bytes where they are byte strings).
struct Record {
    std::map<std::string, std::string> text; // raw field text
    std::map<std::string, Bytes> bytes; // decoded Key, IV, Plaintext, Ciphertext
    std::string test; // the Test: value
};
std::vector<Record> read_records(const std::string& relative);

// Reverses the order of the 4-byte words of a byte string (keeping each
// word's own bytes in place).
Bytes reverse_words(const Bytes& bytes);

} // namespace kvntest
