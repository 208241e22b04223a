// The render device's worker threads: a small pool that runs one job at a
// time, split into numbered tasks, on the calling thread and the workers
// together, and returns when every task is done.
//
// The drawing path uses it for work whose result does not depend on which
// thread does what: the pipeline's per-vertex and per-face work over index
// ranges (merged afterwards in face order), and the rasterizers over
// horizontal bands of the frame (each pixel belongs to one band). Only the
// thread that owns the device calls run; the frame loop, the window
// procedure and the overlay never leave it.
//
// A job is called as job(task, worker) for every task in [0, taskCount),
// each exactly once, in no particular order; `worker` in [0, size()) names
// the thread that runs it (0 is the caller), so a job can keep working
// storage per thread. Dispatching allocates nothing: the job is passed by
// reference, never copied into a std::function.
//
// A job may throw (a std::bad_alloc, say): the first exception any task
// throws, on any thread, ends the job. Tasks not yet begun are skipped,
// run waits until every task already running has ended, and then throws
// that exception on the calling thread; the pool is ready for the next
// job. (A job should still get its memory before it starts: an exception
// leaves its results half made.)
//
// Where the build has no threads (a web build without pthreads) the pool
// has size 1 and runs every task on the calling thread.
#pragma once

#include <cstdint>
#include <memory>

// 1 where the build can start threads, 0 where it cannot.
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
#define OCTASPIN_HAS_THREADS 0
#else
#define OCTASPIN_HAS_THREADS 1
#endif

// The most threads a device draws with, whatever is asked for or found.
inline constexpr std::int32_t kMaxRenderThreads = 8;

// The thread count a device starts with: the environment variable
// OCTASPIN_THREADS when it holds a whole number from 1 to
// kMaxRenderThreads (anything else is ignored), otherwise the number of
// processor cores the system reports, at most kMaxRenderThreads. 1 on a
// build without threads.
std::int32_t defaultRenderThreads();

// A requested count within 1 .. kMaxRenderThreads; 0 or less asks for the
// default.
std::int32_t clampRenderThreads(std::int32_t requested);

class WorkerPool;

// A pool of clampRenderThreads(threads) threads for work of its own (a
// model's load, say), or null when that is 1 or no second thread can be
// had: the caller then works alone.
std::unique_ptr<WorkerPool> startWorkerPool(std::int32_t threads);

class WorkerPool {
  public:
    // A pool of `threads` threads in all, the caller's included: threads - 1
    // workers are started. When the system refuses a thread, the pool keeps
    // the ones it got (size() tells how many run).
    explicit WorkerPool(std::int32_t threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // Threads that run tasks, the caller's included.
    std::int32_t size() const;

    // True while every worker is still spinning after its last job, none
    // asleep: a job handed out now starts on all threads at once, without
    // the system waking anyone (tens of microseconds each). A hint only: a
    // worker may fall asleep the moment after. False without workers.
    bool workersAwake() const;

    template <typename Job> void run(std::int32_t taskCount, Job& job) {
        runTasks(taskCount, &invoke<Job>, &job);
    }

  private:
    using TaskFunction = void (*)(void* job, std::int32_t task, std::int32_t worker);

    template <typename Job> static void invoke(void* job, std::int32_t task, std::int32_t worker) {
        (*static_cast<Job*>(job))(task, worker);
    }

    void runTasks(std::int32_t taskCount, TaskFunction function, void* job);

    struct Shared;
    std::unique_ptr<Shared> shared_;
};
