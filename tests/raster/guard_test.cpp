// Bad input and missing frames: nothing is written outside the buffers, and
// what can still be drawn is drawn.
#include "raster/raster.h"
#include "test_frame.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <vector>

namespace {

using Rasterizer = void (*)(RenderDevice&, const ScreenPolygonList&);

const struct {
    const char* name;
    Rasterizer draw;
} kRasterizers[] = {{"Flat", fillFlat}, {"Gouraud", fillGouraud}, {"Wireframe", drawWireframe}};

TestPolygon goodSquare() {
    return polygonOf({pt(1, 1, 1, 1), pt(1, 5, 1, 1), pt(5, 5, 1, 1), pt(5, 1, 1, 1)});
}

// A frame whose fields disagree, or that is missing, draws nothing.
TEST(Guards, DeviceWithoutAUsableFrameDrawsNothing) {
    const std::function<void(RenderDevice&)> breakages[] = {
        [](RenderDevice& d) { d.colorBits = nullptr; },
        [](RenderDevice& d) { d.width = 0; },
        [](RenderDevice& d) { d.height = 0; },
        [](RenderDevice& d) { d.height = 400; }, // larger than the memory
        [](RenderDevice& d) { d.frameBytes -= 3; },
        [](RenderDevice& d) { d.pitch = -3 * d.width - 3; },
        [](RenderDevice& d) { d.rowStart = d.colorBits; }, // top-down start
        [](RenderDevice& d) { d.pitch = 3 * d.width; },    // top-down pitch
        [](RenderDevice& d) { d.bytesPerPixel = 2; },
    };
    int index = 0;
    for (const auto& breakFrame : breakages) {
        SCOPED_TRACE(index++);
        TestFrame frame(16, 16);
        std::uint8_t* cursor = frame.at(2, 2);
        const struct {
            std::uint8_t* colorBits;
            std::uint8_t* rowStart;
            std::uint32_t frameBytes;
        } saved{frame.device.colorBits, frame.device.rowStart, frame.device.frameBytes};
        breakFrame(frame.device);
        for (const auto& r : kRasterizers) {
            r.draw(frame.device, listOf({goodSquare()}));
        }
        drawLine(frame.device, cursor, pt(2, 2), pt(6, 6));
        // Restore the layout to look at the memory again.
        RenderDevice& d = frame.device;
        d.width = d.height = 16;
        d.bytesPerPixel = 3;
        d.pitch = -48;
        d.colorBits = saved.colorBits;
        d.rowStart = saved.rowStart;
        d.frameBytes = saved.frameBytes;
        EXPECT_TRUE(frame.written().empty());
        EXPECT_TRUE(frame.guardsIntact());
        EXPECT_EQ(cursor, frame.at(2, 2));
    }
}

TEST(Guards, DeviceWithoutADepthBufferDrawsNothing) {
    TestFrame frame(16, 16);
    float* depth = frame.device.depthBuffer.release();
    for (const auto& r : kRasterizers) {
        r.draw(frame.device, listOf({goodSquare()}));
    }
    std::uint8_t* cursor = frame.at(2, 2);
    drawLine(frame.device, cursor, pt(2, 2), pt(6, 6));
    frame.device.depthBuffer.reset(depth);
    EXPECT_TRUE(frame.written().empty());
}

// Polygons that break the pipeline's promises (points inside the frame,
// pointCount points present) are skipped; the rest of the list is drawn.
TEST(Guards, PolygonsWithPointsOutsideTheFrameAreSkipped) {
    // The good square with one point moved out of the frame (it would
    // still fill counter-clockwise), or with a wrong point count.
    const struct {
        int point;
        ScreenPoint moved;
    } moves[] = {{0, pt(-1, 1)},
                 {2, pt(16, 5)},
                 {0, pt(1, -1)},
                 {1, pt(1, 16)},
                 {1, pt(std::numeric_limits<int>::min(), 5)}};
    std::vector<TestPolygon> bad;
    for (const auto& m : moves) {
        bad.push_back(goodSquare());
        bad.back().points[m.point] = m.moved;
    }
    bad.push_back(goodSquare());
    bad.back().pointCount = 9;
    bad.push_back(goodSquare());
    bad.back().pointCount = -2;
    for (const auto& r : kRasterizers) {
        SCOPED_TRACE(r.name);
        TestFrame reference(16, 16);
        r.draw(reference.device, listOf({goodSquare()}));
        for (const TestPolygon& polygon : bad) {
            TestFrame frame(16, 16);
            r.draw(frame.device, listOf({goodSquare(), polygon, TestPolygon{}}));
            EXPECT_EQ(frame.written(), reference.written());
            EXPECT_TRUE(frame.guardsIntact());
        }
        // A count larger than the list holds visits only what is there.
        TestFrame frame(16, 16);
        ScreenPolygonList list = listOf({goodSquare()});
        list.count = 5;
        r.draw(frame.device, list);
        EXPECT_EQ(frame.written(), reference.written());
    }
}

} // namespace
