// How hard a key would be to guess: a rough estimate shown where the key is
// typed, and told by kvn when it asks for one. Nothing is refused for it.
#pragma once

#include <string>

namespace batch {

enum class KeyStrength { Weak, Fair, Strong };

// Below 2^40 guesses a key is weak (a fast attack on the compatible format
// tries that many in minutes); from 2^60 it is strong. The estimate knows
// common words, names, keyboard walks, dates and repeats where the build has
// the pattern estimator, and only length and kinds of characters where not.
// Nothing of the key is kept, logged or returned.
KeyStrength EstimateKeyStrength(const std::string& utf8);

// The estimate from length and kinds of characters alone (lower case, upper
// case, digits, other ASCII, anything beyond ASCII): what builds without the
// pattern estimator use.
KeyStrength EstimateByLengthAndClasses(const std::string& utf8);

// Whether this build has the pattern estimator.
bool KeyStrengthKnowsPatterns();

// "weak", "fair" or "strong".
const char* KeyStrengthName(KeyStrength strength);

} // namespace batch
