// Clipping against the view pyramid |x| <= z, |y| <= z, z >= 0, one plane
// per stage (Sutherland-Hodgman: one edge in, zero to two vertices out).
#include "geometry/clip.h"

#include <algorithm>

namespace {

// from + t * (to - from) in double, rounded to a float: every value a new
// vertex takes along its edge.
float interpolate(float from, float to, double t) {
    return static_cast<float>(from + t * (static_cast<double>(to) - from));
}

// The vertex where edge a -> b meets the plane, at parameter t along it.
// x and y are interpolated; z is put exactly on the plane for the first
// four planes and interpolated for the bottom one.
Vertex crossing(Plane plane, bool gouraud, const Vertex& a, const Vertex& b, double t) {
    Vertex v;
    v.position.x = interpolate(a.position.x, b.position.x, t);
    v.position.y = interpolate(a.position.y, b.position.y, t);
    switch (plane) {
    case Plane::Near:
        v.position.z = 0.0f;
        break;
    case Plane::Left:
        v.position.z = -v.position.x;
        break;
    case Plane::Right:
        v.position.z = v.position.x;
        break;
    case Plane::Top:
        v.position.z = v.position.y;
        break;
    case Plane::Bottom:
        v.position.z = interpolate(a.position.z, b.position.z, t);
        break;
    }
    v.intensity = gouraud ? interpolate(a.intensity, b.intensity, t) : 0.0f;
    return v;
}

// What a vertex carries beside its record: a colour, or nothing.
struct NoColor {};

NoColor colorAt(NoColor, NoColor, double) {
    return {};
}
Color3 colorAt(const Color3& a, const Color3& b, double t) {
    return Color3{interpolate(a.r, b.r, t), interpolate(a.g, b.g, t), interpolate(a.b, b.b, t)};
}

void append(ClipPolygon& out, const Vertex& v, NoColor) {
    appendVertex(out, v);
}
void append(ClipPolygon& out, const Vertex& v, const Color3& color) {
    appendVertex(out, v, color);
}

// The one clipper behind the five stages: edge a -> b, the crossing at
// t = dA / (dA - dB).
template <typename Color>
void clipEdge(Plane plane, bool gouraud, ClipPolygon& out, const Vertex& a, const Color& colorA,
              const Vertex& b, const Color& colorB) {
    const double da = insideDistance(plane, a.position);
    const double db = insideDistance(plane, b.position);
    // A NaN coordinate gives a NaN distance, which is never inside.
    const bool aInside = da >= 0.0;
    const bool bInside = db >= 0.0;
    if (aInside) {
        append(out, a, colorA);
    }
    if (aInside != bInside) {
        const double t = da / (da - db);
        append(out, crossing(plane, gouraud, a, b, t), colorAt(colorA, colorB, t));
    }
}

void clipEdge(Plane plane, const RenderDevice& device, ClipPolygon& out, const Vertex& a,
              const Vertex& b) {
    clipEdge(plane, (device.renderMode & RenderMode::Gouraud) != 0, out, a, NoColor{}, b,
             NoColor{});
}

} // namespace

void appendVertex(ClipPolygon& polygon, const Vertex& vertex) {
    const std::size_t used = static_cast<std::size_t>(polygon.vertexCount);
    if (used >= polygon.vertices.size()) {
        polygon.vertices.resize(std::max<std::size_t>(8, 2 * polygon.vertices.size()));
    }
    polygon.vertices[used] = vertex;
    polygon.vertexCount += 1;
}

void appendVertex(ClipPolygon& polygon, const Vertex& vertex, const Color3& color) {
    const std::size_t used = static_cast<std::size_t>(polygon.vertexCount);
    if (used >= polygon.colors.size()) {
        polygon.colors.resize(std::max<std::size_t>(8, 2 * polygon.colors.size()));
    }
    polygon.colors[used] = color;
    appendVertex(polygon, vertex);
}

void clipNear(const RenderDevice& device, ClipPolygon& out, const Vertex& a, const Vertex& b) {
    clipEdge(Plane::Near, device, out, a, b);
}

void clipLeft(const RenderDevice& device, ClipPolygon& out, const Vertex& a, const Vertex& b) {
    clipEdge(Plane::Left, device, out, a, b);
}

void clipRight(const RenderDevice& device, ClipPolygon& out, const Vertex& a, const Vertex& b) {
    clipEdge(Plane::Right, device, out, a, b);
}

void clipTop(const RenderDevice& device, ClipPolygon& out, const Vertex& a, const Vertex& b) {
    clipEdge(Plane::Top, device, out, a, b);
}

void clipBottom(const RenderDevice& device, ClipPolygon& out, const Vertex& a, const Vertex& b) {
    clipEdge(Plane::Bottom, device, out, a, b);
}

void clipPolygon(const RenderDevice& device, ClipStage stage, const ClipPolygon& in,
                 ClipPolygon& out) {
    out.vertexCount = 0;
    const std::int32_t n = in.vertexCount;
    for (std::int32_t i = 0; i < n; ++i) {
        const Vertex& a = in.vertices[static_cast<std::size_t>(i)];
        const Vertex& b = in.vertices[static_cast<std::size_t>(i + 1 == n ? 0 : i + 1)];
        stage(device, out, a, b);
    }
}

void clipPolygon(const RenderDevice& device, Plane plane, const ClipPolygon& in, ClipPolygon& out) {
    out.vertexCount = 0;
    const std::int32_t n = in.vertexCount;
    out.colored = in.colored && in.colors.size() >= static_cast<std::size_t>(n);
    const bool gouraud = (device.renderMode & RenderMode::Gouraud) != 0;
    for (std::int32_t i = 0; i < n; ++i) {
        const auto a = static_cast<std::size_t>(i);
        const auto b = static_cast<std::size_t>(i + 1 == n ? 0 : i + 1);
        if (out.colored) {
            clipEdge(plane, gouraud, out, in.vertices[a], in.colors[a], in.vertices[b],
                     in.colors[b]);
        } else {
            clipEdge(plane, gouraud, out, in.vertices[a], NoColor{}, in.vertices[b], NoColor{});
        }
    }
}
