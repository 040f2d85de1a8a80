// A fresh folder per test, removed with everything in it afterwards, and
// small file helpers.
#pragma once

#include <string>
#include <vector>

namespace kvntest {

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

std::vector<unsigned char> read_file(const std::string& path);
void write_file(const std::string& path, const std::vector<unsigned char>& bytes);
bool exists(const std::string& path);
// Names in a folder, sorted, without "." and "..".
std::vector<std::string> list_dir(const std::string& path);
// Deterministic pseudo-random bytes.
std::vector<unsigned char> random_bytes(std::size_t n, unsigned seed);

} // namespace kvntest
