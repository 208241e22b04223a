// drawMesh's dispatch (primitive modes, render-mode bits and their order)
// and the polyline path with its tail rule.
#include "geometry/draw_mesh.h"
#include "raster/raster.h"
#include "render_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testing_frame::MemoryFrame;
using testing_frame::meshOf;
using testing_frame::polylineOf;
using testing_frame::Rgb;
using testing_frame::Triangle;

// A 257 x 257 frame seen through xp = x / z: at z = 1 the view point of
// pixel (x, y) is ((x + 0.5) / 128 - 1, 1 - (y + 0.5) / 128), which maps
// back to exactly that pixel.
constexpr std::int32_t kSide = 257;

Vec3 pixelPoint(float x, float y, float z = 1.0f) {
    return Vec3{((x + 0.5f) / 128.0f - 1.0f) * z, (1.0f - (y + 0.5f) / 128.0f) * z, z};
}

void setUpCamera(RenderDevice& device) {
    testing_frame::viewFromOrigin(device);
    device.projectionMatrix = testing_frame::unitPyramidProjection();
    device.diffuseProduct = Color3{0.2f, 0.95f, 0.2f};
    device.ambientProduct = Color3{0.1f, 0.1f, 0.1f};
    device.lightDirInObject = Vec3{0.0f, 0.0f, -1.0f};
}

struct Scene {
    Scene() : frame(device, kSide, kSide) { setUpCamera(device); }
    RenderDevice device;
    MemoryFrame frame;
};

// A front-facing triangle covering the middle of the frame (CCW on screen).
std::unique_ptr<Mesh> middleTriangle() {
    return meshOf({Triangle{pixelPoint(40, 40), pixelPoint(60, 200), pixelPoint(200, 120)}});
}

struct DispatchCase {
    std::string name;
    std::uint32_t primitiveMode;
    bool meshHasFaces;
    bool drawn;
};

class Dispatch : public ::testing::TestWithParam<DispatchCase> {};

TEST_P(Dispatch, PicksThePathFromPrimitiveModeAndFaces) {
    Scene scene;
    scene.device.primitiveMode = GetParam().primitiveMode;
    scene.device.renderMode = RenderMode::Flat | RenderMode::Wireframe;
    const std::unique_ptr<Mesh> mesh =
        GetParam().meshHasFaces
            ? middleTriangle()
            : polylineOf({pixelPoint(10, 10), pixelPoint(100, 50), pixelPoint(30, 200)});
    drawMesh(scene.device, *mesh);
    EXPECT_EQ(scene.frame.litCount() > 0, GetParam().drawn);
    EXPECT_TRUE(scene.frame.guardsIntact());
}

INSTANTIATE_TEST_SUITE_P(
    Modes, Dispatch,
    ::testing::Values(DispatchCase{"faceListWithFaces", PrimitiveMode::FaceList, true, true},
                      DispatchCase{"faceListWithoutFaces", PrimitiveMode::FaceList, false, false},
                      DispatchCase{"lineStripWithoutFaces", PrimitiveMode::LineStrip, false, true},
                      DispatchCase{"lineStripWithFaces", PrimitiveMode::LineStrip, true, false},
                      DispatchCase{"bothWithFaces",
                                   PrimitiveMode::FaceList | PrimitiveMode::LineStrip, true, true},
                      DispatchCase{"bothWithoutFacesFaceListWins",
                                   PrimitiveMode::FaceList | PrimitiveMode::LineStrip, false,
                                   false},
                      DispatchCase{"neither", 0, true, false}),
    [](const auto& info) { return info.param.name; });

TEST(DrawMesh, BothPrimitiveBitsDrawAMeshWithFacesAsFaces) {
    Scene both;
    Scene faces;
    both.device.primitiveMode = PrimitiveMode::FaceList | PrimitiveMode::LineStrip;
    faces.device.primitiveMode = PrimitiveMode::FaceList;
    drawMesh(both.device, *middleTriangle());
    drawMesh(faces.device, *middleTriangle());
    EXPECT_EQ(both.frame.pixels(), faces.frame.pixels());
}

class RenderModeBits : public ::testing::TestWithParam<std::uint32_t> {};

// Several bits at once run each selected rasterizer on the same list in the
// fixed order flat, Gouraud, wireframe: the same picture as drawing the
// mesh once per bit in that order.
TEST_P(RenderModeBits, RunSelectedRasterizersInFixedOrder) {
    const std::uint32_t mode = GetParam();
    Light light;
    light.direction = Vec3{0.0f, 0.0f, -1.0f};
    light.color = Color3{1, 1, 1};
    auto mesh = middleTriangle();
    mesh->vertices[1].normal = Vec3{0.6f, 0.0f, -0.8f}; // some shading for Gouraud

    Scene combined;
    combined.device.setLight(LightKind::Directional, &light);
    setUpCamera(combined.device);
    combined.device.renderMode = mode;
    drawMesh(combined.device, *mesh);

    Scene oneByOne;
    oneByOne.device.setLight(LightKind::Directional, &light);
    setUpCamera(oneByOne.device);
    for (std::uint32_t bit : {RenderMode::Flat, RenderMode::Gouraud, RenderMode::Wireframe}) {
        if ((mode & bit) != 0) {
            oneByOne.device.renderMode = bit;
            drawMesh(oneByOne.device, *mesh);
        }
    }
    EXPECT_EQ(combined.frame.pixels(), oneByOne.frame.pixels());
    EXPECT_EQ(combined.frame.litCount() > 0, mode != 0);
}

INSTANTIATE_TEST_SUITE_P(AllCombinations, RenderModeBits, ::testing::Range(0u, 8u));

TEST(DrawMesh, WireframeDrawsOverTheFlatFill) {
    Scene scene;
    scene.device.renderMode = RenderMode::Flat | RenderMode::Wireframe;
    drawMesh(scene.device, *middleTriangle());
    const Rgb wire{51, 242, 51};
    // The triangle's first point starts both of its sides.
    EXPECT_EQ(scene.frame.pixel(40, 40), wire);
    // Inside: the flat colour, lit head-on: 0.2 + 0.1, 0.95 + 0.1 -> 1, 0.3.
    EXPECT_EQ(scene.frame.pixel(100, 120), (Rgb{76, 255, 76}));
}

TEST(DrawMesh, FlatThenGouraudKeepsTheFlatPixelsAtEqualDepth) {
    Scene scene;
    scene.device.renderMode = RenderMode::Flat | RenderMode::Gouraud;
    drawMesh(scene.device, *middleTriangle());
    // Gouraud runs second; its depths equal the flat fill's, and only a
    // strictly nearer depth wins, so the flat colour stays.
    EXPECT_EQ(scene.frame.pixel(100, 120), (Rgb{76, 255, 76}));
}

TEST(DrawMesh, NothingWhenAllFacesPointAwayOrTheDeviceHasNoFrame) {
    Scene scene;
    auto away = meshOf({Triangle{pixelPoint(40, 40), pixelPoint(200, 120), pixelPoint(60, 200)}});
    drawMesh(scene.device, *away);
    EXPECT_EQ(scene.frame.litCount(), 0);

    // Never bound: no bitmap, no depth buffer; the draws return (a write
    // through the null rows would end the test).
    RenderDevice frameless;
    setUpCamera(frameless);
    frameless.renderMode = RenderMode::Flat | RenderMode::Gouraud | RenderMode::Wireframe;
    drawMesh(frameless, *middleTriangle());
    frameless.primitiveMode = PrimitiveMode::LineStrip;
    drawMesh(frameless, *polylineOf({pixelPoint(1, 1), pixelPoint(9, 9)}));

    // Half bound: the colour rows are there but the depth buffer is not, so
    // the device has no frame and not one colour byte may change (the
    // wireframe and the polyline need no depth to write one).
    Scene halfBound;
    halfBound.device.depthBuffer.reset();
    halfBound.device.renderMode = frameless.renderMode;
    drawMesh(halfBound.device, *middleTriangle());
    halfBound.device.primitiveMode = PrimitiveMode::LineStrip;
    drawMesh(halfBound.device, *polylineOf({pixelPoint(1, 1), pixelPoint(90, 90)}));
    EXPECT_EQ(halfBound.frame.litCount(), 0);
    EXPECT_TRUE(halfBound.frame.guardsIntact());
}

// ---------------------------------------------------------------------------
// Polylines.

class Polyline : public ::testing::Test {
  protected:
    Polyline() { scene.device.primitiveMode = PrimitiveMode::LineStrip; }

    // The picture drawLine gives for the segments, each drawn from `from`.
    std::vector<std::uint8_t>
    expectedLines(const std::vector<std::pair<ScreenPoint, ScreenPoint>>& segments) {
        Scene reference;
        for (const auto& [from, to] : segments) {
            std::uint8_t* cursor =
                reference.device.rowStart + from.y * reference.device.pitch + 3 * from.x;
            drawLine(reference.device, cursor, from, to);
        }
        return reference.frame.pixels();
    }
    static ScreenPoint pt(std::int32_t x, std::int32_t y) {
        ScreenPoint p;
        p.x = x;
        p.y = y;
        return p;
    }

    Scene scene;
};

TEST_F(Polyline, FourPointsInsideDrawThreeSegmentsAndDoNotClose) {
    drawMesh(scene.device, *polylineOf({pixelPoint(20, 20), pixelPoint(200, 30),
                                        pixelPoint(180, 220), pixelPoint(30, 150)}));
    EXPECT_EQ(scene.frame.pixels(), expectedLines({{pt(20, 20), pt(200, 30)},
                                                   {pt(200, 30), pt(180, 220)},
                                                   {pt(30, 150), pt(180, 220)}}));
    EXPECT_FALSE(scene.frame.lit(25, 85)) << "no segment from the last point back to the first";
}

TEST_F(Polyline, SegmentsRunDownFromTheUpperPointOrTheEarlierOneInARow) {
    drawMesh(scene.device, *polylineOf({pixelPoint(10, 200), pixelPoint(50, 100)}));
    EXPECT_EQ(scene.frame.pixels(), expectedLines({{pt(50, 100), pt(10, 200)}}));

    Scene sameRow;
    sameRow.device.primitiveMode = PrimitiveMode::LineStrip;
    drawMesh(sameRow.device, *polylineOf({pixelPoint(100, 50), pixelPoint(20, 50)}));
    EXPECT_EQ(sameRow.frame.pixels(), expectedLines({{pt(100, 50), pt(20, 50)}}));
}

TEST_F(Polyline, FewerThanTwoVerticesDrawNothing) {
    for (std::size_t n : {0u, 1u}) {
        std::vector<Vec3> points(n, pixelPoint(50, 50));
        drawMesh(scene.device, *polylineOf(points));
        ClipPolygon clipped;
        EXPECT_EQ(clipPolyline(scene.device, *polylineOf(points), clipped), 0);
    }
    EXPECT_EQ(scene.frame.litCount(), 0);
}

TEST_F(Polyline, WhollyOutsideDrawsNothing) {
    drawMesh(scene.device, *polylineOf({Vec3{-30, 0, 10}, Vec3{-20, 5, 10}, Vec3{-40, -5, 10}}));
    drawMesh(scene.device, *polylineOf({Vec3{0, 0, -10}, Vec3{1, 1, -10}}));
    EXPECT_EQ(scene.frame.litCount(), 0);
}

// The tail rule, against the left plane x = -z only (everything at z = 10,
// well inside the other planes). Each case lists the polyline and what is
// left of it after clipping.
struct TailCase {
    std::string name;
    std::vector<Vec3> polyline;
    std::vector<Vec3> clipped;
};

class TailRule : public ::testing::TestWithParam<TailCase> {};

TEST_P(TailRule, KeepsOnlyThePolylinesOwnPieces) {
    RenderDevice device;
    setUpCamera(device);
    ClipPolygon clipped;
    const std::int32_t n = clipPolyline(device, *polylineOf(GetParam().polyline), clipped);
    ASSERT_EQ(n, static_cast<std::int32_t>(GetParam().clipped.size()));
    for (std::int32_t i = 0; i < n; ++i) {
        const Vec3& got = clipped.vertices[static_cast<std::size_t>(i)].position;
        const Vec3& want = GetParam().clipped[static_cast<std::size_t>(i)];
        EXPECT_FLOAT_EQ(got.x, want.x) << "vertex " << i;
        EXPECT_FLOAT_EQ(got.y, want.y) << "vertex " << i;
        EXPECT_FLOAT_EQ(got.z, want.z) << "vertex " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    LeftPlane, TailRule,
    ::testing::Values(
        TailCase{"lastInsideFirstInside", {{-5, 0, 10}, {5, 0, 10}}, {{-5, 0, 10}, {5, 0, 10}}},
        // The closing edge's crossing is removed.
        TailCase{"lastInsideFirstOutside", {{-20, 0, 10}, {0, 0, 10}}, {{-10, 0, 10}, {0, 0, 10}}},
        TailCase{"lastOutsideFirstInside", {{0, 0, 10}, {-20, 0, 10}}, {{0, 0, 10}, {-10, 0, 10}}},
        // Both ends outside: the exit point goes, and with it the inside
        // part of the last segment that leaves.
        TailCase{"lastOutsideFirstOutside",
                 {{-20, 0, 10}, {0, 0, 10}, {-30, 0, 10}},
                 {{-10, 0, 10}, {0, 0, 10}}},
        // Out through the plane and back in: the exit and the re-entry are
        // joined along the plane.
        TailCase{"leavesAndComesBack",
                 {{0, 0, 10}, {-20, 0, 10}, {0, 4, 10}},
                 {{0, 0, 10}, {-10, 0, 10}, {-10, 2, 10}, {0, 4, 10}}}),
    [](const auto& info) { return info.param.name; });

TEST_F(Polyline, ExitAndReentryAreJoinedAlongTheBorder) {
    // Leaves through the left border and comes back: column 0 is drawn
    // between the two crossing rows.
    drawMesh(scene.device,
             *polylineOf({pixelPoint(60, 60), Vec3{-3, 0.2f, 1}, pixelPoint(60, 180)}));
    int border = 0;
    for (std::int32_t y = 0; y < kSide; ++y) {
        border += scene.frame.lit(0, y) ? 1 : 0;
    }
    EXPECT_GT(border, 10);
    EXPECT_TRUE(scene.frame.guardsIntact());
}

TEST_F(Polyline, ZigzagAcrossEveryPlaneStaysInsideItsBuffers) {
    // Alternates between the middle of the frame and points outside one
    // plane after another, behind the eye included.
    const Vec3 outside[] = {{-30, 0, 10}, {30, 1, 10}, {0, 30, 10}, {1, -30, 10}, {2, 3, -10}};
    std::vector<Vec3> points;
    for (int i = 0; i < 60; ++i) {
        points.push_back(
            Vec3{static_cast<float>(i % 7) - 3.0f, static_cast<float>(i % 5) - 2.0f, 10});
        points.push_back(outside[i % 5]);
    }
    ClipPolygon clipped(1);
    const std::int32_t n = clipPolyline(scene.device, *polylineOf(points), clipped);
    EXPECT_GT(n, 2 * 60);
    EXPECT_LE(static_cast<std::size_t>(n), clipped.vertices.size());
    drawMesh(scene.device, *polylineOf(points));
    EXPECT_GT(scene.frame.litCount(), 0);
    EXPECT_TRUE(scene.frame.guardsIntact());
}

TEST_F(Polyline, ThroughTheEyeSkipsThePointWithoutAPixel) {
    // The middle point is the eye; what is left is drawn from its
    // neighbours' pixels and nothing else.
    ClipPolygon clipped;
    const auto mesh = polylineOf({Vec3{0.5f, 0.5f, 1}, Vec3{0, 0, 0}, Vec3{-0.5f, -0.25f, 1}});
    const std::int32_t n = clipPolyline(scene.device, *mesh, clipped);
    ASSERT_EQ(n, 3);
    EXPECT_EQ(clipped.vertices[1].position.z, 0.0f);
    drawMesh(scene.device, *mesh);
    EXPECT_GT(scene.frame.litCount(), 0);
    EXPECT_TRUE(scene.frame.guardsIntact());
}

} // namespace
