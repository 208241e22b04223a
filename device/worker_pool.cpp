#include "device/worker_pool.h"

#include <atomic>
#include <charconv>
#include <cstdlib>
#include <cstring>

#if OCTASPIN_HAS_THREADS
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif
#endif

std::int32_t clampRenderThreads(std::int32_t requested) {
    if (requested <= 0) {
        return defaultRenderThreads();
    }
    return requested > kMaxRenderThreads ? kMaxRenderThreads : requested;
}

std::unique_ptr<WorkerPool> startWorkerPool(std::int32_t threads) {
    const std::int32_t count = clampRenderThreads(threads);
    if (count <= 1) {
        return nullptr;
    }
    auto pool = std::make_unique<WorkerPool>(count);
    return pool->size() > 1 ? std::move(pool) : nullptr;
}

std::int32_t defaultRenderThreads() {
#if OCTASPIN_HAS_THREADS
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

#if OCTASPIN_HAS_THREADS

namespace {

// Tells the processor that this thread is spinning: it then spends less
// power and leaves more of the core to the other hardware thread on it.
inline void spinHint() {
#if defined(__x86_64__) || defined(__i386__)
    _mm_pause();
#elif defined(__aarch64__)
    __asm__ __volatile__("yield" ::: "memory");
#endif
}

// A cache line: the task counter, which every thread writes, sits alone on
// one, so taking a task does not take the line from under the other fields.
constexpr std::size_t kCacheLine = 64;

} // namespace

// The job in progress and the workers' hand-over. The caller writes the job
// and then publishes it with a new generation number (release); a worker
// that sees the number (acquire) sees the job, takes tasks from nextTask
// until none is left, and counts itself out of `working` (release). The
// caller takes tasks too, then waits for `working` to reach 0 (acquire), so
// every task's results are visible to it when run returns.
//
// Waiting spins for a little while before it sleeps: a frame of a big mesh
// hands out a few jobs in quick succession, and a worker that went to sleep
// between them would have to be woken by the system each time (tens of
// microseconds when it is quick). A worker idle for longer sleeps on the
// condition variable and costs nothing.
//
// A task that throws stores its exception (the first one only), and moves
// nextTask past the end so that no thread begins another task of the job;
// the caller throws it once `working` is 0.
struct WorkerPool::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable done;
    std::vector<std::thread> threads;
    std::atomic<std::uint64_t> generation{0};
    std::atomic<bool> stopping{false};
    std::atomic<std::int32_t> working{0}; // workers not yet done with the job
    // Workers waiting on `wake`: changed under the mutex, read without it
    // by workersAwake.
    std::atomic<std::int32_t> sleepers{0};
    bool callerSleeping = false; // the caller waits on `done` (under the mutex)

    TaskFunction function = nullptr;
    void* job = nullptr;
    std::int32_t taskCount = 0;
    std::atomic<bool> failed{false};
    std::exception_ptr error; // the first exception of the job, set where `failed` became true

    alignas(kCacheLine) std::atomic<std::int32_t> nextTask{0};
    // Keeps whatever follows this object in memory off nextTask's line.
    char pastNextTask[kCacheLine - sizeof(std::atomic<std::int32_t>)] = {};

    // Runs tasks until none is left; never throws.
    void drain(std::int32_t worker) noexcept {
        for (std::int32_t task = nextTask.fetch_add(1, std::memory_order_relaxed); task < taskCount;
             task = nextTask.fetch_add(1, std::memory_order_relaxed)) {
            try {
                function(job, task, worker);
            } catch (...) {
                if (!failed.exchange(true, std::memory_order_relaxed)) {
                    error = std::current_exception();
                }
                nextTask.store(taskCount, std::memory_order_relaxed);
            }
        }
    }

    // Spins until `ready` holds or about 50 microseconds have passed; true
    // when it held.
    template <typename Ready> static bool spinUntil(Ready ready) {
        const auto start = std::chrono::steady_clock::now();
        for (std::uint32_t n = 1;; ++n) {
            if (ready()) {
                return true;
            }
            if ((n & 255u) == 0 &&
                std::chrono::steady_clock::now() - start > std::chrono::microseconds(50)) {
                return false;
            }
            spinHint();
        }
    }

    void workerLoop(std::int32_t worker) {
        std::uint64_t seen = 0;
        for (;;) {
            const auto published = [&] {
                return stopping.load(std::memory_order_acquire) ||
                       generation.load(std::memory_order_acquire) != seen;
            };
            if (!spinUntil(published)) {
                std::unique_lock<std::mutex> lock(mutex);
                sleepers.fetch_add(1, std::memory_order_relaxed);
                wake.wait(lock, published);
                sleepers.fetch_sub(1, std::memory_order_relaxed);
            }
            if (stopping.load(std::memory_order_acquire)) {
                return;
            }
            seen = generation.load(std::memory_order_acquire);
            drain(worker);
            if (working.fetch_sub(1, std::memory_order_acq_rel) == 1) {
                std::lock_guard<std::mutex> lock(mutex);
                if (callerSleeping) {
                    done.notify_one();
                }
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
        s.stopping.store(true, std::memory_order_release);
    }
    s.wake.notify_all();
    for (std::thread& thread : s.threads) {
        thread.join();
    }
}

std::int32_t WorkerPool::size() const {
    return static_cast<std::int32_t>(shared_->threads.size()) + 1;
}

bool WorkerPool::workersAwake() const {
    return !shared_->threads.empty() && shared_->sleepers.load(std::memory_order_relaxed) == 0;
}

void WorkerPool::runTasks(std::int32_t taskCount, TaskFunction function, void* job) {
    Shared& s = *shared_;
    if (s.threads.empty() || taskCount <= 1) {
        // Nobody else runs a task: an exception leaves straight away.
        for (std::int32_t task = 0; task < taskCount; ++task) {
            function(job, task, 0);
        }
        return;
    }
    s.function = function;
    s.job = job;
    s.taskCount = taskCount;
    s.nextTask.store(0, std::memory_order_relaxed);
    s.working.store(static_cast<std::int32_t>(s.threads.size()), std::memory_order_relaxed);
    {
        // Published under the mutex, so a worker between its check and its
        // sleep cannot miss it.
        std::lock_guard<std::mutex> lock(s.mutex);
        s.generation.fetch_add(1, std::memory_order_release);
        if (s.sleepers.load(std::memory_order_relaxed) > 0) {
            s.wake.notify_all();
        }
    }
    s.drain(0);
    const auto finished = [&] { return s.working.load(std::memory_order_acquire) == 0; };
    if (!Shared::spinUntil(finished)) {
        std::unique_lock<std::mutex> lock(s.mutex);
        s.callerSleeping = true;
        s.done.wait(lock, finished);
        s.callerSleeping = false;
    }
    // Every worker counted itself out after its last task (release), so
    // what a failing task stored is visible here.
    if (s.failed.load(std::memory_order_relaxed)) {
        std::exception_ptr error = std::move(s.error);
        s.error = nullptr;
        s.failed.store(false, std::memory_order_relaxed);
        std::rethrow_exception(error);
    }
}

#else

struct WorkerPool::Shared {};

WorkerPool::WorkerPool(std::int32_t) : shared_(std::make_unique<Shared>()) {}

WorkerPool::~WorkerPool() = default;

std::int32_t WorkerPool::size() const {
    return 1;
}

bool WorkerPool::workersAwake() const {
    return false;
}

void WorkerPool::runTasks(std::int32_t taskCount, TaskFunction function, void* job) {
    for (std::int32_t task = 0; task < taskCount; ++task) {
        function(job, task, 0);
    }
}

#endif
