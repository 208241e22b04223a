// Allocation failure at start-up: whichever allocation of WinMain's
// start-up fails, the program tells the user, gives back what it built and
// ends with exit code 0; it never crashes or hangs. A resize whose frame
// needs more memory than can be had leaves the program running without a
// frame.
//
// This program replaces the global operator new (plain and nothrow, single
// and array) with one that can be told to fail the n-th allocation from now.

#include "app/app_state.h"
#include "app/resources.h"
#include "platform/headless.h"
#include "platform/resources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <new>

namespace {
long failCountdown = -1; // -1: never fail
long allocationsSeen = 0;
// Allocations larger than this fail: memory that cannot be had.
std::size_t largestAllocation = SIZE_MAX;
} // namespace

// The replacements pair malloc with free themselves; the compiler cannot
// see that through inlining and warns of a mismatch.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    ++allocationsSeen;
    if ((failCountdown >= 0 && failCountdown-- == 0) || size > largestAllocation) {
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    operator delete(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    operator delete(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    operator delete(p);
}
#pragma GCC diagnostic pop

namespace {

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

// The overlay's glyphs are made on first use and kept for the process. A
// glyph whose memory could not be had is made on a later use, never kept
// half-made (which read coverage that was never allocated).
TEST(AllocationFailure, AGlyphThatCouldNotBeMadeIsMadeLater) {
    platform::resetForTesting();
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{40, 32, 32, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    // White ink only: what is drawn is the glyph itself.
    SetTextColor(dc, RGB(255, 255, 255));
    SetBkMode(dc, TRANSPARENT);
    ASSERT_TRUE(TextOutA(dc, 0, 0, "A", 1)); // the font is open from here on
    const auto* pixels = static_cast<const std::uint8_t*>(bits);
    int failures = 0;
    // Each try draws a letter not drawn before (Latin-1 capitals), failing
    // its n-th allocation, until drawing it needs fewer than n.
    for (long n = 0; n < 30; ++n) {
        const char letter = static_cast<char>(0xC0 + n);
        bool failed = false;
        failCountdown = n;
        try {
            TextOutA(dc, 0, 0, &letter, 1);
        } catch (const std::bad_alloc&) {
            failed = true;
        }
        failCountdown = -1;
        if (!failed) {
            break;
        }
        ++failures;
        std::fill_n(static_cast<std::uint8_t*>(bits), 32 * 32 * 3, 0);
        ASSERT_TRUE(TextOutA(dc, 0, 0, &letter, 1));
        EXPECT_GT(
            std::count_if(pixels, pixels + 32 * 32 * 3, [](std::uint8_t b) { return b != 0; }), 10)
            << "letter " << n;
    }
    EXPECT_GT(failures, 0);
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
    platform::resetForTesting();
}

} // namespace
