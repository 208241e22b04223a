// Clipping against the view pyramid |x| <= z, |y| <= z, z >= 0, one plane
// per stage (Sutherland-Hodgman: one edge in, zero to two vertices out).
#include "geometry/clip.h"

#include <algorithm>

namespace {

// The vertex where edge a -> b meets the plane, t = dA / (dA - dB) along it.
// x and y are interpolated; z is put exactly on the plane for the first
// four planes and interpolated for the bottom one.
Vertex crossing(Plane plane, bool gouraud, const Vertex& a, const Vertex& b, double da, double db) {
    const double t = da / (da - db);
    auto lerp = [t](float from, float to) {
        return static_cast<float>(from + t * (static_cast<double>(to) - from));
    };
    Vertex v;
    v.position.x = lerp(a.position.x, b.position.x);
    v.position.y = lerp(a.position.y, b.position.y);
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
        v.position.z = lerp(a.position.z, b.position.z);
        break;
    }
    v.intensity = gouraud ? lerp(a.intensity, b.intensity) : 0.0f;
    return v;
}

// The one clipper behind the five stages.
void clipEdge(Plane plane, const RenderDevice& device, ClipPolygon& out, const Vertex& a,
              const Vertex& b) {
    const double da = insideDistance(plane, a.position);
    const double db = insideDistance(plane, b.position);
    // A NaN coordinate gives a NaN distance, which is never inside.
    const bool aInside = da >= 0.0;
    const bool bInside = db >= 0.0;
    const bool gouraud = (device.renderMode & RenderMode::Gouraud) != 0;
    if (aInside) {
        appendVertex(out, a);
        if (!bInside) {
            appendVertex(out, crossing(plane, gouraud, a, b, da, db));
        }
    } else if (bInside) {
        appendVertex(out, crossing(plane, gouraud, a, b, da, db));
    }
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
