// The Windows calls the Windows tests make, behind plain names: the engine's
// headers use window-system names of their own, so <windows.h> stays in
// win_files.cpp. Paths are UTF-8, as the programs carry them.
#pragma once

#include <string>
#include <vector>

namespace wintest {

using Bytes = std::vector<unsigned char>;

void write(const std::string& path, const Bytes& bytes);
Bytes read(const std::string& path);
bool exists(const std::string& path);
bool remove(const std::string& path);
bool make_folder(const std::string& path);
// Names as the file system stores them, sorted.
std::vector<std::string> listing(const std::string& folder);
// A folder's path with "\" between its parts.
std::string backslashed(const std::string& path);

enum class Attribute { Normal, ReadOnly, Hidden, System };
bool set_attribute(const std::string& path, Attribute attribute);

// Holds a file open as another program might: others may read it, but not
// delete or replace it.
class HeldOpen {
public:
    explicit HeldOpen(const std::string& path);
    ~HeldOpen();
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    bool ok() const;

private:
    void* m_handle;
};

struct Run {
    unsigned long status = ~0ul;
    std::string output; // standard output and error
};
// Runs the program `name` beside the test program without a console, with
// `env` ("NAME=value") added to its environment.
Run run_beside(const std::string& name, const std::vector<std::string>& args, const std::string& env = {});

} // namespace wintest

namespace wintest {

// Items in the Recycle Bins of all drives; -1 when the shell cannot say.
long long recycled_items();
// The value under HKEY_CURRENT_USER\<key>, read by the registry's own calls;
// empty when there is none.
std::wstring registry_string(const std::wstring& key, const std::wstring& name);

} // namespace wintest

namespace wintest {

// Input as the keyboard gives it, through the system's input queue to the
// window that has the focus: text character by character, and single keys
// (virtual-key codes).
void type_text(const std::wstring& text);
void press_key(unsigned short virtualKey);
// Makes the top-level window holding `window` (a native handle) the one
// that takes the keyboard.
void bring_to_front(void* window);

} // namespace wintest
