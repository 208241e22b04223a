// Allocation failure at start-up: whichever allocation of WinMain's
// start-up fails, the program tells the user, gives back what it built and
// ends with exit code 0; it never crashes or hangs. A resize whose frame
// needs more memory than can be had leaves the program running without a
// frame.
//
// The program's allocation hook (allocation_hook.h) can be told to fail
// the n-th allocation from now.

#include "tests/support/allocation_hook.h"

#include "app/app_state.h"
#include "app/resources.h"
#include "platform/core/resource_module.h"
#include "platform/core/win32.h"
#include "platform/headless/headless.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

using allocation_hook::allocationsSeen;
using allocation_hook::failCountdown;
using allocation_hook::largestAllocation;

struct Outcome {
    int exitCode = -1;
    bool loopStarted = false;
    bool sceneLeftBehind = false;
    std::vector<std::string> boxes;
};

// Runs WinMain for two passes with the n-th allocation after the call
// failing (n < 0: none fails).
Outcome runWithFailure(long n) {
    resetAppState();
    platform::resetForTesting();
    Outcome outcome;
    {
        platform::HeadlessBackend backend;
        platform::setBackend(&backend);
        const HINSTANCE instance = platform::registerModule(octaspinResources());
        int passes = 0;
        backend.setPollHook([&] {
            outcome.loopStarted = true;
            if (passes++ == 2) {
                PostMessageA(appState.window, WM_CLOSE, 0, 0);
            }
        });
        char commandLine[] = "";
        allocationsSeen = 0;
        failCountdown = n;
        outcome.exitCode = WinMain(instance, nullptr, commandLine, SW_SHOWNORMAL);
        failCountdown = -1;
        outcome.sceneLeftBehind = appState.device != nullptr || appState.polyhedron != nullptr ||
                                  appState.material != nullptr;
        backend.setPollHook(nullptr);
        for (const auto& box : backend.messageBoxes()) {
            outcome.boxes.push_back(box.caption + ": " + box.text);
        }
        resetAppState();
        platform::resetForTesting();
        platform::setBackend(nullptr);
    }
    return outcome;
}

TEST(AllocationFailure, EveryStartUpAllocationFailsCleanly) {
    // How many allocations a start-up and two passes make.
    const Outcome normal = runWithFailure(-1);
    ASSERT_EQ(normal.exitCode, 0);
    ASSERT_TRUE(normal.loopStarted);
    ASSERT_TRUE(normal.boxes.empty());
    const long total = allocationsSeen;
    ASSERT_GT(total, 5);

    // What the user may see: our own out-of-memory message, or, when the
    // frame's memory is what ran out, the device's own report followed by
    // the scene's.
    const std::string outOfMemory = "Application Message: Not enough memory to run the program";
    const std::string deviceFailed =
        "Application Message: Error occured while intiating the device";
    int outOfMemoryBoxes = 0;
    int deviceReports = 0;
    for (long n = 0; n < total; ++n) {
        const Outcome o = runWithFailure(n);
        EXPECT_EQ(o.exitCode, 0) << "allocation " << n;
        EXPECT_FALSE(o.sceneLeftBehind) << "allocation " << n;
        if (o.boxes.size() == 1) {
            EXPECT_EQ(o.boxes[0], outOfMemory) << "allocation " << n;
            ++outOfMemoryBoxes;
        } else if (o.boxes.size() == 2) {
            EXPECT_EQ(o.boxes[0].rfind("Application Message: Call to ", 0), 0u) << o.boxes[0];
            EXPECT_EQ(o.boxes[1], deviceFailed) << "allocation " << n;
            EXPECT_FALSE(o.loopStarted) << "allocation " << n;
            ++deviceReports;
        } else {
            // Nothing shown: the allocation was one the program can do
            // without, and it ran normally.
            EXPECT_TRUE(o.boxes.empty()) << "allocation " << n;
            EXPECT_TRUE(o.loopStarted) << "allocation " << n;
        }
    }
    // The scene's own objects are among them: the user was told.
    EXPECT_GT(outOfMemoryBoxes, 0);
    EXPECT_GT(deviceReports, 0);
}

// A character whose picture could not be stored when text first needed it
// is not kept half made: the next text with it draws it in full. (The
// overlay meets new digits whenever its frame rate changes.)
TEST(AllocationFailure, GlyphThatFailedToLoadIsDrawnNextTime) {
    platform::resetForTesting();
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{40, 64, 32, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, bitmap);
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    const auto inkOf = [&](const char* text) {
        std::memset(bits, 0, 64 * 3 * 32);
        TextOutA(dc, 4, 4, text, 1);
        const auto* bytes = static_cast<const std::uint8_t*>(bits);
        return std::count_if(bytes, bytes + 64 * 3 * 32, [](std::uint8_t b) { return b != 0; });
    };
    inkOf("."); // the font is open from here on

    // Every allocation a new character's first drawing makes fails in
    // turn, each time for a character not drawn before.
    const char fresh[] = "WMQ&%#@8";
    bool failed = true;
    for (int n = 0; failed && fresh[n] != '\0'; ++n) {
        failCountdown = n;
        try {
            inkOf(&fresh[n]);
        } catch (const std::bad_alloc&) {
        }
        failed = failCountdown < 0;
        failCountdown = -1;
        EXPECT_GT(inkOf(&fresh[n]), 20)
            << "'" << fresh[n] << "' after allocation " << n << " failed";
    }
    EXPECT_FALSE(failed) << "every allocation of a first drawing was tried";
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
    platform::resetForTesting();
}

// The window is made larger than memory allows: the program goes on as it
// does while minimized, with no frame, and the frame comes back with a size
// that fits.
TEST(AllocationFailure, ResizeBeyondMemoryLeavesTheProgramRunningWithoutAFrame) {
    resetAppState();
    platform::resetForTesting();
    platform::HeadlessBackend backend;
    platform::setBackend(&backend);
    const HINSTANCE instance = platform::registerModule(octaspinResources());
    int passes = 0;
    bool frameWhileTooLarge = true;
    int presentsWhileTooLarge = -1;
    bool frameAfterwards = false;
    int drawnPixelsAfterwards = 0;
    backend.setPollHook([&] {
        const int pass = passes++;
        HWND window = appState.window;
        if (pass == 2) {
            // 4000 x 3000 needs 36 MB of picture and 48 MB of depth.
            largestAllocation = std::size_t{16} << 20;
            backend.resizeClient(window, 4000, 3000);
            presentsWhileTooLarge = backend.presentCount(window);
        } else if (pass == 5) {
            frameWhileTooLarge = appState.device->hasFrame() || appState.device->width != 0;
            presentsWhileTooLarge = backend.presentCount(window) - presentsWhileTooLarge;
            largestAllocation = SIZE_MAX;
            backend.resizeClient(window, 632, 434);
        } else if (pass == 7) {
            frameAfterwards = appState.device->hasFrame() && appState.device->width == 632;
            const platform::ImageView screen = backend.screen(window);
            for (int y = 0; y < screen.height; ++y) {
                for (int x = 0; x < screen.width * 3; ++x) {
                    drawnPixelsAfterwards += screen.bgr[y * screen.stride + x] != 0 ? 1 : 0;
                }
            }
            PostMessageA(window, WM_CLOSE, 0, 0);
        }
    });
    char commandLine[] = "";
    const int exitCode = WinMain(instance, nullptr, commandLine, SW_SHOWNORMAL);
    largestAllocation = SIZE_MAX;
    backend.setPollHook(nullptr);

    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(passes, 9); // closed at pass 7, the quit removed at pass 8
    EXPECT_FALSE(frameWhileTooLarge);
    EXPECT_EQ(presentsWhileTooLarge, 0);
    EXPECT_TRUE(frameAfterwards);
    EXPECT_GT(drawnPixelsAfterwards, 1000);
    // The user was told once, by the device; not that the program must end.
    ASSERT_EQ(backend.messageBoxes().size(), 1u);
    EXPECT_EQ(backend.messageBoxes()[0].text, "Call to create bitmap failed");
    resetAppState();
    platform::resetForTesting();
    platform::setBackend(nullptr);
}

} // namespace
