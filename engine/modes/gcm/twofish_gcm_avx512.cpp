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
#include "engine/modes/gcm/ghash_avx512.h"

#include <initializer_list>

#define KVN_TWOFISH_GCM                                                                                                \
    __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi,gfni,vpclmulqdq,avx2,pclmul,ssse3")))

namespace tessiral::gcm {

namespace {

using namespace twofishx512;

constexpr int kSets = 4;
static_assert(kSets * kSet == x512::kPassBlocks);

std::uint32_t load_le32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

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
        // Lane e of a set holds block 4 (e % 4) + e / 4 of its sixteen.
        const V lane = _mm512_set_epi32(15, 11, 7, 3, 14, 10, 6, 2, 13, 9, 5, 1, 12, 8, 4, 0);
        const V swap = _mm512_broadcast_i32x4(_mm_set_epi8(12, 13, 14, 15, 8, 9, 10, 11, 4, 5, 6, 7, 0, 1, 2, 3));
        Set s[kSets];
        for (int i = 0; i < kSets; ++i) {
            const V n = _mm512_add_epi32(_mm512_set1_epi32(static_cast<int>(counter + kSet * i)), lane);
            // The first round pair, with what is the same for every block known.
            const V d = _mm512_xor_si512(rol<1>(_mm512_xor_si512(_mm512_shuffle_epi8(n, swap), word(rk[3]))), m_dTerm);
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
            for (int i = 0; i < kSets; ++i) {
                const V t0 = g0(k, s[i].a), t1 = g1(k, s[i].b);
                s[i].c = ror1(_mm512_xor_si512(s[i].c, _mm512_add_epi32(_mm512_add_epi32(t0, t1), word(key[0]))));
                s[i].d = _mm512_xor_si512(
                    rol<1>(s[i].d), _mm512_add_epi32(_mm512_add_epi32(t0, _mm512_add_epi32(t1, t1)), word(key[1])));
            }
            for (int i = 0; i < kSets; ++i) {
                const V t0 = g0(k, s[i].c), t1 = g1(k, s[i].d);
                s[i].a = ror1(_mm512_xor_si512(s[i].a, _mm512_add_epi32(_mm512_add_epi32(t0, t1), word(key[2]))));
                s[i].b = _mm512_xor_si512(
                    rol<1>(s[i].b), _mm512_add_epi32(_mm512_add_epi32(t0, _mm512_add_epi32(t1, t1)), word(key[3])));
            }
            x512::pass_step(run, m_key, r - 1);
        }
        x512::pass_step(run, m_key, 7);
        y = run.y;
        // The last round's swap is undone, so the halves leave crossed.
        for (int i = 0; i < kSets; ++i) {
            const Set o = unload(s[i].c, s[i].d, s[i].a, s[i].b, rk + 4);
            const V r[4] = { o.a, o.b, o.c, o.d };
            for (int j = 0; j < 4; ++j) {
                const std::size_t at = 256 * i + 64 * j;
                _mm512_storeu_si512(out + at, _mm512_xor_si512(r[j], _mm512_loadu_si512(in + at)));
            }
        }
    }

private:
    Consts m_k;
    const uint32* m_rk;
    const GhashKey& m_key;
    V m_a, m_rolB, m_c, m_dTerm, m_g0C;
};

std::size_t twofish_ctr(const void* cipherKey, const GhashKey& key, FieldElement& state, const unsigned char j0[16],
    std::uint32_t first, const unsigned char* in, unsigned char* out, std::size_t blocks, bool encrypt)
{
    const TwofishPass pass(static_cast<const TwofishContext*>(cipherKey), key, j0);
    return encrypt ? x512::stitch<true>(pass, key, state, first, in, out, blocks)
                   : x512::stitch<false>(pass, key, state, first, in, out, blocks);
}

} // namespace

StitchedCtr twofish_stitched(CpuLevel level)
{
    const CpuFeatures& cpu = cpu_features();
    if (level < CpuLevel::Avx512 || !cpu.avx512 || !cpu.vbmi_gfni || ghash_vpclmul512() == nullptr)
        return nullptr;
    return twofish_ctr;
}

} // namespace tessiral::gcm

#else

namespace tessiral::gcm {

StitchedCtr twofish_stitched(CpuLevel)
{
    return nullptr;
}

} // namespace tessiral::gcm

#endif
