#include "raster/edge_tables.h"

#include "device/worker_pool.h"

#include <cstddef>
#include <memory>
#include <new>

struct RasterScratch {
    std::unique_ptr<EdgeEntry[]> flat[kMaxRenderThreads];
    std::size_t flatRows[kMaxRenderThreads] = {};
    std::unique_ptr<ShadedEdgeEntry[]> shaded[kMaxRenderThreads];
    std::size_t shadedRows[kMaxRenderThreads] = {};
};

namespace {

void freeRasterScratch(RasterScratch* scratch) {
    delete scratch;
}

RasterScratch* scratchOf(RenderDevice& device) {
    if (!device.rasterScratch) {
        device.rasterScratch =
            ScratchSlot<RasterScratch>(new (std::nothrow) RasterScratch, freeRasterScratch);
    }
    return device.rasterScratch.get();
}

// The left table at the start of the block, the right one `heldRows` on.
template <typename Entry>
EdgeTables<Entry> tablesIn(std::unique_ptr<Entry[]>& block, std::size_t& heldRows,
                           std::int32_t rows) {
    const auto needed = static_cast<std::size_t>(rows);
    if (heldRows < needed) {
        block.reset();
        heldRows = 0;
        block.reset(new (std::nothrow) Entry[2 * needed]);
        if (!block) {
            return {};
        }
        heldRows = needed;
    }
    return {block.get(), block.get() + heldRows};
}

} // namespace

template <>
EdgeTables<EdgeEntry> edgeTables(RenderDevice& device, std::int32_t rows, std::int32_t worker) {
    RasterScratch* scratch = scratchOf(device);
    if (scratch == nullptr || worker < 0 || worker >= kMaxRenderThreads) {
        return {};
    }
    return tablesIn(scratch->flat[worker], scratch->flatRows[worker], rows);
}

template <>
EdgeTables<ShadedEdgeEntry> edgeTables(RenderDevice& device, std::int32_t rows,
                                       std::int32_t worker) {
    RasterScratch* scratch = scratchOf(device);
    if (scratch == nullptr || worker < 0 || worker >= kMaxRenderThreads) {
        return {};
    }
    return tablesIn(scratch->shaded[worker], scratch->shadedRows[worker], rows);
}
