// The descriptive cipher list.
#include "batch/cipher_list.h"

namespace batch {

namespace {

const CipherInfo kCiphers[] = {
    { "1", "AES", "aes", 32, 256, 16, " AES ", "AES ( Rijndael ) Advanced Encryption Standard ",
        "The Key is 256 bit in length. " },
    { "2", "MARS", "mars", 56, 448, 16, "MARS", "MARS ", "The Key is 448 bit in length. " },
    { "3", "RC6", "rc6", 32, 256, 16, " RC6 ", "RC6  ", "The Key is 256 bit in length. " },
    { "4", "Serpent", "serpent", 32, 256, 16, "Serpent", "Serpent  ", "The Key is 256 bit in length. " },
    { "5", "Twofish", "twofish", 32, 256, 16, "Twofish", "Twofish  ", "The Key is 256 bit in length. " },
    { "10", "IDEA", "idea", 16, 128, 8, "IDEA", "IDEA  International Data Encryption Algorithm",
        "The Key is 128 bit in length. " },
};

} // namespace

const CipherInfo* Ciphers(std::size_t& count)
{
    count = sizeof kCiphers / sizeof kCiphers[0];
    return kCiphers;
}

const CipherInfo* FindCipher(const std::string& code)
{
    for (const auto& c : kCiphers)
        if (code == c.code)
            return &c;
    return nullptr;
}

} // namespace batch
