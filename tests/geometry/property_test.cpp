// Properties over many random meshes, camera poses and projections (fixed
// seed): what the pipeline hands the rasterizers is always inside the
// frame, convex and wound once, with sides that run down the screen, and
// drawing never writes outside the buffers or lets a depth grow.
#include "app/scene_values.h"
#include "geometry/draw_mesh.h"
#include "geometry/pipeline.h"
#include "render_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
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

std::int64_t turn(const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c) {
    return (std::int64_t{b.x} - a.x) * (std::int64_t{c.y} - b.y) -
           (std::int64_t{b.y} - a.y) * (std::int64_t{c.x} - b.x);
}

// Direction changes of one coordinate around the closed polygon.
template <typename Get> int directionChanges(const std::vector<ScreenPoint>& p, Get get) {
    int first = 0;
    int previous = 0;
    int changes = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const int d = get(p[(i + 1) % p.size()]) - get(p[i]);
        const int sign = (d > 0) - (d < 0);
        if (sign == 0) {
            continue;
        }
        if (first == 0) {
            first = sign;
        } else if (sign != previous) {
            ++changes;
        }
        previous = sign;
    }
    return changes + (previous != 0 && previous != first ? 1 : 0);
}

// What the rasterizers are promised about every polygon.
void expectDeliverable(const RenderDevice& device, const ScreenPolygonList& list, std::size_t j) {
    ASSERT_GE(list.polygons[j].pointCount, 0);
    const std::vector<ScreenPoint> p = testing_frame::pointsOf(list, j);
    double perimeter = 0.0;
    std::int64_t doubledArea = 0; // positive: counter-clockwise on the screen
    bool left = false;
    bool right = false;
    for (std::size_t i = 0; i < p.size(); ++i) {
        ASSERT_GE(p[i].x, 0);
        ASSERT_LE(p[i].x, device.maxX);
        ASSERT_GE(p[i].y, 0);
        ASSERT_LE(p[i].y, device.maxY);
        ASSERT_GT(p[i].depth, 0.0f);
        ASSERT_TRUE(std::isfinite(p[i].depth));
        const ScreenPoint& a = p[(i + p.size() - 1) % p.size()];
        const ScreenPoint& b = p[(i + 1) % p.size()];
        left = left || turn(a, p[i], b) < 0;
        right = right || turn(a, p[i], b) > 0;
        perimeter += std::hypot(double(b.x - p[i].x), double(b.y - p[i].y));
        doubledArea += std::int64_t{b.x} * p[i].y - std::int64_t{p[i].x} * b.y;
    }
    EXPECT_FALSE(left && right) << "corners turn both ways";
    EXPECT_LE(directionChanges(p, [](const ScreenPoint& q) { return q.y; }), 2);
    EXPECT_LE(directionChanges(p, [](const ScreenPoint& q) { return q.x; }), 2);
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
