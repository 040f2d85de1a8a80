// Read-ahead, shared cipher and write-behind for one file.
#include "engine/jobs/chunk_pipeline.h"

#include <algorithm>
#include <cerrno>

namespace {

constexpr unsigned kBuffers = CEngineWorkers::kBuffers;

} // namespace

CChunkPipeline::CChunkPipeline(
    CEngineWorkers& workers, CFileOps& ops, int fd, COutputFile& out, std::uint64_t expected, Layout layout)
    : m_workers(workers)
    , m_ops(ops)
    , m_fd(fd)
    , m_out(out)
    , m_layout(layout)
{
    // One unit beyond what is expected, so that a file of the expected
    // size ends in its first short read and needs one chunk and one buffer.
    // A chunk holds at least one unit (a format's unit may be larger than
    // the chunks tests ask for).
    const unsigned unit = layout.unit;
    const std::uint64_t roomy = (expected / unit + 1) * unit;
    const std::uint64_t chunk = std::max<std::uint64_t>(unit, workers.Chunk() / unit * unit);
    m_capacity = std::size_t(std::min<std::uint64_t>(chunk, roomy));
    m_bufferSize = layout.sealing ? m_capacity / unit * (unit + layout.gap) : m_capacity;
}

CChunkPipeline::~CChunkPipeline()
{
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_changed.wait(lock, [this] { return !m_reading && !m_writing; });
    }
    for (unsigned i = 0; i < kBuffers; ++i)
        if (m_slots[i].used != 0)
            m_workers.Wipe(i, m_slots[i].used);
}

long CChunkPipeline::ReadChunk(unsigned char* data)
{
    if (m_layout.sealing)
        return read_full_spaced(m_ops, m_fd, data, m_capacity, m_layout.unit, m_layout.unit + m_layout.gap);
    return read_full(m_ops, m_fd, data, m_capacity);
}

std::size_t CChunkPipeline::Placed(long bytes) const
{
    if (bytes < 0)
        return m_bufferSize;
    if (!m_layout.sealing)
        return std::size_t(bytes);
    // Each unit read, with the room after it that sealing fills; a short
    // last unit's (or an empty source's) addition follows its bytes.
    const std::size_t n = std::size_t(bytes);
    const std::size_t full = n / m_layout.unit, rest = n % m_layout.unit;
    const std::size_t tail = rest != 0 || n == 0 ? rest + m_layout.gap : 0;
    return std::min(m_bufferSize, full * (m_layout.unit + m_layout.gap) + tail);
}

void CChunkPipeline::ReadInto(std::uint64_t chunk)
{
    Slot& s = SlotOf(chunk);
    long r = -EIO;
    std::exception_ptr thrown;
    try {
        r = ReadChunk(s.data);
    } catch (...) {
        thrown = std::current_exception();
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    s.bytes = r;
    s.used = std::max(s.used, Placed(r));
    s.thrown = thrown;
    m_read = chunk + 1;
    if (r < 0 || std::size_t(r) < m_capacity)
        m_sourceEnded = true;
    m_changed.notify_all();
}

void CChunkPipeline::ReadAhead()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopping && !m_sourceEnded && m_read - m_released < kBuffers) {
        const std::uint64_t chunk = m_read;
        lock.unlock();
        ReadInto(chunk);
        lock.lock();
    }
    m_reading = false;
    m_changed.notify_all();
}

// Called with the lock held; lets it go while the job is handed over.
void CChunkPipeline::StartReading(std::unique_lock<std::mutex>& lock)
{
    if (m_reading || m_sourceEnded || m_stopping || m_read - m_released >= kBuffers)
        return;
    m_reading = true;
    lock.unlock();
    try {
        m_workers.Pool().Submit([this] { ReadAhead(); });
    } catch (...) {
        lock.lock();
        m_reading = false;
        throw;
    }
    lock.lock();
}

void CChunkPipeline::WaitRead(std::unique_lock<std::mutex>& lock, std::uint64_t chunk)
{
    for (;;) {
        StartReading(lock);
        if (m_read > chunk || m_sourceEnded)
            return;
        m_changed.wait(lock);
    }
}

CChunkPipeline::Chunk CChunkPipeline::Next()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const std::uint64_t chunk = m_taken;
    if (chunk == 0 && m_read == 0) {
        // The first chunk is read here: a small file never waits for a
        // worker. Its other buffers are made here too, before any worker
        // could use them, once the first chunk shows that more will come.
        lock.unlock();
        m_slots[0].data = m_workers.Buffer(0, m_bufferSize);
        m_slots[0].used = m_bufferSize; // until the read says how much
        const long r = ReadChunk(m_slots[0].data);
        m_slots[0].used = Placed(r);
        if (r >= 0 && std::size_t(r) == m_capacity)
            for (unsigned i = 1; i < kBuffers; ++i)
                m_slots[i].data = m_workers.Buffer(i, m_bufferSize);
        lock.lock();
        m_slots[0].bytes = r;
        m_read = 1;
        m_sourceEnded = r < 0 || std::size_t(r) < m_capacity;
    }
    WaitRead(lock, chunk);
    if (m_read <= chunk)
        return {}; // asked for more after the source ended
    m_taken = chunk + 1;
    Slot& s = SlotOf(chunk);
    if (s.thrown)
        std::rethrow_exception(s.thrown);
    return { s.data, s.bytes };
}

long CChunkPipeline::PeekNext()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    WaitRead(lock, m_taken);
    if (m_read <= m_taken)
        return 0;
    const Slot& s = SlotOf(m_taken);
    if (s.thrown)
        std::rethrow_exception(s.thrown);
    return s.bytes;
}

void CChunkPipeline::Cipher(std::size_t blocks, const std::function<void(unsigned char*, std::size_t)>& cipher)
{
    m_workers.Share(SlotOf(m_taken - 1).data, blocks, m_layout.unit, cipher);
}

void CChunkPipeline::Share(
    std::size_t units, std::size_t stride, const std::function<void(std::size_t, std::size_t)>& work)
{
    unsigned char* base = SlotOf(m_taken - 1).data;
    m_workers.Share(base, units, unsigned(stride),
        [&](unsigned char* at, std::size_t count) { work(std::size_t(at - base) / stride, count); });
}

bool CChunkPipeline::Put(const unsigned char* data, std::size_t bytes)
{
    if (m_layout.sealing || m_layout.gap == 0)
        return m_out.Write(data, bytes);
    return m_out.WriteSpaced(data, bytes, m_layout.unit - m_layout.gap, m_layout.unit);
}

bool CChunkPipeline::WriteBehind(std::size_t bytes, bool last)
{
    const std::uint64_t chunk = m_taken - 1;
    // Nothing to write (or the last write) goes once all before it are done,
    // so that buffers are released in order.
    const bool atOnce = bytes == 0 || last;
    if (!WaitWritten(atOnce ? chunk : chunk - std::min<std::uint64_t>(chunk, 1)))
        return false;
    if (atOnce) {
        const bool ok = bytes == 0 || Put(SlotOf(chunk).data, bytes);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queued = m_released = chunk + 1;
        if (!ok)
            m_writeFailed = chunk;
        m_changed.notify_all();
        return ok;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    SlotOf(chunk).toWrite = bytes;
    m_queued = chunk + 1;
    if (m_writing)
        return true; // the write job under way takes it
    m_writing = true;
    lock.unlock();
    try {
        m_workers.Pool().Submit([this] { WriteQueued(); });
    } catch (...) {
        lock.lock();
        m_writing = false;
        m_queued = chunk;
        throw;
    }
    return true;
}

// Writes the queued chunks in order until none is left. After a failure the
// rest are let go unwritten: the output is lost anyway.
void CChunkPipeline::WriteQueued()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (m_released < m_queued) {
        const std::uint64_t chunk = m_released;
        const unsigned char* data = SlotOf(chunk).data;
        const std::size_t bytes = SlotOf(chunk).toWrite;
        const bool skip = m_stopping || m_writeFailed != ~std::uint64_t(0);
        lock.unlock();
        bool ok = skip;
        std::exception_ptr thrown;
        if (!skip) {
            try {
                ok = Put(data, bytes);
            } catch (...) {
                thrown = std::current_exception();
            }
        }
        lock.lock();
        if (!ok && m_writeFailed == ~std::uint64_t(0)) {
            m_writeFailed = chunk;
            m_writeThrown = thrown;
        }
        m_released = chunk + 1;
        m_changed.notify_all();
        try {
            StartReading(lock); // a buffer is free again
        } catch (...) {
            // Not now, then: the caller starts it when it takes a chunk.
        }
    }
    // Last: once this is seen the pipeline may go.
    m_writing = false;
    m_changed.notify_all();
}

bool CChunkPipeline::WaitWritten(std::uint64_t chunks)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait(lock, [&] { return m_released >= chunks; });
    if (m_writeFailed >= chunks)
        return true;
    if (m_writeThrown)
        std::rethrow_exception(m_writeThrown);
    return false;
}

bool CChunkPipeline::WaitWrites()
{
    std::uint64_t queued = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        queued = m_queued;
    }
    return WaitWritten(queued);
}
