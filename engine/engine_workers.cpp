// Per-engine workers and chunk buffers, kept beside the engine object.
#include "engine/engine_workers.h"

#include "engine/secure_zero.h"

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
    for (unsigned i = 0; i < kBuffers; ++i)
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
