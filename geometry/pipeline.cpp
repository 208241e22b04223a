// buildScreenPolygons: the stages in order, on one thread or shared out.
//
//  1. Cull and vertex pass, together, over equal ranges of faces and of
//     vertices (one range a thread).
//  2. The kept faces, counted per range, give every kept face its polygon
//     number (the ranges' counts added up in face order) and three places
//     in the list's points.
//  3. Face pass over runs of kept faces, taken as threads come free.
//  4. The polygons of more than three points, which each thread kept aside,
//     move behind the three-place points, and the threads' band tallies
//     add up.
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
        const auto share = [this, r](std::size_t total, std::int32_t at) {
            return total * static_cast<std::size_t>(r + at) / static_cast<std::size_t>(ranges);
        };
        cullFaces(device, mesh, share(faceCount, 0), share(faceCount, 1), scratch.kept[r]);
        scratch.beyondFar[r] = !transformVertices(device, mesh, share(vertexCount, 0),
                                                  share(vertexCount, 1), scratch.vertices);
        if (litColors && !scratch.beyondFar[r]) {
            lightVertexColors(device, mesh, share(vertexCount, 0), share(vertexCount, 1),
                              scratch.vertices);
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

// Room in every thread's storage for what any face may need of it. Which
// thread takes which run changes from frame to frame, so what one thread
// needed once, each is given before it needs it: a steady frame allocates
// nothing whatever the threads do. (A clipped triangle has at most 8
// points, 12 after a cut to the frame; the convex repair's hull takes twice
// as many.)
void prepareWorkers(PipelineScratch& scratch, std::int32_t threads, bool litColors) {
    constexpr std::size_t kPolygonRoom = 16;
    for (std::int32_t w = 0; w < threads; ++w) {
        FaceWorkerScratch& worker = scratch.workers[w];
        worker.projected.reserve(kPolygonRoom);
        worker.projection.projected.reserve(kPolygonRoom);
        worker.projection.cut.reserve(kPolygonRoom);
        worker.projection.repair.sorted.reserve(kPolygonRoom);
        worker.projection.repair.hull.reserve(2 * kPolygonRoom);
        worker.extraPoints.reserve(scratch.extraPointsHeld);
        worker.extraPolygons.reserve(scratch.extraPolygonsHeld);
        if (litColors) {
            growTo(worker.clipInput.colors, worker.clipInput.vertices.size());
            growTo(worker.clipOutput.colors, worker.clipOutput.vertices.size());
            worker.coloredProjected.reserve(kPolygonRoom);
            worker.projectedColors.reserve(kPolygonRoom);
            worker.projection.coloredRepair.sorted.reserve(kPolygonRoom);
            worker.projection.coloredRepair.hull.reserve(2 * kPolygonRoom);
            worker.extraColors.reserve(scratch.extraPointsHeld);
        }
        worker.bands = BandTally{};
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

    // 1. Cull and vertex pass.
    VertexResults& vertices = scratch.vertices;
    growTo(vertices.view, vertexCount);
    growTo(vertices.outcode, vertexCount);
    growTo(vertices.pixel, vertexCount);
    if (coloring.points) {
        growTo(vertices.lit, vertexCount);
    }
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

    // 2. Polygon numbers, runs and room: room for every face of the mesh,
    // not just those kept now, so that a turning mesh, which keeps a few
    // more faces in one frame than in the last, needs no more.
    std::vector<FaceRun>& runs = scratch.runs;
    runs.clear();
    runs.reserve(faceCount / kFacesPerRun + static_cast<std::size_t>(threads));
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
    growTo(list.polygons, faceCount);
    growTo(list.points, 3 * faceCount + scratch.extraPointsHeld);

    FacePass pass;
    pass.device = &device;
    pass.mesh = &mesh;
    pass.vertices = &vertices;
    pass.polygons = list.polygons.data();
    pass.points = list.points.data();
    pass.flat = (device.renderMode & RenderMode::Flat) != 0;
    pass.fillsOnly = (device.renderMode & RenderMode::Wireframe) == 0;
    if (withBands) {
        pass.layout = bandLayout(device.height);
    }
    if (pass.layout.count > 1) {
        growTo(list.bands.masks, faceCount);
        pass.bandMasks = list.bands.masks.data();
    }
    if (coloring.faces) {
        growTo(list.colors.faceColors, faceCount);
        pass.faceColors = list.colors.faceColors.data();
    }
    if (coloring.points) {
        growTo(list.colors.pointColors, list.points.size());
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

    // 4. Points kept aside, and the bands' work.
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
