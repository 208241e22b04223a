#include "app/background_load.h"

#include "device/worker_pool.h"

#include <exception>
#include <new>
#include <system_error>
#include <utility>

namespace {

// The message of a load that the heap could not supply.
std::string outOfMemory(const std::string& path) {
    return path + ": not enough memory to load the model";
}

model::ModelLoad makeLoad(const std::string& path, std::optional<ModelBytes>& bytes,
                          model::LoadOptions options) {
    if (bytes) {
        if (!options.readSibling) {
            options.readSibling = bytes->readSibling;
        }
        return model::ModelLoad(std::span<const std::uint8_t>(bytes->data.get(), bytes->size), path,
                                std::move(options));
    }
    return model::ModelLoad(path, std::move(options));
}

} // namespace

BackgroundLoad::BackgroundLoad(std::string path, std::optional<ModelBytes> bytes, Runner runner,
                               model::LoadOptions options)
    : path_(std::move(path)), bytes_(std::move(bytes)), options_(std::move(options)) {
    if (bytes_ && !bytes_->failure.empty()) {
        model::LoadResult result;
        result.error = path_ + ": " + bytes_->failure;
        end(std::move(result));
        return;
    }
    callerProgress_ = std::move(options_.progress);
    options_.progress = [this](std::uint64_t done, std::uint64_t total) { record(done, total); };
    options_.cancel = &cancel_;
#if OCTASPIN_HAS_THREADS
    if (runner == Runner::Thread) {
        try {
            thread_ = std::thread([this] { runOnThread(); });
            return;
        } catch (const std::system_error&) {
            // No thread to be had: the frame loop steps the load instead.
        }
    }
#else
    // A build without threads steps every load.
    (void)runner;
#endif
    steps_.emplace(makeLoad(path_, bytes_, options_));
}

BackgroundLoad::~BackgroundLoad() {
    cancel();
    if (thread_.joinable()) {
        thread_.join();
    }
}

#if OCTASPIN_HAS_THREADS
void BackgroundLoad::runOnThread() {
    model::LoadResult result;
    try {
        // The pool is this thread's: started, used and stopped here, never
        // shared with the frame loop's drawing.
        const std::unique_ptr<WorkerPool> pool = startWorkerPool(0);
        model::LoadOptions options = options_;
        options.pool = pool.get();
        model::ModelLoad load = makeLoad(path_, bytes_, std::move(options));
        result = load.result();
    } catch (const std::bad_alloc&) {
        result = model::LoadResult{};
        result.error = outOfMemory(path_);
    } catch (const std::exception& e) {
        result = model::LoadResult{};
        result.error = path_ + ": " + e.what();
    }
    end(std::move(result));
}
#endif

void BackgroundLoad::record(std::uint64_t done, std::uint64_t total) {
    const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 0;
    percent_.store(percent, std::memory_order_relaxed);
    if (callerProgress_) {
        callerProgress_(done, total);
    }
}

void BackgroundLoad::end(model::LoadResult result) {
    // The bytes are the load's input only.
    bytes_.reset();
    result_ = std::move(result);
    ended_.store(true, std::memory_order_release);
}

bool BackgroundLoad::poll() {
    if (ended_.load(std::memory_order_acquire)) {
        if (thread_.joinable()) {
            thread_.join();
        }
        return true;
    }
    if (!steps_) {
        return false;
    }
    try {
        if (steps_->step()) {
            return false;
        }
        model::LoadResult result = steps_->result();
        steps_.reset();
        end(std::move(result));
    } catch (const std::bad_alloc&) {
        steps_.reset();
        model::LoadResult result;
        result.error = outOfMemory(path_);
        end(std::move(result));
    }
    return true;
}

void BackgroundLoad::cancel() {
    cancel_.store(true, std::memory_order_relaxed);
}

model::LoadResult BackgroundLoad::result() {
    return std::move(result_);
}
