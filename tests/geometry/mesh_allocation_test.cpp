// Steady frames of the biggest mesh a Mesh holds allocate nothing: a sheet
// of 65 536 vertices and 130 050 faces over a 1920 x 1080 frame, drawn
// after a smaller mesh into the same frame, on one thread and on two, in
// every fill style, in the material's colours and in the meshes' own.
// After warm-up frames in each style, frames in all of them make no call to
// operator new (nor, where the hook counts it, to malloc). Two cases: the
// sheet partly out of view, so that faces are clipped into polygons of more
// than three points; and the sheet in view but turned away from the eye in
// every warm-up frame (none of its faces kept), as a piece of a big model
// may be for a while, so that its first frames facing the eye are among
// those counted.
#include "geometry/draw_mesh.h"
#include "render_fixture.h"
#include "tests/support/allocation_hook.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

namespace {

using testing_frame::MemoryFrame;

// A wavy sheet of side x side vertices in front of the eye (view space is
// model space here), `reach` wide: wider than the view pyramid at its
// depth when reach is large.
std::unique_ptr<Mesh> sheet(int side, float reach) {
    auto mesh = std::make_unique<Mesh>(side * side, 2 * (side - 1) * (side - 1));
    for (int r = 0; r < side; ++r) {
        for (int c = 0; c < side; ++c) {
            const float u = reach * (static_cast<float>(c) / static_cast<float>(side - 1) - 0.5f);
            const float v = reach * (static_cast<float>(r) / static_cast<float>(side - 1) - 0.5f);
            const Vec3 p{u, v, 60.0f + 4.0f * std::sin(u * 0.2f) * std::cos(v * 0.3f)};
            mesh->vertices[static_cast<std::size_t>(r * side + c)] =
                makeVertex(p, Vec3{0.0f, 0.0f, -1.0f}, 0.0f, 0.0f);
        }
    }
    std::size_t f = 0;
    for (int r = 0; r + 1 < side; ++r) {
        for (int c = 0; c + 1 < side; ++c) {
            const auto at = [side](int rr, int cc) {
                return static_cast<std::uint16_t>(rr * side + cc);
            };
            mesh->faces[f++] = Face{at(r, c), at(r, c + 1), at(r + 1, c)};
            mesh->faces[f++] = Face{at(r, c + 1), at(r + 1, c + 1), at(r + 1, c)};
        }
    }
    computeFaceNormals(*mesh);
    return mesh;
}

// The same mesh in colours of its own, one per vertex.
std::unique_ptr<Mesh> painted(const Mesh& mesh) {
    auto colored = std::make_unique<Mesh>(mesh);
    colored->colors.resize(colored->vertices.size());
    for (std::size_t i = 0; i < colored->colors.size(); ++i) {
        const float shade = static_cast<float>(i % 256) / 255.0f;
        colored->colors[i] = Vec3{shade, 1.0f - shade, 0.5f};
    }
    return colored;
}

TEST(MeshAllocation, SteadyFramesOfTheBiggestMeshAllocateNothing) {
    const struct {
        const char* name;
        float reach;
        bool turnedAwayWhileWarming;
    } cases[] = {{"cut by the view pyramid", 150.0f, false},
                 {"turned away while warming up", 100.0f, true}};
    const std::unique_ptr<Mesh> smaller = sheet(40, 80.0f);
    const std::unique_ptr<Mesh> coloredSmaller = painted(*smaller);
    // Each style with the material's colours and with the meshes' own.
    const struct {
        std::uint32_t mode;
        bool colored;
    } frames[] = {{RenderMode::Flat, false},
                  {RenderMode::Gouraud, false},
                  {RenderMode::Wireframe, false},
                  {RenderMode::Flat | RenderMode::Wireframe, false},
                  {RenderMode::Flat, true},
                  {RenderMode::Gouraud, true},
                  {RenderMode::Wireframe, true},
                  {RenderMode::Flat | RenderMode::Gouraud | RenderMode::Wireframe, true}};
    Matrix4 facing;
    identity(facing);
    // The sheet turned half round about its middle (x -> -x, z -> 120 - z):
    // in the same place, its back to the eye.
    Matrix4 turned = facing;
    turned[0] = -1.0f;
    turned[10] = -1.0f;
    turned[14] = 120.0f;
    for (const auto& c : cases) {
        const std::unique_ptr<Mesh> biggest = sheet(256, c.reach);
        ASSERT_EQ(biggest->vertices.size(), 65536u);
        const std::unique_ptr<Mesh> coloredBiggest = painted(*biggest);
        for (const std::int32_t threads : {1, 2}) {
            RenderDevice device;
            MemoryFrame frame(device, 1920, 1080);
            testing_frame::viewFromOrigin(device);
            Light light;
            light.direction = Vec3{0.0f, 0.6f, -0.8f};
            light.color = Color3{1, 1, 1};
            device.setLight(LightKind::Directional, &light);
            Material material;
            material.diffuse = Color3{0.2f, 0.95f, 0.2f};
            device.setMaterial(&material);
            device.setRenderThreads(threads);
            const auto drawFrame = [&](std::uint32_t mode, bool colored,
                                       const Matrix4& biggestWorld) {
                device.renderMode = mode;
                device.clear();
                device.setWorldMatrix(facing);
                drawMesh(device, colored ? *coloredSmaller : *smaller);
                device.setWorldMatrix(biggestWorld);
                drawMesh(device, colored ? *coloredBiggest : *biggest);
            };
            for (const auto& f : frames) {
                drawFrame(f.mode, f.colored, c.turnedAwayWhileWarming ? turned : facing);
                drawFrame(f.mode, f.colored, c.turnedAwayWhileWarming ? turned : facing);
            }
            const long news = allocation_hook::allocationsSeen;
            const long mallocs = allocation_hook::mallocsSeen;
            for (int round = 0; round < 2; ++round) {
                for (const auto& f : frames) {
                    drawFrame(f.mode, f.colored, facing);
                }
            }
            const long newsInSteadyFrames = allocation_hook::allocationsSeen - news;
            const long mallocsInSteadyFrames = allocation_hook::mallocsSeen - mallocs;
            const std::string where =
                std::string(c.name) + ", " + std::to_string(threads) + " threads";
            EXPECT_EQ(newsInSteadyFrames, 0) << where;
            EXPECT_EQ(mallocsInSteadyFrames, 0) << where;
            EXPECT_GT(frame.litCount(), 1000000) << where << ": the sheet covers the frame";
        }
    }
}

} // namespace
