// CBatchControl: what a batch lends the engine besides its windows: a stop
// request, the switches for checking results and finding the cipher, and
// what the engine found out about the file it ran last. The engine works
// as without it when none is lent.
#pragma once

#include <atomic>
#include <functional>
#include <string>

struct CBatchControl {
    // Set from any thread, or from a signal handler: the file being worked on
    // stops at its next chunk, its unfinished output is removed and its source
    // stays as it was. The engine also sets it when the user answers one of
    // its failure boxes with Cancel.
    std::atomic<bool> stop{ false };
    // Replace mode: before the source goes, the result is read back and
    // compared with it; a mismatch keeps the source and fails the file.
    bool verify = true;
    // Decryption: when the header block does not check out under the chosen
    // cipher, the others are tried on it and the one that fits is used.
    bool findCipher = true;
    // Called on the batch's thread with true just before a key derivation and
    // with false after it, so that a window can say it is busy.
    std::function<void(bool busy)> strengthening;

    // About the file the engine ran last.
    bool stopped = false; // it ended unfinished because of `stop`
    std::string cipherFound; // decryption: the cipher found by the header, when not the chosen one
};
