// Behaviour the flat and Gouraud fills share (the Gouraud fill also with a
// model's own colours at the points): coverage, depth interpolation and
// test, fill order, and the colour formula at a constant intensity.
// A polygon "lit at i" has intensity i at every point and a normal whose
// dot product with the light direction is i, so both fills give it the
// same colour.
#include "raster/raster.h"
#include "test_frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

struct Fill {
    const char* name;
    void (*fill)(RenderDevice&, const ScreenPolygonList&);
    friend void PrintTo(const Fill& f, std::ostream* os) { *os << f.name; }
};

class FillTest : public ::testing::TestWithParam<Fill> {
  protected:
    void fill(TestFrame& frame, std::vector<TestPolygon> polygons) {
        GetParam().fill(frame.device, listOf(std::move(polygons)));
        EXPECT_TRUE(frame.guardsIntact());
    }
};

TestPolygon litPolygon(std::vector<ScreenPoint> points, float intensity) {
    for (ScreenPoint& p : points) {
        p.intensity = intensity;
    }
    return polygonOf(std::move(points), {0.0f, 0.0f, -intensity});
}

TestPolygon square(int x0, int y0, int size, float depth, float intensity = 0.5f) {
    return litPolygon({pt(x0, y0, depth), pt(x0, y0 + size, depth), pt(x0 + size, y0 + size, depth),
                       pt(x0 + size, y0, depth)},
                      intensity);
}

TEST_P(FillTest, CoversRowsFromTopToBottomMinusOneAndColumnsLeftToRightMinusOne) {
    struct Case {
        const char* name;
        std::vector<ScreenPoint> points;
        PixelSet pixels;
    } cases[] = {
        {"Square", {pt(0, 0), pt(0, 4), pt(4, 4), pt(4, 0)}, block(0, 0, 4, 4)},
        {"SquareClockwise", {pt(0, 0), pt(4, 0), pt(4, 4), pt(0, 4)}, {}},
        {"TriangleTopRowsEmpty",
         {pt(4, 0), pt(0, 4), pt(8, 4)},
         {{3, 2}, {4, 2}, {2, 3}, {3, 3}, {4, 3}, {5, 3}}},
        {"AllInOneRow", {pt(1, 3), pt(5, 3), pt(3, 3)}, {}},
        {"OnePoint", {pt(2, 2)}, {}},
        {"FrameCorners", {pt(0, 0), pt(0, 9), pt(9, 9), pt(9, 0)}, block(0, 0, 9, 9)},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestFrame frame(10, 10);
        fill(frame, {litPolygon(c.points, 0.5f)});
        EXPECT_EQ(frame.written(), c.pixels);
    }
}

TEST_P(FillTest, DepthIsInterpolatedAlongTheSpan) {
    TestFrame frame(8, 8);
    fill(frame,
         {litPolygon({pt(0, 0, 1.0f), pt(0, 4, 1.0f), pt(4, 4, 2.0f), pt(4, 0, 2.0f)}, 0.5f)});
    const float expected[] = {1.0f, 1.25f, 1.5f, 1.75f};
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(frame.depth(x, y), expected[x]) << x << "," << y;
        }
    }
}

TEST_P(FillTest, ColourAtAConstantIntensity) {
    const struct {
        float intensity;
        Rgb color;
    } cases[] = {{0.0f, {25, 25, 25}}, {0.5f, {51, 146, 51}}, {1.0f, {76, 255, 76}}};
    for (const auto& c : cases) {
        TestFrame frame(8, 8);
        fill(frame, {square(1, 1, 3, 2.0f, c.intensity)});
        EXPECT_EQ(frame.rgb(2, 2), c.color) << "intensity " << c.intensity;
    }
}

// Only an empty pixel (0.0) or a strictly nearer depth is overwritten.
TEST_P(FillTest, DepthTestOverwritesEmptyOrStrictlyNearer) {
    const struct {
        float stored, incoming;
        bool written;
    } cases[] = {{0.0f, 7.0f, true},
                 {5.0f, 4.9f, true},
                 {5.0f, 5.0f, false},
                 {5.0f, 5.1f, false},
                 {0.0f, 0.0f, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.stored << " vs " << c.incoming);
        TestFrame frame(8, 8);
        frame.setAllDepths(c.stored);
        fill(frame, {square(0, 0, 4, c.incoming)});
        EXPECT_EQ(frame.written().size(), c.written ? 16u : 0u);
        EXPECT_EQ(frame.depth(1, 1), c.written ? c.incoming : c.stored);
    }
}

// Polygons are filled from the last in the list to the first.
TEST_P(FillTest, LaterPolygonInTheListIsFilledFirst) {
    TestFrame frame(8, 8);
    // Equal depth: the later polygon (filled first) keeps the shared pixels.
    fill(frame, {square(0, 0, 4, 3.0f, 1.0f), square(2, 2, 4, 3.0f, 0.0f)});
    EXPECT_EQ(frame.rgb(3, 3), (Rgb{25, 25, 25}));
    EXPECT_EQ(frame.rgb(1, 1), (Rgb{76, 255, 76}));

    // A surface at depth exactly 0.0 looks empty, so a farther one drawn
    // after it overwrites it.
    TestFrame zero(8, 8);
    fill(zero, {square(0, 0, 4, 9.0f, 1.0f), square(0, 0, 4, 0.0f, 0.0f)});
    EXPECT_EQ(zero.rgb(1, 1), (Rgb{76, 255, 76}));
    EXPECT_EQ(zero.depth(1, 1), 9.0f);
}

// A corner that comes twice in a row (clipping makes two points that
// truncate to one pixel) fills as if it came once. On a flat top or bottom
// the zero-length edge once overwrote the row's end and left it empty.
TEST_P(FillTest, ARepeatedCornerFillsAsACornerOnce) {
    const std::vector<ScreenPoint> shapes[] = {
        {pt(5, 9), pt(8, 3), pt(0, 3)},           // flat top
        {pt(0, 1), pt(3, 8), pt(9, 8)},           // flat bottom
        {pt(4, 0), pt(0, 5), pt(5, 9), pt(9, 4)}, // no flat side
    };
    for (const auto& shape : shapes) {
        for (std::size_t repeat = 0; repeat < shape.size(); ++repeat) {
            std::vector<ScreenPoint> twice = shape;
            twice.insert(twice.begin() + static_cast<std::ptrdiff_t>(repeat), shape[repeat]);
            TestFrame once(10, 10);
            fill(once, {litPolygon(shape, 0.5f)});
            TestFrame repeated(10, 10);
            fill(repeated, {litPolygon(twice, 0.5f)});
            ASSERT_FALSE(once.written().empty());
            EXPECT_EQ(repeated.written(), once.written())
                << "corner " << repeat << " of a shape with its first at (" << shape[0].x << ", "
                << shape[0].y << ")";
        }
    }
}

// The Gouraud fill of the list with a model's own colours at its points:
// each point lit as the material lights it at the point's intensity,
// f(i x diffuse + ambient) per channel (f: rounded to a float), so that
// the same cases hold for the channels stepped in intensity's place.
void fillGouraudOwnColours(RenderDevice& device, const ScreenPolygonList& list) {
    ScreenPolygonList colored = list;
    colored.colors.points = true;
    const Color3& d = device.diffuseProduct;
    const Color3& a = device.ambientProduct;
    for (const ScreenPoint& p : list.points) {
        const double i = p.intensity;
        colored.colors.pointColors.push_back(Color3{static_cast<float>(i * d.r + a.r),
                                                    static_cast<float>(i * d.g + a.g),
                                                    static_cast<float>(i * d.b + a.b)});
    }
    fillGouraud(device, colored);
}

INSTANTIATE_TEST_SUITE_P(Fills, FillTest,
                         ::testing::Values(Fill{"Flat", fillFlat}, Fill{"Gouraud", fillGouraud},
                                           Fill{"GouraudOwnColours", fillGouraudOwnColours}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FillFlat, IntensityBelowZeroOrNotANumberGivesTheAmbientColour) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const Vec3 normal : {Vec3{0, 0, 1}, Vec3{nan, nan, nan}, Vec3{0, 0, -0.25f}}) {
        TestFrame frame(8, 8);
        TestPolygon polygon = square(0, 0, 4, 1.0f);
        polygon.normal = normal;
        fillFlat(frame.device, listOf({polygon}));
        const Rgb expected = normal.z == -0.25f ? Rgb{38, 86, 38} : Rgb{25, 25, 25};
        EXPECT_EQ(frame.rgb(0, 0), expected) << normal.z;
    }
}

// The flat fill divides the depth difference by the span length; the
// Gouraud fill multiplies it by the reciprocal rounded to float. For depth
// 2 to 9 over three columns the two rules store different floats.
TEST(SpanDepthStep, FlatDividesGouraudMultipliesByTheRoundedReciprocal) {
    const struct {
        Fill fill;
        float depths[3];
    } cases[] = {{{"Flat", fillFlat}, {2.0f, 4.33333302f, 6.66666651f}},
                 {{"Gouraud", fillGouraud}, {2.0f, 4.33333349f, 6.66666698f}},
                 {{"GouraudOwnColours", fillGouraudOwnColours}, {2.0f, 4.33333349f, 6.66666698f}}};
    for (const auto& c : cases) {
        TestFrame frame(8, 8);
        c.fill.fill(frame.device,
                    listOf({polygonOf({pt(0, 0, 2), pt(0, 2, 2), pt(3, 2, 9), pt(3, 0, 9)})}));
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(frame.depth(x, 0), c.depths[x]) << c.fill.name << " column " << x;
        }
    }
}

// Spans from intensity 0 at x 0 to 1 at x 4 (steps 1/4) and x 3 (steps of
// 1/3 rounded to float); the right column is never written.
TEST(FillGouraud, ColourIsFormedPerPixelFromTheInterpolatedIntensity) {
    const struct {
        int right;
        std::vector<Rgb> colors;
    } cases[] = {
        {4, {{25, 25, 25}, {38, 86, 38}, {51, 146, 51}, {63, 207, 63}}},
        {3, {{25, 25, 25}, {42, 106, 42}, {59, 187, 59}}},
    };
    for (const auto& c : cases) {
        TestFrame frame(8, 8);
        fillGouraud(frame.device,
                    listOf({polygonOf({pt(0, 0, 1, 0), pt(0, 2, 1, 0), pt(c.right, 2, 1, 1),
                                       pt(c.right, 0, 1, 1)})}));
        for (int x = 0; x < c.right; ++x) {
            EXPECT_EQ(frame.rgb(x, 0), c.colors[x]) << "column " << x;
        }
        EXPECT_EQ(frame.rgb(c.right, 0), (Rgb{0, 0, 0}));
    }
}

} // namespace
