// CChunkPipeline: the chunks of one file on their way from the source to the
// output. Reads run ahead on a worker, the cipher of a chunk is shared out
// between the calling thread and the workers, and the writes run behind, in
// order, on a worker, while the next chunks are read and ciphered. The
// calling thread sees the chunks in file order and at fixed points of its
// loop: it meets a read's result when it takes that chunk, a write's when it
// queues the write after the next, so every message and progress step comes
// from it, in the same order on any number of threads.
// At most CEngineWorkers::kBuffers chunks are held, whatever the file's size.
#pragma once

#include "engine/jobs/engine_workers.h"
#include "engine/os/file_ops.h"
#include "engine/os/output_file.h"

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>

class CChunkPipeline {
public:
    struct Chunk {
        unsigned char* data = nullptr;
        long bytes = 0; // bytes read (fewer than Capacity() at the end), or -errno
    };

    // How the bytes of a chunk sit in its buffer. Full chunks are whole
    // units. With a gap, a format seals or opens each unit in place, and the
    // pipeline does the scattering and gathering: sealing, each unit of the
    // source is read with `gap` bytes of room after it (for what sealing
    // adds) and the buffer is written as it is; opening, the units read are
    // sealed ones, and only the first unit - gap bytes of each are written.
    struct Layout {
        unsigned unit = 16;
        unsigned gap = 0;
        bool sealing = true;
    };

    // `expected`: the bytes the source should still give; chunks are no
    // larger than needed for them (plus one unit), so a small file costs a
    // small buffer.
    CChunkPipeline(
        CEngineWorkers& workers, CFileOps& ops, int fd, COutputFile& out, std::uint64_t expected, Layout layout);
    // Stops reading ahead, waits for the workers, and wipes what was read.
    ~CChunkPipeline();
    CChunkPipeline(const CChunkPipeline&) = delete;
    CChunkPipeline& operator=(const CChunkPipeline&) = delete;

    // The source bytes a full chunk holds.
    std::size_t Capacity() const { return m_capacity; }

    // The next chunk of the source, once it is read. A chunk ends the
    // source when it is not full. What the read threw is thrown here.
    Chunk Next();
    // What the read of the chunk after the current one gave (bytes or
    // -errno), waiting for it; the chunk stays next.
    long PeekNext();

    // Runs `cipher` over `blocks` blocks at the start of the current chunk,
    // in pieces on all threads; each piece gets its first block and count.
    void Cipher(std::size_t blocks, const std::function<void(unsigned char* at, std::size_t count)>& cipher);

    // Calls work(first, count) over `units` units `stride` bytes apart in
    // the current chunk's buffer, in pieces on all threads.
    void Share(
        std::size_t units, std::size_t stride, const std::function<void(std::size_t first, std::size_t count)>& work);

    // Queues the write of `bytes` of the current chunk (opening with a gap:
    // plain bytes, gathered) behind the caller's back, once the write before
    // the previous one is done (at once, after all others, when `last`:
    // nothing would overlap it). False when that or an earlier write failed
    // (or this one, when `last`).
    bool WriteBehind(std::size_t bytes, bool last);
    // Waits for every queued write; false when a write failed.
    bool WaitWrites();

private:
    struct Slot {
        unsigned char* data = nullptr;
        long bytes = 0;
        std::size_t toWrite = 0; // bytes of its queued write
        std::exception_ptr thrown;
        std::size_t used = 0; // bytes of the buffer ever written into (a failed read: all of it), to wipe
    };

    Slot& SlotOf(std::uint64_t chunk) { return m_slots[chunk % CEngineWorkers::kBuffers]; }
    // Reads a chunk from the source into a buffer, and writes one to the
    // output, in the layout's way.
    long ReadChunk(unsigned char* data);
    // How much of a buffer a read of `bytes` (or a failed one) and the
    // format's work on it may have written: a small file in large units
    // wipes little.
    std::size_t Placed(long bytes) const;
    bool Put(const unsigned char* data, std::size_t bytes);
    void ReadInto(std::uint64_t chunk);
    void ReadAhead(); // a worker job
    void StartReading(std::unique_lock<std::mutex>& lock);
    void WaitRead(std::unique_lock<std::mutex>& lock, std::uint64_t chunk);
    void WriteQueued(); // a worker job
    // Waits until the first `chunks` chunks are written; false when one of
    // them failed (what one threw is thrown).
    bool WaitWritten(std::uint64_t chunks);

    CEngineWorkers& m_workers;
    CFileOps& m_ops;
    const int m_fd;
    COutputFile& m_out;
    const Layout m_layout;
    std::size_t m_capacity = 0;
    std::size_t m_bufferSize = 0; // a chunk's buffer: the source bytes, and the gaps when sealing
    Slot m_slots[CEngineWorkers::kBuffers];

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::uint64_t m_read = 0; // chunks read (or failed) so far
    std::uint64_t m_taken = 0; // chunks handed to the caller
    std::uint64_t m_queued = 0; // chunks whose write was queued (or done at once)
    std::uint64_t m_released = 0; // chunks written (or failed): their buffers may be read into again
    bool m_sourceEnded = false; // a short, empty or failed read was seen
    bool m_reading = false; // a read-ahead job is queued or running
    bool m_writing = false; // a write job is queued or running
    std::uint64_t m_writeFailed = ~std::uint64_t(0); // the first chunk whose write failed
    std::exception_ptr m_writeThrown; // what its write threw
    bool m_stopping = false;
};
