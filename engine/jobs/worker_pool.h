// CWorkerPool: a few threads that an engine object keeps for its file loops.
// Jobs run in the order given; a split job shares out the pieces of one
// range between the calling thread and the workers.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class CWorkerPool {
public:
    // Starts up to `workers` threads; fewer (even none) when the system
    // refuses more. With none, every job runs on the thread that gives it.
    explicit CWorkerPool(unsigned workers);
    ~CWorkerPool();
    CWorkerPool(const CWorkerPool&) = delete;
    CWorkerPool& operator=(const CWorkerPool&) = delete;

    unsigned Workers() const { return unsigned(m_threads.size()); }

    // Runs `job` on a worker. A job must not wait for another job: it ends
    // when its work is done, and catches what it throws.
    void Submit(std::function<void()> job);

    // Calls piece(first, count) over [0, total) in `pieces` nearly equal,
    // non-empty pieces, on the calling thread and on up to `helpers` workers
    // that are free, and returns when every piece is done. The caller takes
    // pieces itself, so a split never waits for a busy worker. What a piece
    // throws is thrown here, once all are done.
    void Split(std::size_t total, std::size_t pieces, unsigned helpers,
        const std::function<void(std::size_t first, std::size_t count)>& piece);

private:
    void Work();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    // A job in its own engine-private type, so that the library exports no
    // queue code of the standard library's.
    struct Job {
        std::function<void()> run;
    };
    std::deque<Job> m_jobs;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

// One job run on a pool's worker while its giver goes on, until the giver
// waits for it: a read ahead, say. Waited for when it goes.
class CJobAhead {
public:
    explicit CJobAhead(CWorkerPool& pool)
        : m_pool(pool)
    {
    }
    ~CJobAhead();
    CJobAhead(const CJobAhead&) = delete;
    CJobAhead& operator=(const CJobAhead&) = delete;

    // Waits for the job before, then runs `job` on a worker (here, when none
    // can take it).
    void Start(std::function<void()> job);
    // Waits for the job; what it threw is thrown here.
    void Wait();

private:
    void WaitQuietly();

    CWorkerPool& m_pool;
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_running = false;
    std::exception_ptr m_thrown;
};
