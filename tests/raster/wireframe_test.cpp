#include "raster/raster.h"
#include "test_frame.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

PixelSet row(int y, int x0, int x1) { // columns x0..x1 inclusive
    PixelSet set;
    for (int x = x0; x <= x1; ++x) {
        set.insert({x, y});
    }
    return set;
}

PixelSet join(PixelSet a, const PixelSet& b) {
    a.insert(b.begin(), b.end());
    return a;
}

struct OutlineCase {
    const char* name;
    int width, yShift; // frame width; points moved down by yShift
    std::vector<ScreenPoint> points;
    PixelSet pixels; // before the shift
};

const OutlineCase kOutlines[] = {
    // Top is point 0; the first side ends its first edge on (19, 5) and
    // goes on from there towards (15, 9).
    {"TopIsPointZero",
     32,
     0,
     {pt(10, 5), pt(20, 5), pt(15, 9)},
     join(row(5, 10, 19),
          {{18, 6}, {17, 7}, {16, 8}, {15, 9}, {11, 6}, {12, 7}, {13, 8}, {14, 9}})},
    // Top is point 2, the highest-numbered of the two points in row 5.
    {"TopIsHighestNumberedOfTies",
     32,
     0,
     {pt(15, 9), pt(10, 5), pt(20, 5)},
     join(row(5, 11, 20),
          {{19, 6}, {18, 7}, {17, 8}, {16, 9}, {12, 6}, {13, 7}, {14, 8}, {15, 9}})},
    // All in one row: each side runs once around; the last edge of the
    // second side starts at x 4 and runs four pixels to x 1.
    {"AllInOneRow", 32, 0, {pt(2, 2), pt(6, 2), pt(4, 2)}, row(2, 1, 5)},
    {"OnePoint", 32, 0, {pt(3, 3)}, {{3, 3}}},
    {"TwoPoints", 32, 0, {pt(5, 5), pt(9, 7)}, {{5, 5}, {6, 6}, {7, 7}, {8, 7}}},
    // The drift along a side carries the pen past the right border: those
    // pixels are skipped, not wrapped onto the next row.
    {"DriftPastRightBorder",
     16,
     0,
     {pt(13, 0), pt(14, 2), pt(15, 4)},
     {{13, 0}, {14, 1}, {15, 2}, {15, 3}}},
    // The same at the left border on the bottom rows, where a wrapped
    // address would lie before the pixel memory.
    {"DriftPastLeftBorder",
     16,
     11,
     {pt(2, 0), pt(1, 2), pt(0, 4)},
     {{2, 0}, {1, 1}, {0, 2}, {0, 3}}},
};

TEST(DrawWireframe, DrawsBothSidesFromTheTopPoint) {
    for (const OutlineCase& c : kOutlines) {
        SCOPED_TRACE(c.name);
        TestFrame frame(c.width, 16);
        std::vector<ScreenPoint> points = c.points;
        PixelSet expected;
        for (ScreenPoint& p : points) {
            p.y += c.yShift;
        }
        for (const Pixel& p : c.pixels) {
            expected.insert({p.first, p.second + c.yShift});
        }
        drawWireframe(frame.device, listOf({polygonOf(points)}));
        EXPECT_EQ(frame.written(), expected);
        EXPECT_TRUE(frame.guardsIntact());
    }
}

// Lines do not test depth: an outline shows over a nearer fill, and the
// depth buffer is left as the fill made it. An empty polygon is skipped
// and the ones after it in drawing order are still drawn.
TEST(DrawWireframe, DrawsOverFillsWithoutTouchingDepth) {
    TestFrame frame(16, 16);
    const ScreenPolygonList list =
        listOf({polygonOf({pt(2, 2, 9.0f), pt(2, 8, 9.0f), pt(8, 8, 9.0f)}), TestPolygon{}});
    fillFlat(
        frame.device,
        listOf({polygonOf({pt(0, 0, 1.0f), pt(0, 12, 1.0f), pt(12, 12, 1.0f), pt(12, 0, 1.0f)})}));
    drawWireframe(frame.device, list);
    EXPECT_EQ(frame.rgb(2, 5), (Rgb{51, 242, 51}));
    EXPECT_EQ(frame.rgb(5, 5), (Rgb{51, 242, 51}));
    EXPECT_EQ(frame.rgb(9, 5), (Rgb{76, 255, 76})) << "the fill around the outline";
    EXPECT_EQ(frame.depth(5, 5), 1.0f);
}

} // namespace
