// present: the frame reaches the window unchanged apart from the overlay,
// and the overlay's text and frame rate.
#include "device_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using device_test::DeviceTest;

struct Rgb {
    int red;
    int green;
    int blue;
    bool operator==(const Rgb&) const = default;
};

Rgb screenPixel(const platform::ImageView& image, int x, int y) {
    const std::uint8_t* p = image.bgr + static_cast<std::ptrdiff_t>(y) * image.stride + 3 * x;
    return Rgb{p[2], p[1], p[0]};
}

void putPixel(RenderDevice& device, int x, int y, const Rgb& c) {
    std::uint8_t* p = device.rowStart + y * device.pitch + 3 * x;
    p[0] = static_cast<std::uint8_t>(c.blue);
    p[1] = static_cast<std::uint8_t>(c.green);
    p[2] = static_cast<std::uint8_t>(c.red);
}

Rgb framePixel(const RenderDevice& device, int x, int y) {
    const std::uint8_t* p = device.rowStart + y * device.pitch + 3 * x;
    return Rgb{p[2], p[1], p[0]};
}

// A clock that reads the given values in turn, then stays on the last.
void scriptClock(std::vector<DWORD> readings) {
    auto next = std::make_shared<std::size_t>(0);
    platform::setClockForTesting([readings, next]() {
        const DWORD value = readings[std::min(*next, readings.size() - 1)];
        ++*next;
        return value;
    });
}

TEST_F(DeviceTest, PresentShowsTheFrameTopRowFirst) {
    HWND window = openWindow(200, 100);
    ASSERT_TRUE(device.bind(window));
    device.clear();
    putPixel(device, 0, 0, Rgb{255, 0, 0});
    putPixel(device, 0, device.maxY, Rgb{0, 0, 255});
    putPixel(device, device.maxX, 0, Rgb{0, 255, 0});
    putPixel(device, 150, 70, Rgb{1, 2, 3});
    device.present();
    EXPECT_EQ(backend.presentCount(window), 1);
    const platform::ImageView screen = backend.screen(window);
    ASSERT_EQ(screen.width, 200);
    ASSERT_EQ(screen.height, 100);
    EXPECT_EQ(screenPixel(screen, 0, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(screenPixel(screen, 0, 99), (Rgb{0, 0, 255}));
    EXPECT_EQ(screenPixel(screen, 199, 0), (Rgb{0, 255, 0}));
    EXPECT_EQ(screenPixel(screen, 150, 70), (Rgb{1, 2, 3}));
    // Everything on the screen is what the bitmap now holds.
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x) {
            ASSERT_EQ(screenPixel(screen, x, y), framePixel(device, x, y)) << x << "," << y;
        }
    }
}

TEST_F(DeviceTest, OverlayIsWhiteTextFromTenTenDrawnIntoTheBitmap) {
    HWND window = openWindow(400, 200);
    ASSERT_TRUE(device.bind(window));
    device.clear();
    device.present();
    int white = 0;
    for (int y = 0; y < device.height; ++y) {
        for (int x = 0; x < device.width; ++x) {
            const Rgb c = framePixel(device, x, y);
            if (c == Rgb{0, 0, 0}) {
                continue;
            }
            // Transparent background: only text pixels change, all white
            // (or white blended over black at glyph edges: grey).
            EXPECT_EQ(c.red, c.green);
            EXPECT_EQ(c.green, c.blue);
            EXPECT_GE(x, 9) << "text starts at x 10";
            EXPECT_GE(y, 9) << "text starts at y 10";
            EXPECT_LT(y, 45);
            white += c == Rgb{255, 255, 255} ? 1 : 0;
        }
    }
    EXPECT_GT(white, 20);
    // The overlay stays in the pixel memory until the next clear.
    device.clear();
    EXPECT_EQ(framePixel(device, 12, 15), (Rgb{0, 0, 0}));
}

TEST_F(DeviceTest, PresentAfterTheWindowIsGoneDoesNoHarm) {
    HWND window = openWindow(64, 48);
    ASSERT_TRUE(device.bind(window));
    device.clear();
    device.present();
    ASSERT_EQ(backend.presentCount(window), 1);
    const HBITMAP bitmap = device.bitmap;
    ASSERT_TRUE(DestroyWindow(window));
    device.clear();
    device.present();
    device.present();
    EXPECT_EQ(backend.presentCount(window), 1);
    EXPECT_EQ(device.bitmap, bitmap);
    EXPECT_TRUE(device.hasFrame());
    EXPECT_TRUE(device.bound);
    EXPECT_FALSE(device.resize()) << "a window that is gone has no client area to follow";
    EXPECT_TRUE(device.hasFrame());
}

struct TextCase {
    std::string name;
    std::int32_t width;
    std::int32_t height;
    float rate;
    std::size_t size;
    std::string expected;
};

class OverlayText : public ::testing::TestWithParam<TextCase> {};

TEST_P(OverlayText, FollowsTheFormat) {
    const TextCase& c = GetParam();
    char text[64];
    std::memset(text, 'x', sizeof text);
    const int length = formatFrameRate(text, c.size, c.width, c.height, c.rate);
    EXPECT_EQ(std::string(text), c.expected);
    EXPECT_EQ(length, static_cast<int>(c.expected.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, OverlayText,
    ::testing::Values(TextCase{"example", 636, 432, 59.5f, 64, "636x432 fps: 59.50"},
                      TextCase{"startUp", 632, 432, 0.0f, 64, "632x432 fps: 0.00"},
                      TextCase{"roundsToTwoPlaces", 1920, 1080, 1234.567f, 64,
                               "1920x1080 fps: 1234.57"},
                      TextCase{"noFrame", 0, 0, 12.0f, 64, "0x0 fps: 12.00"},
                      TextCase{"cutToTheBuffer", 636, 432, 59.5f, 8, "636x432"}),
    [](const auto& info) { return info.param.name; });

struct RateCase {
    std::string name;
    FrameRateState before;
    std::vector<DWORD> clock; // readings in order
    FrameRateState after;
};

class FrameRate : public DeviceTest, public ::testing::WithParamInterface<RateCase> {};

TEST_P(FrameRate, RecomputedOnlyAfterMoreThanASecond) {
    const RateCase& c = GetParam();
    frameRate = c.before;
    scriptClock(c.clock);
    device.drawFrameRate(nullptr); // no context: the text goes nowhere
    EXPECT_EQ(frameRate.frameCount, c.after.frameCount);
    EXPECT_EQ(frameRate.lastRateTime, c.after.lastRateTime);
    EXPECT_FLOAT_EQ(frameRate.framesPerSecond, c.after.framesPerSecond);
}

INSTANTIATE_TEST_SUITE_P(
    Clocks, FrameRate,
    ::testing::Values(
        // 119 frames over 2000 ms; the new reading is taken afresh.
        RateCase{"fiftyNineAndAHalf", {118, 1000, 30.0f}, {3000, 3007}, {0, 3007, 59.5f}},
        // The first overlay: the last reading starts at 0, so a clock far
        // beyond a second shows a rate near 0.
        RateCase{"firstOverlay", {}, {5000000, 5000001}, {0, 5000001, 0.0002f}},
        RateCase{"exactlyOneSecondWaits", {10, 2000, 42.0f}, {3000}, {11, 2000, 42.0f}},
        RateCase{"justOverOneSecond", {100, 2000, 42.0f}, {3001}, {0, 3001, 100.8991f}},
        // The millisecond clock wraps: the difference is still 1280 ms.
        RateCase{"clockWraps", {63, 0xFFFFFF00u, 1.0f}, {0x400u}, {0, 0x400u, 50.0f}}),
    [](const auto& info) { return info.param.name; });

TEST_F(DeviceTest, TheRateChangesAboutOncePerSecondAcrossPresents) {
    HWND window = openWindow(200, 100);
    ASSERT_TRUE(device.bind(window));
    DWORD now = 100000;
    platform::setClockForTesting([&now]() { return now; });
    device.present(); // first overlay: recomputed at once
    EXPECT_EQ(frameRate.lastRateTime, 100000u);
    for (int frame = 0; frame < 60; ++frame) {
        now += 16;
        device.present();
    }
    EXPECT_EQ(frameRate.frameCount, 60u) << "960 ms: not yet";
    now += 50;
    device.present();
    EXPECT_EQ(frameRate.frameCount, 0u);
    EXPECT_FLOAT_EQ(frameRate.framesPerSecond, 61.0f / 1010.0f * 1000.0f);
    EXPECT_EQ(backend.presentCount(window), 62);
}

} // namespace
