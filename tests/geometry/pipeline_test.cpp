// buildScreenPolygons: culling, the far-distance rejection, the face order
// and count, clipping results, screen mapping, normals and intensities.
#include "geometry/pipeline.h"
#include "render_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using testing_frame::meshOf;
using testing_frame::pointsOf;
using testing_frame::Triangle;
using testing_frame::viewFromOrigin;

// The example face of the mesh model: normal (0, 0, -1), seen from the
// origin it is front-facing and runs counter-clockwise on the screen.
constexpr Triangle kFacing{{0, 0, 5}, {1, 0, 5}, {0, 1, 5}};
// The same points wound the other way: its normal points away from the eye.
constexpr Triangle kAway{{0, 0, 5}, {0, 1, 5}, {1, 0, 5}};

class Pipeline : public ::testing::Test {
  protected:
    void SetUp() override {
        device.maxX = 639;
        device.maxY = 479;
        viewFromOrigin(device);
    }
    RenderDevice device;
};

struct CullCase {
    std::string name;
    std::vector<Triangle> triangles;
    int expectedCount;
};

class Culling : public Pipeline, public ::testing::WithParamInterface<CullCase> {};

TEST_P(Culling, CountsFrontFacingFaces) {
    const CullCase& c = GetParam();
    auto mesh = std::make_unique<Mesh>(static_cast<std::int32_t>(3 * c.triangles.size()),
                                       static_cast<std::int32_t>(c.triangles.size()));
    for (std::size_t k = 0; k < c.triangles.size(); ++k) {
        const Triangle& t = c.triangles[k];
        mesh->vertices[3 * k] = makeVertex(t.p0, Vec3{}, 0, 0);
        mesh->vertices[3 * k + 1] = makeVertex(t.p1, Vec3{}, 0, 0);
        mesh->vertices[3 * k + 2] = makeVertex(t.p2, Vec3{}, 0, 0);
        mesh->faces[k] =
            Face{static_cast<std::uint16_t>(3 * k), static_cast<std::uint16_t>(3 * k + 1),
                 static_cast<std::uint16_t>(3 * k + 2)};
    }
    computeFaceNormals(*mesh);
    const ScreenPolygonList list = buildScreenPolygons(device, *mesh);
    EXPECT_EQ(list.count, c.expectedCount);
    EXPECT_EQ(list.polygons.size(), static_cast<std::size_t>(c.expectedCount));
}

INSTANTIATE_TEST_SUITE_P(
    Faces, Culling,
    ::testing::Values(
        CullCase{"front", {kFacing}, 1}, CullCase{"back", {kAway}, 0},
        CullCase{"allBack", {kAway, kAway, kAway}, 0},
        // The plane x = 0 holds the eye: s is exactly 0 and the face is drawn.
        CullCase{"edgeOn", {{{0, 0, 5}, {0, 1, 5}, {0, 0, 6}}}, 1},
        CullCase{"edgeOnOtherWinding", {{{0, 0, 5}, {0, 0, 6}, {0, 1, 5}}}, 1},
        // Collinear and coincident points: NaN normal, never drawn.
        CullCase{"collinear", {{{0, 0, 5}, {1, 1, 5}, {2, 2, 5}}}, 0},
        CullCase{"coincident", {{{1, 1, 5}, {1, 1, 5}, {1, 1, 5}}}, 0},
        CullCase{"mixed", {kAway, kFacing, {{0, 0, 5}, {1, 1, 5}, {2, 2, 5}}, kFacing}, 2}),
    [](const auto& info) { return info.param.name; });

TEST_F(Pipeline, KeepsFrontFacesInAscendingOrderWithoutALimit) {
    // 100 front faces, each one pixel row lower than the one before, with
    // back faces between them: all 100 come back, in face order.
    std::vector<Triangle> triangles;
    for (int k = 0; k < 100; ++k) {
        const float y = -1.0f + 0.02f * static_cast<float>(k);
        triangles.push_back(Triangle{{0, y, 5}, {1, y, 5}, {0, y + 0.5f, 5}});
        triangles.push_back(Triangle{{0, y, 5}, {0, y + 0.5f, 5}, {1, y, 5}});
    }
    auto mesh = std::make_unique<Mesh>(600, 200);
    for (std::size_t k = 0; k < triangles.size(); ++k) {
        mesh->vertices[3 * k] = makeVertex(triangles[k].p0, Vec3{}, 0, 0);
        mesh->vertices[3 * k + 1] = makeVertex(triangles[k].p1, Vec3{}, 0, 0);
        mesh->vertices[3 * k + 2] = makeVertex(triangles[k].p2, Vec3{}, 0, 0);
        mesh->faces[k] =
            Face{static_cast<std::uint16_t>(3 * k), static_cast<std::uint16_t>(3 * k + 1),
                 static_cast<std::uint16_t>(3 * k + 2)};
    }
    computeFaceNormals(*mesh);
    device.renderMode = RenderMode::Flat;
    const ScreenPolygonList list = buildScreenPolygons(device, *mesh);
    ASSERT_EQ(list.count, 100);
    for (int j = 1; j < 100; ++j) {
        const ScreenPolygon& previous = list.polygons[static_cast<std::size_t>(j - 1)];
        const ScreenPolygon& current = list.polygons[static_cast<std::size_t>(j)];
        ASSERT_EQ(current.pointCount, 3);
        EXPECT_LE(list.pointsOf(current)[0].y, list.pointsOf(previous)[0].y) << "polygon " << j;
    }
}

TEST_F(Pipeline, FaceNamingAMissingVertexIsNotDrawn) {
    auto mesh = meshOf({kFacing, kFacing});
    mesh->faces[0].i2 = 200; // beyond the six vertices
    const ScreenPolygonList list = buildScreenPolygons(device, *mesh);
    EXPECT_EQ(list.count, 1);
}

TEST_F(Pipeline, ScaledWorldCullsAgainstTheTrueModelSpaceEye) {
    // Half size, moved 10 along +z: the face at model z = -10 sits at view
    // z = 5 facing the eye. The eye in model space is (0, 0, -20); a plain
    // transpose would put it at (0, 0, -5), behind the face.
    Matrix4 world;
    identity(world);
    world[0] = world[5] = world[10] = 0.5f;
    world[14] = 10.0f;
    device.setWorldMatrix(world);
    EXPECT_FLOAT_EQ(device.eyeInObject.z, -20.0f);
    auto mesh = meshOf({{{0, 0, -10}, {2, 0, -10}, {0, 2, -10}}});
    const ScreenPolygonList list = buildScreenPolygons(device, *mesh);
    ASSERT_EQ(list.count, 1);
    EXPECT_EQ(list.polygons[0].pointCount, 3);
    EXPECT_EQ(pointsOf(list, 0)[0].depth, 5.0f);
}

struct FarCase {
    std::string name;
    float step; // how far the extra vertex lies beyond farPlane, in ulps
    int expectedCount;
};

class FarPlane : public Pipeline, public ::testing::WithParamInterface<FarCase> {};

TEST_P(FarPlane, AnyVertexBeyondRejectsTheWholeMesh) {
    // A front face in view, plus a back face whose first vertex sits at the
    // far distance: culled faces' vertices count as well.
    const float far = device.farPlane;
    float z = far;
    for (int i = 0; i < static_cast<int>(GetParam().step); ++i) {
        z = std::nextafter(z, std::numeric_limits<float>::infinity());
    }
    auto mesh = meshOf({kFacing, {{0, 0, z}, {0, 1, 5}, {1, 0, 5}}});
    const ScreenPolygonList list = buildScreenPolygons(device, *mesh);
    EXPECT_EQ(list.count, GetParam().expectedCount);
    EXPECT_EQ(list.polygons.empty(), GetParam().expectedCount == 0);
}

INSTANTIATE_TEST_SUITE_P(Vertices, FarPlane,
                         ::testing::Values(FarCase{"exactlyAtFar", 0, 1},
                                           FarCase{"oneUlpBeyond", 1, 0},
                                           FarCase{"farBeyond", 1000000, 0}),
                         [](const auto& info) { return info.param.name; });

struct ClipCase {
    std::string name;
    Triangle triangle;
    std::vector<std::pair<int, int>> pixels; // expected points, in order
};

class Clipping : public Pipeline, public ::testing::WithParamInterface<ClipCase> {};

TEST_P(Clipping, GivesTheClippedPolygonInOrder) {
    auto mesh = meshOf({GetParam().triangle});
    const ScreenPolygonList list = buildScreenPolygons(device, *mesh);
    ASSERT_EQ(list.count, 1) << "the face counts even when clipped away";
    const std::vector<ScreenPoint> points = pointsOf(list, 0);
    ASSERT_EQ(points.size(), GetParam().pixels.size());
    for (std::size_t q = 0; q < points.size(); ++q) {
        EXPECT_EQ(points[q].x, GetParam().pixels[q].first) << "point " << q;
        EXPECT_EQ(points[q].y, GetParam().pixels[q].second) << "point " << q;
        EXPECT_GT(points[q].depth, 0.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(Triangles, Clipping,
                         ::testing::Values(
                             // Wholly inside: i0, i1, i2 unchanged. x: (0.2000000 + 1) * 319.5 =
                             // 383.4, y: (1 - 0.2) * 239.5 = 191.6.
                             ClipCase{"inside", kFacing, {{319, 239}, {383, 239}, {319, 191}}},
                             // Crosses the right plane x = z: two new points on the right border.
                             ClipCase{"acrossRight",
                                      {{0, 0, 5}, {10, 0, 5}, {0, 2, 5}},
                                      {{319, 239}, {639, 239}, {639, 191}, {319, 143}}},
                             // Crosses the top plane y = z: the top row 0 appears twice.
                             ClipCase{"acrossTop",
                                      {{0, 0, 5}, {2, 0, 5}, {0, 10, 5}},
                                      {{319, 239}, {447, 239}, {383, 0}, {319, 0}}},
                             // A vertex exactly on the left plane (x = -z) stays as it is:
                             // xp = -1.0000001 still maps to column 0.
                             ClipCase{"vertexOnLeftPlane",
                                      {{-5, 0, 5}, {0, -1, 5}, {0, 1, 5}},
                                      {{0, 239}, {319, 287}, {319, 191}}},
                             // Wholly behind the eye (front side towards it): counted, empty.
                             ClipCase{"behindEye", {{0, 0, -5}, {0, 1, -5}, {1, 0, -5}}, {}},
                             // Beyond the left plane entirely.
                             ClipCase{"outsideLeft", {{-20, 0, 5}, {-10, 0, 5}, {-20, 1, 5}}, {}}),
                         [](const auto& info) { return info.param.name; });

TEST_F(Pipeline, ATriangleCuttingAllFourSidesGivesSevenPoints) {
    // Each side plane cuts a corner off; with the near plane, which the
    // sides already imply, the bound of 3 + 5 = 8 is never reached by a
    // proper triangle (the property test checks the bound).
    auto mesh = meshOf({{{46, 10, 13}, {3, 15, 14}, {-14, -19, 6}}});
    const ScreenPolygonList list = buildScreenPolygons(device, *mesh);
    ASSERT_EQ(list.count, 1);
    EXPECT_EQ(list.polygons[0].pointCount, 7);
}

TEST_F(Pipeline, ClipVertexAtTheEyeNeverReachesTheRasterizers) {
    // The face's plane holds the eye, which is one of its vertices; the
    // clipper keeps it (it is inside every plane) but it has no pixel.
    auto mesh = meshOf({{{0, 0, 0}, {0, -1, 10}, {0, 1, 10}}});
    const ScreenPolygonList list = buildScreenPolygons(device, *mesh);
    ASSERT_EQ(list.count, 1);
    EXPECT_EQ(list.polygons[0].pointCount, 2);
    for (const ScreenPoint& p : pointsOf(list, 0)) {
        EXPECT_GT(p.depth, 0.0f);
    }
}

struct NormalCase {
    std::string name;
    std::uint32_t renderMode;
    bool normalCopied;
};

class FlatNormal : public Pipeline, public ::testing::WithParamInterface<NormalCase> {};

TEST_P(FlatNormal, CopiedOnlyInFlatMode) {
    device.renderMode = GetParam().renderMode;
    auto mesh = meshOf({kFacing, {{-20, 0, 5}, {-10, 0, 5}, {-20, 1, 5}}});
    const ScreenPolygonList list = buildScreenPolygons(device, *mesh);
    ASSERT_EQ(list.count, 2);
    const Vec3& n = list.polygons[0].normal;
    if (GetParam().normalCopied) {
        EXPECT_EQ(n.x, mesh->faceNormals[0].x);
        EXPECT_EQ(n.y, mesh->faceNormals[0].y);
        EXPECT_EQ(n.z, mesh->faceNormals[0].z);
        EXPECT_EQ(n.z, -1.0f);
    } else {
        EXPECT_EQ(n.x, 0.0f);
        EXPECT_EQ(n.y, 0.0f);
        EXPECT_EQ(n.z, 0.0f);
    }
    // The clipped-away polygon keeps a zero normal in every mode.
    EXPECT_EQ(list.polygons[1].pointCount, 0);
    EXPECT_EQ(list.polygons[1].normal.z, 0.0f);
}

INSTANTIATE_TEST_SUITE_P(Modes, FlatNormal,
                         ::testing::Values(NormalCase{"flat", RenderMode::Flat, true},
                                           NormalCase{"gouraud", RenderMode::Gouraud, false},
                                           NormalCase{"wireframe", RenderMode::Wireframe, false},
                                           NormalCase{"flatAndWireframe",
                                                      RenderMode::Flat | RenderMode::Wireframe,
                                                      true}),
                         [](const auto& info) { return info.param.name; });

struct IntensityCase {
    std::string name;
    std::uint32_t renderMode;
    bool withLight;
    Vec3 vertexNormal;
    float expected;
};

class GouraudIntensity : public Pipeline, public ::testing::WithParamInterface<IntensityCase> {};

TEST_P(GouraudIntensity, IsTheClampedDotWithTheLight) {
    const IntensityCase& c = GetParam();
    device.renderMode = c.renderMode;
    Light light;
    light.direction = Vec3{0.0f, 0.6f, -0.8f};
    light.color = Color3{1, 1, 1};
    if (c.withLight) {
        device.setLight(LightKind::Directional, &light);
    }
    auto mesh = meshOf({kFacing});
    for (Vertex& v : mesh->vertices) {
        v.normal = c.vertexNormal;
    }
    const ScreenPolygonList list = buildScreenPolygons(device, *mesh);
    ASSERT_EQ(list.count, 1);
    ASSERT_EQ(list.polygons[0].pointCount, 3);
    for (const ScreenPoint& p : pointsOf(list, 0)) {
        EXPECT_FLOAT_EQ(p.intensity, c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Vertices, GouraudIntensity,
    ::testing::Values(
        IntensityCase{"facingLight", RenderMode::Gouraud, true, {0, 0.6f, -0.8f}, 1.0f},
        IntensityCase{"partly", RenderMode::Gouraud, true, {0, 0, -1}, 0.8f},
        IntensityCase{"awayFromLightIsZero", RenderMode::Gouraud, true, {0, 0, 1}, 0.0f},
        IntensityCase{"noDirectionalLight", RenderMode::Gouraud, false, {0, 0.6f, -0.8f}, 0.0f},
        IntensityCase{"flatModeLeavesZero", RenderMode::Flat, true, {0, 0.6f, -0.8f}, 0.0f},
        IntensityCase{
            "withOtherBits", RenderMode::Gouraud | RenderMode::Wireframe, true, {0, 0, -1}, 0.8f}),
    [](const auto& info) { return info.param.name; });

TEST_F(Pipeline, IntensityIsInterpolatedAtClippedPoints) {
    device.renderMode = RenderMode::Gouraud;
    Light light;
    light.direction = Vec3{1, 0, 0};
    device.setLight(LightKind::Directional, &light);
    // Crosses the right plane halfway along two edges; the first vertex
    // has intensity 0, the one outside 1, the third 0.
    auto mesh = meshOf({{{0, 0, 5}, {10, 0, 5}, {0, 2, 5}}});
    mesh->vertices[0].normal = Vec3{0, 0, -1};
    mesh->vertices[1].normal = Vec3{1, 0, 0};
    mesh->vertices[2].normal = Vec3{0, 0, -1};
    const ScreenPolygonList list = buildScreenPolygons(device, *mesh);
    ASSERT_EQ(list.polygons[0].pointCount, 4);
    const std::vector<ScreenPoint> p = pointsOf(list, 0);
    EXPECT_EQ(p[0].intensity, 0.0f);
    EXPECT_FLOAT_EQ(p[1].intensity, 0.5f); // t = 0.5 on edge 0 -> 1
    EXPECT_FLOAT_EQ(p[2].intensity, 0.5f); // t = 0.5 on edge 1 -> 2
    EXPECT_EQ(p[3].intensity, 0.0f);
}

TEST_F(Pipeline, ViewTransformUsesWorldThenView) {
    // The world moves the face 5 units to +x and the camera looks from
    // (5, 0, 0) along +z: the face appears where it would from the origin.
    Matrix4 world;
    identity(world);
    world[12] = 5.0f;
    device.setWorldMatrix(world);
    device.lookAt(Vec3{5, 0, 0}, Vec3{5, 0, 1}, Vec3{0, 1, 0});
    auto mesh = meshOf({kFacing});
    const ScreenPolygonList list = buildScreenPolygons(device, *mesh);
    ASSERT_EQ(list.count, 1);
    ASSERT_EQ(list.polygons[0].pointCount, 3);
    const std::vector<ScreenPoint> p = pointsOf(list, 0);
    EXPECT_EQ(p[1].x, 383);
    EXPECT_EQ(p[2].y, 191);
    EXPECT_EQ(p[0].depth, 5.0f);
}

} // namespace
