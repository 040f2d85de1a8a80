// The key-strength estimate: the pattern estimator's guess count where the
// build has it, else a count from length and kinds of characters.
#include "batch/key_strength.h"

#include <cmath>

#if defined(KVN_HAVE_ZXCVBN)
#include <zxcvbn.h>
#endif

namespace batch {

namespace {

constexpr double kWeakBelowBits = 40;
constexpr double kStrongFromBits = 60;

KeyStrength FromBits(double bits)
{
    if (bits < kWeakBelowBits)
        return KeyStrength::Weak;
    return bits < kStrongFromBits ? KeyStrength::Fair : KeyStrength::Strong;
}

} // namespace

KeyStrength EstimateByLengthAndClasses(const std::string& utf8)
{
    bool lower = false, upper = false, digit = false, other = false, wide = false;
    std::size_t characters = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte: part of the character before
        ++characters;
        if (byte >= 'a' && byte <= 'z')
            lower = true;
        else if (byte >= 'A' && byte <= 'Z')
            upper = true;
        else if (byte >= '0' && byte <= '9')
            digit = true;
        else if (byte < 0x80)
            other = true;
        else
            wide = true;
    }
    // Each kind's size: letters 26, digits 10, printable ASCII otherwise 33;
    // beyond ASCII, a guesser's likely set of accented and other letters.
    const double pool = (lower ? 26 : 0) + (upper ? 26 : 0) + (digit ? 10 : 0) + (other ? 33 : 0) + (wide ? 100 : 0);
    if (characters == 0 || pool == 0)
        return KeyStrength::Weak;
    return FromBits(double(characters) * std::log2(pool));
}

KeyStrength EstimateKeyStrength(const std::string& utf8)
{
#if defined(KVN_HAVE_ZXCVBN)
    // The estimator reads up to the first zero byte; a key never holds one
    // from the key boxes or a prompt, and a key that did is judged by the
    // part before it, which is no stronger than the whole.
    return FromBits(ZxcvbnMatch(utf8.c_str(), nullptr, nullptr));
#else
    return EstimateByLengthAndClasses(utf8);
#endif
}

bool KeyStrengthKnowsPatterns()
{
#if defined(KVN_HAVE_ZXCVBN)
    return true;
#else
    return false;
#endif
}

const char* KeyStrengthName(KeyStrength strength)
{
    switch (strength) {
    case KeyStrength::Weak:
        return "weak";
    case KeyStrength::Fair:
        return "fair";
    case KeyStrength::Strong:
        break;
    }
    return "strong";
}

} // namespace batch
