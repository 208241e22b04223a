#include "raster/edge_walk.h"
#include "test_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int kRows = 64;
constexpr std::int32_t kUnwritten = -999;

struct WalkCase {
    const char* name;
    ScreenPoint upper, lower;
    std::vector<int> xs; // rows upper.y .. lower.y
};

const WalkCase kWalks[] = {
    {"SteepOneByTwo", pt(0, 0), pt(1, 2), {0, 1, 1}},
    {"SteepTwoByThree", pt(0, 0), pt(2, 3), {0, 1, 2, 2}},
    {"ShallowRecordsColumnOfRowChange", pt(0, 0), pt(10, 2), {0, 1, 10}},
    {"Diagonal", pt(0, 0), pt(3, 3), {0, 0, 1, 3}},
    {"Vertical", pt(7, 2), pt(7, 6), {7, 7, 7, 7, 7}},
    {"HorizontalHoldsLower", pt(9, 4, 3.0f), pt(2, 4, 5.0f), {2}},
    {"LeftwardMirror", pt(10, 0), pt(8, 3), {10, 9, 8, 8}},
};

TEST(WalkEdge, RecordsTheStatedColumnPerRow) {
    for (const WalkCase& c : kWalks) {
        SCOPED_TRACE(c.name);
        std::vector<EdgeEntry> table(kRows, EdgeEntry{kUnwritten, 0.0f});
        walkEdge(table.data(), c.upper, c.lower);
        std::vector<int> xs;
        for (int y = c.upper.y; y <= c.lower.y; ++y) {
            xs.push_back(table[y].x);
        }
        EXPECT_EQ(xs, c.xs);
        EXPECT_EQ(table[c.lower.y].depth, c.lower.depth);
    }
}

// Depth steps are rounded to float and summed in double: for 1 -> 2 over six
// rows, summing in float would give 1.66666651 in row 4 and an unrounded
// step 1.66666663.
TEST(WalkEdge, DepthStepsRoundToFloatAndAccumulateInDouble) {
    std::vector<EdgeEntry> table(kRows);
    walkEdge(table.data(), pt(0, 0, 1.0f), pt(0, 6, 2.0f));
    const float expected[] = {1.0f, 1.16666663f, 1.33333337f, 1.5f, 1.66666675f, 1.83333337f, 2.0f};
    for (int y = 0; y <= 6; ++y) {
        EXPECT_EQ(table[y].depth, expected[y]) << "row " << y;
    }
}

// The same rule for both values the shaded stepper carries, side by side
// (where an optimizing compiler once dropped the rounding of the steps).
TEST(WalkShadedEdge, CarriesIntensityBesideDepth) {
    std::vector<ShadedEdgeEntry> table(kRows);
    walkShadedEdge(table.data(), pt(0, 0, 1.0f, 0.0f), pt(0, 6, 2.0f, 1.0f));
    const float depth[] = {1.0f, 1.16666663f, 1.33333337f, 1.5f, 1.66666675f, 1.83333337f, 2.0f};
    const float intensity[] = {0.0f,         0.166666672f, 0.333333343f, 0.5f,
                               0.666666687f, 0.833333373f, 1.0f};
    for (int y = 0; y <= 6; ++y) {
        EXPECT_EQ(table[y].depth, depth[y]) << "row " << y;
        EXPECT_EQ(table[y].intensity, intensity[y]) << "row " << y;
    }
}

// Exhaustive over every edge up to 24 pixels each way: only the rows from
// upper.y to lower.y are written, every x lies between the end points' x
// (what keeps a fill inside its polygon's bounding box), and the shaded
// stepper records the same columns.
TEST(WalkEdge, WritesOnlyItsRowsAndStaysBetweenItsEndColumns) {
    for (int dy = 0; dy <= 24; ++dy) {
        for (int dx = -24; dx <= 24; ++dx) {
            const ScreenPoint a = pt(30, 5, 2.0f, 0.0f);
            const ScreenPoint b = pt(30 + dx, 5 + dy, 3.0f, 1.0f);
            std::vector<EdgeEntry> table(kRows, EdgeEntry{kUnwritten, 0.0f});
            std::vector<ShadedEdgeEntry> shaded(kRows, ShadedEdgeEntry{kUnwritten, 0.0f, 0.0f});
            walkEdge(table.data(), a, b);
            walkShadedEdge(shaded.data(), a, b);
            for (int y = 0; y < kRows; ++y) {
                const bool inside = y >= a.y && y <= b.y;
                ASSERT_EQ(table[y].x != kUnwritten, inside) << dx << "," << dy << " row " << y;
                ASSERT_EQ(shaded[y].x, table[y].x);
                if (inside) {
                    ASSERT_GE(table[y].x, std::min(a.x, b.x));
                    ASSERT_LE(table[y].x, std::max(a.x, b.x));
                }
            }
        }
    }
}

} // namespace
