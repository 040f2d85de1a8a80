// The engine object's worker threads.
#include "engine/jobs/worker_pool.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>

namespace {

// One split in progress. Shared with the helper jobs, which may start only
// after the caller has finished every piece: they then find nothing left to
// take and never touch the caller's `piece`. The last one out deletes it.
struct SplitRun {
    std::atomic<unsigned> holders{ 1 };
    const std::function<void(std::size_t, std::size_t)>* piece = nullptr;
    std::size_t total = 0, pieces = 0, grain = 0;
    std::atomic<std::size_t> next{ 0 };
    std::mutex mutex;
    std::condition_variable finished;
    std::size_t done = 0;
    std::exception_ptr error;

    void Work()
    {
        for (;;) {
            const std::size_t i = next.fetch_add(1, std::memory_order_relaxed);
            if (i >= pieces)
                return;
            const std::size_t first = i * grain;
            std::exception_ptr failure;
            try {
                (*piece)(first, std::min(grain, total - first));
            } catch (...) {
                failure = std::current_exception();
            }
            std::lock_guard<std::mutex> lock(mutex);
            if (failure && !error)
                error = failure;
            if (++done == pieces)
                finished.notify_all();
        }
    }

    void Leave()
    {
        if (holders.fetch_sub(1, std::memory_order_acq_rel) == 1)
            delete this;
    }
};

} // namespace

CWorkerPool::CWorkerPool(unsigned workers)
{
    m_threads.reserve(workers);
    try {
        for (unsigned i = 0; i < workers; ++i)
            m_threads.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
        // Fewer threads than asked for: the loops still work, more slowly.
    }
}

CWorkerPool::~CWorkerPool()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (auto& t : m_threads)
        t.join();
}

void CWorkerPool::Submit(std::function<void()> job)
{
    if (m_threads.empty()) {
        job();
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.push_back(Job{ std::move(job) });
    }
    m_wake.notify_one();
}

// Queued jobs are run even when stopping: each one owes its giver an end.
void CWorkerPool::Work()
{
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_jobs.empty())
                return;
            job = std::move(m_jobs.front().run);
            m_jobs.pop_front();
        }
        try {
            job();
        } catch (...) {
            // Jobs catch their own failures; nothing may end the thread.
        }
    }
}

void CWorkerPool::Split(
    std::size_t total, std::size_t pieces, unsigned helpers, const std::function<void(std::size_t, std::size_t)>& piece)
{
    if (total == 0)
        return;
    pieces = std::clamp<std::size_t>(pieces, 1, total);
    helpers = unsigned(std::min<std::size_t>({ helpers, Workers(), pieces - 1 }));
    if (helpers == 0) {
        piece(0, total);
        return;
    }
    SplitRun* run = new SplitRun;
    run->piece = &piece;
    run->total = total;
    run->grain = (total + pieces - 1) / pieces;
    run->pieces = (total + run->grain - 1) / run->grain;
    for (unsigned i = 0; i < helpers; ++i) {
        run->holders.fetch_add(1, std::memory_order_relaxed);
        try {
            Submit([run] {
                run->Work();
                run->Leave();
            });
        } catch (...) {
            run->Leave(); // this helper never comes; the caller does its share
            break;
        }
    }
    run->Work();
    std::exception_ptr error;
    {
        std::unique_lock<std::mutex> lock(run->mutex);
        run->finished.wait(lock, [run] { return run->done == run->pieces; });
        error = run->error;
    }
    run->Leave();
    if (error)
        std::rethrow_exception(error);
}

CJobAhead::~CJobAhead()
{
    WaitQuietly();
}

void CJobAhead::Start(std::function<void()> job)
{
    Wait();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_running = true;
    }
    auto run = [this, job = std::move(job)] {
        std::exception_ptr thrown;
        try {
            job();
        } catch (...) {
            thrown = std::current_exception();
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_thrown = thrown;
        m_running = false;
        m_done.notify_all();
    };
    try {
        m_pool.Submit(run);
    } catch (...) {
        run(); // no worker to hand it to
    }
}

void CJobAhead::WaitQuietly()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done.wait(lock, [this] { return !m_running; });
}

void CJobAhead::Wait()
{
    WaitQuietly();
    std::exception_ptr thrown;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::swap(thrown, m_thrown);
    }
    if (thrown)
        std::rethrow_exception(thrown);
}
