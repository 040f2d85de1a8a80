// Serpent counter mode and GHASH stitched on 512-bit registers: a pass
// enciphers 64 counter blocks in four bitsliced register sets, made in the
// registers, and between its rounds hashes two runs of cipher text. It is
// the usual Serpent-GCM, the format's: state word i is word i of the counter
// block, where the engine's bulk call wants the words turned round (its key
// is set so already). Words 0-2 of every counter block are the same, so the
// first S-box's two halves per output bit are worked out once a message.
#include "engine/modes/gcm/stitched.h"

#if TESSIRAL_X86_KERNELS

#include "engine/ciphers/serpent/serpent_avx512.h"
#include "engine/modes/gcm/stitched_avx512.h"

#define KVN_SERPENT_GCM __attribute__((target("avx512f,avx512bw,avx512vl,vpclmulqdq,avx2,pclmul,ssse3")))

namespace tessiral::gcm {

namespace {

using namespace serpentx512;

constexpr int kSets = 4;
static_assert(kSets * kSetBlocks == x512::kPassBlocks);

// The first S-box's output bit B for x3 = X3: a function of the fixed words.
template <int B, int X3> KVN_SERPENT_GCM __m512i half(__m512i x0, __m512i x1, __m512i x2)
{
    return tern<half_immediate(0, false, B, X3)>(x2, x1, x0);
}

class SerpentPass {
public:
    KVN_SERPENT_GCM SerpentPass(const SerpentContext* ctx, const GhashKey& key, const unsigned char j0[16])
        : m_k(ctx->schedule + kKeyWords)
        , m_key(key)
    {
        const __m512i x0 = _mm512_set1_epi32(static_cast<int>(load_le32(j0) ^ m_k[0]));
        const __m512i x1 = _mm512_set1_epi32(static_cast<int>(load_le32(j0 + 4) ^ m_k[1]));
        const __m512i x2 = _mm512_set1_epi32(static_cast<int>(load_le32(j0 + 8) ^ m_k[2]));
        m_low[0] = half<0, 0>(x0, x1, x2);
        m_low[1] = half<1, 0>(x0, x1, x2);
        m_low[2] = half<2, 0>(x0, x1, x2);
        m_low[3] = half<3, 0>(x0, x1, x2);
        m_high[0] = half<0, 1>(x0, x1, x2);
        m_high[1] = half<1, 1>(x0, x1, x2);
        m_high[2] = half<2, 1>(x0, x1, x2);
        m_high[3] = half<3, 1>(x0, x1, x2);
    }

    KVN_SERPENT_GCM ~SerpentPass()
    {
        secure_zero(m_low, sizeof m_low);
        secure_zero(m_high, sizeof m_high);
    }
    SerpentPass(const SerpentPass&) = delete;
    SerpentPass& operator=(const SerpentPass&) = delete;

    // Not inlined into the loop around it: there GCC put the rounds in a
    // function of their own, the state passed through memory (20% slower).
    __attribute__((noinline)) KVN_SERPENT_GCM void operator()(std::uint32_t counter, const unsigned char* in,
        unsigned char* out, const unsigned char* hashed, __m128i& y) const
    {
        const __m512i k3 = _mm512_set1_epi32(static_cast<int>(m_k[3]));
        State<kSets> st;
        for (int s = 0; s < kSets; ++s) {
            const __m512i x3 = _mm512_xor_si512(x512::counter_word(counter, s), k3);
            for (int b = 0; b < 4; ++b)
                st.x[b][s] = tern<kChooseByA>(x3, m_high[b], m_low[b]);
        }
        linear(st);
        x512::Run run{ hashed, {}, y };
        later_rounds(st, run, std::make_integer_sequence<int, kRounds - 1>{});
        x512::pass_step(run, m_key, 2 * x512::kRunSteps - 1);
        y = run.y;
        for (int s = 0; s < kSets; ++s) {
            // Word i of each block is x_i: an in-lane 4x4 transpose.
            const __m512i t0 = _mm512_unpacklo_epi32(st.x[0][s], st.x[1][s]);
            const __m512i t1 = _mm512_unpackhi_epi32(st.x[0][s], st.x[1][s]);
            const __m512i t2 = _mm512_unpacklo_epi32(st.x[2][s], st.x[3][s]);
            const __m512i t3 = _mm512_unpackhi_epi32(st.x[2][s], st.x[3][s]);
            const __m512i r[4] = { _mm512_unpacklo_epi64(t0, t2), _mm512_unpackhi_epi64(t0, t2),
                _mm512_unpacklo_epi64(t1, t3), _mm512_unpackhi_epi64(t1, t3) };
            x512::xor_store(out + 256 * s, in + 256 * s, r);
        }
    }

private:
    // Rounds 1 to 31, a hash step after every fourth.
    template <int... R>
    KVN_SERPENT_GCM void later_rounds(State<kSets>& st, x512::Run& run, std::integer_sequence<int, R...>) const
    {
        ((encrypt_round<R + 1>(st, m_k), R % 4 == 3 ? x512::pass_step(run, m_key, R / 4) : void()), ...);
    }

    const uint32* m_k; // the round keys
    const GhashKey& m_key;
    __m512i m_low[4], m_high[4];
};

} // namespace

StitchedCtr serpent_stitched(CpuLevel level)
{
    if (level < CpuLevel::Avx512 || !cpu_features().avx512 || ghash_vpclmul512() == nullptr)
        return nullptr;
    return x512::counter_mode<SerpentPass, SerpentContext>;
}

} // namespace tessiral::gcm

#endif
