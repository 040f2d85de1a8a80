// CEngineWorkers: what an engine object keeps between files to run its file
// loops on every core: the worker pool, started on the first file that needs
// it, and the chunk buffers, grown to the largest chunk used so far. CIdea's
// layout is fixed, so these live beside the object, found by its address,
// and go with its destructor. Each engine object has its own.
#pragma once

#include "engine/jobs/worker_pool.h"

#include <array>
#include <cstddef>
#include <functional>
#include <memory>

class CIdea;

class CEngineWorkers {
public:
    // Chunk buffers: one being written, one being ciphered, two read ahead.
    static constexpr unsigned kBuffers = 4;
    // Bytes per chunk: large, and a whole number of blocks for every cipher.
    static constexpr std::size_t kChunk = 4u << 20;

    // The state of `engine`, made on first use.
    static CEngineWorkers& For(CIdea& engine);
    // Ends the state of an engine object that is going away.
    static void Release(const CIdea* engine);

    CEngineWorkers() = default;
    ~CEngineWorkers();
    CEngineWorkers(const CEngineWorkers&) = delete;
    CEngineWorkers& operator=(const CEngineWorkers&) = delete;

    // Threads that cipher a chunk together, the calling one included:
    // SetThreads when given (0: back to the default), else the environment
    // variable TESSIRAL_THREADS, else the machine's hardware threads.
    unsigned Threads();
    void SetThreads(unsigned threads);
    // Bytes per chunk; tests make it small to get many chunks from a small file.
    std::size_t Chunk() const { return m_chunk; }
    void SetChunk(std::size_t bytes);

    // The pool, with Threads() workers, started on first use.
    CWorkerPool& Pool();
    // Calls cipher(at, count) over the `blocks` blocks of `blockBytes` each
    // at `data`, in pieces on all threads when the work is worth handing over.
    void Share(unsigned char* data, std::size_t blocks, unsigned blockBytes,
        const std::function<void(unsigned char* at, std::size_t count)>& cipher);

    // Buffer `i` (0..kBuffers-1) with room for at least `size` bytes.
    // Growing it wipes and frees the smaller one.
    unsigned char* Buffer(unsigned i, std::size_t size);
    // Wipes the first `used` bytes of buffer `i`.
    void Wipe(unsigned i, std::size_t used);

private:
    struct ChunkBuffer {
        std::unique_ptr<unsigned char[]> data;
        std::size_t size = 0;
    };
    unsigned m_threads = 0; // 0: not settled yet
    std::size_t m_chunk = kChunk;
    std::unique_ptr<CWorkerPool> m_pool;
    std::array<ChunkBuffer, kBuffers> m_buffers;
};
