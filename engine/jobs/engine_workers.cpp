// Per-engine workers and chunk buffers, kept beside the engine object.
#include "engine/jobs/engine_workers.h"

#include "engine/os/secure_zero.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <unordered_map>

namespace {

// Engine object -> its state. Only the lookup is shared; what it finds
// belongs to one engine object alone.
struct Registry {
    std::mutex mutex;
    std::unordered_map<const CIdea*, std::unique_ptr<CEngineWorkers>> states;
};

Registry& registry()
{
    static Registry r;
    return r;
}

// Pieces smaller than this cost more to hand over than they save (less for
// the small chunks of tests, so that their chunks are shared out too).
constexpr std::size_t kMinPiece = 64u << 10;
constexpr std::size_t kMinPiecesPerChunk = 8;
// Pieces per thread: a thread busy reading or writing leaves its share to
// the others.
constexpr std::size_t kPiecesPerThread = 4;

unsigned default_threads()
{
    if (const char* text = std::getenv("TESSIRAL_THREADS")) {
        char* end = nullptr;
        const long n = std::strtol(text, &end, 10);
        if (end != text && *end == '\0' && n >= 1)
            return unsigned(std::min(n, 256L));
    }
    return std::max(1u, std::thread::hardware_concurrency());
}

} // namespace

CEngineWorkers& CEngineWorkers::For(CIdea& engine)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto& state = r.states[&engine];
    if (!state)
        state = std::make_unique<CEngineWorkers>();
    return *state;
}

void CEngineWorkers::Release(const CIdea* engine)
{
    std::unique_ptr<CEngineWorkers> state;
    Registry& r = registry();
    {
        std::lock_guard<std::mutex> lock(r.mutex);
        const auto it = r.states.find(engine);
        if (it == r.states.end())
            return;
        state = std::move(it->second);
        r.states.erase(it);
    }
    // Joined outside the lock: other engines go on meanwhile.
}

CEngineWorkers::~CEngineWorkers()
{
    m_pool.reset();
    for (unsigned i = 0; i < m_buffers.size(); ++i)
        Wipe(i, m_buffers[i].size);
}

unsigned CEngineWorkers::Threads()
{
    if (m_threads == 0)
        m_threads = default_threads();
    return m_threads;
}

void CEngineWorkers::SetThreads(unsigned threads)
{
    m_pool.reset();
    m_threads = threads;
}

void CEngineWorkers::SetChunk(std::size_t bytes)
{
    m_chunk = std::max<std::size_t>(16, std::min(bytes, kChunk) / 16 * 16);
}

CWorkerPool& CEngineWorkers::Pool()
{
    if (!m_pool)
        m_pool = std::make_unique<CWorkerPool>(Threads());
    return *m_pool;
}

void CEngineWorkers::Share(unsigned char* data, std::size_t blocks, unsigned blockBytes,
    const std::function<void(unsigned char*, std::size_t)>& cipher)
{
    const unsigned threads = Threads();
    const std::size_t minPiece = std::min(kMinPiece, m_chunk / kMinPiecesPerChunk);
    const std::size_t pieces = std::min<std::size_t>(threads * kPiecesPerThread, blocks * blockBytes / minPiece);
    if (threads <= 1 || pieces <= 1) {
        cipher(data, blocks);
        return;
    }
    Pool().Split(blocks, pieces, threads - 1,
        [&](std::size_t first, std::size_t count) { cipher(data + first * blockBytes, count); });
}

unsigned char* CEngineWorkers::Buffer(unsigned i, std::size_t size)
{
    ChunkBuffer& b = m_buffers[i];
    if (b.size < size) {
        Wipe(i, b.size);
        b.data.reset();
        b.size = 0;
        b.data.reset(new unsigned char[size]);
        b.size = size;
    }
    return b.data.get();
}

void CEngineWorkers::Wipe(unsigned i, std::size_t used)
{
    ChunkBuffer& b = m_buffers[i];
    if (b.data)
        tessiral::secure_zero(b.data.get(), std::min(used, b.size));
}
