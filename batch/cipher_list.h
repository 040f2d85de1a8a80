// The six ciphers as the programs describe them: algorithm code, names, the
// key box's limit, block size, and the texts each window shows for them. The
// batch rules, the windows, kvn's usage text and the tests all read this
// list; the engine keeps its own dispatch rows, and a test checks that the
// two agree on every fact they share (code, name, key length, block).
#pragma once

#include <cstddef>
#include <string>

namespace batch {

struct CipherInfo {
    const char* code; // algorithm code as stored and as the engine takes it
    const char* name; // short name, as messages and kvn's usage show it
    const char* cliName; // the name kvn's --cipher takes (any case)
    int keyLimit; // characters the key boxes take
    int keyBits; // key length the cipher reads
    unsigned block; // block size in bytes
    const char* paneText; // the status bar's cipher pane
    const char* pageText; // the configuration sheet's radio button
    const char* pageLine; // the note under that button
};

// In the order the configuration page and kvn's usage list them: AES first,
// IDEA last.
const CipherInfo* Ciphers(std::size_t& count);
// The cipher with exactly this code, or null.
const CipherInfo* FindCipher(const std::string& code);

} // namespace batch
