// The five clip stages, one edge at a time, and the screen mapping of
// clipped points.
#include "geometry/pipeline.h"
#include "render_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

Vertex at(float x, float y, float z, float intensity = 0.0f) {
    Vertex v;
    v.position = Vec3{x, y, z};
    v.intensity = intensity;
    return v;
}

struct EdgeCase {
    std::string name;
    ClipStage stage;
    Vertex a;
    Vertex b;
    std::vector<Vec3> expected;
};

class ClipStageEdge : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(ClipStageEdge, AppendsInsideStartAndCrossing) {
    const EdgeCase& c = GetParam();
    RenderDevice device;
    ClipPolygon out(2);
    // Something already in the output stays; the stage only appends.
    appendVertex(out, at(7, 7, 7));
    c.stage(device, out, c.a, c.b);
    ASSERT_EQ(out.vertexCount, static_cast<std::int32_t>(c.expected.size() + 1));
    EXPECT_EQ(out.vertices[0].position.x, 7.0f);
    for (std::size_t i = 0; i < c.expected.size(); ++i) {
        const Vec3& p = out.vertices[i + 1].position;
        EXPECT_FLOAT_EQ(p.x, c.expected[i].x) << "vertex " << i;
        EXPECT_FLOAT_EQ(p.y, c.expected[i].y) << "vertex " << i;
        EXPECT_FLOAT_EQ(p.z, c.expected[i].z) << "vertex " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Stages, ClipStageEdge,
    ::testing::Values(
        EdgeCase{"nearBothInside", clipNear, at(1, 2, 3), at(4, 5, 6), {{1, 2, 3}}},
        EdgeCase{"nearLeaving", clipNear, at(0, 4, 1), at(2, 0, -3), {{0, 4, 1}, {0.5f, 3, 0}}},
        EdgeCase{"nearEntering", clipNear, at(2, 0, -3), at(0, 4, 1), {{0.5f, 3, 0}}},
        EdgeCase{"nearBothOutside", clipNear, at(0, 0, -1), at(5, 5, -2), {}},
        // The start on the plane is inside; the crossing (t = 0) repeats it.
        EdgeCase{"nearStartOnPlane", clipNear, at(3, 3, 0), at(1, 1, -1), {{3, 3, 0}, {3, 3, 0}}},
        EdgeCase{"nearEndOnPlaneIsInside", clipNear, at(1, 1, -1), at(3, 3, 0), {{3, 3, 0}}},
        EdgeCase{"leftLeaving", clipLeft, at(0, 1, 5), at(-10, 3, 5), {{0, 1, 5}, {-5, 2, 5}}},
        EdgeCase{"leftEntering", clipLeft, at(-10, 3, 5), at(0, 1, 5), {{-5, 2, 5}}},
        EdgeCase{"leftBothOutside", clipLeft, at(-10, 0, 5), at(-6, 0, 5), {}},
        EdgeCase{"rightLeaving", clipRight, at(0, 0, 4), at(8, 0, 4), {{0, 0, 4}, {4, 0, 4}}},
        EdgeCase{"rightEntering", clipRight, at(8, 2, 4), at(0, 0, 4), {{4, 1, 4}}},
        EdgeCase{"topLeaving", clipTop, at(0, 0, 2), at(0, 6, 2), {{0, 0, 2}, {0, 2, 2}}},
        EdgeCase{"topBothOutside", clipTop, at(0, 10, 5), at(1, 10, 5), {}},
        // Bottom interpolates z as well: t = 4 / (4 + 6) = 0.4.
        EdgeCase{"bottomLeaving",
                 clipBottom,
                 at(0, -1, 5),
                 at(0, -9, 3),
                 {{0, -1, 5}, {0, -4.2f, 4.2f}}},
        EdgeCase{"bottomEntering", clipBottom, at(0, -9, 3), at(0, -1, 5), {{0, -4.2f, 4.2f}}},
        // NaN is never inside: nothing of a NaN edge survives.
        EdgeCase{"nanBothEnds", clipLeft, at(NAN, 0, 5), at(NAN, 0, 5), {}}),
    [](const auto& info) { return info.param.name; });

TEST(ClipStagePlacement, FirstFourStagesPutNewPointsExactlyOnTheirPlane) {
    RenderDevice device;
    struct Stage {
        ClipStage stage;
        float (*offPlane)(const Vec3&); // 0 exactly on the plane
    };
    const Stage stages[] = {
        {clipNear, [](const Vec3& p) { return p.z; }},
        {clipLeft, [](const Vec3& p) { return p.x + p.z; }},
        {clipRight, [](const Vec3& p) { return p.x - p.z; }},
        {clipTop, [](const Vec3& p) { return p.y - p.z; }},
    };
    // Edges with awkward fractions: the crossings are not representable.
    const Vertex a[] = {at(0.3f, 0.7f, 3.1f), at(-0.1f, 0.2f, 0.9f), at(1.7f, -2.9f, 2.3f)};
    const Vertex b[] = {at(-9.7f, 8.3f, -1.3f), at(7.9f, -6.1f, 0.3f), at(-5.3f, 9.1f, 1.1f)};
    for (const Stage& s : stages) {
        for (const Vertex& from : a) {
            for (const Vertex& to : b) {
                for (int direction = 0; direction < 2; ++direction) {
                    ClipPolygon out;
                    const Vertex& start = direction == 0 ? from : to;
                    const Vertex& end = direction == 0 ? to : from;
                    s.stage(device, out, start, end);
                    for (std::int32_t i = 0; i < out.vertexCount; ++i) {
                        const Vertex& v = out.vertices[static_cast<std::size_t>(i)];
                        const bool original =
                            &v.position == &start.position ||
                            (v.position.x == start.position.x && v.position.y == start.position.y &&
                             v.position.z == start.position.z);
                        if (!original) {
                            EXPECT_EQ(s.offPlane(v.position), 0.0f);
                        }
                    }
                }
            }
        }
    }
}

TEST(ClipStageIntensity, InterpolatedOnlyInGouraudMode) {
    struct Case {
        std::uint32_t mode;
        float expected;
    };
    for (const Case& c : {Case{RenderMode::Gouraud, 0.25f}, Case{RenderMode::Flat, 0.0f},
                          Case{RenderMode::Wireframe | RenderMode::Gouraud, 0.25f}}) {
        RenderDevice device;
        device.renderMode = c.mode;
        ClipPolygon out;
        // Near plane crossed a quarter of the way: t = 1 / (1 + 3).
        clipNear(device, out, at(0, 0, 1, 0.2f), at(0, 0, -3, 0.4f));
        ASSERT_EQ(out.vertexCount, 2);
        EXPECT_EQ(out.vertices[0].intensity, 0.2f) << "the start vertex is copied";
        EXPECT_FLOAT_EQ(out.vertices[1].intensity, c.mode == RenderMode::Flat ? 0.0f : 0.25f);

        // A polygon that carries colours: the same edge there and back.
        // Each crossing's colour is interpolated at its own t, a quarter
        // of the way from (0.2, 0.6, 1) there and three quarters from
        // (0.4, 0.2, 0) back, both (0.25, 0.5, 0.75), whatever the mode.
        ClipPolygon in;
        in.colored = true;
        appendVertex(in, at(0, 0, 1, 0.2f), Color3{0.2f, 0.6f, 1.0f});
        appendVertex(in, at(0, 0, -3, 0.4f), Color3{0.4f, 0.2f, 0.0f});
        ClipPolygon colored;
        clipPolygon(device, Plane::Near, in, colored);
        ASSERT_EQ(colored.vertexCount, 3);
        ASSERT_TRUE(colored.colored);
        EXPECT_EQ(colored.colors[0].g, 0.6f) << "the start vertex's colour is copied";
        for (const int crossing : {1, 2}) {
            EXPECT_FLOAT_EQ(colored.colors[crossing].r, 0.25f) << crossing;
            EXPECT_FLOAT_EQ(colored.colors[crossing].g, 0.5f) << crossing;
            EXPECT_FLOAT_EQ(colored.colors[crossing].b, 0.75f) << crossing;
        }
    }
}

TEST(ClipPolygonStage, ClosesThePolygonAndGrowsItsBuffer) {
    RenderDevice device;
    // A zigzag across the left plane: 12 vertices alternately inside and
    // outside. Every edge crosses, so the output needs 18 slots; the
    // buffer starts with 2 and must grow without writing past its end.
    ClipPolygon in(12);
    for (int i = 0; i < 12; ++i) {
        appendVertex(in, at(i % 2 == 0 ? 1.0f : -20.0f, static_cast<float>(i), 5.0f));
    }
    ClipPolygon out(2);
    clipPolygon(device, clipLeft, in, out);
    EXPECT_EQ(out.vertexCount, 18);
    EXPECT_GE(out.vertices.size(), 18u);
    // The closing edge (vertex 11 -> vertex 0) enters: its crossing is last.
    EXPECT_FLOAT_EQ(out.vertices[17].position.x, -5.0f);

    ClipPolygon empty;
    clipPolygon(device, clipLeft, ClipPolygon{}, empty);
    EXPECT_EQ(empty.vertexCount, 0);
}

struct MapCase {
    std::string name;
    float xp;
    float yp;
    bool mapped;
    std::int32_t x;
    std::int32_t y;
};

class ScreenMapping : public ::testing::TestWithParam<MapCase> {};

TEST_P(ScreenMapping, TruncatesTowardZeroInsideTheFrame) {
    // An identity projection with w = 1 hands xp and yp through unchanged.
    RenderDevice device;
    device.maxX = 639;
    device.maxY = 479;
    identity(device.projectionMatrix);
    const MapCase& c = GetParam();
    ScreenPoint p;
    ASSERT_EQ(mapToPixel(device, Vec3{c.xp, c.yp, 0.5f}, p), c.mapped);
    if (c.mapped) {
        EXPECT_EQ(p.x, c.x);
        EXPECT_EQ(p.y, c.y);
        EXPECT_EQ(p.depth, 0.5f);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Points, ScreenMapping,
    ::testing::Values(MapCase{"leftEdge", -1.0f, 0.0f, true, 0, 239},
                      MapCase{"rightEdge", 1.0f, 0.0f, true, 639, 239},
                      MapCase{"centre", 0.0f, 0.0f, true, 319, 239},
                      MapCase{"topEdge", 0.0f, 1.0f, true, 319, 0},
                      MapCase{"bottomEdge", 0.0f, -1.0f, true, 319, 479},
                      MapCase{"justLeftOfEdge", -1.0000001f, 0.0f, true, 0, 239},
                      MapCase{"justRightOfEdge", 1.0000001f, 0.0f, true, 639, 239},
                      MapCase{"justAboveTop", 0.0f, 1.0000001f, true, 319, 0},
                      // Far enough out to truncate outside (another projection).
                      MapCase{"pastLeft", -1.0032f, 0.0f, false, 0, 0},
                      MapCase{"pastBottom", 0.0f, -1.0042f, false, 0, 0},
                      MapCase{"farRight", 7.5f, -9.0f, false, 0, 0},
                      MapCase{"infinite", INFINITY, 0.0f, false, 0, 0},
                      MapCase{"nan", 0.0f, NAN, false, 0, 0}),
    [](const auto& info) { return info.param.name; });

TEST(ScreenMappingDepth, PointsAtOrBehindTheEyeHaveNoPixel) {
    RenderDevice device;
    device.maxX = 639;
    device.maxY = 479;
    ScreenPoint p;
    EXPECT_FALSE(mapToPixel(device, Vec3{0, 0, 0}, p)) << "the eye itself";
    EXPECT_FALSE(mapToPixel(device, Vec3{0, 0, -0.0f}, p));
    EXPECT_FALSE(mapToPixel(device, Vec3{0, 0, -1}, p));
    EXPECT_FALSE(mapToPixel(device, Vec3{0, 0, NAN}, p));
    EXPECT_TRUE(mapToPixel(device, Vec3{0, 0, 1e-30f}, p)) << "any depth above 0 maps";
    // A projection whose w is not positive has no image for the point.
    Matrix4 flipped = device.projectionMatrix;
    flipped[11] = -1.0f;
    device.projectionMatrix = flipped;
    EXPECT_FALSE(mapToPixel(device, Vec3{0, 0, 5}, p));
}

// The hull fallback of projectToScreen: truncated points that no longer
// form a convex polygon are replaced by their hull, counter-clockwise on
// the screen; points that still do are left alone.
TEST(ProjectToScreen, RepairsOnlyWhatTruncationBroke) {
    RenderDevice device;
    device.maxX = 128;
    device.maxY = 128;
    // With xp = x / z and a 129-pixel frame, column = 64 * (xp + 1): the
    // point for pixel (x, y) sits in the middle of that pixel.
    device.projectionMatrix = testing_frame::unitPyramidProjection();
    auto polygonOf = [](std::initializer_list<Vec3> points) {
        ClipPolygon c;
        for (const Vec3& p : points) {
            Vertex v;
            v.position = p;
            appendVertex(c, v);
        }
        return c;
    };
    auto pixel = [](float x, float y) {
        return Vec3{(x + 0.5f) / 64.0f - 1.0f, 1.0f - (y + 0.5f) / 64.0f, 1.0f};
    };
    struct Case {
        std::string name;
        ClipPolygon polygon;
        std::vector<std::pair<int, int>> expected;
    };
    const Case cases[] = {
        {"convexKept",
         polygonOf({pixel(10, 10), pixel(10, 60), pixel(60, 60)}),
         {{10, 10}, {10, 60}, {60, 60}}},
        {"clockwiseKept",
         polygonOf({pixel(10, 10), pixel(60, 60), pixel(10, 60)}),
         {{10, 10}, {60, 60}, {10, 60}}},
        // A dent: the fourth point turns the other way.
        {"reflexReplacedByHull",
         polygonOf({pixel(10, 10), pixel(10, 60), pixel(60, 60), pixel(30, 40), pixel(60, 10)}),
         {{10, 60}, {60, 60}, {60, 10}, {10, 10}}},
        // Collinear points running back and forth along one line.
        {"backtrackingLine",
         polygonOf({pixel(10, 10), pixel(40, 40), pixel(20, 20), pixel(30, 30)}),
         {{40, 40}, {10, 10}}},
    };
    for (const Case& c : cases) {
        std::vector<ScreenPoint> points;
        const std::int32_t n = projectToScreen(device, c.polygon, points);
        ASSERT_EQ(n, static_cast<std::int32_t>(c.expected.size())) << c.name;
        ASSERT_EQ(points.size(), c.expected.size()) << c.name;
        for (std::size_t i = 0; i < points.size(); ++i) {
            EXPECT_EQ(points[i].x, c.expected[i].first) << c.name << " point " << i;
            EXPECT_EQ(points[i].y, c.expected[i].second) << c.name << " point " << i;
        }
    }
}

} // namespace
