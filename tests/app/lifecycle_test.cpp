// Start-up, the frame loop, size changes and the ways the program ends.

#include "app_harness.h"

#include "app/camera_input.h"
#include "app/main_window.h"
#include "app/resource.h"
#include "scene/scene_values.h"
#include "tests/support/heap_in_use.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace apptest {
namespace {

using Lifecycle = AppScenario;

TEST_F(Lifecycle, StartsWithTheCheckMarkOnFlatOnly) {
    std::vector<int> checkedAtStart;
    std::uint32_t modeAtStart = 0;
    const int code = run(1, [&](int pass) {
        if (pass == 0) {
            checkedAtStart = checkedItems(1);
            modeAtStart = appState.device->renderMode;
        }
    });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(checkedAtStart, std::vector<int>{1});
    EXPECT_EQ(modeAtStart, RenderMode::Flat);
    EXPECT_TRUE(checkedItems(0).empty());
    EXPECT_TRUE(checkedItems(2).empty());
}

TEST_F(Lifecycle, WindowFrameAndSceneAfterStartUp) {
    RECT client{};
    int frameWidth = 0, frameHeight = 0;
    Vec3 eye, target, up;
    run(1, [&](int pass) {
        if (pass == 0) {
            GetClientRect(appState.window, &client);
            frameWidth = appState.device->width;
            frameHeight = appState.device->height;
            eye = appState.eye;
            target = appState.target;
            up = appState.up;
        }
    });
    // The frame is the client area of the 640 x 480 window, rounded down
    // to multiples of 4.
    const int clientWidth = client.right - client.left;
    const int clientHeight = client.bottom - client.top;
    EXPECT_GT(clientWidth, 600);
    EXPECT_LT(clientWidth, 640);
    EXPECT_GT(clientHeight, 400);
    EXPECT_LT(clientHeight, 480);
    EXPECT_EQ(frameWidth, clientWidth - clientWidth % 4);
    EXPECT_EQ(frameHeight, clientHeight - clientHeight % 4);
    EXPECT_EQ(eye.z, -200.0f);
    EXPECT_EQ(target.z, 0.0f);
    EXPECT_EQ(up.y, 1.0f);
}

// The first frame: seen from 200 units in front, turned one spin step, only
// faces 0 (upper, towards the light) and 4 (lower) face the camera. They
// split the silhouette at the equator into two flat colours, the upper one
// brighter; no side face shows beyond their outline.
TEST_F(Lifecycle, FirstFrameShowsOnlyTheTwoFrontFaces) {
    Picture first;
    int maxX = 0, maxY = 0;
    run(1, [&](int pass) {
        if (pass == 1) {
            first = screen();
            maxX = appState.device->maxX;
            maxY = appState.device->maxY;
        }
    });
    ASSERT_FALSE(first.empty());
    ASSERT_EQ(first.width - first.width % 4, maxX + 1);
    ASSERT_EQ(first.height - first.height % 4, maxY + 1);
    const Silhouette s = silhouetteOf(first);
    ASSERT_EQ(s.colors.size(), 2u);

    // Where the six vertices land, by the pipeline's own mapping
    // (x' = (1 + x) * maxX / 2, y' = (1 - y) * maxY / 2).
    Matrix4 toClip;
    Matrix4 view = identityMatrix();
    view.at(3, 2) = 200.0f;
    multiply(toClip, spun(1), view);
    multiply(toClip, toClip, demo::projection());
    auto screenX = [&](Vec3 p) {
        transformPoint(p, toClip, p);
        return (1.0 + p.x) * maxX / 2.0;
    };
    auto screenY = [&](Vec3 p) {
        transformPoint(p, toClip, p);
        return (1.0 - p.y) * maxY / 2.0;
    };
    const Vec3 v0{-50, 0, -50}, v2{50, 0, -50}, v4{0, 100, 0}, v5{0, -100, 0};
    // The tips taper below a pixel's width, so the outermost rows and
    // columns may stay empty.
    EXPECT_NEAR(s.left, screenX(v0), 3.0);
    EXPECT_NEAR(s.right, screenX(v2), 3.0);
    EXPECT_NEAR(s.top, screenY(v4), 3.0);
    EXPECT_NEAR(s.bottom, screenY(v5), 3.0);

    // Above the equator one colour, below it the other.
    const int equator = static_cast<int>(screenY(v0));
    const int cx = static_cast<int>(screenX(v4));
    const COLORREF upper = first.at(cx, equator - 20);
    const COLORREF lower = first.at(cx, equator + 20);
    EXPECT_NE(upper, lower);
    for (int y = s.top + 2; y < equator - 3; ++y) {
        for (int x = s.left; x <= s.right; ++x) {
            const COLORREF c = first.at(x, y);
            ASSERT_TRUE(isBackground(c) || c == upper) << x << "," << y;
        }
    }
    for (int y = equator + 4; y <= s.bottom; ++y) {
        for (int x = s.left; x <= s.right; ++x) {
            const COLORREF c = first.at(x, y);
            ASSERT_TRUE(isBackground(c) || c == lower) << x << "," << y;
        }
    }
    // Lit from above: the upper face is the brighter green; grey ambient
    // and a green material keep red equal to blue.
    EXPECT_GT(GetGValue(upper), GetGValue(lower));
    EXPECT_GT(GetGValue(upper), GetRValue(upper));
    EXPECT_EQ(GetRValue(upper), GetBValue(upper));
    EXPECT_EQ(GetRValue(lower), GetBValue(lower));
}

TEST_F(Lifecycle, SpinsOneStepPerFrame) {
    Matrix4 afterThree;
    run(3, [&](int pass) {
        if (pass == 3) {
            afterThree = appState.modelRotation;
        }
    });
    EXPECT_TRUE(matricesNear(afterThree, spun(3), 0.0f));
}

// The accumulated rotation stays a rotation however long the program runs
// and however many drags are folded in. Rounding alone would make its rows
// 11 % too long after 10 M spin steps; the polyhedron would swell past the
// eye.
struct RigidCase {
    const char* name;
    long steps;
    void (*step)(long i); // one frame's or one release's arithmetic
};

void spinStep(long /*i*/) {
    updateModelRotation();
}

// A drag of a pseudo-random axis and angle, folded in on release.
void dragStep(long i) {
    const double a = static_cast<double>(i) * 0.618033988749895;
    Vec3 axis{static_cast<float>(std::sin(a * 3.0)), static_cast<float>(std::cos(a * 5.0)), 0.0f};
    axisAngleRotation(appState.dragRotation, axis, static_cast<float>(std::sin(a)));
    appState.dragging = true;
    handleLeftButtonUp();
}

class RigidRotation : public ::testing::TestWithParam<RigidCase> {
  protected:
    void TearDown() override { resetAppState(); }
};

TEST_P(RigidRotation, RowsStayUnitAndOrthogonal) {
    resetAppState();
    appState.device = std::make_unique<RenderDevice>();
    appState.running = true;
    identity(appState.modelRotation);
    double worst = 0.0;
    for (long i = 0; i < GetParam().steps; ++i) {
        GetParam().step(i);
        const Matrix4& m = appState.modelRotation;
        for (int r = 0; r < 3; ++r) {
            for (int c = r; c < 3; ++c) {
                const double d = static_cast<double>(m.at(r, 0)) * m.at(c, 0) +
                                 static_cast<double>(m.at(r, 1)) * m.at(c, 1) +
                                 static_cast<double>(m.at(r, 2)) * m.at(c, 2);
                worst = std::max(worst, r == c ? std::fabs(std::sqrt(d) - 1.0) : std::fabs(d));
            }
        }
        ASSERT_LE(worst, 1e-5) << "after " << i + 1 << " steps";
    }
    RecordProperty("worst_drift", std::to_string(worst));
}

INSTANTIATE_TEST_SUITE_P(, RigidRotation,
                         ::testing::Values(RigidCase{"Spin10MFrames", 10'000'000, spinStep},
                                           RigidCase{"Fold1MDrags", 1'000'000, dragStep}),
                         [](const auto& info) { return std::string(info.param.name); });

// Both ways to close end the loop, shut everything down and return 0.
struct CloseCase {
    const char* name;
    UINT message;
    WPARAM wParam;
};

class ClosingTheProgram : public AppScenario, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(ClosingTheProgram, EndsWithExitCodeZero) {
    const CloseCase& c = GetParam();
    const int limit = 50;
    const int code = run(limit, [&](int pass) {
        if (pass == 2) {
            post(c.message, c.wParam, 0);
        }
    });
    EXPECT_EQ(code, 0);
    // Pass 2 handles the request, pass 3 removes the quit message.
    EXPECT_EQ(passesSeen, 4);
    EXPECT_FALSE(appState.running);
    EXPECT_EQ(appState.device, nullptr);
    EXPECT_EQ(appState.polyhedron, nullptr);
    EXPECT_EQ(appState.material, nullptr);
    EXPECT_EQ(appState.ambientLight, nullptr);
    EXPECT_EQ(appState.directionalLight, nullptr);
}

INSTANTIATE_TEST_SUITE_P(, ClosingTheProgram,
                         ::testing::Values(CloseCase{"CloseBox", WM_CLOSE, 0},
                                           CloseCase{"FileExit", WM_COMMAND, IDM_EXIT}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Lifecycle, QuitMessageEndsTheLoopBeforeThatPassesFrame) {
    int presentsBeforeQuit = -1;
    const int code = run(20, [&](int pass) {
        if (pass == 5) {
            presentsBeforeQuit = backend->presentCount(appState.window);
            // The loop returns the quit message's code as the exit code.
            PostQuitMessage(7);
        }
    });
    EXPECT_EQ(code, 7);
    EXPECT_EQ(presentsBeforeQuit, 5);
    EXPECT_EQ(backend->presentCount(appState.window), 5);
    EXPECT_EQ(passesSeen, 6);
}

TEST_F(Lifecycle, SizeMessageWhileNotRunningLeavesTheDeviceAlone) {
    int widthWhileStopped = 0;
    std::uint8_t* bitsWhileStopped = nullptr;
    std::uint8_t* bitsBefore = nullptr;
    int widthAfterRestart = 0;
    run(2, [&](int pass) {
        if (pass == 0) {
            bitsBefore = appState.device->colorBits;
            appState.running = false; // as during start-up
            backend->resizeClient(appState.window, 400, 300);
            widthWhileStopped = appState.device->width;
            bitsWhileStopped = appState.device->colorBits;
            appState.running = true;
            backend->resizeClient(appState.window, 401, 301);
            widthAfterRestart = appState.device->width;
        }
    });
    EXPECT_EQ(widthWhileStopped, 632);
    EXPECT_EQ(bitsWhileStopped, bitsBefore);
    EXPECT_EQ(widthAfterRestart, 400);
}

// Memory stays flat however many dialogs open and resizes come: after the
// first round of every size and dialog, the heap in use is the same each
// time the window is back at its first size.
TEST_F(Lifecycle, MemoryStaysFlatAcrossDialogsAndResizes) {
    constexpr int kSizes[5][2] = {{200, 150}, {64, 48}, {320, 240}, {3, 3}, {150, 300}};
    long long heapAfterWarmUp = 0;
    long long heapAtEnd = 0;
    run(1301, [&](int pass) {
        if (pass == 301) {
            heapAfterWarmUp = static_cast<long long>(heapInUse());
        } else if (pass == 1301) {
            heapAtEnd = static_cast<long long>(heapInUse());
        }
        const int* size = kSizes[pass % 5];
        backend->resizeClient(appState.window, size[0], size[1]);
        menu(pass % 2 == 0 ? IDM_ABOUT : IDM_DIFFUSE_COLOR);
    });
    ASSERT_GT(backend->dialogCount(), 1300);
    EXPECT_LE(heapAtEnd - heapAfterWarmUp, 1024) << "grew from " << heapAfterWarmUp;
}

// Resizing the client area rebuilds the frame at the rounded size, and the
// picture is drawn around the new centre.
struct ResizeCase {
    int clientWidth, clientHeight;
    int frameWidth, frameHeight;
};

class Resizing : public AppScenario, public ::testing::WithParamInterface<ResizeCase> {};

TEST_P(Resizing, RebuildsTheFrame) {
    const ResizeCase& c = GetParam();
    int width = -1, height = -1;
    Picture shown;
    run(2, [&](int pass) {
        if (pass == 0) {
            backend->resizeClient(appState.window, c.clientWidth, c.clientHeight);
            width = appState.device->width;
            height = appState.device->height;
        }
        if (pass == 2) {
            shown = screen();
        }
    });
    EXPECT_EQ(width, c.frameWidth);
    EXPECT_EQ(height, c.frameHeight);
    if (c.frameWidth >= 64 && c.frameHeight >= 64) {
        ASSERT_EQ(shown.width, c.clientWidth);
        ASSERT_EQ(shown.height, c.clientHeight);
        const Silhouette s = silhouetteOf(shown);
        ASSERT_GT(s.pixels, 0);
        // The polyhedron is centred horizontally; its poles straddle the
        // middle row.
        EXPECT_NEAR((s.left + s.right) / 2.0, (c.frameWidth - 1) / 2.0, 0.08 * c.frameWidth);
        EXPECT_LT(s.top, (c.frameHeight - 1) / 2.0);
        EXPECT_GT(s.bottom, (c.frameHeight - 1) / 2.0);
    }
}

INSTANTIATE_TEST_SUITE_P(, Resizing,
                         ::testing::Values(ResizeCase{637, 434, 636, 432},
                                           ResizeCase{400, 300, 400, 300},
                                           ResizeCase{641, 481, 640, 480},
                                           ResizeCase{203, 97, 200, 96},
                                           // Minimized: no frame, and nothing breaks.
                                           ResizeCase{3, 2, 0, 0}),
                         [](const auto& info) {
                             return "Client" + std::to_string(info.param.clientWidth) + "x" +
                                    std::to_string(info.param.clientHeight);
                         });

TEST_F(Lifecycle, FrameComesBackAfterTheWindowWasTooSmall) {
    int widthAfter = 0;
    Silhouette s;
    run(4, [&](int pass) {
        if (pass == 0) {
            backend->resizeClient(appState.window, 2, 2);
        }
        if (pass == 2) {
            backend->resizeClient(appState.window, 320, 240);
            widthAfter = appState.device->width;
        }
        if (pass == 4) {
            s = silhouetteOf(screen());
        }
    });
    EXPECT_EQ(widthAfter, 320);
    EXPECT_GT(s.pixels, 0);
}

// Start-up failures: nothing runs, the exit code is 0, and the user sees
// exactly the messages listed.
struct StartFailure {
    const char* name;
    platform::FailurePoint failing;
    std::vector<std::string> texts;
};

class StartUpFailure : public AppScenario, public ::testing::WithParamInterface<StartFailure> {};

TEST_P(StartUpFailure, ExitsWithZeroAndTheRightMessages) {
    failures.failNext(GetParam().failing);
    const int code = run(5);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(startedLoop);
    std::vector<std::string> texts;
    for (const auto& box : backend->messageBoxes()) {
        texts.push_back(box.text);
        EXPECT_EQ(box.caption, "Application Message");
        EXPECT_EQ(box.owner, nullptr);
    }
    EXPECT_EQ(texts, GetParam().texts);
    EXPECT_EQ(appState.device, nullptr);
    EXPECT_FALSE(appState.running);
}

INSTANTIATE_TEST_SUITE_P(
    , StartUpFailure,
    ::testing::Values(StartFailure{"Bitmap",
                                   platform::FailurePoint::CreateDIBSection,
                                   {"Call to create bitmap failed",
                                    "Error occured while intiating the device"}},
                      StartFailure{"WindowClass", platform::FailurePoint::RegisterClass, {}},
                      StartFailure{"Window", platform::FailurePoint::CreateWindow, {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace apptest
