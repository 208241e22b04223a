// The polygon pipeline: one mesh with faces in, one ScreenPolygonList out.
//
// Stages, in order (each in its own file):
//  1. pipeline.cpp  cull back faces in model space against eyeInObject, move
//                   every vertex into view space (dropping the whole mesh
//                   when one lies beyond farPlane) and light it for Gouraud;
//  2. clip.cpp      clip each kept face against the view pyramid
//                   |x| <= z, |y| <= z, z >= 0, one plane at a time;
//  3. project.cpp   project the clipped points and map them to pixels.
//
// View space: x right, y up, z away from the eye. Screen: x right, y down.
#pragma once

#include "device/render_device.h"
#include "geometry/mesh.h"
#include "raster/screen_polygon.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The clipper's working polygon: vertexCount vertices in use, with
// view-space positions and (in Gouraud mode) intensities. The storage grows
// when a stage needs more room than it was created with, so no stage ever
// writes past it; the face path creates it with room for 10 vertices, more
// than a clipped triangle can reach (3 + one per plane).
struct ClipPolygon {
    std::int32_t vertexCount = 0;
    std::vector<Vertex> vertices;

    explicit ClipPolygon(std::size_t capacity = 10) : vertices(capacity) {}
};

// Appends one vertex, growing the storage when it is full.
void appendVertex(ClipPolygon& polygon, const Vertex& vertex);

// The five clip stages. Each handles one edge a -> b of the input polygon:
// it appends to `out` a if a is inside, and the point where the edge
// crosses the plane if exactly one of a and b is inside (a point on the
// plane counts as inside). The new point's intensity is interpolated only
// when the device's renderMode has Gouraud; otherwise it is 0.
void clipNear(const RenderDevice& device, ClipPolygon& out, const Vertex& a, const Vertex& b);
void clipLeft(const RenderDevice& device, ClipPolygon& out, const Vertex& a, const Vertex& b);
void clipRight(const RenderDevice& device, ClipPolygon& out, const Vertex& a, const Vertex& b);
void clipTop(const RenderDevice& device, ClipPolygon& out, const Vertex& a, const Vertex& b);
void clipBottom(const RenderDevice& device, ClipPolygon& out, const Vertex& a, const Vertex& b);

using ClipStage = void (*)(const RenderDevice&, ClipPolygon&, const Vertex&, const Vertex&);

// The stages in the order the pipeline and the polyline path apply them.
inline constexpr ClipStage kClipStages[5] = {clipNear, clipLeft, clipRight, clipTop, clipBottom};

// Applies one stage to the whole closed polygon `in` (every edge i -> i + 1,
// the last back to the first), replacing the contents of `out`. An empty
// input gives an empty output.
void clipPolygon(const RenderDevice& device, ClipStage stage, const ClipPolygon& in,
                 ClipPolygon& out);

// A projected point before truncation, in pixels: x = (xp + 1) * maxX * 0.5
// and y = (1 - yp) * maxY * 0.5, where (xp, yp) = transformPoint of the
// view-space point by projectionMatrix. depth is the view-space z.
struct PixelPosition {
    double x = 0.0;
    double y = 0.0;
    float depth = 0.0f;
    float intensity = 0.0f;
};

// False when the point has no image: view depth 0 (the eye itself, the only
// point the pyramid admits there), homogeneous w <= 0, or a result that is
// not finite. Intensity is left alone.
bool projectToPixel(const RenderDevice& device, const Vec3& view, PixelPosition& pixel);

// True when truncation toward zero puts the point inside the frame (x in
// (-1, maxX + 1), y in (-1, maxY + 1)). With a projection that maps the
// pyramid |x| <= z, |y| <= z onto -1..1 every clipped point does.
bool landsInFrame(const RenderDevice& device, const PixelPosition& pixel);

// x and y truncated toward zero; depth and intensity carried.
ScreenPoint truncateToPixel(const PixelPosition& pixel);

// projectToPixel, landsInFrame and truncateToPixel in one: false when the
// point has no image or its pixel would lie outside the frame.
bool mapToPixel(const RenderDevice& device, const Vec3& view, ScreenPoint& pixel);

// Leaves a segment whose ends both land in the frame as it is; otherwise cuts
// it to the frame rectangle [0, maxX] x [0, maxY]. False when nothing of it
// lies inside.
bool clipSegmentToFrame(const RenderDevice& device, PixelPosition& a, PixelPosition& b);

// Working storage of projectToScreen, reused from call to call.
struct ProjectionScratch {
    std::vector<PixelPosition> projected;
    std::vector<PixelPosition> cut;  // the other buffer of the cut to the frame
    std::vector<ScreenPoint> sorted; // the convex hull's
    std::vector<ScreenPoint> hull;
};

// Projects a clipped polygon and truncates its points to pixels.
//  - Points without an image are dropped; the others keep the clipped order
//    (a polygon may so end with fewer than 3 points, or none).
//  - If a point would land outside the frame (only with a projection that
//    does not map the pyramid onto -1..1), the projected polygon is first cut
//    to the frame rectangle, depth and intensity interpolated along the
//    screen, so the rasterizers never get a point outside the frame.
//  - When truncation has left the points with corners that turn both ways,
//    or with sides that do not run monotonically down (and across) the
//    screen, they are replaced by their convex hull, counter-clockwise on
//    the screen. The rasterizers thus always get a convex polygon whose two
//    sides run down from its top point. A sliver whose truncated corners
//    all turn clockwise is kept as it is: the fills draw nothing for it.
// Returns the number of points written to `points` (resized to fit).
std::int32_t projectToScreen(const RenderDevice& device, const ClipPolygon& polygon,
                             std::vector<ScreenPoint>& points, ProjectionScratch& scratch);
std::int32_t projectToScreen(const RenderDevice& device, const ClipPolygon& polygon,
                             std::vector<ScreenPoint>& points);

// A face the eye sees: its number in the mesh and its vertex indices.
struct KeptFace {
    std::size_t face = 0; // any count, not only 16 bits
    std::uint16_t i0 = 0;
    std::uint16_t i1 = 0;
    std::uint16_t i2 = 0;
};

// The drawing path's working storage, kept by the device between frames
// (its pipelineScratch) so that a steady frame allocates nothing: only the
// memory survives from one call to the next, never a value that is read.
struct PipelineScratch {
    std::vector<KeptFace> kept;
    std::vector<Vertex> view; // the mesh's vertices in view space
    ClipPolygon a{10};        // the clip stages alternate between a and b
    ClipPolygon b{10};
    ProjectionScratch projection;
    // The result. Its `polygons` may hold more entries than `count` (and
    // each its points) from earlier calls; only the first `count` belong
    // to this one.
    ScreenPolygonList list;
    // The polyline path.
    ClipPolygon lineA{0};
    ClipPolygon lineB{0};
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
// `count` polygons are the result.
void buildScreenPolygons(const RenderDevice& device, const Mesh& mesh, PipelineScratch& scratch);
