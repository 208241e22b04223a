// The rasterizers' entry: one pass over the whole frame on the calling
// thread, or the frame's bands shared out between the device's worker
// threads.
//
// Each band draws every polygon that reaches it, in list order (last to
// first), but only its own rows, and runs the flat fill, the Gouraud fill
// and the wireframe in that order: every pixel belongs to one band, so it
// sees the very depth tests and line writes, in the same order, as in one
// pass over the frame. The boxes the bands report add up to the box of
// that one pass.
#include "device/worker_pool.h"
#include "raster/line_stepper.h"
#include "raster/raster.h"
#include "raster/row_passes.h"

#include <algorithm>
#include <cstdint>

namespace {

// Below this much work (raster/polygon_bands.h: rough nanoseconds of one
// thread) a list is drawn on the calling thread: waking the workers and
// waiting for them would cost more than they save. The demo's frame at its
// own size stays well below it.
constexpr std::int64_t kSharedWork = 150000;

struct PassTables {
    EdgeTables<EdgeEntry> flat;
    EdgeTables<ShadedEdgeEntry> shaded;
    EdgeTables<ColoredEdgeEntry> colored;
};

// What one thread draws of one window: the passes renderMode selects.
struct WindowDrawer {
    const RenderDevice& device;
    const FrameView& view;
    const ScreenPolygonList& list;
    std::uint32_t renderMode;
    SpanPath path;
    PixelColor lineColor;
    bool pointColors; // the Gouraud fill steps the points' lit colours

    FrameBox draw(const RowWindow& window, const PassTables& tables) const {
        FrameBox box;
        if ((renderMode & RenderMode::Flat) != 0 && tables.flat.left != nullptr) {
            box = unite(box, fillFlatRows(device, view, list, window, tables.flat, path));
        }
        if ((renderMode & RenderMode::Gouraud) != 0) {
            if (pointColors && tables.colored.left != nullptr) {
                box = unite(box, fillColoredGouraudRows(view, list, window, tables.colored, path));
            } else if (!pointColors && tables.shaded.left != nullptr) {
                box = unite(box, fillGouraudRows(device, view, list, window, tables.shaded, path));
            }
        }
        if ((renderMode & RenderMode::Wireframe) != 0) {
            box = unite(box, wireframeRows(device, view, list, window, lineColor));
        }
        return box;
    }
};

// The fills' tables for one thread; false when a fill needs tables that
// cannot be had.
bool tablesFor(RenderDevice& device, std::int32_t rows, std::uint32_t renderMode, bool pointColors,
               std::int32_t worker, PassTables& tables) {
    bool ok = true;
    if ((renderMode & RenderMode::Flat) != 0) {
        tables.flat = edgeTables<EdgeEntry>(device, rows, worker);
        ok = ok && tables.flat.left != nullptr;
    }
    if ((renderMode & RenderMode::Gouraud) != 0 && !pointColors) {
        tables.shaded = edgeTables<ShadedEdgeEntry>(device, rows, worker);
        ok = ok && tables.shaded.left != nullptr;
    }
    if ((renderMode & RenderMode::Gouraud) != 0 && pointColors) {
        tables.colored = edgeTables<ColoredEdgeEntry>(device, rows, worker);
        ok = ok && tables.colored.left != nullptr;
    }
    return ok;
}

std::int64_t totalWork(const PolygonBands& bands) {
    std::int64_t total = 0;
    for (std::int32_t b = 0; b < bands.count; ++b) {
        total += bands.work[b];
    }
    return total;
}

// Cuts the bands into at most `groups` runs of neighbouring bands with
// about the same work each, one window per run. Returns the number of
// windows.
std::int32_t windowsOf(const PolygonBands& bands, std::int32_t height, std::int32_t groups,
                       RowWindow* windows) {
    const std::int64_t total = totalWork(bands);
    std::int32_t made = 0;
    std::int32_t first = 0;
    std::int64_t done = 0;
    for (std::int32_t b = 0; b < bands.count; ++b) {
        done += bands.work[b];
        const bool last = b + 1 == bands.count;
        // Close the run once it holds its share of the work (the last run
        // takes whatever is left).
        if (last || (made + 1 < groups && done * groups >= total * (made + 1))) {
            RowWindow& w = windows[made++];
            w.begin = first * bands.rowsPerBand;
            w.end = (b + 1) * bands.rowsPerBand < height ? (b + 1) * bands.rowsPerBand : height;
            w.bands = static_cast<std::uint8_t>(((1u << (b + 1)) - 1u) & ~((1u << first) - 1u));
            first = b + 1;
        }
    }
    return made;
}

} // namespace

void drawPolygons(RenderDevice& device, const ScreenPolygonList& list, std::uint32_t renderMode) {
    FrameView view;
    if (!viewFrame(device, view) || drawablePolygonCount(list) == 0) {
        return;
    }
    const WindowDrawer drawer{device,
                              view,
                              list,
                              renderMode,
                              fastestSpanPath(),
                              lineColor(device),
                              list.hasPointColors()};

    const PolygonBands& bands = list.bands;
    const bool banded = bands.count > 0 && bands.count <= PolygonBands::kMaxBands &&
                        bands.rowsPerBand > 0 && bands.frameRows == view.height &&
                        bands.rowsPerBand * bands.count >= view.height;
    const bool shareable = banded && bands.count > 1 && totalWork(bands) >= kSharedWork;
    WorkerPool* pool = shareable ? device.workers() : nullptr;
    std::int32_t threads = pool != nullptr ? pool->size() : 1;
    // Once the device's threads run, each gets its tables, even for a list
    // drawn alone: a later list that is shared finds them made, so a steady
    // frame allocates nothing whichever way its lists are drawn.
    const std::int32_t withTables =
        std::max(threads, device.workerPool != nullptr ? device.workerPool->size() : 1);
    PassTables tables[kMaxRenderThreads];
    for (std::int32_t w = 0; w < withTables; ++w) {
        if (!tablesFor(device, view.height, renderMode, drawer.pointColors, w, tables[w]) &&
            w < threads) {
            threads = 1; // draw alone (a fill without tables draws nothing)
        }
    }

    if (threads == 1) {
        // Every band: polygons that reach none are passed over unread.
        const auto all = static_cast<std::uint8_t>(banded ? (1u << bands.count) - 1u : 0u);
        device.markDrawn(drawer.draw(RowWindow{0, view.height, all}, tables[0]));
        return;
    }
    // Many small polygons: twice as many windows as threads, taken as
    // threads come free, even out what the work estimate misses. A few big
    // ones: one window a thread, since every window steps the whole edges
    // of the polygons that reach it.
    const std::int32_t groups = list.count >= 256 ? 2 * threads : threads;
    RowWindow windows[PolygonBands::kMaxBands];
    const std::int32_t windowCount =
        windowsOf(bands, view.height, groups < bands.count ? groups : bands.count, windows);
    FrameBox boxes[PolygonBands::kMaxBands];
    auto job = [&](std::int32_t task, std::int32_t worker) {
        boxes[task] = drawer.draw(windows[task], tables[worker]);
    };
    pool->run(windowCount, job);
    FrameBox box;
    for (std::int32_t g = 0; g < windowCount; ++g) {
        box = unite(box, boxes[g]);
    }
    device.markDrawn(box);
}

void fillFlat(RenderDevice& device, const ScreenPolygonList& list) {
    drawPolygons(device, list, RenderMode::Flat);
}

void fillGouraud(RenderDevice& device, const ScreenPolygonList& list) {
    drawPolygons(device, list, RenderMode::Gouraud);
}

void drawWireframe(RenderDevice& device, const ScreenPolygonList& list) {
    drawPolygons(device, list, RenderMode::Wireframe);
}
