// The fast readers: each reads the common layouts of one format in chunks
// of bounded work, so a load can report progress, be cancelled and yield
// between them (model/load_model.h, ModelLoad), and the text formats are
// parsed on several threads.
//
// A fast reader gives exactly the RawModel its format's general reader
// (model_reader.h) gives for the same bytes, or it gives up: for a layout
// it does not take, and for any file the general reader would refuse (the
// general reader then runs, and its message says where and why). So every
// failure message, and every model, is the general reader's.
#pragma once

#include "device/worker_pool.h"
#include "model/model_reader.h"

#include <cstdint>
#include <memory>
#include <span>

namespace model {

class ChunkedReader {
  public:
    enum class Status {
        More,    // call step again
        Done,    // take() holds the model
        General, // the general reader must read this file
    };

    virtual ~ChunkedReader() = default;

    // Reads the next chunk of `bytes` (the whole file, the same span on
    // every call). `pool` may be null. Allocations are charged to `budget`;
    // when it refuses, the fast reader gives up (General) and the general
    // reader reports the failure.
    virtual Status step(std::span<const std::uint8_t> bytes, WorkerPool* pool,
                        MemoryBudget& budget) = 0;

    // Bytes of the file read so far.
    virtual std::uint64_t parsed() const = 0;

    // After Done: the model, moved out. Its allocations stay charged.
    virtual RawModel take() = 0;
};

// Runs job(i) for i in [0, count): on the pool where there is one (the job
// must not throw), else here in order.
template <typename Job> void runPieces(WorkerPool* pool, std::size_t count, Job& job);

// Bytes of work a chunk takes, about, unless the caller says otherwise.
inline constexpr std::size_t kChunkBytes = std::size_t{4} << 20;

// The fast reader of each format, taking about `chunkBytes` of the file a
// step (at least one line, item or triangle). The OBJ reader parses a step
// as pieces of a quarter of that on the pool's threads.
std::unique_ptr<ChunkedReader> chunkedObjReader(std::size_t chunkBytes = kChunkBytes);
std::unique_ptr<ChunkedReader> chunkedPlyReader(std::size_t chunkBytes = kChunkBytes);
std::unique_ptr<ChunkedReader> chunkedStlReader(std::size_t chunkBytes = kChunkBytes);

template <typename Job> void runPieces(WorkerPool* pool, std::size_t count, Job& job) {
    auto task = [&job](std::int32_t index, std::int32_t) { job(static_cast<std::size_t>(index)); };
    if (pool != nullptr && count > 1) {
        pool->run(static_cast<std::int32_t>(count), task);
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        job(i);
    }
}

} // namespace model
