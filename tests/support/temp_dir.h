// A fresh folder per test, removed with everything in it afterwards, and
// small file helpers.
#pragma once

#include <string>
#include <vector>

namespace kvntest {

using Bytes = std::vector<unsigned char>;
using Names = std::vector<std::string>;

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

Bytes read_file(const std::string& path);
void write_file(const std::string& path, const Bytes& bytes);
bool exists(const std::string& path);
// Names in a folder, sorted, without "." and "..".
Names list_dir(const std::string& path);
// Deterministic pseudo-random bytes.
Bytes random_bytes(std::size_t n, unsigned seed);

} // namespace kvntest
