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
    // The model's own colours: each point's lit colour (Gouraud), the face
    // colour (flat and wireframe).
    std::vector<Color3> colors;
    bool faceColored = false;
    Color3 faceColor;
};

// --- The model's own colours, formed here from the rule's words ---

// The colour of a light slot, zero when the slot is not set.
Color3 lightColor(const RenderDevice& device, std::uint32_t kind) {
    const Light* light = kind == LightKind::Ambient ? device.ambientLight : device.directionalLight;
    return (device.lightFlags & kind) != 0 && light != nullptr ? light->color : Color3{};
}

// Light colour x colour, one channel: the double product rounded to a float.
float times(float light, float color) {
    return static_cast<float>(static_cast<double>(light) * static_cast<double>(color));
}

struct Products {
    float ambient[3];
    float diffuse[3];
};

Products productsOf(const RenderDevice& device, const Color3& c) {
    const Color3 la = lightColor(device, LightKind::Ambient);
    const Color3 ld = lightColor(device, LightKind::Directional);
    return Products{{times(la.r, c.r), times(la.g, c.g), times(la.b, c.b)},
                    {times(ld.r, c.r), times(ld.g, c.g), times(ld.b, c.b)}};
}

float meanOf(float a, float b, float c) {
    const double sum = static_cast<double>(a) + static_cast<double>(b) + static_cast<double>(c);
    return static_cast<float>(sum / 3.0);
}

// Out of line so that each channel is rounded to a float on its own.
[[gnu::noinline]] float litChannel(float intensity, float diffuse, float ambient) {
    return static_cast<float>(static_cast<double>(intensity) * diffuse + ambient);
}

bool drawsModelColors(const RenderDevice& device, const Mesh& mesh) {
    return device.modelColors && !mesh.colors.empty() && mesh.colors.size() == mesh.vertices.size();
}

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

std::vector<ColoredPoint> project(const RenderDevice& device, const ClipPolygon& clipped) {
    std::vector<PixelPosition> projected;
    bool allLand = true;
    for (std::int32_t q = 0; q < clipped.vertexCount; ++q) {
        const Vertex& v = clipped.vertices[static_cast<std::size_t>(q)];
        PixelPosition pixel;
        if (projectWithTransformPoint(device, v.position, pixel)) {
            pixel.intensity = v.intensity;
            if (clipped.colored) {
                pixel.color = clipped.colors[static_cast<std::size_t>(q)];
            }
            allLand = allLand && pixel.x > -1.0 && pixel.x < device.maxX + 1.0 && pixel.y > -1.0 &&
                      pixel.y < device.maxY + 1.0;
            projected.push_back(pixel);
        }
    }
    if (!allLand) {
        std::vector<PixelPosition> spare;
        clipToFrame(projected, spare, device.maxX, device.maxY);
    }
    std::vector<ColoredPoint> points;
    for (const PixelPosition& p : projected) {
        points.push_back(
            ColoredPoint{ScreenPoint{static_cast<std::int32_t>(p.x), static_cast<std::int32_t>(p.y),
                                     p.depth, p.intensity},
                         p.color});
    }
    ConvexRepairScratchOf<ColoredPoint> repair;
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
    const bool colored = drawsModelColors(device, mesh);
    // Each vertex's colour lit with its intensity (Gouraud only).
    std::vector<Color3> litColors(n);
    if (colored) {
        for (std::size_t i = 0; i < n; ++i) {
            const Vec3& c = mesh.colors[i];
            const Products p = productsOf(device, Color3{c.x, c.y, c.z});
            const float in = view[i].intensity;
            litColors[i] = Color3{litChannel(in, p.diffuse[0], p.ambient[0]),
                                  litChannel(in, p.diffuse[1], p.ambient[1]),
                                  litChannel(in, p.diffuse[2], p.ambient[2])};
        }
    }
    std::vector<Polygon> polygons;
    for (const std::size_t k : kept) {
        const Face& f = mesh.faces[k];
        ClipPolygon a;
        ClipPolygon b;
        if (colored) {
            a.colored = true;
            appendVertex(a, view[f.i0], litColors[f.i0]);
            appendVertex(a, view[f.i1], litColors[f.i1]);
            appendVertex(a, view[f.i2], litColors[f.i2]);
        } else {
            appendVertex(a, view[f.i0]);
            appendVertex(a, view[f.i1]);
            appendVertex(a, view[f.i2]);
        }
        ClipPolygon* from = &a;
        ClipPolygon* to = &b;
        for (Plane plane : kClipPlanes) {
            clipPolygon(device, plane, *from, *to);
            std::swap(from, to);
        }
        Polygon polygon;
        for (const ColoredPoint& p : project(device, *from)) {
            polygon.points.push_back(p.point);
            polygon.colors.push_back(p.color);
        }
        polygon.normal = !polygon.points.empty() && flat ? mesh.faceNormals[k] : Vec3{};
        if (colored) {
            const Vec3& c0 = mesh.colors[f.i0];
            const Vec3& c1 = mesh.colors[f.i1];
            const Vec3& c2 = mesh.colors[f.i2];
            polygon.faceColored = true;
            polygon.faceColor = Color3{meanOf(c0.x, c1.x, c2.x), meanOf(c0.y, c1.y, c2.y),
                                       meanOf(c0.z, c1.z, c2.z)};
        }
        polygons.push_back(std::move(polygon));
    }
    return polygons;
}

// --- The rasterizers, one polygon and one column at a time ---

// What an edge carries down its rows: depth, intensity, and the three
// channels of a lit colour.
constexpr int kCarried = 5;

struct Entry {
    std::int32_t x = 0;
    float value[kCarried] = {};
};

struct Corner {
    std::int32_t x = 0;
    std::int32_t y = 0;
    float value[kCarried] = {};
};

Corner cornerOf(const Polygon& polygon, std::size_t i) {
    const ScreenPoint& p = polygon.points[i];
    const Color3& c = polygon.colors[i];
    return Corner{p.x, p.y, {p.depth, p.intensity, c.r, c.g, c.b}};
}

// Out of line so that the step is rounded to a float before it is used.
[[gnu::noinline]] double stepOf(float from, float to, std::int32_t steps) {
    return static_cast<float>((static_cast<double>(to) - static_cast<double>(from)) / steps);
}

void walk(std::vector<Entry>& table, const Corner& a, const Corner& b) {
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
    const auto entry = [](std::int32_t x, const double* v) {
        Entry e{x, {}};
        for (int k = 0; k < kCarried; ++k) {
            e.value[k] = static_cast<float>(v[k]);
        }
        return e;
    };
    double v[kCarried];
    double step[kCarried];
    for (int k = 0; k < kCarried; ++k) {
        v[k] = a.value[k];
        step[k] = stepOf(a.value[k], b.value[k], dx < dy ? dy : dx);
    }
    table[static_cast<std::size_t>(a.y)] = entry(a.x, v);
    std::int32_t x = a.x;
    std::int32_t y = a.y;
    if (dx < dy) {
        for (std::int32_t n = 0; n < dy; ++n) {
            err += 2 * minor;
            if (err >= 0) {
                err -= 2 * major;
                x += sx;
            }
            for (int k = 0; k < kCarried; ++k) {
                v[k] += step[k];
            }
            ++y;
            table[static_cast<std::size_t>(y)] = entry(x, v);
        }
    } else if (a.y < b.y) {
        while (y != b.y) {
            err += 2 * minor;
            if (err >= 0) {
                err -= 2 * major;
                ++y;
                table[static_cast<std::size_t>(y)] = entry(x, v);
            }
            x += sx;
            for (int k = 0; k < kCarried; ++k) {
                v[k] += step[k];
            }
        }
    }
    const double end[kCarried] = {b.value[0], b.value[1], b.value[2], b.value[3], b.value[4]};
    table[static_cast<std::size_t>(b.y)] = entry(b.x, end);
}

// A span's step of one carried value: (right - left) x inv, rounded to a
// float. Out of line so that it is rounded before it is used.
[[gnu::noinline]] double spanStep(float left, float right, float inv) {
    return static_cast<float>((static_cast<double>(right) - left) * inv);
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
    for (std::size_t j = polygons.size(); j-- > 0;) {
        const Polygon& polygon = polygons[j];
        if (polygon.points.empty() || !inside(device, polygon)) {
            continue;
        }
        const std::vector<ScreenPoint>& p = polygon.points;
        const std::size_t n = p.size();
        // The products a flat polygon is lit with.
        Products flatProducts{
            {device.ambientProduct.r, device.ambientProduct.g, device.ambientProduct.b},
            {device.diffuseProduct.r, device.diffuseProduct.g, device.diffuseProduct.b}};
        if (polygon.faceColored) {
            flatProducts = productsOf(device, polygon.faceColor);
        }
        const float* const a = flatProducts.ambient;
        const float* const d = flatProducts.diffuse;
        const float lit = dot(polygon.normal, device.lightDirInObject);
        const double flatI = lit > 0.0f ? static_cast<double>(lit) : 0.0;
        const Ends ends = endsOf(p);
        const auto same = [](const ScreenPoint& u, const ScreenPoint& v) {
            return u.x == v.x && u.y == v.y;
        };
        for (std::size_t cur = ends.top; cur != ends.bottom;) {
            const std::size_t next = (cur + 1) % n;
            if (!same(p[cur], p[next])) {
                walk(left, cornerOf(polygon, cur), cornerOf(polygon, next));
            }
            cur = next;
        }
        for (std::size_t cur = ends.bottom; cur != ends.top;) {
            const std::size_t next = (cur + 1) % n;
            if (!same(p[cur], p[next])) {
                walk(right, cornerOf(polygon, next), cornerOf(polygon, cur));
            }
            cur = next;
        }
        for (std::int32_t y = p[ends.top].y; y < p[ends.bottom].y; ++y) {
            const Entry& l = left[static_cast<std::size_t>(y)];
            const Entry& r = right[static_cast<std::size_t>(y)];
            if (l.x >= r.x) {
                continue;
            }
            // depth, intensity, red, green, blue, each from the left entry
            // by its step.
            double v[kCarried];
            double step[kCarried] = {};
            for (int k = 0; k < kCarried; ++k) {
                v[k] = l.value[k];
            }
            if (gouraud) {
                const auto inv = static_cast<float>(1.0 / (r.x - l.x));
                for (int k = 0; k < kCarried; ++k) {
                    step[k] = spanStep(l.value[k], r.value[k], inv);
                }
            } else {
                step[0] = stepOf(l.value[0], r.value[0], r.x - l.x);
                v[1] = flatI;
            }
            for (std::int32_t x = l.x; x < r.x; ++x) {
                float& stored = device.depthBuffer[static_cast<std::size_t>(y) * device.width +
                                                   static_cast<std::size_t>(x)];
                if (v[0] < stored || stored == 0.0f) {
                    const double i = v[1];
                    if (gouraud && polygon.faceColored) {
                        writePixel(device, x, y, colorByte(v[4]), colorByte(v[3]), colorByte(v[2]));
                    } else if (gouraud) {
                        const Color3& gd = device.diffuseProduct;
                        const Color3& ga = device.ambientProduct;
                        writePixel(device, x, y, colorByte(i * gd.b + ga.b),
                                   colorByte(i * gd.g + ga.g), colorByte(i * gd.r + ga.r));
                    } else {
                        writePixel(device, x, y, colorByte(i * d[2] + a[2]),
                                   colorByte(i * d[1] + a[1]), colorByte(i * d[0] + a[0]));
                    }
                    stored = static_cast<float>(v[0]);
                }
                for (int k = 0; k < kCarried; ++k) {
                    v[k] += step[k];
                }
            }
        }
    }
}

// One line from the pen, pixels outside the frame skipped; the pen ends on
// the last pixel stepped.
void line(RenderDevice& device, std::int32_t& x, std::int32_t& y, const ScreenPoint& from,
          const ScreenPoint& to, const Color3& c) {
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
        Color3 color = device.diffuseProduct;
        if (polygon.faceColored) {
            const Products products = productsOf(device, polygon.faceColor);
            color = Color3{products.diffuse[0], products.diffuse[1], products.diffuse[2]};
        }
        for (const std::size_t step : {std::size_t{1}, n - 1}) {
            std::int32_t x = p[ends.top].x;
            std::int32_t y = p[ends.top].y;
            std::size_t cur = ends.top;
            do {
                const std::size_t next = (cur + step) % n;
                line(device, x, y, p[cur], p[next], color);
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
