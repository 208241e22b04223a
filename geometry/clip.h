// Clipping against the view pyramid |x| <= z, |y| <= z, z >= 0 in view
// space (x right, y up, z away from the eye), one plane per stage, in the
// order near, left, right, top, bottom.
#pragma once

#include "device/render_device.h"
#include "geometry/mesh.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The five planes, in the order of the stages.
enum class Plane { Near, Left, Right, Top, Bottom };

// Signed distance from the plane, positive or zero on the kept side:
// near z, left x + z, right z - x, top z - y, bottom y + z. Formed in double
// from the 32-bit coordinates, so its sign is exactly that of the float
// comparison (x >= -z and so on) and it is 0 only on the plane itself. A NaN
// coordinate gives NaN, which is never inside.
inline double insideDistance(Plane plane, const Vec3& p) {
    const double x = p.x;
    const double y = p.y;
    const double z = p.z;
    switch (plane) {
    case Plane::Near:
        return z;
    case Plane::Left:
        return x + z;
    case Plane::Right:
        return z - x;
    case Plane::Top:
        return z - y;
    case Plane::Bottom:
        return y + z;
    }
    return 0.0;
}

// Outcodes: one bit per plane a point lies outside of, in stage order (bit
// 0 near ... bit 4 bottom), by the very test the stages make.
inline constexpr std::uint8_t kAllPlanes = 0x1f;

inline std::uint8_t outsidePlanes(const Vec3& p) {
    return static_cast<std::uint8_t>((insideDistance(Plane::Near, p) >= 0.0 ? 0 : 1) |
                                     (insideDistance(Plane::Left, p) >= 0.0 ? 0 : 2) |
                                     (insideDistance(Plane::Right, p) >= 0.0 ? 0 : 4) |
                                     (insideDistance(Plane::Top, p) >= 0.0 ? 0 : 8) |
                                     (insideDistance(Plane::Bottom, p) >= 0.0 ? 0 : 16));
}

// What the five stages make of a triangle, told from its corners' outcodes
// alone where that is certain:
//  - Inside: every corner inside every plane; each stage hands its input on
//    unchanged, so the clipped polygon is the three corners in order.
//  - Outside: the first plane (in stage order) that any corner lies outside
//    of has all three outside it. The stages before it hand the corners on
//    unchanged, that stage keeps nothing, and the result is empty.
//  - Straddling: anything else; only the stages can tell.
enum class TriangleClip { Inside, Outside, Straddling };

inline TriangleClip classifyTriangle(std::uint8_t a, std::uint8_t b, std::uint8_t c) {
    const auto any = static_cast<std::uint8_t>((a | b | c) & kAllPlanes);
    if (any == 0) {
        return TriangleClip::Inside;
    }
    const auto first = static_cast<std::uint8_t>(any & (0u - any));
    return (a & b & c & first) != 0 ? TriangleClip::Outside : TriangleClip::Straddling;
}

// The clipper's working polygon: vertexCount vertices in use, with
// view-space positions and (in Gouraud mode) intensities, and when
// `colored` is set a lit colour per vertex (raster/screen_polygon.h, rule
// 3) in `colors`, index-parallel to the vertices. The storage grows when a
// stage needs more room than it was created with, so no stage ever writes
// past it; the face path creates it with room for 10 vertices, more than a
// clipped triangle can reach (3 + one per plane).
struct ClipPolygon {
    std::int32_t vertexCount = 0;
    std::vector<Vertex> vertices;
    bool colored = false;
    std::vector<Color3> colors;

    explicit ClipPolygon(std::size_t capacity = 10) : vertices(capacity) {}
};

// Appends one vertex, growing the storage when it is full.
void appendVertex(ClipPolygon& polygon, const Vertex& vertex);
// Appends one vertex and its colour (a polygon that carries colours).
void appendVertex(ClipPolygon& polygon, const Vertex& vertex, const Color3& color);

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

// The same by the stage's plane, carrying the colours of a polygon that has
// them: a new vertex's colour is interpolated at the very t of its
// position, from + t * (to - from) per channel in double, rounded to a
// float; `out` carries colours when `in` does.
void clipPolygon(const RenderDevice& device, Plane plane, const ClipPolygon& in, ClipPolygon& out);

// The planes in the order of the stages.
inline constexpr Plane kClipPlanes[5] = {Plane::Near, Plane::Left, Plane::Right, Plane::Top,
                                         Plane::Bottom};
