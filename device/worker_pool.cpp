#include "device/worker_pool.h"

#include <atomic>
#include <charconv>
#include <cstdlib>
#include <cstring>

#if OCTASPIN_THREADS
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>
#endif

std::int32_t clampRenderThreads(std::int32_t requested) {
    if (requested <= 0) {
        return defaultRenderThreads();
    }
    return requested > kMaxRenderThreads ? kMaxRenderThreads : requested;
}

std::int32_t defaultRenderThreads() {
#if OCTASPIN_THREADS
    if (const char* text = std::getenv("OCTASPIN_THREADS"); text != nullptr) {
        std::int32_t value = 0;
        const char* end = text + std::strlen(text);
        const auto [last, error] = std::from_chars(text, end, value);
        if (error == std::errc() && last == end && value >= 1 && value <= kMaxRenderThreads) {
            return value;
        }
    }
    const unsigned cores = std::thread::hardware_concurrency();
    if (cores == 0) {
        return 1;
    }
    return cores > static_cast<unsigned>(kMaxRenderThreads) ? kMaxRenderThreads
                                                            : static_cast<std::int32_t>(cores);
#else
    return 1;
#endif
}

#if OCTASPIN_THREADS

// The job in progress and the workers' hand-over. A job is published under
// the mutex with a new generation number; each worker takes tasks from
// nextTask until none is left, then reports under the mutex. The caller
// takes tasks too and waits until every worker has reported, so the job's
// results are visible to it (the mutex orders them) when run returns.
struct WorkerPool::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable done;
    std::vector<std::thread> threads;
    std::uint64_t generation = 0;
    bool stopping = false;
    std::int32_t working = 0; // workers not yet done with the job

    TaskFunction function = nullptr;
    void* job = nullptr;
    std::int32_t taskCount = 0;
    std::atomic<std::int32_t> nextTask{0};

    void drain(std::int32_t worker) {
        for (std::int32_t task = nextTask.fetch_add(1, std::memory_order_relaxed); task < taskCount;
             task = nextTask.fetch_add(1, std::memory_order_relaxed)) {
            function(job, task, worker);
        }
    }

    void workerLoop(std::int32_t worker) {
        std::uint64_t seen = 0;
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(mutex);
                wake.wait(lock, [&] { return stopping || generation != seen; });
                if (stopping) {
                    return;
                }
                seen = generation;
            }
            drain(worker);
            std::lock_guard<std::mutex> lock(mutex);
            if (--working == 0) {
                done.notify_one();
            }
        }
    }
};

WorkerPool::WorkerPool(std::int32_t threads) : shared_(std::make_unique<Shared>()) {
    Shared& s = *shared_;
    const std::int32_t workers = (threads > kMaxRenderThreads ? kMaxRenderThreads : threads) - 1;
    s.threads.reserve(workers > 0 ? static_cast<std::size_t>(workers) : 0);
    for (std::int32_t w = 1; w <= workers; ++w) {
        try {
            s.threads.emplace_back([&s, w] { s.workerLoop(w); });
        } catch (const std::system_error&) {
            break; // the system has no more threads for us: draw with those we have
        }
    }
}

WorkerPool::~WorkerPool() {
    Shared& s = *shared_;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.stopping = true;
    }
    s.wake.notify_all();
    for (std::thread& thread : s.threads) {
        thread.join();
    }
}

std::int32_t WorkerPool::size() const {
    return static_cast<std::int32_t>(shared_->threads.size()) + 1;
}

void WorkerPool::runTasks(std::int32_t taskCount, TaskFunction function, void* job) {
    Shared& s = *shared_;
    if (s.threads.empty() || taskCount <= 1) {
        for (std::int32_t task = 0; task < taskCount; ++task) {
            function(job, task, 0);
        }
        return;
    }
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.function = function;
        s.job = job;
        s.taskCount = taskCount;
        s.nextTask.store(0, std::memory_order_relaxed);
        s.working = static_cast<std::int32_t>(s.threads.size());
        ++s.generation;
    }
    s.wake.notify_all();
    s.drain(0);
    std::unique_lock<std::mutex> lock(s.mutex);
    s.done.wait(lock, [&] { return s.working == 0; });
}

#else

struct WorkerPool::Shared {};

WorkerPool::WorkerPool(std::int32_t) : shared_(std::make_unique<Shared>()) {}

WorkerPool::~WorkerPool() = default;

std::int32_t WorkerPool::size() const {
    return 1;
}

void WorkerPool::runTasks(std::int32_t taskCount, TaskFunction function, void* job) {
    for (std::int32_t task = 0; task < taskCount; ++task) {
        function(job, task, 0);
    }
}

#endif
