// Twofish counter mode and GHASH stitched on 512-bit registers (with VBMI
// and GFNI): a pass enciphers 64 counter blocks in four register sets, made
// in the registers, and between its round pairs hashes two runs of cipher
// text. Words 0-2 of every counter block are the same, so the first round's
// g values, the word it changes and the second round's g of that word are
// the same for the whole message: worked out once, three of the thirty-two
// g per block are saved.
#include "engine/modes/gcm/stitched.h"

#if TESSIRAL_X86_KERNELS

#include "engine/ciphers/twofish/twofish_avx512.h"
#include "engine/modes/gcm/stitched_avx512.h"

#include <initializer_list>

#define KVN_TWOFISH_GCM                                                                                                \
    __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi,gfni,vpclmulqdq,avx2,pclmul,ssse3")))

namespace tessiral::gcm {

namespace {

using namespace twofishx512;

constexpr int kSets = 4;
static_assert(kSets * kSet == x512::kPassBlocks);

class TwofishPass {
public:
    KVN_TWOFISH_GCM TwofishPass(const TwofishContext* ctx, const GhashKey& key, const unsigned char j0[16])
        : m_rk(ctx->round_keys)
        , m_key(key)
    {
        make_consts(ctx, m_k);
        const V a = word(load_le32(j0) ^ m_rk[0]), b = word(load_le32(j0 + 4) ^ m_rk[1]);
        const V c = word(load_le32(j0 + 8) ^ m_rk[2]);
        const V t0 = g0(m_k, a), t1 = g1(m_k, b);
        m_a = a;
        m_rolB = rol<1>(b);
        m_c = ror1(_mm512_xor_si512(c, _mm512_add_epi32(_mm512_add_epi32(t0, t1), word(m_rk[8]))));
        m_dTerm = _mm512_add_epi32(_mm512_add_epi32(t0, _mm512_add_epi32(t1, t1)), word(m_rk[9]));
        m_g0C = g0(m_k, m_c);
    }

    KVN_TWOFISH_GCM ~TwofishPass()
    {
        secure_zero(&m_k, sizeof m_k);
        for (V* v : { &m_a, &m_rolB, &m_c, &m_dTerm, &m_g0C })
            secure_zero(v, sizeof *v);
    }
    TwofishPass(const TwofishPass&) = delete;
    TwofishPass& operator=(const TwofishPass&) = delete;

    KVN_TWOFISH_GCM void operator()(std::uint32_t counter, const unsigned char* in, unsigned char* out,
        const unsigned char* hashed, __m128i& y) const
    {
        const Consts& k = m_k;
        const uint32* rk = m_rk;
        Set s[kSets];
        for (int i = 0; i < kSets; ++i) {
            // The first round pair, with what is the same for every block known.
            const V d
                = _mm512_xor_si512(rol<1>(_mm512_xor_si512(x512::counter_word(counter, i), word(rk[3]))), m_dTerm);
            const V t1 = g1(k, d);
            s[i].a = ror1(_mm512_xor_si512(m_a, _mm512_add_epi32(_mm512_add_epi32(m_g0C, t1), word(rk[10]))));
            s[i].b = _mm512_xor_si512(
                m_rolB, _mm512_add_epi32(_mm512_add_epi32(m_g0C, _mm512_add_epi32(t1, t1)), word(rk[11])));
            s[i].c = m_c;
            s[i].d = d;
        }
        x512::Run run{ hashed, {}, y };
        for (int r = 1; r < 8; ++r) {
            const uint32* key = rk + 8 + 4 * r;
            for (int i = 0; i < kSets; ++i)
                half_round(k, s[i].a, s[i].b, s[i].c, s[i].d, key);
            for (int i = 0; i < kSets; ++i)
                half_round(k, s[i].c, s[i].d, s[i].a, s[i].b, key + 2);
            x512::pass_step(run, m_key, r - 1);
        }
        x512::pass_step(run, m_key, 7);
        y = run.y;
        // The last round's swap is undone, so the halves leave crossed.
        for (int i = 0; i < kSets; ++i) {
            const Set o = unload(s[i].c, s[i].d, s[i].a, s[i].b, rk + 4);
            const V r[4] = { o.a, o.b, o.c, o.d };
            x512::xor_store(out + 256 * i, in + 256 * i, r);
        }
    }

private:
    Consts m_k;
    const uint32* m_rk;
    const GhashKey& m_key;
    V m_a, m_rolB, m_c, m_dTerm, m_g0C;
};

} // namespace

StitchedCtr twofish_stitched(CpuLevel level)
{
    const CpuFeatures& cpu = cpu_features();
    if (level < CpuLevel::Avx512 || !cpu.avx512 || !cpu.vbmi_gfni || ghash_vpclmul512() == nullptr)
        return nullptr;
    return x512::counter_mode<TwofishPass, TwofishContext>;
}

} // namespace tessiral::gcm

#endif
