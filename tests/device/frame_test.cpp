// The device's frame: sizes and memory layout, bind, resize, release,
// clear and present, and the guards for windows too small to draw in or a
// frame that cannot be had.
#include "device_fixture.h"
#include "tests/support/allocation_hook.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>

namespace {

using device_test::DeviceTest;

struct LayoutCase {
    std::string name;
    int clientWidth;
    int clientHeight;
    std::int32_t width;
    std::int32_t height;
};

class FrameLayout : public DeviceTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(FrameLayout, SizesRoundDownToMultiplesOfFour) {
    const LayoutCase& c = GetParam();
    HWND window = openWindow(c.clientWidth, c.clientHeight);
    ASSERT_TRUE(device.bind(window));
    EXPECT_TRUE(device.bound);
    EXPECT_EQ(device.window, window);
    EXPECT_EQ(device.width, c.width);
    EXPECT_EQ(device.height, c.height);
    EXPECT_EQ(device.maxX, c.width - 1);
    EXPECT_EQ(device.maxY, c.height - 1);
    EXPECT_EQ(device.pitch, -3 * c.width);
    EXPECT_EQ(device.bytesPerPixel, 3);
    EXPECT_EQ(device.frameBytes, static_cast<std::uint32_t>(3 * c.width * c.height));
    EXPECT_EQ(device.clientRect.left, 0);
    EXPECT_EQ(device.clientRect.top, 0);
    EXPECT_EQ(device.clientRect.right, c.width);
    EXPECT_EQ(device.clientRect.bottom, c.height);
    // Bottom-up: pixel (0, 0) is the first byte of the last row in memory,
    // pixel (0, maxY) the first byte of the memory.
    EXPECT_EQ(device.rowStart, device.colorBits + device.frameBytes + device.pitch);
    EXPECT_EQ(device.rowStart + device.maxY * device.pitch, device.colorBits);
    EXPECT_TRUE(device.hasFrame());
}

INSTANTIATE_TEST_SUITE_P(Clients, FrameLayout,
                         ::testing::Values(LayoutCase{"example637x434", 637, 434, 636, 432},
                                           LayoutCase{"multipleOfFour", 640, 480, 640, 480},
                                           LayoutCase{"defaultClient", 632, 434, 632, 432},
                                           LayoutCase{"smallest", 7, 5, 4, 4},
                                           LayoutCase{"tall", 9, 1003, 8, 1000}),
                         [](const auto& info) { return info.param.name; });

TEST_F(DeviceTest, TheExampleClientGivesTheStatedNumbers) {
    ASSERT_TRUE(device.bind(openWindow(637, 434)));
    EXPECT_EQ(device.width, 636);
    EXPECT_EQ(device.height, 432);
    EXPECT_EQ(device.maxX, 635);
    EXPECT_EQ(device.maxY, 431);
    EXPECT_EQ(device.pitch, -1908);
    EXPECT_EQ(device.frameBytes, 824256u);
    // The depth buffer holds 274752 floats: its last entry can be written.
    device.depthBuffer[274751] = 1.0f;
    EXPECT_EQ(device.depthBuffer[274751], 1.0f);
}

TEST_F(DeviceTest, BindFillsWhiteAndClearBlackWithEmptyDepth) {
    ASSERT_TRUE(device.bind(openWindow(100, 60)));
    EXPECT_TRUE(allBytesAre(255));
    device.depthBuffer[17] = 3.5f;
    device.clear();
    EXPECT_TRUE(allBytesAre(0));
    for (std::size_t i = 0; i < 100u * 60u; ++i) {
        ASSERT_EQ(device.depthBuffer[i], 0.0f) << i;
    }
}

TEST_F(DeviceTest, ASecondBindKeepsTheBitmap) {
    HWND window = openWindow(200, 100);
    ASSERT_TRUE(device.bind(window));
    const HBITMAP bitmap = device.bitmap;
    std::uint8_t* bits = device.colorBits;
    device.clear();
    HWND other = openWindow(300, 300);
    EXPECT_TRUE(device.bind(other));
    EXPECT_EQ(device.bitmap, bitmap);
    EXPECT_EQ(device.colorBits, bits);
    EXPECT_EQ(device.window, window);
    EXPECT_EQ(device.width, 200);
    EXPECT_TRUE(allBytesAre(0)) << "not refilled";
}

struct ResizeCase {
    std::string name;
    int fromWidth;
    int fromHeight;
    int toWidth;
    int toHeight;
    bool rebuilt;
    std::int32_t width;
    std::int32_t height;
};

class Resize : public DeviceTest, public ::testing::WithParamInterface<ResizeCase> {};

TEST_P(Resize, KeepsOrRebuildsTheFrame) {
    const ResizeCase& c = GetParam();
    HWND window = openWindow(c.fromWidth, c.fromHeight);
    ASSERT_TRUE(device.bind(window));
    Light light;
    Material material;
    device.setLight(LightKind::Ambient, &light);
    device.setMaterial(&material);
    device.renderMode = RenderMode::Gouraud;
    device.clear();
    const HBITMAP before = device.bitmap;
    const float* depthBefore = device.depthBuffer.get();

    backend.resizeClient(window, c.toWidth, c.toHeight);
    ASSERT_TRUE(device.resize());
    EXPECT_EQ(device.width, c.width);
    EXPECT_EQ(device.height, c.height);
    EXPECT_EQ(device.frameBytes, static_cast<std::uint32_t>(3 * c.width * c.height));
    EXPECT_TRUE(device.bound);
    if (c.rebuilt) {
        EXPECT_NE(device.bitmap, before);
        EXPECT_TRUE(allBytesAre(255)) << "a new frame starts white";
    } else {
        EXPECT_EQ(device.bitmap, before);
        EXPECT_EQ(device.depthBuffer.get(), depthBefore);
        EXPECT_TRUE(allBytesAre(0)) << "the cleared frame is untouched";
    }
    // Lights, material and modes survive either way.
    EXPECT_EQ(device.ambientLight, &light);
    EXPECT_EQ(device.material, &material);
    EXPECT_EQ(device.renderMode, RenderMode::Gouraud);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, Resize,
    ::testing::Values(ResizeCase{"sameSize", 637, 434, 637, 434, false, 636, 432},
                      ResizeCase{"sameRoundedSize", 637, 434, 639, 435, false, 636, 432},
                      ResizeCase{"widthCrossesFour", 639, 434, 640, 434, true, 640, 432},
                      ResizeCase{"heightShrinks", 637, 434, 637, 300, true, 636, 300},
                      ResizeCase{"both", 100, 100, 1280, 720, true, 1280, 720}),
    [](const auto& info) { return info.param.name; });

struct TinyCase {
    std::string name;
    int width;
    int height;
};

class TinyClient : public DeviceTest, public ::testing::WithParamInterface<TinyCase> {};

TEST_P(TinyClient, BindsWithoutAFrameAndEverythingElseDoesNothing) {
    HWND window = openWindow(GetParam().width, GetParam().height);
    EXPECT_TRUE(device.bind(window)) << "a collapsed window is not an error";
    EXPECT_TRUE(device.bound);
    EXPECT_FALSE(device.hasFrame());
    EXPECT_EQ(device.bitmap, nullptr);
    EXPECT_EQ(device.width, 0);
    EXPECT_EQ(device.height, 0);
    EXPECT_EQ(device.maxX, 0);
    EXPECT_EQ(device.maxY, 0);
    EXPECT_EQ(device.frameBytes, 0u);
    EXPECT_TRUE(backend.messageBoxes().empty());
    device.clear();
    device.present();
    EXPECT_EQ(backend.presentCount(window), 0);
    EXPECT_EQ(frameRate.frameCount, 0u) << "no overlay without a frame";

    // Still tiny: nothing to do, and that is success.
    EXPECT_TRUE(device.resize());
    EXPECT_FALSE(device.hasFrame());
    // Back to a usable size: the frame appears.
    backend.resizeClient(window, 64, 48);
    EXPECT_TRUE(device.resize());
    EXPECT_TRUE(device.hasFrame());
    EXPECT_EQ(device.width, 64);
    EXPECT_EQ(device.height, 48);
    EXPECT_TRUE(allBytesAre(255));
}

INSTANTIATE_TEST_SUITE_P(Clients, TinyClient,
                         ::testing::Values(TinyCase{"empty", 0, 0}, TinyCase{"narrow", 3, 100},
                                           TinyCase{"flat", 100, 3},
                                           TinyCase{"threeByThree", 3, 3}),
                         [](const auto& info) { return info.param.name; });

TEST_F(DeviceTest, MinimizingDropsTheFrameAndRestoringBringsItBack) {
    HWND window = openWindow(637, 434);
    ASSERT_TRUE(device.bind(window));
    ShowWindow(window, SW_MINIMIZE);
    EXPECT_TRUE(device.resize());
    EXPECT_FALSE(device.hasFrame());
    EXPECT_EQ(device.width, 0);
    device.clear();
    device.present();
    EXPECT_EQ(backend.presentCount(window), 0);
    ShowWindow(window, SW_RESTORE);
    EXPECT_TRUE(device.resize());
    EXPECT_EQ(device.width, 636);
    EXPECT_TRUE(device.hasFrame());
}

struct FailureCase {
    std::string name;
    bool depthFails; // otherwise the bitmap fails
    std::string message;
};

class BindFailure : public DeviceTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(BindFailure, ReportsLeavesNoFrameAndTheNextResizeRetries) {
    HWND window = openWindow(637, 434);
    if (GetParam().depthFails) {
        allocation_hook::failSize = 636u * 432u * sizeof(float);
    } else {
        failures.failNext(platform::FailurePoint::CreateDIBSection);
    }
    EXPECT_FALSE(device.bind(window));
    EXPECT_EQ(allocation_hook::failSize, 0u) << "the depth buffer was asked for";
    EXPECT_FALSE(device.bound);
    EXPECT_FALSE(device.hasFrame());
    EXPECT_EQ(device.bitmap, nullptr);
    EXPECT_EQ(device.width, 0);
    EXPECT_EQ(device.height, 0);
    EXPECT_EQ(device.window, window) << "kept for the next attempt";
    ASSERT_EQ(backend.messageBoxes().size(), 1u);
    EXPECT_EQ(backend.messageBoxes()[0].text, GetParam().message);
    EXPECT_EQ(backend.messageBoxes()[0].caption, "Application Message");
    EXPECT_EQ(backend.messageBoxes()[0].owner, nullptr);

    device.clear();
    device.present();
    EXPECT_EQ(backend.presentCount(window), 0);

    // The same size again: the failed device is not "unchanged", it binds.
    EXPECT_TRUE(device.resize());
    EXPECT_TRUE(device.bound);
    EXPECT_TRUE(device.hasFrame());
    EXPECT_EQ(device.width, 636);
}

INSTANTIATE_TEST_SUITE_P(
    Allocations, BindFailure,
    ::testing::Values(FailureCase{"bitmap", false, "Call to create bitmap failed"},
                      FailureCase{"depthBuffer", true, "Call to allocate depth buffer failed"}),
    [](const auto& info) { return info.param.name; });

TEST_F(DeviceTest, ResizeFailureLeavesAFramelessDevice) {
    HWND window = openWindow(100, 100);
    ASSERT_TRUE(device.bind(window));
    backend.resizeClient(window, 200, 200);
    failures.failNext(platform::FailurePoint::CreateDIBSection);
    EXPECT_FALSE(device.resize());
    EXPECT_FALSE(device.hasFrame());
    device.clear();
    device.present();
    EXPECT_EQ(backend.presentCount(window), 0);
}

TEST_F(DeviceTest, ReleaseDropsBuffersAndDetachesLightsAndMaterial) {
    HWND window = openWindow(100, 100);
    ASSERT_TRUE(device.bind(window));
    Light light;
    Material material;
    device.setLight(
        LightKind::Ambient | LightKind::Directional | LightKind::Point | LightKind::Spot, &light);
    device.setMaterial(&material);
    device.release();
    EXPECT_FALSE(device.bound);
    EXPECT_EQ(device.window, nullptr);
    EXPECT_FALSE(device.hasFrame());
    EXPECT_EQ(device.bitmap, nullptr);
    EXPECT_EQ(device.rowStart, nullptr);
    EXPECT_EQ(device.lightFlags, 0u);
    EXPECT_EQ(device.ambientLight, nullptr);
    EXPECT_EQ(device.directionalLight, nullptr);
    EXPECT_EQ(device.pointLight, nullptr);
    EXPECT_EQ(device.spotLight, nullptr);
    EXPECT_EQ(device.material, nullptr);
    EXPECT_EQ(device.width, 100) << "sizes keep their values";
    device.clear();
    device.present();
    EXPECT_FALSE(device.resize()) << "no window to follow";
    EXPECT_EQ(backend.presentCount(window), 0);
    // And it can be bound again.
    EXPECT_TRUE(device.bind(window));
    EXPECT_TRUE(device.hasFrame());
}

} // namespace
