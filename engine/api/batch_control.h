// CBatchControl: what a batch lends the engine besides its windows: a stop
// request, the switches for checking results and finding the cipher, and
// what the engine found out about the file it ran last. The engine works
// as without it when none is lent.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
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

    // Encrypting: write the authenticated format (else the compatible one).
    bool authenticated = false;
    // The authenticated format's key strengthening: 0 normal (Argon2id t=3,
    // 256 MiB, 4 lanes), 1 strong (t=1, 2 GiB, 4 lanes).
    int strength = 0;
    // The key text's bytes (UTF-8 as typed), borrowed for the batch: the
    // authenticated format's password. Null: that format cannot be used.
    const unsigned char* password = nullptr;
    std::size_t passwordLength = 0;
    // Called on the batch's thread with true just before the password is
    // strengthened (which may take seconds) and with false after it.
    std::function<void(bool busy)> strengthening;
    // The engine's keys derived in this batch (one derivation per batch when
    // encrypting, one per salt and parameters met when decrypting); they are
    // wiped when the control goes.
    std::shared_ptr<void> derivedKeys;

    // About the file the engine ran last.
    bool stopped = false; // it ended unfinished because of `stop`
    std::string cipherFound; // decryption: the cipher found by the header, when not the chosen one
};
