// buildScreenPolygons: the stages in order, on one thread or shared out.
//
//  1. Cull and vertex pass, together, over equal ranges of faces and of
//     vertices (one range a thread).
//  2. The kept faces, counted per range, give every kept face its polygon
//     number (the ranges' counts added up in face order) and three places
//     in the list's points.
//  3. Face pass over runs of kept faces, taken as threads come free.
//  4. The faces that found no room for their points in step 3 are built on
//     the calling thread; the polygons of more than three points, which
//     each thread kept aside, move behind the three-place points, and the
//     threads' band tallies add up.
// Every vector the jobs of steps 1 and 3 write is grown before they start:
// nothing is allocated on a worker thread.
#include "geometry/pipeline.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace {

// Below this many faces and vertices a mesh is drawn on the calling thread:
// waking the workers would cost more than they save (the demo's mesh has
// eight faces).
constexpr std::size_t kSharedMesh = 4096;

// Kept faces per run of the face pass: small enough that the runs even out
// between threads, big enough that taking one costs nothing.
constexpr std::size_t kFacesPerRun = 2048;

void freePipelineScratch(PipelineScratch* scratch) {
    delete scratch;
}

template <typename T> void growTo(std::vector<T>& v, std::size_t size) {
    if (v.size() < size) {
        v.resize(size);
    }
}

// Where range r of `ranges` equal ranges of [0, total) begins (r = ranges:
// where the last one ends).
std::size_t rangeStart(std::size_t total, std::int32_t r, std::int32_t ranges) {
    return total * static_cast<std::size_t>(r) / static_cast<std::size_t>(ranges);
}

// Stage 1 for range r of `ranges`.
struct CullAndTransform {
    const RenderDevice& device;
    const Mesh& mesh;
    PipelineScratch& scratch;
    std::size_t faceCount;
    std::int32_t ranges;
    bool litColors; // the points carry the mesh's colours, lit

    void operator()(std::int32_t r, std::int32_t /*worker*/) const {
        const std::size_t vertexCount = mesh.vertices.size();
        cullFaces(device, mesh, rangeStart(faceCount, r, ranges),
                  rangeStart(faceCount, r + 1, ranges), scratch.kept[r]);
        scratch.beyondFar[r] =
            !transformVertices(device, mesh, rangeStart(vertexCount, r, ranges),
                               rangeStart(vertexCount, r + 1, ranges), scratch.vertices);
        if (litColors && !scratch.beyondFar[r]) {
            lightVertexColors(device, mesh, rangeStart(vertexCount, r, ranges),
                              rangeStart(vertexCount, r + 1, ranges), scratch.vertices);
        }
    }
};

// Stage 3, one run a task.
struct BuildRuns {
    const FacePass& pass;
    PipelineScratch& scratch;

    void operator()(std::int32_t task, std::int32_t worker) const {
        const FaceRun& run = scratch.runs[static_cast<std::size_t>(task)];
        buildFacePolygons(pass, scratch.kept[run.range].numbers.data() + run.begin,
                          run.end - run.begin, run.firstPolygon, scratch.workers[worker]);
    }
};

// The most points a polygon of the general path can have at any step.
// Each clip stage hands on the inside corners and one point per edge that
// crosses its plane, at most n + n / 2 of n (a convex polygon gains one;
// the bound also holds for the rounding's odd shapes): 3 corners give at
// most 19 after the five stages, and the cut to the frame's four borders
// 94. The convex repair's hull takes twice as many.
constexpr std::size_t clipGrowth(std::size_t n, int stages) {
    return stages == 0 ? n : clipGrowth(n + n / 2, stages - 1);
}
constexpr std::size_t kClipRoom = clipGrowth(3, 5);
constexpr std::size_t kPolygonRoom = clipGrowth(kClipRoom, 4);
static_assert(kClipRoom == 19 && kPolygonRoom == 94);

// Extra points and polygons every thread has room for at the least, so
// that a mesh that starts to be cut by the planes is not built on the
// calling thread alone in its first frame.
constexpr std::size_t kMinExtraPoints = 1024;
constexpr std::size_t kMinExtraPolygons = 256;

// Room in every thread's storage for what any face may need of it, given
// on the calling thread before the face pass starts: the pass allocates
// nothing on the workers. Which thread takes which run changes from frame
// to frame, so what one thread needed once, each is given: a steady frame
// allocates nothing whatever the threads do.
void prepareWorkers(PipelineScratch& scratch, std::int32_t threads, bool litColors) {
    for (std::int32_t w = 0; w < threads; ++w) {
        FaceWorkerScratch& worker = scratch.workers[w];
        for (ClipPolygon* polygon : {&worker.clipInput, &worker.clipOutput}) {
            growTo(polygon->vertices, kClipRoom);
        }
        worker.projected.reserve(kPolygonRoom);
        worker.projection.projected.reserve(kPolygonRoom);
        worker.projection.cut.reserve(kPolygonRoom);
        worker.projection.repair.sorted.reserve(kPolygonRoom);
        worker.projection.repair.hull.reserve(2 * kPolygonRoom);
        worker.extraPoints.reserve(std::max(scratch.extraPointsHeld, kMinExtraPoints));
        worker.extraPolygons.reserve(std::max(scratch.extraPolygonsHeld, kMinExtraPolygons));
        worker.deferredPolygons = 0;
        worker.deferredPoints = 0;
        worker.firstDeferred = 0;
        worker.lastDeferred = -1;
        if (litColors) {
            growTo(worker.clipInput.colors, worker.clipInput.vertices.size());
            growTo(worker.clipOutput.colors, worker.clipOutput.vertices.size());
            worker.coloredProjected.reserve(kPolygonRoom);
            worker.projectedColors.reserve(kPolygonRoom);
            worker.projection.coloredRepair.sorted.reserve(kPolygonRoom);
            worker.projection.coloredRepair.hull.reserve(2 * kPolygonRoom);
            worker.extraColors.reserve(worker.extraPoints.capacity());
        }
        worker.bands = BandTally{};
    }
}

// The faces the face pass deferred, built again on the calling thread with
// the room they need (the one allocation of such a frame); their polygons
// keep their places.
void buildDeferredFaces(const FacePass& pass, PipelineScratch& scratch, std::int32_t threads) {
    std::size_t points = 0;
    std::size_t polygons = 0;
    for (std::int32_t w = 0; w < threads; ++w) {
        points += scratch.workers[w].deferredPoints;
        polygons += scratch.workers[w].deferredPolygons;
    }
    if (polygons == 0) {
        return;
    }
    FaceWorkerScratch& caller = scratch.workers[0];
    caller.extraPoints.reserve(caller.extraPoints.size() + points);
    caller.extraPolygons.reserve(caller.extraPolygons.size() + polygons);
    if (pass.pointColors != nullptr) {
        caller.extraColors.reserve(caller.extraColors.size() + points);
    }
    for (std::int32_t w = 0; w < threads; ++w) {
        FaceWorkerScratch& worker = scratch.workers[w];
        const std::int32_t first = worker.firstDeferred;
        const std::int32_t last = worker.lastDeferred;
        worker.deferredPolygons = 0;
        worker.deferredPoints = 0;
        for (std::int32_t j = first; j <= last; ++j) {
            ScreenPolygon& polygon = pass.polygons[j];
            if (polygon.pointCount == kDeferredPolygon) {
                const auto face = static_cast<std::uint32_t>(polygon.firstPoint);
                buildFacePolygons(pass, &face, 1, j, caller);
            }
        }
    }
}

// Stage 4: the extra points (and their colours) of each thread behind the
// three places of every face, in thread order, and their polygons pointed
// at them.
void gatherExtraPoints(PipelineScratch& scratch, std::size_t threePlacePoints,
                       std::int32_t threads) {
    ScreenPolygonList& list = scratch.list;
    std::size_t total = threePlacePoints;
    for (std::int32_t w = 0; w < threads; ++w) {
        total += scratch.workers[w].extraPoints.size();
    }
    growTo(list.points, total);
    if (list.colors.points) {
        growTo(list.colors.pointColors, total);
    }
    std::size_t extraPolygons = 0;
    for (std::int32_t w = 0; w < threads; ++w) {
        extraPolygons += scratch.workers[w].extraPolygons.size();
    }
    scratch.extraPointsHeld = std::max(scratch.extraPointsHeld, total - threePlacePoints);
    scratch.extraPolygonsHeld = std::max(scratch.extraPolygonsHeld, extraPolygons);
    std::size_t at = threePlacePoints;
    for (std::int32_t w = 0; w < threads; ++w) {
        FaceWorkerScratch& worker = scratch.workers[w];
        std::copy(worker.extraPoints.begin(), worker.extraPoints.end(),
                  list.points.begin() + static_cast<std::ptrdiff_t>(at));
        if (list.colors.points) {
            std::copy(worker.extraColors.begin(), worker.extraColors.end(),
                      list.colors.pointColors.begin() + static_cast<std::ptrdiff_t>(at));
        }
        for (const std::int32_t j : worker.extraPolygons) {
            list.polygons[static_cast<std::size_t>(j)].firstPoint += static_cast<std::int32_t>(at);
        }
        at += worker.extraPoints.size();
        worker.extraPoints.clear();
        worker.extraColors.clear();
        worker.extraPolygons.clear();
    }
}

} // namespace

PipelineScratch& pipelineScratchOf(RenderDevice& device) {
    if (!device.pipelineScratch) {
        device.pipelineScratch =
            ScratchSlot<PipelineScratch>(new PipelineScratch, freePipelineScratch);
    }
    return *device.pipelineScratch;
}

namespace {

// The faces drawn: those with their normals, and at most kMaxFaces, so that
// polygon numbers and point places (three a face, plus the clipped faces'
// extra points) stay within 32 bits. No mesh comes near it: half a billion
// faces take 3 GB.
constexpr std::size_t kMaxFaces = std::size_t{1} << 29;

std::size_t usableFaces(const Mesh& mesh) {
    return std::min({static_cast<std::size_t>(std::max(mesh.faceCount, 0)), mesh.faces.size(),
                     mesh.faceNormals.size(), kMaxFaces});
}

// The stages on `workers` (null: the calling thread), bands for the
// rasterizers when `withBands`.
void build(const RenderDevice& device, const Mesh& mesh, PipelineScratch& scratch,
           WorkerPool* workers, bool withBands) {
    ScreenPolygonList& list = scratch.list;
    list.count = 0;
    list.bands.count = 0;
    const ListColoring coloring = listColoringOf(device, mesh);
    list.colors.faces = coloring.faces;
    list.colors.points = coloring.points;
    const std::size_t faceCount = usableFaces(mesh);
    const std::size_t vertexCount = mesh.vertices.size();
    const std::int32_t threads = workers != nullptr ? workers->size() : 1;

    // Room, before any job starts: for every face of the mesh, not just
    // those kept now, so that a turning mesh, which keeps a few more faces
    // in one frame than in the last (or none at first), needs no more.
    VertexResults& vertices = scratch.vertices;
    growTo(vertices.view, vertexCount);
    growTo(vertices.outcode, vertexCount);
    growTo(vertices.pixel, vertexCount);
    if (coloring.points) {
        growTo(vertices.lit, vertexCount);
    }
    for (std::int32_t r = 0; r < threads; ++r) {
        growTo(scratch.kept[r].numbers,
               rangeStart(faceCount, r + 1, threads) - rangeStart(faceCount, r, threads));
    }
    std::vector<FaceRun>& runs = scratch.runs;
    runs.reserve(faceCount / kFacesPerRun + static_cast<std::size_t>(threads));
    growTo(list.polygons, faceCount);
    growTo(list.points, 3 * faceCount + scratch.extraPointsHeld);
    const BandLayout layout = withBands ? bandLayout(device.height) : BandLayout{};
    if (layout.count > 1) {
        growTo(list.bands.masks, faceCount);
    }
    if (coloring.faces) {
        growTo(list.colors.faceColors, faceCount);
    }
    if (coloring.points) {
        growTo(list.colors.pointColors, list.points.size());
    }

    // 1. Cull and vertex pass.
    CullAndTransform first{device, mesh, scratch, faceCount, threads, coloring.points};
    if (workers != nullptr) {
        workers->run(threads, first);
    } else {
        first(0, 0);
    }
    std::size_t kept = 0;
    bool beyondFar = false;
    for (std::int32_t r = 0; r < threads; ++r) {
        kept += scratch.kept[r].count;
        beyondFar = beyondFar || scratch.beyondFar[r];
    }
    // No face kept, or a vertex beyond the far distance: no polygons (not
    // even for the faces in front of it).
    if (kept == 0 || beyondFar) {
        return;
    }

    // 2. Polygon numbers and runs.
    runs.clear();
    std::int32_t polygon = 0;
    for (std::int32_t r = 0; r < threads; ++r) {
        const auto rangeCount = static_cast<std::int32_t>(scratch.kept[r].count);
        for (std::int32_t begin = 0; begin < rangeCount;
             begin += static_cast<std::int32_t>(kFacesPerRun)) {
            const std::int32_t end = std::min(rangeCount, begin + std::int32_t{kFacesPerRun});
            runs.push_back(FaceRun{r, begin, end, polygon});
            polygon += end - begin;
        }
    }
    list.count = static_cast<std::int32_t>(kept);

    FacePass pass;
    pass.device = &device;
    pass.mesh = &mesh;
    pass.vertices = &vertices;
    pass.polygons = list.polygons.data();
    pass.points = list.points.data();
    pass.flat = (device.renderMode & RenderMode::Flat) != 0;
    pass.fillsOnly = (device.renderMode & RenderMode::Wireframe) == 0;
    pass.layout = layout;
    if (pass.layout.count > 1) {
        pass.bandMasks = list.bands.masks.data();
    }
    if (coloring.faces) {
        pass.faceColors = list.colors.faceColors.data();
    }
    if (coloring.points) {
        pass.pointColors = list.colors.pointColors.data();
    }
    prepareWorkers(scratch, threads, coloring.points);

    // 3. Face pass.
    BuildRuns build{pass, scratch};
    if (workers != nullptr) {
        workers->run(static_cast<std::int32_t>(runs.size()), build);
    } else {
        for (std::size_t t = 0; t < runs.size(); ++t) {
            build(static_cast<std::int32_t>(t), 0);
        }
    }

    // 4. Faces that found no room, points kept aside, and the bands' work.
    buildDeferredFaces(pass, scratch, threads);
    gatherExtraPoints(scratch, 3 * faceCount, threads);
    if (pass.bandMasks != nullptr) {
        PolygonBands& bands = list.bands;
        bands.count = pass.layout.count;
        bands.rowsPerBand = pass.layout.rowsPerBand;
        bands.frameRows = device.height;
        bands.fillsOnly = pass.fillsOnly;
        for (std::int32_t b = 0; b < PolygonBands::kMaxBands; ++b) {
            bands.work[b] = 0;
            for (std::int32_t w = 0; w < threads; ++w) {
                bands.work[b] += scratch.workers[w].bands.work[b];
            }
        }
    }
}

} // namespace

ScreenPolygonList buildScreenPolygons(const RenderDevice& device, const Mesh& mesh) {
    PipelineScratch scratch;
    build(device, mesh, scratch, nullptr, false);
    ScreenPolygonList list = std::move(scratch.list);
    list.polygons.resize(static_cast<std::size_t>(list.count));
    return list;
}

void buildScreenPolygons(RenderDevice& device, const Mesh& mesh, PipelineScratch& scratch) {
    const bool big = usableFaces(mesh) + mesh.vertices.size() >= kSharedMesh;
    build(device, mesh, scratch, big ? device.workers() : nullptr, device.renderThreads > 1);
}
