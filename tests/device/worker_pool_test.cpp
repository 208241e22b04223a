// The worker pool when a task throws: a failed allocation (the allocation
// hook failing inside the job) or an exception of the job's own, on the
// calling thread or on a worker, reaches the caller of run as that very
// exception, only after every other task of the job has ended; the pool
// then runs the next jobs as before, and fails alike a second time.
#include "device/worker_pool.h"
#include "tests/support/allocation_hook.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

// A size nothing else asks for: the allocation hook fails the one block of
// it that the throwing task asks for.
constexpr std::size_t kFailingSize = 999983;

enum class Failure { AllocationFails, JobThrows };

// Holds every task of a job of pool.size() tasks until all have begun, so
// that each thread runs exactly one of them (a thread inside a task takes no
// other). False when they never all arrive (after ten seconds).
class Gate {
  public:
    explicit Gate(std::int32_t threads) : threads_(threads) {}
    bool pass() {
        arrived_.fetch_add(1);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (arrived_.load() < threads_) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::yield();
        }
        return true;
    }

  private:
    std::int32_t threads_;
    std::atomic<std::int32_t> arrived_{0};
};

// Task `thrower`'s thread fails; the others take their time before they end,
// so that a run returning early would find them still running.
struct FailingJob {
    Gate& gate;
    std::int32_t thrower;
    Failure failure;
    std::atomic<std::int32_t>& ended;
    std::atomic<bool>& gateHeld;

    void operator()(std::int32_t /*task*/, std::int32_t worker) const {
        if (!gate.pass()) {
            gateHeld = false;
        }
        if (worker == thrower) {
            if (failure == Failure::AllocationFails) {
                // Called by name: a new-expression whose block goes unused
                // may be left out by the compiler (clang does).
                ::operator delete(::operator new(kFailingSize));
            } else {
                throw std::runtime_error("task failed on thread " + std::to_string(worker));
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        ended.fetch_add(1);
    }
};

// Every one of `count` tasks runs once, on a thread of the pool.
void expectEveryTaskRunsOnce(WorkerPool& pool, std::int32_t count, const std::string& where) {
    std::vector<std::atomic<std::int32_t>> runs(static_cast<std::size_t>(count));
    std::atomic<bool> workersInRange{true};
    auto job = [&](std::int32_t task, std::int32_t worker) {
        runs[static_cast<std::size_t>(task)].fetch_add(1);
        if (worker < 0 || worker >= pool.size()) {
            workersInRange = false;
        }
    };
    ASSERT_NO_THROW(pool.run(count, job)) << where;
    std::int32_t once = 0;
    for (const auto& r : runs) {
        once += r.load() == 1 ? 1 : 0;
    }
    EXPECT_EQ(once, count) << where;
    EXPECT_TRUE(workersInRange) << where;
}

TEST(WorkerPool, AnExceptionInAJobReachesTheCallerAfterEveryTaskEndedAndThePoolGoesOn) {
    const struct {
        const char* name;
        std::int32_t threads;
        std::int32_t thrower; // the thread whose task fails: 0 is the caller
        Failure failure;
    } cases[] = {
        {"allocation fails, one thread", 1, 0, Failure::AllocationFails},
        {"job throws, one thread", 1, 0, Failure::JobThrows},
        {"allocation fails on the caller", 2, 0, Failure::AllocationFails},
        {"allocation fails on a worker", 2, 1, Failure::AllocationFails},
        {"job throws on the caller", 2, 0, Failure::JobThrows},
        {"job throws on a worker", 2, 1, Failure::JobThrows},
        {"allocation fails on the last of three threads", 3, 2, Failure::AllocationFails},
        {"job throws on the first worker of three", 3, 1, Failure::JobThrows},
    };
    for (const auto& c : cases) {
        WorkerPool pool(c.threads);
        if (c.thrower >= pool.size()) {
            continue; // a build without threads, or a system that gave fewer
        }
        for (int attempt = 0; attempt < 2; ++attempt) {
            const std::string where = std::string(c.name) + ", attempt " + std::to_string(attempt);
            Gate gate(pool.size());
            std::atomic<std::int32_t> ended{0};
            std::atomic<bool> gateHeld{true};
            FailingJob job{gate, c.thrower, c.failure, ended, gateHeld};
            std::string caught;
            allocation_hook::failSize = kFailingSize;
            try {
                pool.run(pool.size(), job);
                caught = "nothing";
            } catch (const std::bad_alloc&) {
                caught = "bad_alloc";
            } catch (const std::runtime_error& e) {
                caught = e.what();
            }
            allocation_hook::disarm();
            // The other tasks had all ended when run returned.
            const std::int32_t endedAtReturn = ended.load();
            EXPECT_TRUE(gateHeld) << where << ": the threads did not run side by side";
            EXPECT_EQ(caught, c.failure == Failure::AllocationFails
                                  ? std::string("bad_alloc")
                                  : "task failed on thread " + std::to_string(c.thrower))
                << where;
            EXPECT_EQ(endedAtReturn, pool.size() - 1) << where;
            expectEveryTaskRunsOnce(pool, 1000, where);
            EXPECT_EQ(ended.load(), endedAtReturn) << where << ": a task ran after run returned";
        }
    }
}

} // namespace
