// The demo polyhedron in its first frame, drawn through drawMesh in each
// fill style, checked for what a viewer sees.
#include "geometry/draw_mesh.h"
#include "geometry/pipeline.h"
#include "render_fixture.h"
#include "scene/demo_view.h"
#include "scene/polyhedron.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

namespace {

using testing_frame::MemoryFrame;
using testing_frame::Rgb;

class DemoScene : public ::testing::Test {
  protected:
    DemoScene() : frame(device, 632, 432) {
        demo::setUpView(device, ambient, directional, material);
        Matrix4 world;
        identity(world);
        demo::spinStep(world); // the first frame is already turned once
        device.setWorldMatrix(world);
        polyhedron = buildPolyhedron();
    }

    std::map<std::tuple<int, int, int>, int> colourCounts() const {
        std::map<std::tuple<int, int, int>, int> counts;
        for (std::int32_t y = 0; y < device.height; ++y) {
            for (std::int32_t x = 0; x < device.width; ++x) {
                const Rgb c = frame.pixel(x, y);
                if (!(c == Rgb{})) {
                    counts[{c.red, c.green, c.blue}] += 1;
                }
            }
        }
        return counts;
    }

    RenderDevice device;
    MemoryFrame frame;
    Light directional;
    Light ambient;
    Material material;
    std::unique_ptr<Mesh> polyhedron;
};

TEST_F(DemoScene, OnlyFacesZeroAndFourFaceTheCamera) {
    device.renderMode = RenderMode::Flat;
    const ScreenPolygonList list = buildScreenPolygons(device, *polyhedron);
    ASSERT_EQ(list.count, 2);
    for (int j = 0; j < 2; ++j) {
        const Vec3& expected = polyhedron->faceNormals[j == 0 ? 0 : 4];
        const ScreenPolygon& polygon = list.polygons[static_cast<std::size_t>(j)];
        EXPECT_EQ(polygon.pointCount, 3) << "wholly inside the view";
        EXPECT_EQ(polygon.normal.x, expected.x);
        EXPECT_EQ(polygon.normal.y, expected.y);
        EXPECT_EQ(polygon.normal.z, expected.z);
    }
}

TEST_F(DemoScene, FlatModeShowsTwoFacesInTheirFlatColours) {
    device.renderMode = RenderMode::Flat;
    drawMesh(device, *polyhedron);
    // Worked out by hand: faces 0 and 4 have the normals (0, 1, -2) / sqrt 5
    // and (0, -1, -2) / sqrt 5, turned 0.03 rad about y; the light comes
    // along (0, 1, -1) / sqrt 2, so I = 0.948 and 0.316. Each channel is
    // 0.1 ambient + I x diffuse (0.2, 0.95, 0.2), capped at 1, x 255,
    // truncated.
    const Rgb upper{73, 255, 73};
    const Rgb lower{41, 102, 41};
    const auto counts = colourCounts();
    ASSERT_EQ(counts.size(), 2u) << "exactly two colours on the screen";
    EXPECT_GT(counts.at({upper.red, upper.green, upper.blue}), 1000);
    EXPECT_GT(counts.at({lower.red, lower.green, lower.blue}), 1000);
    // The upper face is above the middle row, the lower one below it.
    EXPECT_EQ(frame.pixel(316, 180), upper);
    EXPECT_EQ(frame.pixel(316, 250), lower);
    EXPECT_TRUE(frame.guardsIntact());
}

TEST_F(DemoScene, WireframeLinesHaveTheMaterialColour) {
    device.renderMode = RenderMode::Wireframe;
    drawMesh(device, *polyhedron);
    const auto counts = colourCounts();
    ASSERT_EQ(counts.size(), 1u);
    EXPECT_EQ(counts.begin()->first, std::make_tuple(51, 242, 51));
    EXPECT_GT(counts.begin()->second, 200);
    for (std::int32_t y = 0; y < device.height; ++y) {
        for (std::int32_t x = 0; x < device.width; ++x) {
            ASSERT_EQ(frame.depth(x, y), 0.0f) << "lines leave depth alone";
        }
    }
}

TEST_F(DemoScene, GouraudModeShadesBetweenAmbientAndFullyLit) {
    device.renderMode = RenderMode::Gouraud;
    drawMesh(device, *polyhedron);
    const auto counts = colourCounts();
    EXPECT_GT(counts.size(), 10u) << "shaded, not flat";
    int pixels = 0;
    for (const auto& [colour, count] : counts) {
        const auto [red, green, blue] = colour;
        EXPECT_EQ(red, blue);
        EXPECT_GE(red, 25);
        EXPECT_LE(red, 76);
        EXPECT_GE(green, red);
        pixels += count;
    }
    // Flat and Gouraud cover the same pixels.
    device.clear();
    device.renderMode = RenderMode::Flat;
    drawMesh(device, *polyhedron);
    EXPECT_EQ(pixels, frame.litCount());
}

} // namespace
