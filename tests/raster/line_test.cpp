#include "raster/raster.h"
#include "test_frame.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <limits>
#include <vector>

namespace {

const Rgb kLineColor{51, 242, 51}; // diffuseProduct (0.2, 0.95, 0.2)

struct LineCase {
    const char* name;
    Pixel to;                  // from is (0, 0)
    std::vector<Pixel> pixels; // in drawing order; the last is where the cursor ends
};

// Relative to an origin at (10, 10) so that lines running left stay inside.
const LineCase kLines[] = {
    {"Horizontal", {5, 0}, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}},
    {"Vertical", {0, 3}, {{0, 0}, {0, 1}, {0, 2}, {0, 3}}},
    {"Diagonal", {3, 3}, {{0, 0}, {1, 1}, {2, 2}}},
    {"SteepEndsPastEnd", {1, 2}, {{0, 0}, {1, 1}, {2, 2}}},
    {"SteepLeftMirror", {-1, 2}, {{0, 0}, {-1, 1}, {-2, 2}}},
    {"SteepOneByThree", {1, 3}, {{0, 0}, {1, 1}, {1, 2}, {1, 3}}},
    {"SteepTwoByThree", {2, 3}, {{0, 0}, {1, 1}, {2, 2}, {3, 3}}},
    {"ShallowTwoByOne", {2, 1}, {{0, 0}, {1, 1}}},
    {"ShallowThreeByOne", {3, 1}, {{0, 0}, {1, 1}, {2, 1}}},
    {"SinglePoint", {0, 0}, {{0, 0}}},
    {"OneColumn", {1, 0}, {{0, 0}}},
};

TEST(DrawLine, DrawsTheStatedPixelsAndLeavesTheCursorOnTheLast) {
    for (const LineCase& c : kLines) {
        SCOPED_TRACE(c.name);
        TestFrame frame(32, 32);
        std::uint8_t* cursor = frame.at(10, 10);
        drawLine(frame.device, cursor, pt(10, 10), pt(10 + c.to.first, 10 + c.to.second));
        PixelSet expected;
        for (const Pixel& p : c.pixels) {
            expected.insert({10 + p.first, 10 + p.second});
        }
        EXPECT_EQ(frame.written(), expected);
        EXPECT_EQ(cursor, frame.at(10 + c.pixels.back().first, 10 + c.pixels.back().second));
        for (const Pixel& p : expected) {
            EXPECT_EQ(frame.rgb(p.first, p.second), kLineColor);
            EXPECT_EQ(frame.depth(p.first, p.second), 0.0f) << "lines do not write depth";
        }
    }
}

// Where the last pixel lands, for every direction up to 8 pixels away.
TEST(DrawLine, LastPixelFollowsTheEarlyStepRule) {
    for (int dy = 0; dy <= 8; ++dy) {
        for (int dx = -8; dx <= 8; ++dx) {
            const int adx = std::abs(dx);
            const int sx = dx < 0 ? -1 : 1;
            Pixel last{dx, dy};
            if (adx < dy) {
                if (2 * adx >= dy && adx >= 1) {
                    last = {dx + sx, dy};
                }
            } else if (adx <= 1) {
                last = {0, 0};
            } else {
                last = {dx - sx, adx == dy ? dy - 1 : dy};
            }
            TestFrame frame(32, 32);
            std::uint8_t* cursor = frame.at(12, 4);
            drawLine(frame.device, cursor, pt(12, 4), pt(12 + dx, 4 + dy));
            EXPECT_EQ(cursor, frame.at(12 + last.first, 4 + last.second))
                << "dx " << dx << " dy " << dy;
            EXPECT_EQ(frame.written().size(), std::size_t(std::max(adx < dy ? dy + 1 : adx, 1)));
        }
    }
}

struct BorderCase {
    const char* name;
    Pixel cursor;
    Pixel from, to;
    PixelSet pixels;
    Pixel cursorAfter; // the last pixel stepped, moved to the nearest one inside
};

// 16 x 16 frame. Pixels past a border are skipped, never written where the
// address arithmetic would put them (a neighbouring row, or outside the
// pixel memory for the bottom row).
const BorderCase kBorders[] = {
    {"PastRight", {15, 0}, {0, 0}, {1, 2}, {{15, 0}}, {15, 2}},
    {"PastLeftOnBottomRows", {0, 13}, {1, 0}, {0, 2}, {{0, 13}}, {0, 15}},
    {"PastBottom", {3, 14}, {0, 0}, {0, 3}, {{3, 14}, {3, 15}}, {3, 15}},
    {"ShallowPastRight", {14, 8}, {0, 0}, {6, 0}, {{14, 8}, {15, 8}}, {15, 8}},
};

TEST(DrawLine, SkipsPixelsOutsideTheFrame) {
    for (const BorderCase& c : kBorders) {
        SCOPED_TRACE(c.name);
        TestFrame frame(16, 16);
        std::uint8_t* cursor = frame.at(c.cursor.first, c.cursor.second);
        drawLine(frame.device, cursor, pt(c.from.first, c.from.second),
                 pt(c.to.first, c.to.second));
        EXPECT_EQ(frame.written(), c.pixels);
        EXPECT_EQ(cursor, frame.at(c.cursorAfter.first, c.cursorAfter.second));
        EXPECT_TRUE(frame.guardsIntact());
    }
}

// A cursor that is not a pixel of the frame, or an end point outside the
// frame, draws nothing and leaves the cursor alone.
TEST(DrawLine, RejectsCursorsAndPointsOutsideTheFrame) {
    TestFrame frame(16, 16);
    std::uint8_t* const base = frame.device.colorBits;
    const std::uint32_t bytes = frame.device.frameBytes;
    struct Case {
        const char* name;
        std::uint8_t* cursor;
        ScreenPoint from, to;
    } cases[] = {
        {"NullCursor", nullptr, pt(0, 0), pt(3, 3)},
        {"BeforeMemory", base - 3, pt(0, 0), pt(3, 3)},
        {"AfterMemory", base + bytes, pt(0, 0), pt(3, 3)},
        {"InsideAPixel", frame.at(4, 4) + 1, pt(0, 0), pt(3, 3)},
        {"FromOutside", frame.at(4, 4), pt(-1, 0), pt(3, 3)},
        {"ToOutside", frame.at(4, 4), pt(0, 0), pt(3, 16)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::uint8_t* cursor = c.cursor;
        drawLine(frame.device, cursor, c.from, c.to);
        EXPECT_EQ(cursor, c.cursor);
        EXPECT_TRUE(frame.written().empty());
    }
    EXPECT_TRUE(frame.guardsIntact());
}

// trunc(v * 255); channels outside 0..1 (which valid lights and materials
// never give) are clamped instead of converted out of range.
TEST(DrawLine, ColourIsTheTruncatedDiffuseProduct) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        Color3 product;
        Rgb color;
    } cases[] = {{{1.0f, 0.5f, 0.0039f}, {255, 127, 0}},
                 {{0.2f, 0.95f, 0.2f}, {51, 242, 51}},
                 {{1.5f, -0.2f, nan}, {255, 0, 0}}};
    for (const auto& c : cases) {
        TestFrame frame(8, 8);
        frame.device.diffuseProduct = c.product;
        std::uint8_t* cursor = frame.at(1, 1);
        drawLine(frame.device, cursor, pt(1, 1), pt(1, 1));
        EXPECT_EQ(frame.rgb(1, 1), c.color);
    }
}

} // namespace
