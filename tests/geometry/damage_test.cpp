// The damage rectangles a frame leaves on a device bound to a headless
// window, case by case: what the draw calls wrote (damage.drawn) and what
// the overlay wrote (damage.overlay). Every case also checks the two
// promises the rectangles exist for: the window shows exactly the bitmap
// after present, and one clear afterwards leaves both buffers all zero.
#include "tests/device/device_fixture.h"

#include "geometry/draw_mesh.h"
#include "raster/raster.h"
#include "render_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

// Rectangles and cases by what they say, in failure messages.
void PrintTo(const FrameBox& r, std::ostream* os) {
    *os << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

namespace {

using device_test::DeviceTest;

ScreenPolygonList listOf(const std::vector<std::vector<ScreenPoint>>& polygons) {
    ScreenPolygonList list;
    for (const auto& points : polygons) {
        list.add(points, Vec3{0.0f, 0.0f, -1.0f});
    }
    return list;
}

ScreenPoint at(int x, int y, float depth = 1.0f, float intensity = 0.5f) {
    return ScreenPoint{x, y, depth, intensity};
}

struct DamageCase {
    std::string name;
    int clientWidth;
    int clientHeight;
    // Draws the frame (after its clear); may resize the window first.
    std::function<void(RenderDevice&, platform::HeadlessBackend&, HWND)> draw;
    FrameBox drawn;
    bool overlay; // the frame is presented (with its overlay) before the checks
    bool twice;   // ... and presented once more without a clear
};

void PrintTo(const DamageCase& c, std::ostream* os) {
    *os << c.name;
}

class DamageTable : public DeviceTest, public ::testing::WithParamInterface<DamageCase> {
  protected:
    // The box around every pixel whose colour is not black, or whose depth
    // is not 0.0 when `depthToo`.
    FrameBox writtenBox(bool depthToo) const {
        FrameBox box;
        for (int y = 0; y < device.height; ++y) {
            for (int x = 0; x < device.width; ++x) {
                const std::uint8_t* p = device.rowStart + y * device.pitch + 3 * x;
                const bool colour = p[0] != 0 || p[1] != 0 || p[2] != 0;
                const bool depth =
                    depthToo && device.depthBuffer[static_cast<std::size_t>(y) * device.width +
                                                   static_cast<std::size_t>(x)] != 0.0f;
                if (colour || depth) {
                    box = unite(box, FrameBox{x, y, x + 1, y + 1});
                }
            }
        }
        return box;
    }
    bool windowShowsTheBitmap(HWND window) const {
        const platform::ImageView screen = backend.screen(window);
        if (screen.bgr == nullptr || screen.width < device.width || screen.height < device.height) {
            return false;
        }
        for (int y = 0; y < device.height; ++y) {
            const std::uint8_t* row = device.rowStart + y * device.pitch;
            if (std::memcmp(row, screen.bgr + static_cast<std::ptrdiff_t>(y) * screen.stride,
                            static_cast<std::size_t>(device.width) * 3) != 0) {
                return false;
            }
        }
        return true;
    }
    bool allZero() const {
        const std::size_t pixels = static_cast<std::size_t>(device.width) * device.height;
        for (std::size_t i = 0; i < pixels; ++i) {
            if (device.depthBuffer[i] != 0.0f) {
                return false;
            }
        }
        return allBytesAre(0);
    }
};

TEST_P(DamageTable, HoldsWhatTheFrameWroteAndNoMore) {
    const DamageCase& c = GetParam();
    HWND window = openWindow(c.clientWidth, c.clientHeight);
    ASSERT_TRUE(device.bind(window));
    device.diffuseProduct = Color3{0.2f, 0.95f, 0.2f};
    device.ambientProduct = Color3{0.1f, 0.1f, 0.1f};
    device.lightDirInObject = Vec3{0.0f, 0.0f, -1.0f};
    // A frame before the case's, so the case starts from a cleared frame
    // that the window has already shown.
    device.clear();
    fillFlat(device, listOf({{at(1, 1), at(1, 3), at(3, 3), at(3, 1)}}));
    device.present();
    device.clear();

    c.draw(device, backend, window);
    EXPECT_EQ(device.damage.drawn, c.drawn);
    EXPECT_TRUE(device.damage.overlay.empty());
    EXPECT_EQ(writtenBox(true), device.damage.drawn) << "exactly what the draw calls wrote";
    if (c.overlay) {
        const FrameBox before = writtenBox(false);
        device.present();
        if (c.twice) {
            device.present();
        }
        EXPECT_EQ(device.damage.drawn, c.drawn);
        EXPECT_FALSE(device.damage.overlay.empty());
        const FrameBox all = unite(before, device.damage.overlay);
        EXPECT_EQ(intersect(all, writtenBox(true)), writtenBox(true))
            << "the overlay's box holds all it wrote";
    } else {
        device.present();
    }
    EXPECT_TRUE(windowShowsTheBitmap(window));
    device.clear();
    EXPECT_TRUE(allZero()) << "one clear takes back all the frame wrote";
    device.present();
    EXPECT_TRUE(windowShowsTheBitmap(window));
}

// A view-space triangle far larger than the view at depth 10: the pipeline
// cuts it to the whole frame, whose last row and column a fill never
// reaches.
void drawCoveringTriangle(RenderDevice& device) {
    testing_frame::viewFromOrigin(device);
    device.renderMode = RenderMode::Flat;
    const auto mesh = testing_frame::meshOf(
        {{Vec3{-100.0f, -100.0f, 10.0f}, Vec3{100.0f, -100.0f, 10.0f}, Vec3{0.0f, 100.0f, 10.0f}}});
    drawMesh(device, *mesh);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, DamageTable,
    ::testing::Values(
        // The fill covers rows 20..23 and columns 10..13: its box less the
        // bottom row and the rightmost column.
        DamageCase{"FlatSquare", 64, 48,
                   [](RenderDevice& d, platform::HeadlessBackend&, HWND) {
                       fillFlat(d, listOf({{at(10, 20), at(10, 24), at(14, 24), at(14, 20)}}));
                   },
                   FrameBox{10, 20, 14, 24}, false, false},
        // Rows 0 and 1 of this triangle come out empty (both sides record
        // the apex's column there): row 2 fills columns 3 and 4, row 3
        // columns 2 to 5.
        DamageCase{"GouraudTriangle", 64, 48,
                   [](RenderDevice& d, platform::HeadlessBackend&, HWND) {
                       fillGouraud(d, listOf({{at(24, 30), at(20, 34), at(28, 34)}}));
                   },
                   FrameBox{22, 32, 26, 34}, false, false},
        // The wireframe of (10, 5), (20, 5), (15, 9): the first side draws
        // x 10..19 of row 5 and goes on from (19, 5) down to (15, 9), the
        // second side ends on (14, 9).
        DamageCase{"WireframeOnly", 64, 48,
                   [](RenderDevice& d, platform::HeadlessBackend&, HWND) {
                       drawWireframe(d, listOf({{at(10, 5), at(20, 5), at(15, 9)}}));
                   },
                   FrameBox{10, 5, 20, 10}, false, false},
        DamageCase{
            "PolygonPartlyOffFrame", 64, 48,
            [](RenderDevice& d, platform::HeadlessBackend&, HWND) { drawCoveringTriangle(d); },
            FrameBox{0, 0, 63, 47}, false, false},
        DamageCase{"OverlayOnly", 400, 100, [](RenderDevice&, platform::HeadlessBackend&, HWND) {},
                   FrameBox{}, true, false},
        DamageCase{"OverlayPresentedTwice", 400, 100,
                   [](RenderDevice&, platform::HeadlessBackend&, HWND) {}, FrameBox{}, true, true},
        DamageCase{"OverlayOverAFill", 400, 100,
                   [](RenderDevice& d, platform::HeadlessBackend&, HWND) {
                       fillFlat(d, listOf({{at(0, 0), at(0, 30), at(60, 30), at(60, 0)}}));
                   },
                   FrameBox{0, 0, 60, 30}, true, false},
        // A new frame of another size after the resize (all white at
        // first): one clear zeroes it whole, and the window gets all of it.
        DamageCase{"ResizeBetweenFrames", 64, 48,
                   [](RenderDevice& d, platform::HeadlessBackend& backend, HWND window) {
                       backend.resizeClient(window, 80, 60);
                       d.resize();
                       d.clear();
                       EXPECT_EQ(d.damage.unshown, (FrameBox{0, 0, 80, 60}));
                       fillFlat(d, listOf({{at(50, 40), at(50, 44), at(54, 44), at(54, 40)}}));
                   },
                   FrameBox{50, 40, 54, 44}, false, false}),
    [](const ::testing::TestParamInfo<DamageCase>& info) { return info.param.name; });

} // namespace
