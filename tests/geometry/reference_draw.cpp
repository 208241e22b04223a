#include "reference_draw.h"

#include "geometry/clip.h"
#include "geometry/frame_clip.h"
#include "raster/frame_access.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

struct Polygon {
    std::vector<ScreenPoint> points;
    Vec3 normal;
};

// --- The pipeline, face by face ---

bool projectWithTransformPoint(const RenderDevice& device, const Vec3& view, PixelPosition& pixel) {
    const Matrix4& p = device.projectionMatrix;
    if (!(view.z > 0.0f)) {
        return false;
    }
    const double w = view.x * static_cast<double>(p[3]) + view.y * static_cast<double>(p[7]) +
                     view.z * static_cast<double>(p[11]) + p[15];
    if (!(w > 0.0)) {
        return false;
    }
    Vec3 projected;
    transformPoint(projected, p, view);
    pixel.x = (static_cast<double>(projected.x) + 1.0) * device.maxX * 0.5;
    pixel.y = (1.0 - static_cast<double>(projected.y)) * device.maxY * 0.5;
    pixel.depth = view.z;
    return std::isfinite(pixel.x) && std::isfinite(pixel.y);
}

std::vector<ScreenPoint> project(const RenderDevice& device, const ClipPolygon& clipped) {
    std::vector<PixelPosition> projected;
    bool allLand = true;
    for (std::int32_t q = 0; q < clipped.vertexCount; ++q) {
        const Vertex& v = clipped.vertices[static_cast<std::size_t>(q)];
        PixelPosition pixel;
        if (projectWithTransformPoint(device, v.position, pixel)) {
            pixel.intensity = v.intensity;
            allLand = allLand && pixel.x > -1.0 && pixel.x < device.maxX + 1.0 && pixel.y > -1.0 &&
                      pixel.y < device.maxY + 1.0;
            projected.push_back(pixel);
        }
    }
    if (!allLand) {
        std::vector<PixelPosition> spare;
        clipToFrame(projected, spare, device.maxX, device.maxY);
    }
    std::vector<ScreenPoint> points;
    for (const PixelPosition& p : projected) {
        points.push_back(ScreenPoint{static_cast<std::int32_t>(p.x), static_cast<std::int32_t>(p.y),
                                     p.depth, p.intensity});
    }
    ConvexRepairScratch repair;
    points.resize(repairConvex(points, points.size(), repair));
    return points;
}

std::vector<Polygon> buildPolygons(const RenderDevice& device, const Mesh& mesh) {
    const std::size_t faceCount = std::min({static_cast<std::size_t>(std::max(mesh.faceCount, 0)),
                                            mesh.faces.size(), mesh.faceNormals.size()});
    const std::size_t n = mesh.vertices.size();
    std::vector<std::size_t> kept;
    for (std::size_t k = 0; k < faceCount; ++k) {
        const Face& f = mesh.faces[k];
        if (f.i0 >= n || f.i1 >= n || f.i2 >= n) {
            continue;
        }
        const Vec3& p0 = mesh.vertices[f.i0].position;
        const Vec3& eye = device.eyeInObject;
        if (dot(Vec3{eye.x - p0.x, eye.y - p0.y, eye.z - p0.z}, mesh.faceNormals[k]) >= 0.0f) {
            kept.push_back(k);
        }
    }
    if (kept.empty()) {
        return {};
    }
    Matrix4 m;
    multiply(m, device.worldMatrix, device.viewMatrix);
    const bool lit = (device.renderMode & RenderMode::Gouraud) != 0 &&
                     (device.lightFlags & LightKind::Directional) != 0;
    std::vector<Vertex> view(n);
    for (std::size_t i = 0; i < n; ++i) {
        const Vertex& source = mesh.vertices[i];
        const double x = source.position.x;
        const double y = source.position.y;
        const double z = source.position.z;
        const auto zv = static_cast<float>(x * m[2] + y * m[6] + z * m[10] + m[14]);
        if (zv > device.farPlane) {
            return {};
        }
        view[i].position = Vec3{static_cast<float>(x * m[0] + y * m[4] + z * m[8] + m[12]),
                                static_cast<float>(x * m[1] + y * m[5] + z * m[9] + m[13]), zv};
        const float intensity = lit ? dot(device.lightDirInObject, source.normal) : 0.0f;
        view[i].intensity = intensity > 0.0f ? intensity : 0.0f;
    }
    const bool flat = (device.renderMode & RenderMode::Flat) != 0;
    std::vector<Polygon> polygons;
    for (const std::size_t k : kept) {
        const Face& f = mesh.faces[k];
        ClipPolygon a;
        ClipPolygon b;
        appendVertex(a, view[f.i0]);
        appendVertex(a, view[f.i1]);
        appendVertex(a, view[f.i2]);
        ClipPolygon* from = &a;
        ClipPolygon* to = &b;
        for (ClipStage stage : kClipStages) {
            clipPolygon(device, stage, *from, *to);
            std::swap(from, to);
        }
        Polygon polygon;
        polygon.points = project(device, *from);
        polygon.normal = !polygon.points.empty() && flat ? mesh.faceNormals[k] : Vec3{};
        polygons.push_back(std::move(polygon));
    }
    return polygons;
}

// --- The rasterizers, one polygon and one column at a time ---

struct Entry {
    std::int32_t x = 0;
    float depth = 0.0f;
    float intensity = 0.0f;
};

// Out of line so that the step is rounded to a float before it is used.
[[gnu::noinline]] double stepOf(float from, float to, std::int32_t steps) {
    return static_cast<float>((static_cast<double>(to) - static_cast<double>(from)) / steps);
}

void walk(std::vector<Entry>& table, const ScreenPoint& a, const ScreenPoint& b) {
    std::int32_t dx = b.x - a.x;
    const std::int32_t dy = b.y - a.y;
    std::int32_t sx = 1;
    if (dx < 0) {
        sx = -1;
        dx = -dx;
    }
    const std::int32_t major = std::max(dx, dy);
    const std::int32_t minor = std::min(dx, dy);
    std::int32_t err = 2 * minor - major;
    table[static_cast<std::size_t>(a.y)] = Entry{a.x, a.depth, a.intensity};
    std::int32_t x = a.x;
    std::int32_t y = a.y;
    double z = a.depth;
    double i = a.intensity;
    if (dx < dy) {
        const double zStep = stepOf(a.depth, b.depth, dy);
        const double iStep = stepOf(a.intensity, b.intensity, dy);
        for (std::int32_t n = 0; n < dy; ++n) {
            err += 2 * minor;
            if (err >= 0) {
                err -= 2 * major;
                x += sx;
            }
            z += zStep;
            i += iStep;
            ++y;
            table[static_cast<std::size_t>(y)] =
                Entry{x, static_cast<float>(z), static_cast<float>(i)};
        }
    } else if (a.y < b.y) {
        const double zStep = stepOf(a.depth, b.depth, dx);
        const double iStep = stepOf(a.intensity, b.intensity, dx);
        while (y != b.y) {
            err += 2 * minor;
            if (err >= 0) {
                err -= 2 * major;
                ++y;
                table[static_cast<std::size_t>(y)] =
                    Entry{x, static_cast<float>(z), static_cast<float>(i)};
            }
            x += sx;
            z += zStep;
            i += iStep;
        }
    }
    table[static_cast<std::size_t>(b.y)] = Entry{b.x, b.depth, b.intensity};
}

bool inside(const RenderDevice& device, const Polygon& polygon) {
    return std::all_of(polygon.points.begin(), polygon.points.end(), [&](const ScreenPoint& p) {
        return p.x >= 0 && p.x < device.width && p.y >= 0 && p.y < device.height;
    });
}

struct Ends {
    std::size_t top = 0;
    std::size_t bottom = 0;
};

Ends endsOf(const std::vector<ScreenPoint>& p) {
    Ends e;
    for (std::size_t i = p.size() - 1; i >= 1; --i) {
        e.top = p[i].y < p[e.top].y ? i : e.top;
        e.bottom = p[i].y > p[e.bottom].y ? i : e.bottom;
    }
    return e;
}

void writePixel(RenderDevice& device, std::int32_t x, std::int32_t y, std::uint8_t blue,
                std::uint8_t green, std::uint8_t red) {
    std::uint8_t* p = device.rowStart + static_cast<std::ptrdiff_t>(y) * device.pitch + 3 * x;
    p[0] = blue;
    p[1] = green;
    p[2] = red;
}

void fill(RenderDevice& device, const std::vector<Polygon>& polygons, bool gouraud) {
    std::vector<Entry> left(static_cast<std::size_t>(device.height));
    std::vector<Entry> right(static_cast<std::size_t>(device.height));
    const Color3& d = device.diffuseProduct;
    const Color3& a = device.ambientProduct;
    for (std::size_t j = polygons.size(); j-- > 0;) {
        const Polygon& polygon = polygons[j];
        if (polygon.points.empty() || !inside(device, polygon)) {
            continue;
        }
        const std::vector<ScreenPoint>& p = polygon.points;
        const std::size_t n = p.size();
        const float lit = dot(polygon.normal, device.lightDirInObject);
        const double flatI = lit > 0.0f ? static_cast<double>(lit) : 0.0;
        const Ends ends = endsOf(p);
        const auto same = [](const ScreenPoint& u, const ScreenPoint& v) {
            return u.x == v.x && u.y == v.y;
        };
        for (std::size_t cur = ends.top; cur != ends.bottom;) {
            const std::size_t next = (cur + 1) % n;
            if (!same(p[cur], p[next])) {
                walk(left, p[cur], p[next]);
            }
            cur = next;
        }
        for (std::size_t cur = ends.bottom; cur != ends.top;) {
            const std::size_t next = (cur + 1) % n;
            if (!same(p[cur], p[next])) {
                walk(right, p[next], p[cur]);
            }
            cur = next;
        }
        for (std::int32_t y = p[ends.top].y; y < p[ends.bottom].y; ++y) {
            const Entry& l = left[static_cast<std::size_t>(y)];
            const Entry& r = right[static_cast<std::size_t>(y)];
            if (l.x >= r.x) {
                continue;
            }
            double zStep;
            double iStep = 0.0;
            if (gouraud) {
                const auto inv = static_cast<float>(1.0 / (r.x - l.x));
                zStep = static_cast<float>((static_cast<double>(r.depth) - l.depth) * inv);
                iStep = static_cast<float>((static_cast<double>(r.intensity) - l.intensity) * inv);
            } else {
                zStep = static_cast<float>((static_cast<double>(r.depth) - l.depth) / (r.x - l.x));
            }
            double z = l.depth;
            double i = gouraud ? l.intensity : flatI;
            for (std::int32_t x = l.x; x < r.x; ++x) {
                float& stored = device.depthBuffer[static_cast<std::size_t>(y) * device.width +
                                                   static_cast<std::size_t>(x)];
                if (z < stored || stored == 0.0f) {
                    writePixel(device, x, y, colorByte(i * d.b + a.b), colorByte(i * d.g + a.g),
                               colorByte(i * d.r + a.r));
                    stored = static_cast<float>(z);
                }
                z += zStep;
                i += iStep;
            }
        }
    }
}

// One line from the pen, pixels outside the frame skipped; the pen ends on
// the last pixel stepped.
void line(RenderDevice& device, std::int32_t& x, std::int32_t& y, const ScreenPoint& from,
          const ScreenPoint& to) {
    std::int32_t dx = to.x - from.x;
    const std::int32_t dy = to.y - from.y;
    std::int32_t sx = 1;
    if (dx < 0) {
        sx = -1;
        dx = -dx;
    }
    const std::int32_t major = std::max(dx, dy);
    const std::int32_t minor = std::min(dx, dy);
    std::int32_t err = 2 * minor - major;
    const Color3& c = device.diffuseProduct;
    const auto plot = [&] {
        if (x >= 0 && x < device.width && y >= 0 && y < device.height) {
            writePixel(device, x, y, colorByte(c.b), colorByte(c.g), colorByte(c.r));
        }
    };
    plot();
    if (dx < dy) {
        for (std::int32_t n = 0; n < dy; ++n) {
            err += 2 * minor;
            if (err >= 0) {
                err -= 2 * major;
                x += sx;
            }
            ++y;
            plot();
        }
    } else {
        for (std::int32_t n = 0; n + 1 < dx; ++n) {
            err += 2 * minor;
            if (err >= 0) {
                err -= 2 * major;
                ++y;
            }
            x += sx;
            plot();
        }
    }
}

void wireframe(RenderDevice& device, const std::vector<Polygon>& polygons) {
    for (std::size_t j = polygons.size(); j-- > 0;) {
        const Polygon& polygon = polygons[j];
        if (polygon.points.empty() || !inside(device, polygon)) {
            continue;
        }
        const std::vector<ScreenPoint>& p = polygon.points;
        const std::size_t n = p.size();
        const Ends ends = endsOf(p);
        for (const std::size_t step : {std::size_t{1}, n - 1}) {
            std::int32_t x = p[ends.top].x;
            std::int32_t y = p[ends.top].y;
            std::size_t cur = ends.top;
            do {
                const std::size_t next = (cur + step) % n;
                line(device, x, y, p[cur], p[next]);
                cur = next;
            } while (cur != ends.bottom);
        }
    }
}

} // namespace

void referenceDrawMesh(RenderDevice& device, const Mesh& mesh) {
    if (!device.hasFrame() || (device.primitiveMode & PrimitiveMode::FaceList) == 0 ||
        mesh.faceCount <= 0) {
        return;
    }
    const std::vector<Polygon> polygons = buildPolygons(device, mesh);
    if (polygons.empty()) {
        return;
    }
    if ((device.renderMode & RenderMode::Flat) != 0) {
        fill(device, polygons, false);
    }
    if ((device.renderMode & RenderMode::Gouraud) != 0) {
        fill(device, polygons, true);
    }
    if ((device.renderMode & RenderMode::Wireframe) != 0) {
        wireframe(device, polygons);
    }
    device.markDrawn(FrameBox{0, 0, device.width, device.height});
}
