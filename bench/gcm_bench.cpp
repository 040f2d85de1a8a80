// GCM throughput, one thread: the engine's GCM over each 128-bit cipher's
// bulk kernels, sealing and opening the 1 MiB buffer as 64 KiB messages
// (one per chunk, each with its own IV) as the authenticated format will.
// The summary sets it against OpenSSL's aes-256-gcm and against the same
// cipher's bulk ECB rate from the same run.
#include "bench/gcm_bench.h"

#include "engine/api/idea_access.h"
#include "engine/dispatch/cipher_table.h"
#include "engine/modes/gcm/gcm.h"
#include "engine/modes/gcm/stitched.h"

#include <cstring>
#include <memory>
#include <string>

namespace cipherbench {

namespace {

namespace gcm = tessiral::gcm;

struct EngineCipher {
    CIdea engine;
    CipherPath path{};

    static void encrypt(void* context, const unsigned char* in, unsigned char* out, std::size_t blocks)
    {
        auto* self = static_cast<EngineCipher*>(context);
        self->path.encrypt_blocks(self->engine, in, out, blocks);
    }
};

void make_iv(unsigned char iv[gcm::kIvBytes], std::uint32_t chunk)
{
    std::memset(iv, 0x5a, gcm::kIvBytes);
    std::memcpy(iv + 7, &chunk, sizeof chunk);
}

void engine_gcm(benchmark::State& state, const Cipher& c, bool encrypt)
{
    const CipherRow* row = find_cipher(c.code);
    auto cipher = std::make_unique<EngineCipher>();
    cipher->engine.m_strArith = c.code;
    std::vector<unsigned char> key = key_buffer();
    if (std::strcmp(c.code, "2") == 0)
        CIdeaAccess::mars(cipher->engine).set_key(key.data(), 256);
    else
        row->set_key(cipher->engine, key.data());
    row->prepare_encrypt(cipher->engine);
    cipher->path = row->path(tessiral::cpu_level());
    // The counter mode stitched with the hash where the cipher has one, as
    // the authenticated format runs it.
    const gcm::Stitched stitched = gcm::stitched_ctr(*row, cipher->engine, tessiral::cpu_level());
    const gcm::Gcm mode({ EngineCipher::encrypt, cipher.get(), stitched.ctr, stitched.key });
    state.SetLabel(std::string(mode.ghash_name()) + (stitched.ctr ? "+stitched" : ""));

    std::vector<unsigned char> in = random_bytes(kBufferBytes, 1), out(kBufferBytes);
    std::vector<unsigned char> tags(kBufferBytes / kGcmChunkBytes * gcm::kTagBytes);
    const unsigned char aad[16] = { 1, 2, 3 };
    unsigned char iv[gcm::kIvBytes];
    auto seal_all = [&](const unsigned char* from, unsigned char* to) {
        for (std::size_t i = 0; i < kBufferBytes / kGcmChunkBytes; ++i) {
            make_iv(iv, std::uint32_t(i));
            mode.seal(iv, aad, sizeof aad, from + i * kGcmChunkBytes, kGcmChunkBytes, to + i * kGcmChunkBytes,
                &tags[i * gcm::kTagBytes]);
        }
    };
    if (!encrypt)
        seal_all(in.data(), in.data()); // opened into `out` below, every time afresh
    for (auto _ : state) {
        if (encrypt) {
            seal_all(in.data(), in.data());
        } else {
            for (std::size_t i = 0; i < kBufferBytes / kGcmChunkBytes; ++i) {
                make_iv(iv, std::uint32_t(i));
                if (!mode.open(iv, aad, sizeof aad, in.data() + i * kGcmChunkBytes, kGcmChunkBytes,
                        &tags[i * gcm::kTagBytes], out.data() + i * kGcmChunkBytes)) {
                    state.SkipWithError("open refused its own sealing");
                    return;
                }
            }
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kBufferBytes));
}

} // namespace

void register_gcm(const Cipher& c)
{
    if (find_cipher(c.code)->block != 16)
        return; // GCM needs 128-bit blocks
    for (bool encrypt : { true, false })
        benchmark::RegisterBenchmark((gcm_name("engine", c.label) + (encrypt ? "/encrypt" : "/decrypt")).c_str(),
            [&c, encrypt](benchmark::State& state) { engine_gcm(state, c, encrypt); });
}

std::string gcm_name(const char* implementation, const char* cipher)
{
    return std::string("gcm/") + implementation + "/" + cipher;
}

} // namespace cipherbench
