// The engine's own way into CIdea's private parts: the cipher table, the file
// loops and the tests reach the cipher states and the IDEA helpers through it.
#pragma once

#include "engine/api/idea.h"

struct CIdeaAccess {
    static CAes& aes(CIdea& e) { return e.m_aes; }
    static CMars& mars(CIdea& e) { return e.m_mars; }
    static CRc6& rc6(CIdea& e) { return e.m_rc6; }
    static TwofishContext& twofish(CIdea& e) { return e.m_twofish; }
    static SerpentContext& serpent(CIdea& e) { return e.m_serpent; }
    static unsigned char* idea_key(CIdea& e) { return e.m_ideaKey; }
    static unsigned short* idea_enc(CIdea& e) { return e.m_ideaEncSubkeys; }
    static unsigned short* idea_dec(CIdea& e) { return e.m_ideaDecSubkeys; }

    static void cipher_idea(CIdea& e, unsigned char* in, unsigned char* out, unsigned short* z)
    {
        e.cipher_idea(in, out, z);
    }
    static void en_key_idea(CIdea& e, unsigned char* key, unsigned short* z) { e.en_key_idea(key, z); }
    static void de_key_idea(CIdea& e, unsigned short* z, unsigned short* dk) { e.de_key_idea(z, dk); }
    static unsigned short mul(CIdea& e, unsigned short a, unsigned short b) { return e.mul(a, b); }
    static unsigned short inv(CIdea& e, unsigned short x) { return e.inv(x); }
};
