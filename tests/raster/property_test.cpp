// Properties over many random convex polygons (fixed seed), as the polygon
// pipeline delivers them: points inside the frame, counter-clockwise on the
// screen, some on the frame's borders.
#include "math/bit_cast.h"
#include "raster/raster.h"
#include "raster/scan_fill.h"
#include "raster/span_shades.h"
#include "test_frame.h"
#include "tests/support/sanitizers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
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
TestPolygon randomConvexPolygon(std::mt19937& rng) {
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
        const TestPolygon polygon = randomConvexPolygon(rng);
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
        std::vector<TestPolygon> polygons(1 + rng() % 6);
        for (TestPolygon& p : polygons) {
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
        std::vector<TestPolygon> polygons(1 + rng() % 4);
        for (TestPolygon& p : polygons) {
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

// stepsExact promises that no addition of start + step + step + ... rounds
// up to `count` steps. Starts and steps straddle the bound: steps 2^20 to
// 2^36 times smaller than the start, so that the sums need about 53 bits.
TEST(SpanPaths, StepsExactOnlyWhereNoAdditionRounds) {
    std::mt19937_64 rng(53);
    auto floatOf = [&rng](int exponent) {
        const double significand = 1.0 + static_cast<double>(rng() % (1u << 23)) / (1u << 23);
        const float f = static_cast<float>(std::ldexp(significand, exponent));
        return rng() % 2 ? f : -f;
    };
    int accepted = 0;
    int rounding = 0;
    for (int trial = 0; trial < 100000; ++trial) {
        const int stepExponent = -150 + static_cast<int>(rng() % 250);
        const float step = floatOf(stepExponent);
        const float start = rng() % 16 ? floatOf(stepExponent + 20 + static_cast<int>(rng() % 17))
                                       : (rng() % 2 ? 0.0f : -0.0f);
        const int count = 1 + (static_cast<int>(rng() % 4096) >> (rng() % 4));
        if (!std::isfinite(start) || !std::isfinite(step)) {
            continue;
        }
        bool exact = true;
        double z = start;
        for (int k = 0; k < count && exact; ++k) {
            const double sum = z + step;
            const double back = sum - z;
            exact = (z - (sum - back)) + (step - back) == 0.0;
            z = sum;
        }
        const bool promised = stepsExact(start, step, count);
        ASSERT_TRUE(exact || !promised)
            << "start " << start << " step " << step << " count " << count;
        accepted += promised;
        rounding += !exact;
    }
    EXPECT_GT(accepted, 20000);
    EXPECT_GT(rounding, 20000);
}

// Every grouped span path against the column loop, bit for bit, over a
// million random spans (a tenth of that under AddressSanitizer) of 1 to
// 4096 columns (most of them short): depths and steps of every magnitude
// (steps far below the start's last bit included, which must go one column
// at a time), zeros of both signs, subnormals, infinities and NaN; stored
// depths empty (either zero), equal to the incoming depth, one ulp either
// side of it, or anything; intensities and colour products in and out of
// range, and the three channels of a model's own colours (greys among
// them); three and four bytes a pixel. Each span lies in a row with a
// margin of pixels and depths on either side that must stay untouched.
TEST(SpanPaths, EveryPathMatchesTheColumnLoopBitForBit) {
    std::vector<SpanPath> paths;
    for (SpanPath p = fastestSpanPath(); p != SpanPath::Columns;
         p = static_cast<SpanPath>(static_cast<int>(p) - 1)) {
        paths.push_back(p);
    }
    if (paths.empty()) {
        GTEST_SKIP() << "this build fills spans one column at a time only";
    }
    std::mt19937_64 rng(20240611);
    auto chance = [&rng](unsigned percent) { return rng() % 100 < percent; };
    auto uniform = [&rng](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    };
    const float kInf = std::numeric_limits<float>::infinity();
    auto special = [&rng, kInf]() {
        const float values[] = {0.0f,
                                -0.0f,
                                kInf,
                                -kInf,
                                std::numeric_limits<float>::quiet_NaN(),
                                std::numeric_limits<float>::max(),
                                std::numeric_limits<float>::denorm_min(),
                                -1e-40f};
        return values[rng() % std::size(values)];
    };
    // Mostly in [lo, hi), else any bit pattern or a special value.
    auto value = [&](double lo, double hi) {
        return chance(70)   ? static_cast<float>(uniform(lo, hi))
               : chance(80) ? bitCast<float>(static_cast<std::uint32_t>(rng()))
                            : special();
    };
    auto step = [&](float from, int count) {
        switch (rng() % 5) {
        case 0: // towards a far end, as a span setup forms it
            return static_cast<float>((uniform(-2.0, 2.0) * from + uniform(-1.0, 1.0)) / count);
        case 1: // far below the start's last bit
            return static_cast<float>(from * std::ldexp(uniform(-1.0, 1.0), -20 - int(rng() % 30)));
        case 2:
            return chance(50) ? 0.0f : -0.0f;
        case 3:
            return value(-1.0, 1.0);
        default:
            return static_cast<float>(uniform(-1.0, 1.0) / count);
        }
    };
    const ShadingProducts products[] = {
        {0.2, 0.95, 0.2, 0.1, 0.1, 0.1},
        {1.0, 1.0, 1.0, 0.0, 0.0, 0.0},
        {0.7, 0.3, 1.5, 0.05, 0.5, -0.2},
        {std::nan(""), 0.5, -1.0, 0.1, std::nan(""), 0.3},
    };

    constexpr int kMargin = 5;
    std::vector<std::uint8_t> startPixels, expectPixels, gotPixels;
    std::vector<float> startDepths, expectDepths, gotDepths;
    int exactSpans = 0;
    int otherSpans = 0;
    const int trials = testsupport::kSanitized ? 100000 : 1000000;
    for (int trial = 0; trial < trials; ++trial) {
        const int count = 1 + (static_cast<int>(rng() % 4096) >> (rng() % 32));
        const int width = count + 2 * kMargin;
        const int pixelBytes = chance(90) ? 3 : 4;
        // 0: flat, 1: Gouraud from intensity, 2: Gouraud from the
        // channels of a model's own colours.
        const int kind = static_cast<int>(rng() % 3);
        const float z = value(0.5, 2000.0);
        const float zStep = step(z, count);
        const float i = value(0.0, 1.0);
        const float iStep = step(i, count);
        const ShadingProducts& p = products[rng() % std::size(products)];
        float channel[3];
        float channelStep[3];
        const bool dyadic = chance(60); // whole multiples of 2^-16: exact for any span
        for (int c = 0; c < 3; ++c) {
            if (c > 0 && chance(20)) {
                // A grey now and then: channels alike share their bytes.
                channel[c] = channel[0];
                channelStep[c] = chance(80) ? channelStep[0] : step(channel[c], count);
            } else if (dyadic) {
                channel[c] = static_cast<float>(static_cast<int>(rng() % 90000) - 10000) / 65536.0f;
                channelStep[c] = static_cast<float>(static_cast<int>(rng() % 2001) - 1000) /
                                 65536.0f / static_cast<float>(1 << (rng() % 8));
            } else {
                channel[c] = value(-0.2, 1.2);
                channelStep[c] = step(channel[c], count);
            }
        }

        startPixels.resize(std::size_t(width) * pixelBytes + 8);
        for (std::size_t b = 0; b < startPixels.size(); b += 8) {
            const std::uint64_t bits = rng();
            std::memcpy(&startPixels[b], &bits, std::min<std::size_t>(8, startPixels.size() - b));
        }
        // Stored depths around the incoming ones, z stepped as the loop does.
        startDepths.resize(static_cast<std::size_t>(width));
        double incoming = z;
        for (int x = 0; x < width; ++x) {
            const float near = static_cast<float>(incoming);
            switch (rng() % 6) {
            case 0:
                startDepths[x] = 0.0f;
                break;
            case 1:
                startDepths[x] = -0.0f;
                break;
            case 2:
                startDepths[x] = near;
                break;
            case 3:
                startDepths[x] = std::nextafter(near, kInf);
                break;
            case 4:
                startDepths[x] = std::nextafter(near, -kInf);
                break;
            default:
                startDepths[x] = value(0.5, 2000.0);
            }
            if (x >= kMargin && x < kMargin + count) {
                incoming += zStep;
            }
        }

        auto run = [&](SpanPath path, std::vector<std::uint8_t>& pixels,
                       std::vector<float>& depths) {
            pixels = startPixels;
            depths = startDepths;
            const FrameView view{pixels.data(), -width * pixelBytes, pixelBytes, width, 1,
                                 depths.data()};
            if (kind == 1) {
                fillSpan(view, 0, kMargin, kMargin + count,
                         SpanSetup<GouraudShade>{z, zStep, {i, iStep, &p}}, path);
            } else if (kind == 2) {
                const SteppedChannels channels{channel[0],     channel[1],     channel[2],
                                               channelStep[0], channelStep[1], channelStep[2]};
                fillSpan(view, 0, kMargin, kMargin + count,
                         SpanSetup<ColoredShade>{z, zStep, {channels}}, path);
            } else {
                fillSpan(view, 0, kMargin, kMargin + count,
                         SpanSetup<FlatShade>{z, zStep, {{7, 99, 201}}}, path);
            }
        };
        run(SpanPath::Columns, expectPixels, expectDepths);
        for (const SpanPath path : paths) {
            run(path, gotPixels, gotDepths);
            ASSERT_TRUE(gotPixels == expectPixels &&
                        std::memcmp(gotDepths.data(), expectDepths.data(),
                                    sizeof(float) * static_cast<std::size_t>(width)) == 0)
                << "trial " << trial << " path " << static_cast<int>(path) << " kind " << kind
                << " columns " << count << " z " << z << " step " << zStep << " i " << i << " step "
                << iStep << " channels " << channel[0] << " " << channelStep[0] << ", "
                << channel[1] << " " << channelStep[1] << ", " << channel[2] << " "
                << channelStep[2];
        }
        bool exact = stepsExact(z, zStep, count);
        if (kind == 1) {
            exact = exact && stepsExact(i, iStep, count);
        } else if (kind == 2) {
            for (int c = 0; c < 3; ++c) {
                exact = exact && stepsExact(channel[c], channelStep[c], count);
            }
        }
        (count >= 4 && exact ? exactSpans : otherSpans) += 1;
    }
    // Both sides of the exactness test were exercised in earnest.
    EXPECT_GT(exactSpans, trials * 3 / 20);
    EXPECT_GT(otherSpans, trials * 3 / 20);
}

} // namespace
