// The polygon pipeline: one mesh with faces in, one ScreenPolygonList out.
//
// Stages, in order (each in its own file):
//  1. cull.cpp         the faces whose front the eye sees, tested in model
//                      space against eyeInObject;
//  2. vertex_pass.cpp  every mesh vertex once: into view space (dropping the
//                      whole mesh when one lies beyond farPlane), lit for
//                      Gouraud, its outcode against the five planes of the
//                      view pyramid, and, when it lies inside them, its
//                      pixel; model_colors.cpp lights the mesh's own
//                      colours at the vertices where the list's points
//                      carry them (raster/screen_polygon.h, rule 3);
//  3. face_pass.cpp    per kept face: a face inside the pyramid takes its
//                      corners' pixels as they are, one wholly outside a
//                      plane is empty, and only one that straddles a plane
//                      goes through the clip stages (clip.cpp) and is
//                      projected (projection.cpp; frame_clip.cpp cuts it to
//                      the frame when the projection does not fit the
//                      pyramid, convex_repair.cpp makes it convex again
//                      when truncation to pixels broke that).
// Every result is the very bits of clipping each face through the five
// stages and projecting what comes out: the shortcuts only skip work whose
// outcome the outcodes already tell.
//
// Threads: stages 1 and 2 run over index ranges and stage 3 over runs of
// kept faces on the device's worker threads when the mesh is big enough;
// polygons land at their face-order places, so the list is the same for
// any thread count.
//
// View space: x right, y up, z away from the eye. Screen: x right, y down.
#pragma once

#include "device/render_device.h"
#include "device/worker_pool.h"
#include "geometry/clip.h"
#include "geometry/mesh.h"
#include "geometry/projection.h"
#include "raster/polygon_bands.h"
#include "raster/screen_polygon.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// A mesh vertex in view space, lit: what the clip stages need of it.
struct ViewVertex {
    Vec3 position;
    float intensity = 0.0f;
};

// Outcode bit of a vertex inside all five planes that still has no pixel
// in the frame: the eye itself, or a projection that does not fit the
// pyramid. Faces with such a corner take the general path.
inline constexpr std::uint8_t kNoPixel = 0x20;

// The vertex pass's results, one entry per mesh vertex.
struct VertexResults {
    std::vector<ViewVertex> view;
    std::vector<std::uint8_t> outcode; // outsidePlanes, or kNoPixel
    std::vector<ScreenPoint> pixel;    // meaningful where outcode is 0
    std::vector<Color3> lit;           // lit colours, when the points carry colours
};

// Which of the model's own colours a mesh's list gets (raster/
// screen_polygon.h): face colours for Flat and Wireframe, lit point colours
// for Gouraud. None while the device's modelColors switch is off, or when
// the mesh has not exactly one colour per vertex.
struct ListColoring {
    bool faces = false;
    bool points = false;
};

ListColoring listColoringOf(const RenderDevice& device, const Mesh& mesh);

// A face's colour: the mean of its corners' colours, (c0 + c1 + c2) / 3
// per channel in double, rounded to a float.
inline Color3 faceColorOf(const Mesh& mesh, const Face& face) {
    const Vec3& a = mesh.colors[face.i0];
    const Vec3& b = mesh.colors[face.i1];
    const Vec3& c = mesh.colors[face.i2];
    return Color3{static_cast<float>((static_cast<double>(a.x) + b.x + c.x) / 3.0),
                  static_cast<float>((static_cast<double>(a.y) + b.y + c.y) / 3.0),
                  static_cast<float>((static_cast<double>(a.z) + b.z + c.z) / 3.0)};
}

// pointCount of a polygon whose face found no room for its points among
// its thread's extra points during the face pass; its face number is then
// in firstPoint until the face is built again (pipeline.cpp).
inline constexpr std::int32_t kDeferredPolygon = -1;

// One thread's working storage in the face pass. Nothing in it grows while
// the pass runs on the worker threads: the room is given beforehand
// (pipeline.cpp), and a face whose points do not fit is deferred. On a
// cache line of its own, as the threads write to theirs side by side.
struct alignas(64) FaceWorkerScratch {
    // The clip stages alternate between these: the face's corners go into
    // clipInput, and after the five stages the result is in clipOutput.
    ClipPolygon clipInput{10};
    ClipPolygon clipOutput{10};
    ProjectionScratch projection;
    std::vector<ScreenPoint> projected;
    // A clipped face's points with their lit colours, and the colours of
    // `projected`, when the points carry colours.
    std::vector<ColoredPoint> coloredProjected;
    std::vector<Color3> projectedColors;
    // Polygons of more than three points (a face cut by planes): their
    // points (and colours), and the polygons' places, until they join the
    // list. They never grow past the capacity they were given before the
    // pass.
    std::vector<ScreenPoint> extraPoints;
    std::vector<Color3> extraColors;
    std::vector<std::int32_t> extraPolygons;
    // Faces deferred for want of that room: how many, the points they
    // need, and the lowest and highest of their polygon numbers.
    std::size_t deferredPolygons = 0;
    std::size_t deferredPoints = 0;
    std::int32_t firstDeferred = 0;
    std::int32_t lastDeferred = -1;
    BandTally bands;
};

// A run of kept faces for one task of the face pass: the faces
// kept[range].numbers[begin .. end - 1] become polygons firstPolygon,
// firstPolygon + 1, ...
struct FaceRun {
    std::int32_t range = 0;
    std::int32_t begin = 0;
    std::int32_t end = 0;
    std::int32_t firstPolygon = 0;
};

// Face numbers of one range of culled faces: the first `count` of
// `numbers` (which only grows, so refilling it writes nothing twice).
struct KeptFaces {
    std::vector<std::uint32_t> numbers;
    std::size_t count = 0;
};

// The drawing path's working storage, kept by the device between frames
// (its pipelineScratch) so that a steady frame allocates nothing: only the
// memory survives from one call to the next, never a value that is read.
// Vectors only grow.
struct PipelineScratch {
    // The kept faces' numbers, per range of faces culled.
    KeptFaces kept[kMaxRenderThreads];
    bool beyondFar[kMaxRenderThreads] = {};
    VertexResults vertices;
    std::vector<FaceRun> runs;
    FaceWorkerScratch workers[kMaxRenderThreads];
    // The most extra points and polygons one call has had: every thread's
    // room for them, since any thread may get them all next time.
    std::size_t extraPointsHeld = 0;
    std::size_t extraPolygonsHeld = 0;
    // The result. Its `polygons` and `points` may hold more entries than
    // this call's, from earlier calls; only `count` polygons belong to it.
    ScreenPolygonList list;
    // The polyline path: the clipped polyline ends up in polylineResult,
    // polylineSpare is the stages' other buffer.
    ClipPolygon polylineResult{0};
    ClipPolygon polylineSpare{0};
    std::vector<PixelPosition> linePixels;
};

// The device's working storage, made on first use.
PipelineScratch& pipelineScratchOf(RenderDevice& device);

// Culls, transforms, lights, clips and projects the mesh. Needs faceCount
// >= 1 and current face normals. One polygon per front-facing face in
// ascending face order (count 0 and no polygons when none faces the eye or
// a vertex lies beyond farPlane); a polygon that clipping emptied has
// pointCount 0. Reads the device, writes nothing in it.
ScreenPolygonList buildScreenPolygons(const RenderDevice& device, const Mesh& mesh);

// The same into scratch.list, reusing its memory: count and the first
// `count` polygons are the result. A big mesh is built on the device's
// worker threads (starting them if need be, the one thing written in the
// device), and when the device draws with more than one thread the list
// gets its bands (PolygonBands) for the rasterizers to share, made for the
// device's renderMode.
void buildScreenPolygons(RenderDevice& device, const Mesh& mesh, PipelineScratch& scratch);

// The stages (cull.cpp, vertex_pass.cpp, face_pass.cpp), each over a range.

// Sets `kept` to the numbers of the faces in [begin, end) whose front the
// eye sees, in ascending order: s = (eyeInObject - p0) . normal >= 0 keeps
// a face (an edge-on face, s = 0, is kept; one whose normal is NaN is not).
// A face that names a vertex the mesh does not have is never kept.
// kept.numbers must hold at least end - begin entries (it is not grown).
void cullFaces(const RenderDevice& device, const Mesh& mesh, std::size_t begin, std::size_t end,
               KeptFaces& kept);

// The vertex pass over vertices [begin, end) into `results` (sized by the
// caller). False as soon as a vertex lies beyond farPlane: the whole mesh
// is then dropped.
bool transformVertices(const RenderDevice& device, const Mesh& mesh, std::size_t begin,
                       std::size_t end, VertexResults& results);

// The lit colours of vertices [begin, end) into results.lit (sized by the
// caller), from the mesh's colours and the intensities transformVertices
// left in results.view.
void lightVertexColors(const RenderDevice& device, const Mesh& mesh, std::size_t begin,
                       std::size_t end, VertexResults& results);

// What the face pass reads and where it writes, the same for every run.
struct FacePass {
    const RenderDevice* device = nullptr;
    const Mesh* mesh = nullptr;
    const VertexResults* vertices = nullptr;
    ScreenPolygon* polygons = nullptr;
    ScreenPoint* points = nullptr;     // three places per polygon, from polygon 0 on
    std::uint8_t* bandMasks = nullptr; // per polygon; null: no bands
    Color3* faceColors = nullptr;      // per polygon; null: no face colours
    Color3* pointColors = nullptr;     // parallel to points; null: no point colours
    BandLayout layout;
    bool fillsOnly = false; // masks for the fills alone (PolygonBands)
    bool flat = false;
};

// Turns the kept faces of one run into their polygons. A polygon of at most
// three points takes its three places in `points`; a bigger one goes to
// the worker's extra points (firstPoint counted there) to be moved into
// the list afterwards, or, when they have no room left, is deferred
// (kDeferredPolygon, counted in the worker). Allocates nothing when the
// worker's storage has the room prepared for it (pipeline.cpp).
void buildFacePolygons(const FacePass& pass, const std::uint32_t* faces, std::int32_t count,
                       std::int32_t firstPolygon, FaceWorkerScratch& worker);
