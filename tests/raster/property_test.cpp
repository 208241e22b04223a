// Properties over many random convex polygons (fixed seed), as the polygon
// pipeline delivers them: points inside the frame, counter-clockwise on the
// screen, some on the frame's borders.
#include "raster/raster.h"
#include "test_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

long cross(const ScreenPoint& o, const ScreenPoint& a, const ScreenPoint& b) {
    return long(a.x - o.x) * (b.y - o.y) - long(a.y - o.y) * (b.x - o.x);
}

// Convex hull of random points; with y pointing down, a negative cross
// product turns counter-clockwise on the screen.
ScreenPolygon randomConvexPolygon(std::mt19937& rng) {
    std::uniform_int_distribution<int> count(1, 9);
    std::uniform_int_distribution<int> xs(-8, kWidth + 7);
    std::uniform_int_distribution<int> ys(-8, kHeight + 7);
    std::uniform_real_distribution<float> depth(1.0f, 100.0f);
    std::uniform_real_distribution<float> light(0.0f, 1.0f);
    std::vector<ScreenPoint> points(static_cast<std::size_t>(count(rng)));
    for (ScreenPoint& p : points) {
        // Coordinates beyond a border are pulled onto it.
        p = pt(std::clamp(xs(rng), 0, kWidth - 1), std::clamp(ys(rng), 0, kHeight - 1), depth(rng),
               light(rng));
    }
    std::sort(points.begin(), points.end(),
              [](auto& a, auto& b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
    std::vector<ScreenPoint> hull;
    for (int pass = 0; pass < 2; ++pass) {
        const std::size_t start = hull.size();
        for (const ScreenPoint& p : points) {
            while (hull.size() >= start + 2 && cross(hull[hull.size() - 2], hull.back(), p) >= 0) {
                hull.pop_back();
            }
            hull.push_back(p);
        }
        hull.pop_back();
        std::reverse(points.begin(), points.end());
    }
    if (hull.empty()) {
        hull.push_back(points.front());
    }
    std::rotate(hull.begin(), hull.begin() + long(rng() % hull.size()), hull.end());
    return polygonOf(hull, {light(rng) - 0.3f, light(rng) - 0.5f, -light(rng)});
}

// Distance from (x, y) to the line through a and b; negative outside.
double insideBy(const ScreenPoint& a, const ScreenPoint& b, double x, double y) {
    const double ex = b.x - a.x;
    const double ey = b.y - a.y;
    return ((x - a.x) * ey - (y - a.y) * ex) / std::hypot(ex, ey);
}

struct Fill {
    const char* name;
    void (*fill)(RenderDevice&, const ScreenPolygonList&);
    friend void PrintTo(const Fill& f, std::ostream* os) { *os << f.name; }
};

class FillProperty : public ::testing::TestWithParam<Fill> {};

// One polygon at a time on an empty frame: nothing outside the bounding
// box (minus the bottom row and right column), and every pixel at least
// two pixels inside all edges is covered.
TEST_P(FillProperty, StaysInsideTheBoundingBoxAndCoversTheInterior) {
    std::mt19937 rng(1234);
    for (int trial = 0; trial < 400; ++trial) {
        const ScreenPolygon polygon = randomConvexPolygon(rng);
        TestFrame frame(kWidth, kHeight);
        GetParam().fill(frame.device, listOf({polygon}));
        int minX = kWidth, maxX = -1, minY = kHeight, maxY = -1;
        for (const ScreenPoint& p : polygon.points) {
            minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
            minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
        }
        const PixelSet written = frame.written();
        for (const Pixel& p : written) {
            ASSERT_TRUE(p.first >= minX && p.first < maxX && p.second >= minY && p.second < maxY)
                << "trial " << trial << " pixel " << p.first << "," << p.second;
        }
        const auto n = polygon.points.size();
        for (int y = minY; n >= 3 && y < maxY; ++y) {
            for (int x = minX; x < maxX; ++x) {
                bool deepInside = true;
                for (std::size_t i = 0; i < n && deepInside; ++i) {
                    deepInside =
                        insideBy(polygon.points[i], polygon.points[(i + 1) % n], x, y) >= 2.0;
                }
                ASSERT_TRUE(!deepInside || written.count({x, y}))
                    << "trial " << trial << " hole at " << x << "," << y;
            }
        }
        ASSERT_TRUE(frame.guardsIntact());
    }
}

// Whole lists over a frame that keeps its content: a depth entry only
// goes from 0.0 to a depth or to a strictly smaller one, and the written
// pixels carry the depth of some polygon point range.
TEST_P(FillProperty, DepthOnlyEverGetsNearer) {
    std::mt19937 rng(99);
    TestFrame frame(kWidth, kHeight);
    const std::size_t cells = std::size_t(kWidth) * kHeight;
    std::vector<float> before(cells);
    for (int trial = 0; trial < 150; ++trial) {
        std::vector<ScreenPolygon> polygons(1 + rng() % 6);
        for (ScreenPolygon& p : polygons) {
            p = randomConvexPolygon(rng);
        }
        if (trial % 10 == 0) {
            frame.setAllDepths(0.0f);
        }
        std::copy_n(frame.device.depthBuffer.get(), cells, before.begin());
        GetParam().fill(frame.device, listOf(polygons));
        for (std::size_t i = 0; i < cells; ++i) {
            const float after = frame.device.depthBuffer[i];
            ASSERT_TRUE(after == before[i] || before[i] == 0.0f || after < before[i])
                << "trial " << trial << " entry " << i;
            ASSERT_TRUE(after == 0.0f || (after >= 1.0f && after <= 100.0f));
        }
        ASSERT_TRUE(frame.guardsIntact());
    }
}

INSTANTIATE_TEST_SUITE_P(Fills, FillProperty,
                         ::testing::Values(Fill{"Flat", fillFlat}, Fill{"Gouraud", fillGouraud}),
                         [](const auto& info) { return std::string(info.param.name); });

// Outlines of polygons on and near the borders: the drift never writes
// outside the buffers and never touches depth.
TEST(WireframeProperty, NeverWritesOutsideTheFrameOrDepth) {
    std::mt19937 rng(7);
    TestFrame frame(kWidth, kHeight);
    for (int trial = 0; trial < 300; ++trial) {
        std::vector<ScreenPolygon> polygons(1 + rng() % 4);
        for (ScreenPolygon& p : polygons) {
            p = randomConvexPolygon(rng);
        }
        drawWireframe(frame.device, listOf(polygons));
        ASSERT_TRUE(frame.guardsIntact()) << "trial " << trial;
    }
    EXPECT_FALSE(frame.written().empty());
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            ASSERT_EQ(frame.depth(x, y), 0.0f);
        }
    }
}

} // namespace
