// One model file loaded away from the frame loop: on a thread of its own,
// or one step of the load at a time for a program without threads (the
// web page), each step called from the frame loop.
//
// The frame loop owns the BackgroundLoad and asks it, once a pass, whether
// the load has ended (poll); the loading thread touches nothing but the
// load and the load's own fields: the device, the window and appState stay
// the frame loop's. The thread hands its result over through the `ended`
// flag: it writes the result, then sets the flag (release); the frame loop
// reads the flag (acquire), joins the thread and only then takes the
// result. Progress crosses as one atomic percentage, the cancel request as
// one atomic flag that the loader checks between chunks.
#pragma once

#include "model/load_model.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>

// A model's bytes that the caller has read already (a file the web page
// holds), with the reader of the files beside it (its materials).
struct ModelBytes {
    std::unique_ptr<std::uint8_t[]> data;
    std::size_t size = 0;
    model::SiblingReader readSibling;
    // Why the bytes could not be had ("cannot read the file"); when set,
    // the load fails at once with "PATH: failure".
    std::string failure;
};

class BackgroundLoad {
  public:
    enum class Runner {
        Thread, // the whole load on a thread of its own
        Steps,  // one step a poll(), on the caller's thread
    };

    // Starts loading the file at `path` (or, with `bytes` given, those
    // bytes under the path's name). `options` are the base of the load's
    // own: its progress callback is called too (on the loading thread, for
    // Runner::Thread); cancel is replaced by this load's flag. A thread
    // load parses on a worker pool of its own of defaultRenderThreads()
    // threads, started and stopped on the loading thread.
    BackgroundLoad(std::string path, std::optional<ModelBytes> bytes, Runner runner,
                   model::LoadOptions options);
    // Cancels, and waits for the thread (it ends at its next chunk).
    ~BackgroundLoad();
    BackgroundLoad(const BackgroundLoad&) = delete;
    BackgroundLoad& operator=(const BackgroundLoad&) = delete;

    // The frame loop's call: a Steps load takes its next step. True once
    // the load has ended; result() is then ready.
    bool poll();

    // Asks the load to stop at its next chunk boundary; it then ends
    // cancelled, having freed what it held. Returns at once.
    void cancel();
    bool cancelled() const { return cancel_.load(std::memory_order_relaxed); }

    // Whole percent of the file consumed so far, 0 to 100.
    int percent() const { return percent_.load(std::memory_order_relaxed); }

    const std::string& path() const { return path_; }

    // The outcome, moved out; only after poll() has returned true.
    model::LoadResult result();

  private:
    void runOnThread();
    void record(std::uint64_t done, std::uint64_t total);
    void end(model::LoadResult result);

    std::string path_;
    std::optional<ModelBytes> bytes_;
    model::LoadOptions options_;
    std::function<void(std::uint64_t, std::uint64_t)> callerProgress_;
    std::atomic<bool> cancel_{false};
    std::atomic<int> percent_{0};
    // Set once result_ holds the outcome.
    std::atomic<bool> ended_{false};
    model::LoadResult result_;
    std::optional<model::ModelLoad> steps_;
    std::thread thread_;
};
