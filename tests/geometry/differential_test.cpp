// drawMesh against the face path it replaced (reference_draw.h), byte for
// byte: random meshes of a few thousand faces (closed spheres of sub-pixel
// to frame-filling triangles, and triangle soups with shared, repeated and
// degenerate corners), random cameras and projections that put corners
// inside, outside and across every plane of the view pyramid and behind
// the eye, every fill style, with and without the model's own colours
// (random, some beyond 0..1, the device's switch now and then off), frames
// from 1 x 1 to 1920 x 1080, drawn by 1, 2 and 3 threads. Two meshes go
// into each frame, the second tested against the first one's depths.
// Colour bytes and depth bytes must be the same.
//
// The rasterizers share a list between threads only when it brings enough
// work; a last pass per scene makes them share it whatever its size, so
// the bands are cut through small frames and tiny meshes too.
#include "geometry/draw_mesh.h"
#include "geometry/pipeline.h"
#include "raster/raster.h"
#include "reference_draw.h"
#include "render_fixture.h"
#include "scene/scene_values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using testing_frame::MemoryFrame;

constexpr float kPi = 3.14159265f;

class Random {
  public:
    explicit Random(std::uint32_t seed) : engine_(seed) {}
    float uniform(float low, float high) {
        return std::uniform_real_distribution<float>(low, high)(engine_);
    }
    int integer(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(engine_);
    }
    Vec3 point(float extent) {
        return {uniform(-extent, extent), uniform(-extent, extent), uniform(-extent, extent)};
    }
    Vec3 unit() {
        Vec3 v = point(1.0f);
        Vec3 out;
        normalize(out, v);
        return out.x == 0.0f && out.y == 0.0f && out.z == 0.0f ? Vec3{0, 1, 0} : out;
    }

  private:
    std::mt19937 engine_;
};

// A closed sphere of `rings` x `segments` quads (two triangles each), its
// vertices shared, outward normals.
std::unique_ptr<Mesh> sphere(Random& random) {
    const int rings = random.integer(8, 40);
    const int segments = random.integer(8, 60);
    const float radius = random.uniform(0.5f, 150.0f);
    const Vec3 centre = random.point(120.0f);
    auto mesh = std::make_unique<Mesh>((rings + 1) * segments, 2 * rings * segments);
    for (int r = 0; r <= rings; ++r) {
        const float polar = kPi * static_cast<float>(r) / static_cast<float>(rings);
        for (int s = 0; s < segments; ++s) {
            const float azimuth = 2.0f * kPi * static_cast<float>(s) / static_cast<float>(segments);
            const Vec3 n{std::sin(polar) * std::cos(azimuth), std::cos(polar),
                         std::sin(polar) * std::sin(azimuth)};
            mesh->vertices[static_cast<std::size_t>(r * segments + s)] = makeVertex(
                Vec3{centre.x + radius * n.x, centre.y + radius * n.y, centre.z + radius * n.z}, n,
                0.0f, 0.0f);
        }
    }
    std::size_t f = 0;
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            const auto at = [&](int rr, int ss) {
                return static_cast<std::uint16_t>(rr * segments + (ss % segments));
            };
            mesh->faces[f++] = Face{at(r, s), at(r, s + 1), at(r + 1, s)};
            mesh->faces[f++] = Face{at(r, s + 1), at(r + 1, s + 1), at(r + 1, s)};
        }
    }
    computeFaceNormals(*mesh);
    return mesh;
}

// Random corners of random vertices: shared, repeated and degenerate ones.
std::unique_ptr<Mesh> soup(Random& random) {
    const int vertexCount = random.integer(3, 600);
    const int faceCount = random.integer(500, 4000);
    const float extent = random.uniform(2.0f, 400.0f);
    auto mesh = std::make_unique<Mesh>(vertexCount, faceCount);
    for (Vertex& v : mesh->vertices) {
        v = makeVertex(random.point(extent), random.unit(), 0.0f, 0.0f);
    }
    for (Face& f : mesh->faces) {
        f.i0 = static_cast<std::uint16_t>(random.integer(0, vertexCount - 1));
        f.i1 = static_cast<std::uint16_t>(random.integer(0, vertexCount - 1));
        f.i2 = static_cast<std::uint16_t>(random.integer(0, vertexCount - 1));
    }
    computeFaceNormals(*mesh);
    return mesh;
}

// The model's own colours for a mesh, one per vertex: none for a third of
// the meshes; otherwise random in 0..1, or for a few meshes reaching past
// both ends (clamped where they are drawn).
void paint(Random& random, Mesh& mesh) {
    const int kind = random.integer(0, 5);
    if (kind < 2) {
        return;
    }
    const float low = kind == 5 ? -0.5f : 0.0f;
    const float high = kind == 5 ? 1.5f : 1.0f;
    mesh.colors.resize(mesh.vertices.size());
    for (Vec3& c : mesh.colors) {
        c = Vec3{random.uniform(low, high), random.uniform(low, high), random.uniform(low, high)};
    }
}

// Everything a device is set to for one scene, applied alike to each.
struct Scene {
    Matrix4 world;
    Vec3 eye;
    Vec3 target;
    Vec3 up;
    Matrix4 projection;
    std::uint32_t renderMode = 0;
    bool directional = false;
    Light light;
    Light ambient;
    Material material;
    bool modelColors = true;

    explicit Scene(Random& random) {
        Matrix4 a;
        Matrix4 b;
        rotationY(a, random.uniform(-3.2f, 3.2f));
        rotationX(b, random.uniform(-3.2f, 3.2f));
        multiply(world, a, b);
        eye = random.point(250.0f);
        target = random.point(60.0f);
        up = random.unit();
        if (random.integer(0, 2) != 0) {
            projection = demo::projection();
        } else {
            perspective(projection, random.uniform(0.2f, 1.4f), random.uniform(0.2f, 1.4f),
                        random.uniform(0.3f, 3.0f), random.uniform(0.5f, 5.0f),
                        random.uniform(200.0f, 2000.0f));
        }
        renderMode = static_cast<std::uint32_t>(random.integer(1, 7));
        directional = random.integer(0, 4) != 0;
        light.direction = random.unit();
        light.color = Color3{random.uniform(0.3f, 1), 1, random.uniform(0.3f, 1)};
        ambient.color = Color3{random.uniform(0, 0.3f), random.uniform(0, 0.3f), 0.1f};
        material.ambient = Color3{1, 1, 1};
        material.diffuse = Color3{random.uniform(0, 1), 0.95f, random.uniform(0, 1)};
        modelColors = random.integer(0, 5) != 0;
    }

    void apply(RenderDevice& device) {
        device.setWorldMatrix(world);
        device.lookAt(eye, target, up);
        device.setProjection(projection);
        device.setLight(LightKind::Ambient, &ambient);
        if (directional) {
            device.setLight(LightKind::Directional, &light);
        }
        device.setMaterial(&material);
        device.renderMode = renderMode;
        device.primitiveMode = PrimitiveMode::FaceList;
        device.setModelColors(modelColors);
    }
};

struct FrameSize {
    std::int32_t width;
    std::int32_t height;
};

// Colour bytes, then depth bytes.
std::vector<std::uint8_t> frameBytes(const RenderDevice& device, const MemoryFrame& frame) {
    std::vector<std::uint8_t> bytes = frame.pixels();
    const auto* depth = reinterpret_cast<const std::uint8_t*>(device.depthBuffer.get());
    bytes.insert(bytes.end(), depth,
                 depth + sizeof(float) * static_cast<std::size_t>(device.width) * device.height);
    return bytes;
}

// Where two frames first differ, for the failure message.
std::string firstDifference(const std::vector<std::uint8_t>& expected,
                            const std::vector<std::uint8_t>& actual, const FrameSize& size) {
    const std::size_t colourBytes = 3 * static_cast<std::size_t>(size.width) * size.height;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] != actual[i]) {
            if (i < colourBytes) {
                const std::size_t pixel = i / 3;
                return "colour of pixel " + std::to_string(pixel % size.width) + ", row " +
                       std::to_string(size.height - 1 - pixel / size.width) + " from the top";
            }
            const std::size_t cell = (i - colourBytes) / sizeof(float);
            return "depth of pixel " + std::to_string(cell % size.width) + ", row " +
                   std::to_string(cell / size.width);
        }
    }
    return "nowhere";
}

TEST(Differential, DrawMeshDrawsTheBytesOfTheFaceByFacePathOnAnyThreadCount) {
    const FrameSize sizes[] = {{1, 1},     {4, 4},     {8, 60},     {37, 23},
                               {100, 300}, {632, 428}, {1920, 1080}};
    Random random(20250116u);
    int drawnPixels = 0;
    // Scenes whose first mesh is drawn in its own colours, by fill style
    // (indexed by the RenderMode bit).
    int coloredScenes[5] = {};
    for (int s = 0; s < 42; ++s) {
        const FrameSize size = sizes[s % 7];
        Scene scene(random);
        const std::unique_ptr<Mesh> meshes[2] = {
            random.integer(0, 2) != 0 ? sphere(random) : soup(random), sphere(random)};
        for (const auto& mesh : meshes) {
            paint(random, *mesh);
        }
        if (scene.modelColors && !meshes[0]->colors.empty()) {
            for (const std::uint32_t style :
                 {RenderMode::Flat, RenderMode::Gouraud, RenderMode::Wireframe}) {
                coloredScenes[style] += (scene.renderMode & style) != 0 ? 1 : 0;
            }
        }
        const std::string where =
            "scene " + std::to_string(s) + " (" + std::to_string(size.width) + "x" +
            std::to_string(size.height) + ", mode " + std::to_string(scene.renderMode) +
            ", colours " + std::to_string(meshes[0]->colors.size()) + "/" +
            std::to_string(meshes[1]->colors.size()) + (scene.modelColors ? "" : " off") + ")";

        RenderDevice reference;
        MemoryFrame referenceFrame(reference, size.width, size.height);
        scene.apply(reference);
        for (const auto& mesh : meshes) {
            referenceDrawMesh(reference, *mesh);
        }
        const std::vector<std::uint8_t> expected = frameBytes(reference, referenceFrame);
        drawnPixels += referenceFrame.litCount();

        for (const std::int32_t threads : {1, 2, 3}) {
            RenderDevice device;
            MemoryFrame frame(device, size.width, size.height);
            scene.apply(device);
            device.setRenderThreads(threads);
            for (const auto& mesh : meshes) {
                drawMesh(device, *mesh);
            }
            const std::vector<std::uint8_t> actual = frameBytes(device, frame);
            ASSERT_TRUE(expected == actual) << where << ", " << threads << " threads: differs at "
                                            << firstDifference(expected, actual, size);
            ASSERT_TRUE(frame.guardsIntact()) << where;
        }

        // Bands whatever the work: the pipeline's list with its estimate
        // raised past any threshold.
        RenderDevice device;
        MemoryFrame frame(device, size.width, size.height);
        scene.apply(device);
        device.setRenderThreads(3);
        for (const auto& mesh : meshes) {
            PipelineScratch& scratch = pipelineScratchOf(device);
            buildScreenPolygons(device, *mesh, scratch);
            scratch.list.bands.work[0] += std::int64_t{1} << 40;
            if (scratch.list.count > 0) {
                drawPolygons(device, scratch.list, device.renderMode);
            }
        }
        const std::vector<std::uint8_t> actual = frameBytes(device, frame);
        ASSERT_TRUE(expected == actual)
            << where << ", bands forced: differs at " << firstDifference(expected, actual, size);
    }
    // The scenes drew something worth comparing, and every fill style drew
    // a model in its own colours several times.
    EXPECT_GT(drawnPixels, 500000);
    for (const std::uint32_t style :
         {RenderMode::Flat, RenderMode::Gouraud, RenderMode::Wireframe}) {
        EXPECT_GE(coloredScenes[style], 6) << "fill style " << style;
    }
}

} // namespace
