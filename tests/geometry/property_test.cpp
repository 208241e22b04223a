// Properties over many random meshes, camera poses and projections (fixed
// seed): what the pipeline hands the rasterizers is always inside the
// frame, convex and wound once, with sides that run down the screen, and
// drawing never writes outside the buffers or lets a depth grow.
#include "geometry/draw_mesh.h"
#include "geometry/pipeline.h"
#include "render_fixture.h"
#include "scene/scene_values.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

using testing_frame::MemoryFrame;

class RandomScenes {
  public:
    explicit RandomScenes(std::uint32_t seed) : random_(seed) {}

    float uniform(float low, float high) {
        return std::uniform_real_distribution<float>(low, high)(random_);
    }
    int integer(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random_);
    }
    Vec3 point(float extent) {
        return Vec3{uniform(-extent, extent), uniform(-extent, extent), uniform(-extent, extent)};
    }
    Vec3 unit() {
        Vec3 v = point(1.0f);
        Vec3 out;
        normalize(out, v);
        return out.x == 0.0f && out.y == 0.0f && out.z == 0.0f ? Vec3{0, 1, 0} : out;
    }

    // Rotation about y then x, plus a translation.
    Matrix4 world() {
        Matrix4 a;
        Matrix4 b;
        rotationY(a, uniform(-3.2f, 3.2f));
        rotationX(b, uniform(-3.2f, 3.2f));
        Matrix4 m;
        multiply(m, a, b);
        const Vec3 t = point(60.0f);
        m[12] = t.x;
        m[13] = t.y;
        m[14] = t.z;
        return m;
    }

    // Half the time the demo's projection; otherwise other angles and
    // aspects, whose pyramid images overshoot or undershoot -1..1.
    Matrix4 projection() {
        Matrix4 p;
        if (integer(0, 1) == 0) {
            perspective(p, 0.7853981f, 0.7853981f, 1.0f, 1.0f, 1000.0f);
        } else {
            perspective(p, uniform(0.2f, 1.4f), uniform(0.2f, 1.4f), uniform(0.3f, 3.0f),
                        uniform(0.5f, 5.0f), uniform(200.0f, 2000.0f));
        }
        return p;
    }

    // Triangles with shared and unshared vertices, a few degenerate ones,
    // some vertices at the eye or on the pyramid's planes by construction.
    std::unique_ptr<Mesh> mesh(float extent) {
        const int vertexCount = integer(3, 40);
        const int faceCount = integer(1, 60);
        auto mesh = std::make_unique<Mesh>(vertexCount, faceCount);
        for (Vertex& v : mesh->vertices) {
            v = makeVertex(point(extent), unit(), 0.0f, 0.0f);
        }
        if (integer(0, 3) == 0) {
            mesh->vertices[0].position = mesh->vertices[1].position; // coincident pair
        }
        for (Face& f : mesh->faces) {
            f.i0 = static_cast<std::uint16_t>(integer(0, vertexCount - 1));
            f.i1 = static_cast<std::uint16_t>(integer(0, vertexCount - 1));
            f.i2 = static_cast<std::uint16_t>(integer(0, vertexCount - 1));
        }
        computeFaceNormals(*mesh);
        return mesh;
    }

    void pose(RenderDevice& device) {
        device.setWorldMatrix(world());
        const Vec3 eye = point(300.0f);
        const Vec3 target = point(40.0f);
        device.lookAt(eye, target, unit());
        device.setProjection(projection());
    }

  private:
    std::mt19937 random_;
};

// Which side of the line through `from` and `to` the point `p` lies on:
// the sign of the cross product, 0 on the line.
int sideOf(const ScreenPoint& from, const ScreenPoint& to, const ScreenPoint& p) {
    const std::int64_t cross = (std::int64_t{to.x} - from.x) * (std::int64_t{p.y} - from.y) -
                               (std::int64_t{to.y} - from.y) * (std::int64_t{p.x} - from.x);
    return (cross > 0) - (cross < 0);
}

// How many sides of the closed polygon a line of constant coordinate
// `line` meets, each side taken as the half-open range [low, high) of
// that coordinate (horizontal sides of a row meet none).
template <typename Get>
int sidesMet(const std::vector<ScreenPoint>& p, std::int32_t line, Get get) {
    int met = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const std::int32_t a = get(p[i]);
        const std::int32_t b = get(p[(i + 1) % p.size()]);
        met += std::min(a, b) <= line && line < std::max(a, b) ? 1 : 0;
    }
    return met;
}

// Lines of constant coordinate between the polygon's extremes that do not
// meet exactly two of its sides: 0 when every row (or column) crosses the
// polygon as one span, i.e. its two sides run one way each.
template <typename Get> int linesNotCrossingTwice(const std::vector<ScreenPoint>& p, Get get) {
    if (p.empty()) {
        return 0;
    }
    const auto [low, high] =
        std::minmax_element(p.begin(), p.end(), [&](const ScreenPoint& a, const ScreenPoint& b) {
            return get(a) < get(b);
        });
    int wrong = 0;
    for (std::int32_t line = get(*low); line < get(*high); ++line) {
        wrong += sidesMet(p, line, get) == 2 ? 0 : 1;
    }
    return wrong;
}

// What the rasterizers are promised about every polygon, checked from the
// definitions: every corner lies on one side of every side's line (the
// same side throughout: convex, either winding), and every row and every
// column between the extremes crosses exactly two sides (wound once, sides
// that run down the screen, degenerate polygons included).
void expectDeliverable(const RenderDevice& device, const ScreenPolygonList& list, std::size_t j) {
    ASSERT_GE(list.polygons[j].pointCount, 0);
    const std::vector<ScreenPoint> p = testing_frame::pointsOf(list, j);
    double perimeter = 0.0;
    std::int64_t doubledArea = 0; // positive: counter-clockwise on the screen
    bool onLeft = false;
    bool onRight = false;
    for (std::size_t i = 0; i < p.size(); ++i) {
        ASSERT_GE(p[i].x, 0);
        ASSERT_LE(p[i].x, device.maxX);
        ASSERT_GE(p[i].y, 0);
        ASSERT_LE(p[i].y, device.maxY);
        ASSERT_GT(p[i].depth, 0.0f);
        ASSERT_TRUE(std::isfinite(p[i].depth));
        const ScreenPoint& next = p[(i + 1) % p.size()];
        for (const ScreenPoint& corner : p) {
            const int side = sideOf(p[i], next, corner);
            onLeft = onLeft || side < 0;
            onRight = onRight || side > 0;
        }
        perimeter += std::hypot(double(next.x - p[i].x), double(next.y - p[i].y));
        doubledArea += std::int64_t{next.x} * p[i].y - std::int64_t{p[i].x} * next.y;
    }
    std::string corners;
    for (const ScreenPoint& q : p) {
        corners += " (" + std::to_string(q.x) + ", " + std::to_string(q.y) + ")";
    }
    // Corners that retrace a path turn both ways (truncation to whole
    // pixels can leave such a polygon, of no area, in a tiny frame); any
    // other polygon has all its corners on one side of each side.
    EXPECT_FALSE(onLeft && onRight && doubledArea != 0)
        << "corners on both sides of a side: not convex:" << corners;
    EXPECT_EQ(linesNotCrossingTwice(p, [](const ScreenPoint& q) { return q.y; }), 0)
        << "rows that do not cross the polygon once";
    EXPECT_EQ(linesNotCrossingTwice(p, [](const ScreenPoint& q) { return q.x; }), 0)
        << "columns that do not cross the polygon once";
    // Clockwise only as a sliver that truncation (under a pixel per
    // corner) turned over.
    if (doubledArea < 0) {
        EXPECT_LE(-doubledArea, 3.0 * perimeter + 2.0 * double(p.size()));
    }
}

bool demoProjection(const RenderDevice& device) {
    const Matrix4 projection = demo::projection();
    for (int i = 0; i < 16; ++i) {
        if (projection[i] != device.projectionMatrix[i]) {
            return false;
        }
    }
    return true;
}

struct FrameSize {
    std::int32_t width;
    std::int32_t height;
};

TEST(PipelineProperties, PolygonsAreInFrameConvexAndDrawSafely) {
    RandomScenes random(20240607u);
    const FrameSize sizes[] = {{632, 432}, {64, 48}, {100, 300}, {4, 4}, {1, 1}};
    int delivered = 0;
    int clipped = 0;
    for (int scene = 0; scene < 400; ++scene) {
        const FrameSize size = sizes[scene % 5];
        RenderDevice device;
        MemoryFrame frame(device, size.width, size.height);
        random.pose(device);
        Light light;
        light.direction = random.unit();
        light.color = Color3{1, 1, 1};
        Material material;
        material.ambient = Color3{0.2f, 0.3f, 0.4f};
        material.diffuse = Color3{0.7f, 0.6f, 0.5f};
        device.setLight(LightKind::Directional, &light);
        device.setMaterial(&material);
        device.renderMode = static_cast<std::uint32_t>(random.integer(1, 7));

        for (int pass = 0; pass < 3; ++pass) {
            const auto mesh = random.mesh(pass == 0 ? 120.0f : 400.0f);
            const ScreenPolygonList list = buildScreenPolygons(device, *mesh);
            ASSERT_EQ(list.polygons.size(), static_cast<std::size_t>(list.count));
            for (std::size_t j = 0; j < list.polygons.size(); ++j) {
                const ScreenPolygon& polygon = list.polygons[j];
                ASSERT_NO_FATAL_FAILURE(expectDeliverable(device, list, j)) << "scene " << scene;
                // A triangle gains at most one point per clip plane; only the
                // frame cut under another projection can add more.
                if (demoProjection(device)) {
                    EXPECT_LE(polygon.pointCount, 8);
                }
                delivered += polygon.pointCount > 0 ? 1 : 0;
                clipped += polygon.pointCount > 3 ? 1 : 0;
            }

            // Depths only ever go from empty to a depth, or get nearer.
            const std::size_t n = static_cast<std::size_t>(size.width) * size.height;
            const std::vector<float> before(device.depthBuffer.get(), device.depthBuffer.get() + n);
            drawMesh(device, *mesh);
            for (std::size_t i = 0; i < n; ++i) {
                const float now = device.depthBuffer[i];
                if (now != before[i]) {
                    ASSERT_TRUE(before[i] == 0.0f || now < before[i])
                        << "scene " << scene << " depth " << before[i] << " -> " << now;
                }
            }
            ASSERT_TRUE(frame.guardsIntact()) << "scene " << scene;
        }
    }
    // The random scenes really exercised the paths above.
    EXPECT_GT(delivered, 1000);
    EXPECT_GT(clipped, 100);
}

TEST(PipelineProperties, PolylinesDrawSafelyFromAnyPose) {
    RandomScenes random(77u);
    for (int scene = 0; scene < 300; ++scene) {
        RenderDevice device;
        MemoryFrame frame(device, scene % 2 == 0 ? 632 : 8, scene % 3 == 0 ? 432 : 12);
        random.pose(device);
        device.primitiveMode = PrimitiveMode::LineStrip;
        device.diffuseProduct = Color3{1, 1, 1};
        auto mesh = std::make_unique<Mesh>(random.integer(0, 80), 0);
        for (Vertex& v : mesh->vertices) {
            v = makeVertex(random.point(500.0f), Vec3{}, 0.0f, 0.0f);
        }
        drawMesh(device, *mesh);
        ASSERT_TRUE(frame.guardsIntact()) << "scene " << scene;
        for (std::size_t i = 0; i < static_cast<std::size_t>(device.width) * device.height; ++i) {
            ASSERT_EQ(device.depthBuffer[i], 0.0f) << "lines leave depth alone";
        }
    }
}

} // namespace
