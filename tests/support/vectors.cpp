// Parsers for the published known-answer files.
#include "tests/support/vectors.h"

#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kvntest {

namespace {

int hex_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = char(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string trim(const std::string& s)
{
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return {};
    const auto e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

std::vector<std::string> read_lines(const std::string& relative)
{
    std::ifstream in(data_path(relative), std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open test data " + relative);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Record values: groups of hex (optionally 0x-prefixed), "text", and rN repeats.
Bytes decode_value(const std::string& value)
{
    Bytes out;
    std::istringstream words(value);
    std::string word;
    int repeat = 1;
    while (words >> word) {
        if (word.size() > 1 && word[0] == 'r' && std::isdigit(static_cast<unsigned char>(word[1]))) {
            repeat = std::stoi(word.substr(1));
            continue;
        }
        Bytes group;
        if (word.front() == '"') {
            std::string text = word.substr(1);
            while (text.empty() || text.back() != '"') {
                std::string more;
                if (!(words >> more))
                    break;
                text += " " + more;
            }
            if (!text.empty() && text.back() == '"')
                text.pop_back();
            group.assign(text.begin(), text.end());
        } else {
            if (word.rfind("0x", 0) == 0 || word.rfind("0X", 0) == 0)
                word = word.substr(2);
            group = from_hex(word);
        }
        for (int i = 0; i < repeat; ++i)
            out.insert(out.end(), group.begin(), group.end());
        repeat = 1;
    }
    return out;
}

} // namespace

std::string data_path(const std::string& relative)
{
    return std::string(KVN_TEST_DATA_DIR) + "/" + relative;
}

Bytes from_hex(const std::string& hex)
{
    Bytes out;
    int high = -1;
    for (char c : hex) {
        if (std::isspace(static_cast<unsigned char>(c)))
            continue;
        const int v = hex_value(c);
        if (v < 0)
            throw std::runtime_error("not a hex digit in: " + hex);
        if (high < 0) {
            high = v;
        } else {
            out.push_back(std::uint8_t(high * 16 + v));
            high = -1;
        }
    }
    if (high >= 0)
        throw std::runtime_error("odd number of hex digits: " + hex);
    return out;
}

std::string to_hex(const Bytes& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (auto b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

std::vector<KnownAnswer> read_dat(const std::string& relative)
{
    std::vector<KnownAnswer> out;
    std::vector<std::string> pending;
    for (const auto& raw : read_lines(relative)) {
        if (!raw.empty() && raw[0] == '#')
            continue;
        std::istringstream fields(raw);
        std::string f;
        while (fields >> f)
            pending.push_back(f);
        if (pending.size() >= 3) {
            out.push_back({ from_hex(pending[0]), from_hex(pending[1]), from_hex(pending[2]) });
            pending.clear();
        }
    }
    return out;
}

std::vector<Record> read_records(const std::string& relative)
{
    std::vector<Record> out;
    Record current;
    for (const auto& raw : read_lines(relative)) {
        const std::string line = trim(raw);
        if (line.empty()) {
            current = Record{};
            continue;
        }
        if (line[0] == '#')
            continue;
        const auto colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        const std::string name = trim(line.substr(0, colon));
        const std::string value = trim(line.substr(colon + 1));
        if (name == "Test") {
            Record r = current;
            r.test = value;
            out.push_back(r);
            continue;
        }
        current.text[name] = value;
        // Some records of other modes hold odd-length values; only the
        // records a test asks for need to decode.
        if (name == "Key" || name == "IV" || name == "Plaintext" || name == "Ciphertext") {
            try {
                current.bytes[name] = decode_value(value);
            } catch (const std::exception&) {
                current.bytes.erase(name);
            }
        }
    }
    return out;
}

Bytes reverse_words(const Bytes& bytes)
{
    Bytes out(bytes.size());
    const std::size_t words = bytes.size() / 4;
    for (std::size_t w = 0; w < words; ++w)
        for (std::size_t b = 0; b < 4; ++b)
            out[4 * w + b] = bytes[4 * (words - 1 - w) + b];
    return out;
}

} // namespace kvntest
