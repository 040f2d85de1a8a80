// Algorithm codes as the settings and the engine know them: the exact-match
// rule, the key length each cipher's key box allows, and the names shown.
#pragma once

#include <string>

namespace batch {

class CSettingsAccess;

inline constexpr int MAX_BATCH_FILES = 4000;

// The code a stored value selects: exact, case-sensitive; anything else
// (empty included) means AES, "1".
std::string SelectAlgorithm(const std::string& stored);
// Reads "Arith"/"value" and, when it names no cipher, writes "1" back.
std::string ResolveAlgorithm(CSettingsAccess& settings);
// How many characters the key box takes for this cipher: 16 for IDEA, 56 for
// MARS, 32 for the others.
int KeyLimit(const std::string& code);
// The cipher's short name ("AES", "MARS", "RC6", "Serpent", "Twofish", "IDEA").
const char* CipherName(const std::string& code);
// A code from a cipher name or a code, case-insensitive for names; empty when
// neither.
std::string CodeFromName(const std::string& nameOrCode);

} // namespace batch
