// Serpent: placeholder until the cipher lands.
#include "serpent.h"
uint32* en_key_serpent(SerpentContext*, const uint8*, uint32) { return nullptr; }
void encrypt_serpent(const SerpentContext*, const uint8*, uint8*) {}
void decrypt_serpent(const SerpentContext*, const uint8*, uint8*) {}
void encrypt_serpent_blocks(const SerpentContext*, const uint8*, uint8*, std::size_t) {}
void decrypt_serpent_blocks(const SerpentContext*, const uint8*, uint8*, std::size_t) {}
