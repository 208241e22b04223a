// A model's own colours, byte by byte, worked out by hand from the rule in
// raster/screen_polygon.h. One triangle faces the eye at depth 10 under a
// projection that maps x / z and y / z straight onto the frame (65 x 65,
// maxX = maxY = 64): its corners land on pixels (16, 16), (16, 48) and
// (48, 16), so row 16 is one span from corner 0 (x 16) to corner 2
// (x 48, not filled), inv = 1 / 32 exactly. Its face and vertex normals
// are (0, 0, -1): a light from (0, 0, -1) gives I = 1, one from
// (0, 0.8660254, -0.5) gives I = 0.5 exactly. The material is the demo's
// (ambient 1, diffuse 0.2 0.95 0.2). "f(x)" below is x rounded to a float.
#include "geometry/draw_mesh.h"
#include "render_fixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using testing_frame::MemoryFrame;
using testing_frame::Rgb;

constexpr Vec3 kFullLight{0.0f, 0.0f, -1.0f};
constexpr Vec3 kHalfLight{0.0f, 0.8660254f, -0.5f};

struct Expect {
    int x;
    int y;
    Rgb color;
};

struct ColorCase {
    std::string name;
    std::uint32_t mode;
    Vec3 corners[3];
    int colorCount; // how many of the corners' colours the mesh gets
    bool modelColors;
    Color3 ambient;
    Color3 directional;
    Vec3 lightDirection;
    std::vector<Expect> expect;
};

std::unique_ptr<Mesh> triangle(const Vec3 (&colors)[3], int colorCount) {
    auto mesh = testing_frame::meshOf({{{-5, 5, 10}, {-5, -5, 10}, {5, 5, 10}}});
    mesh->colors.assign(colors, colors + colorCount);
    return mesh;
}

struct Scene {
    RenderDevice device;
    MemoryFrame frame{device, 65, 65};
    Light ambient;
    Light directional;
    Material material;

    Scene(const Color3& ambientColor, const Color3& directionalColor, const Vec3& direction) {
        testing_frame::viewFromOrigin(device);
        device.setProjection(testing_frame::unitPyramidProjection());
        ambient.color = ambientColor;
        directional.color = directionalColor;
        directional.direction = direction;
        material.ambient = Color3{1.0f, 1.0f, 1.0f};
        material.diffuse = Color3{0.2f, 0.95f, 0.2f};
        device.setLight(LightKind::Ambient, &ambient);
        device.setLight(LightKind::Directional, &directional);
        device.setMaterial(&material);
    }
};

class ModelColors : public ::testing::TestWithParam<ColorCase> {};

TEST_P(ModelColors, DrawTheBytesTheRuleGives) {
    const ColorCase& c = GetParam();
    Scene scene(c.ambient, c.directional, c.lightDirection);
    scene.device.renderMode = c.mode;
    scene.device.setModelColors(c.modelColors);
    drawMesh(scene.device, *triangle(c.corners, c.colorCount));
    for (const Expect& e : c.expect) {
        EXPECT_EQ(scene.frame.pixel(e.x, e.y), e.color) << "pixel " << e.x << ", " << e.y;
    }
    EXPECT_TRUE(scene.frame.guardsIntact());
}

constexpr Color3 kWhite{1.0f, 1.0f, 1.0f};
constexpr Color3 kDim{0.1f, 0.1f, 0.1f};

INSTANTIATE_TEST_SUITE_P(
    , ModelColors,
    ::testing::Values(
        // v = I x f(1 x C) + f(0.1 x C): red and blue 0.2 + f(0.02) = 0.22,
        // byte 56; green 0.95 + 0.095 = 1.045, clamped: 255.
        ColorCase{"FlatCornersAlike",
                  RenderMode::Flat,
                  {{0.2f, 0.95f, 0.2f}, {0.2f, 0.95f, 0.2f}, {0.2f, 0.95f, 0.2f}},
                  3,
                  true,
                  kDim,
                  kWhite,
                  kFullLight,
                  {{20, 20, {56, 255, 56}}}},
        // The mean of the corners rounds to a float before it is lit:
        // red (0 + f(0.15) + f(0.45)) / 3 = 0.19999999801 rounds to f(0.2),
        // byte 51 (50 unrounded); green, three f(0.3), gives f(0.3) back,
        // 76.5 -> 76; blue (0 + f(0.05) + f(0.95)) / 3 = 0.33333332961
        // rounds to f(1/3) = 0.33333334, byte 85 (84 unrounded). No ambient
        // light colour, a white directional one, I = 1: v is the mean.
        ColorCase{"FlatMeanRoundsToAFloat",
                  RenderMode::Flat,
                  {{0.0f, 0.3f, 0.0f}, {0.15f, 0.3f, 0.05f}, {0.45f, 0.3f, 0.95f}},
                  3,
                  true,
                  {},
                  kWhite,
                  kFullLight,
                  {{20, 20, {51, 76, 85}}}},
        // I = 0.5, C = (1, 0.5, 0.25), ambient 0.2: v = 0.5 C + f(0.2 C):
        // 0.7 -> 178.5 -> 178; 0.35 -> 89.25 -> 89; 0.175 -> 44.6 -> 44.
        ColorCase{"FlatHalfLit",
                  RenderMode::Flat,
                  {{1.0f, 0.5f, 0.25f}, {1.0f, 0.5f, 0.25f}, {1.0f, 0.5f, 0.25f}},
                  3,
                  true,
                  {0.2f, 0.2f, 0.2f},
                  kWhite,
                  kHalfLight,
                  {{20, 20, {178, 89, 44}}}},
        // Without an ambient light colour only the directional product
        // counts: f(0.5 x 0.6) = f(0.3) -> 76; 0.6 -> 153.
        ColorCase{"FlatDirectionalOnly",
                  RenderMode::Flat,
                  {{0.6f, 0.6f, 0.6f}, {0.6f, 0.6f, 0.6f}, {0.6f, 0.6f, 0.6f}},
                  3,
                  true,
                  {},
                  {0.5f, 1.0f, 1.0f},
                  kFullLight,
                  {{20, 20, {76, 153, 153}}}},
        // Lit at the vertex: corner 0, C = (1, 0, 0.5), I = 0.5, ambient
        // 0.2: f(0.5 + 0.2) = 0.69999999 -> 178; 0; f(0.25 + 0.1) =
        // 0.34999999 -> 89. Row 16 starts on corner 0 itself.
        ColorCase{"GouraudLitAtTheVertex",
                  RenderMode::Gouraud,
                  {{1.0f, 0.0f, 0.5f}, {0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.5f}},
                  3,
                  true,
                  {0.2f, 0.2f, 0.2f},
                  kWhite,
                  kHalfLight,
                  {{16, 16, {178, 0, 89}}, {40, 16, {178, 0, 89}}}},
        // Interpolated along row 16 from corner 0 (0, 0, 0) to corner 2
        // (1, 0.5, 0.25), steps 1/32, 1/64, 1/128: column 24 holds
        // (0.25, 0.125, 0.0625) -> (63, 31, 15), column 47 (0.96875,
        // 0.484375, 0.2421875) -> (247, 123, 61).
        ColorCase{"GouraudStepsEachChannel",
                  RenderMode::Gouraud,
                  {{0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}, {1.0f, 0.5f, 0.25f}},
                  3,
                  true,
                  {},
                  kWhite,
                  kFullLight,
                  {{24, 16, {63, 31, 15}}, {47, 16, {247, 123, 61}}}},
        // Lit values are clamped per pixel, not at the vertices: corner 0
        // is lit to 2 (1 + ambient 1), corner 2 to 0, step -1/16; column
        // 32 holds 1.0 -> 255 and column 40 holds 0.5 -> 127 (clamped at
        // the vertex first, they would be 127 and 63).
        ColorCase{
            "GouraudClampsEachPixel",
            RenderMode::Gouraud,
            {{1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.0f}},
            3,
            true,
            kWhite,
            kWhite,
            kFullLight,
            {{16, 16, {255, 255, 255}}, {32, 16, {255, 255, 255}}, {40, 16, {127, 127, 127}}}},
        // Lines take the face colour's diffuse product: the mean of red,
        // green and blue corners is f(1/3) each, times (1, 0.5, 1):
        // 85.0000017 -> 85, 42.5 -> 42, 85.
        ColorCase{"WireframeFaceColourDiffuse",
                  RenderMode::Wireframe,
                  {{1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}},
                  3,
                  true,
                  kWhite,
                  {1.0f, 0.5f, 1.0f},
                  kFullLight,
                  {{16, 16, {85, 42, 85}}, {16, 30, {85, 42, 85}}}},
        // The switch off, or colours that are not one per vertex: the
        // material's colour, 0.2 + 0.1 -> 76, 0.95 + 0.1 -> 255.
        ColorCase{"SwitchedOffTheMaterial",
                  RenderMode::Flat,
                  {{1.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}},
                  3,
                  false,
                  kDim,
                  kWhite,
                  kFullLight,
                  {{20, 20, {76, 255, 76}}}},
        ColorCase{"TooFewColoursTheMaterial",
                  RenderMode::Gouraud,
                  {{1.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f}},
                  2,
                  true,
                  kDim,
                  kWhite,
                  kFullLight,
                  {{20, 20, {76, 255, 76}}}}),
    [](const auto& info) { return info.param.name; });

// A face whose corners share a colour C is drawn exactly as the material
// path draws it with a material whose ambient and diffuse are C: in flat
// fill and wireframe the mean gives C back bit for bit. (Gouraud rounds
// the lit value at the vertices, which the material path never does.)
TEST(ModelColorsAlike, FlatAndWireframeEqualTheMaterialPath) {
    const Color3 c{0.3f, 0.7f, 0.55f};
    const Vec3 corners[3] = {{c.r, c.g, c.b}, {c.r, c.g, c.b}, {c.r, c.g, c.b}};
    for (const std::uint32_t mode :
         {std::uint32_t{RenderMode::Flat}, std::uint32_t{RenderMode::Wireframe},
          std::uint32_t{RenderMode::Flat | RenderMode::Wireframe}}) {
        Scene colored({0.3f, 0.2f, 0.1f}, {0.9f, 1.0f, 0.8f}, kHalfLight);
        colored.device.renderMode = mode;
        drawMesh(colored.device, *triangle(corners, 3));

        Scene material({0.3f, 0.2f, 0.1f}, {0.9f, 1.0f, 0.8f}, kHalfLight);
        material.material.ambient = c;
        material.material.diffuse = c;
        material.device.setMaterial(&material.material);
        material.device.renderMode = mode;
        drawMesh(material.device, *triangle(corners, 0));

        EXPECT_GT(colored.frame.litCount(), 30) << "mode " << mode;
        EXPECT_EQ(colored.frame.pixels(), material.frame.pixels()) << "mode " << mode;
    }
}

} // namespace
