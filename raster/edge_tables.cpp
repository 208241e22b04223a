#include "raster/edge_tables.h"

#include "device/worker_pool.h"

#include <cstddef>
#include <memory>
#include <new>

// Per drawing thread, one block of both tables of one entry kind, and the
// rows each table of it holds.
template <typename Entry> struct TableBlocks {
    std::unique_ptr<Entry[]> block[kMaxRenderThreads];
    std::size_t rows[kMaxRenderThreads] = {};
};

struct RasterScratch {
    TableBlocks<EdgeEntry> flat;
    TableBlocks<ShadedEdgeEntry> shaded;
    TableBlocks<ColoredEdgeEntry> colored;
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

TableBlocks<EdgeEntry>& blocksOf(RasterScratch& scratch, const EdgeEntry*) {
    return scratch.flat;
}
TableBlocks<ShadedEdgeEntry>& blocksOf(RasterScratch& scratch, const ShadedEdgeEntry*) {
    return scratch.shaded;
}
TableBlocks<ColoredEdgeEntry>& blocksOf(RasterScratch& scratch, const ColoredEdgeEntry*) {
    return scratch.colored;
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

template <typename Entry>
EdgeTables<Entry> edgeTables(RenderDevice& device, std::int32_t rows, std::int32_t worker) {
    RasterScratch* scratch = scratchOf(device);
    if (scratch == nullptr || worker < 0 || worker >= kMaxRenderThreads) {
        return {};
    }
    TableBlocks<Entry>& blocks = blocksOf(*scratch, static_cast<const Entry*>(nullptr));
    return tablesIn(blocks.block[worker], blocks.rows[worker], rows);
}

template EdgeTables<EdgeEntry> edgeTables(RenderDevice&, std::int32_t, std::int32_t);
template EdgeTables<ShadedEdgeEntry> edgeTables(RenderDevice&, std::int32_t, std::int32_t);
template EdgeTables<ColoredEdgeEntry> edgeTables(RenderDevice&, std::int32_t, std::int32_t);
