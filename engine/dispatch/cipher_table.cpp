// The cipher table: how each algorithm code keys its cipher and runs blocks.
// The bulk calls go to the kernels dispatch/cipher_kernels.cpp picks per level.
#include "engine/dispatch/cipher_table.h"

#include "engine/api/idea_access.h"
#include "engine/dispatch/cipher_kernels.h"

namespace {

using A = CIdeaAccess;
using tessiral::CpuLevel;

// The key length each cipher reads, in bits: the row says it and the key
// call uses it.
constexpr unsigned kAesKeyBits = 256;
constexpr unsigned kIdeaKeyBits = 128;
constexpr unsigned kMarsKeyBits = 448;
constexpr unsigned kRc6KeyBits = 256;
constexpr unsigned kSerpentKeyBits = 256;
constexpr unsigned kTwofishKeyBits = 256;

void idea_set_key(CIdea& e, unsigned char* key)
{
    std::memcpy(A::idea_key(e), key, kIdeaKeyBits / 8);
}

void idea_prepare_encrypt(CIdea& e)
{
    A::en_key_idea(e, A::idea_key(e), A::idea_enc(e));
}

void idea_prepare_decrypt(CIdea& e)
{
    A::en_key_idea(e, A::idea_key(e), A::idea_enc(e));
    A::de_key_idea(e, A::idea_enc(e), A::idea_dec(e));
}

void nothing(CIdea&) { }

// How a row reaches its cipher's schedule in the engine object and its kernels.
struct AesBinding {
    static const CAes& schedule(CIdea& e, bool) { return A::aes(e); }
    static tessiral::AesKernels kernels(CpuLevel l) { return tessiral::aes_kernels(l); }
};
struct IdeaBinding {
    static const unsigned short* schedule(CIdea& e, bool encrypt) { return encrypt ? A::idea_enc(e) : A::idea_dec(e); }
    static tessiral::IdeaKernels kernels(CpuLevel l) { return tessiral::idea_kernels(l); }
};
struct MarsBinding {
    static const CMars& schedule(CIdea& e, bool) { return A::mars(e); }
    static tessiral::MarsKernels kernels(CpuLevel l) { return tessiral::mars_kernels(l); }
};
struct Rc6Binding {
    static const CRc6& schedule(CIdea& e, bool) { return A::rc6(e); }
    static tessiral::Rc6Kernels kernels(CpuLevel l) { return tessiral::rc6_kernels(l); }
};
struct SerpentBinding {
    static const SerpentContext* schedule(CIdea& e, bool) { return &A::serpent(e); }
    static tessiral::SerpentKernels kernels(CpuLevel l) { return tessiral::serpent_kernels(l); }
};
struct TwofishBinding {
    static const TwofishContext* schedule(CIdea& e, bool) { return &A::twofish(e); }
    static tessiral::TwofishKernels kernels(CpuLevel l) { return tessiral::twofish_kernels(l); }
};

// The kernels of one level, looked up once.
template <class B, CpuLevel L> void encrypt_at(CIdea& e, const unsigned char* in, unsigned char* out, std::size_t n)
{
    static const auto kernels = B::kernels(L);
    kernels.encrypt(B::schedule(e, true), in, out, n);
}

template <class B, CpuLevel L> void decrypt_at(CIdea& e, const unsigned char* in, unsigned char* out, std::size_t n)
{
    static const auto kernels = B::kernels(L);
    kernels.decrypt(B::schedule(e, false), in, out, n);
}

template <class B> CipherPath path_at(CpuLevel level)
{
    const auto k = B::kernels(level);
    switch (k.level) {
    case CpuLevel::Portable:
        return { k.name, k.level, encrypt_at<B, CpuLevel::Portable>, decrypt_at<B, CpuLevel::Portable> };
    case CpuLevel::AesNi:
        return { k.name, k.level, encrypt_at<B, CpuLevel::AesNi>, decrypt_at<B, CpuLevel::AesNi> };
    case CpuLevel::Avx2:
        return { k.name, k.level, encrypt_at<B, CpuLevel::Avx2>, decrypt_at<B, CpuLevel::Avx2> };
    case CpuLevel::Avx512:
        break;
    }
    return { k.name, k.level, encrypt_at<B, CpuLevel::Avx512>, decrypt_at<B, CpuLevel::Avx512> };
}

// The kernels of the engine's level, chosen on first use.
template <class B> void encrypt_now(CIdea& e, const unsigned char* in, unsigned char* out, std::size_t n)
{
    static const auto kernels = B::kernels(tessiral::cpu_level());
    kernels.encrypt(B::schedule(e, true), in, out, n);
}

template <class B> void decrypt_now(CIdea& e, const unsigned char* in, unsigned char* out, std::size_t n)
{
    static const auto kernels = B::kernels(tessiral::cpu_level());
    kernels.decrypt(B::schedule(e, false), in, out, n);
}

const CipherRow kRows[] = {
    { "1", "AES", 16, kAesKeyBits, [](CIdea& e, unsigned char* key) { A::aes(e).set_key(key, kAesKeyBits); }, nothing,
        nothing, encrypt_now<AesBinding>, decrypt_now<AesBinding>, path_at<AesBinding> },
    { "10", "IDEA", 8, kIdeaKeyBits, idea_set_key, idea_prepare_encrypt, idea_prepare_decrypt, encrypt_now<IdeaBinding>,
        decrypt_now<IdeaBinding>, path_at<IdeaBinding> },
    { "2", "MARS", 16, kMarsKeyBits, [](CIdea& e, unsigned char* key) { A::mars(e).set_key(key, kMarsKeyBits); },
        nothing, nothing, encrypt_now<MarsBinding>, decrypt_now<MarsBinding>, path_at<MarsBinding> },
    { "3", "RC-6", 16, kRc6KeyBits,
        [](CIdea& e, unsigned char* key) { (void)A::rc6(e).set_key(key, kRc6KeyBits / 8, 0); }, nothing, nothing,
        encrypt_now<Rc6Binding>, decrypt_now<Rc6Binding>, path_at<Rc6Binding> },
    { "4", "Serpent", 16, kSerpentKeyBits,
        [](CIdea& e, unsigned char* key) { (void)en_key_serpent(&A::serpent(e), key, kSerpentKeyBits); }, nothing,
        nothing, encrypt_now<SerpentBinding>, decrypt_now<SerpentBinding>, path_at<SerpentBinding> },
    { "5", "Twofish", 16, kTwofishKeyBits,
        [](CIdea& e, unsigned char* key) { en_key_twofish(&A::twofish(e), key, kTwofishKeyBits); }, nothing, nothing,
        encrypt_now<TwofishBinding>, decrypt_now<TwofishBinding>, path_at<TwofishBinding> },
};

} // namespace

const CipherRow* find_cipher(const std::string& code)
{
    for (const auto& row : kRows)
        if (code == row.code)
            return &row;
    return nullptr;
}

const CipherRow* cipher_rows(std::size_t& count)
{
    count = sizeof kRows / sizeof kRows[0];
    return kRows;
}
