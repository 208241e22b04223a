// Device tests run against the headless backend: a window of a chosen
// client size, a fresh platform state per test, the frame-rate state and
// the clock put back afterwards.
#pragma once

#include "device/render_device.h"
#include "platform/core/win32.h"
#include "platform/headless/headless.h"
#include "tests/support/failure_plan.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace device_test {

inline LRESULT CALLBACK plainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

class DeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::resetForTesting();
        platform::setBackend(&backend);
        frameRate = FrameRateState{};
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = plainWindowProc;
        windowClass.lpszClassName = "Device Test Window";
        ASSERT_NE(RegisterClassA(&windowClass), 0);
    }
    void TearDown() override {
        device.release();
        platform::setClockForTesting(nullptr);
        platform::setBackend(nullptr);
        platform::resetForTesting();
        frameRate = FrameRateState{};
    }

    // A visible window whose client area is exactly width x height.
    HWND openWindow(int width, int height) {
        HWND window = CreateWindowExA(0, "Device Test Window", "Device test", WS_OVERLAPPEDWINDOW,
                                      0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
        EXPECT_NE(window, nullptr);
        ShowWindow(window, SW_SHOW);
        backend.resizeClient(window, width, height);
        RECT client{};
        GetClientRect(window, &client);
        EXPECT_EQ(client.right - client.left, width);
        EXPECT_EQ(client.bottom - client.top, height);
        return window;
    }

    std::vector<std::uint8_t> frameBytes() const {
        return std::vector<std::uint8_t>(device.colorBits, device.colorBits + device.frameBytes);
    }
    bool allBytesAre(std::uint8_t value) const {
        for (std::uint32_t i = 0; i < device.frameBytes; ++i) {
            if (device.colorBits[i] != value) {
                return false;
            }
        }
        return device.frameBytes > 0;
    }

    platform::HeadlessBackend backend;
    testsupport::FailurePlan failures;
    RenderDevice device;
};

} // namespace device_test
