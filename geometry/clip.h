// Clipping against the view pyramid |x| <= z, |y| <= z, z >= 0 in view
// space (x right, y up, z away from the eye), one plane per stage, in the
// order near, left, right, top, bottom.
#pragma once

#include "device/render_device.h"
#include "geometry/mesh.h"

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
