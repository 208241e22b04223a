// Runs the real program (WinMain and everything under it) on the headless
// backend for a bounded number of frame-loop passes, and reads back what
// the window showed.
#pragma once

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/resources.h"
#include "platform/core/resource_module.h"
#include "platform/core/win32.h"
#include "platform/headless/headless.h"
#include "scene/scene_values.h"
#include "tests/support/failure_plan.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace apptest {

// A copy of a 24-bit picture, rows from the top, bytes blue, green, red.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgr;

    static Picture of(const platform::ImageView& view) {
        Picture p;
        if (view.bgr == nullptr) {
            return p;
        }
        p.width = view.width;
        p.height = view.height;
        p.bgr.resize(static_cast<std::size_t>(view.width) * view.height * 3);
        for (int y = 0; y < view.height; ++y) {
            const std::uint8_t* row = view.bgr + static_cast<std::ptrdiff_t>(y) * view.stride;
            std::copy(row, row + view.width * 3, p.bgr.begin() + y * view.width * 3);
        }
        return p;
    }
    bool empty() const { return bgr.empty(); }
    // (red, green, blue) packed as RGB() does.
    COLORREF at(int x, int y) const {
        const std::uint8_t* p = &bgr[(static_cast<std::size_t>(y) * width + x) * 3];
        return RGB(p[2], p[1], p[0]);
    }
    bool operator==(const Picture&) const = default;
};

// Not the polyhedron: the cleared frame (black), and white, which is both
// the overlay text's colour and the window's background where the client
// area reaches past the frame (the frame is rounded down to multiples of 4).
inline bool isBackground(COLORREF c) {
    return c == RGB(0, 0, 0) || c == RGB(255, 255, 255);
}
// The frame-rate overlay's text (white, with smoothed edges) sits at
// (10, 10) in the top rows; the polyhedron never reaches them in these
// scenarios.
inline constexpr int kOverlayRows = 32;

// Where the polyhedron is in a picture: its pixels' bounds, centroid and
// colours (overlay and background left out).
struct Silhouette {
    int pixels = 0;
    int left = 0, right = -1, top = 0, bottom = -1; // inclusive bounds
    double cx = 0.0, cy = 0.0;
    std::set<COLORREF> colors;
};

inline Silhouette silhouetteOf(const Picture& p) {
    Silhouette s;
    s.left = p.width;
    s.top = p.height;
    double sx = 0.0, sy = 0.0;
    for (int y = kOverlayRows; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            COLORREF c = p.at(x, y);
            if (isBackground(c)) {
                continue;
            }
            ++s.pixels;
            sx += x;
            sy += y;
            s.left = std::min(s.left, x);
            s.right = std::max(s.right, x);
            s.top = std::min(s.top, y);
            s.bottom = std::max(s.bottom, y);
            s.colors.insert(c);
        }
    }
    if (s.pixels > 0) {
        s.cx = sx / s.pixels;
        s.cy = sy / s.pixels;
    }
    return s;
}

class AppScenario : public ::testing::Test {
  protected:
    std::unique_ptr<platform::HeadlessBackend> ownedBackend;
    platform::HeadlessBackend* backend = nullptr;
    testsupport::FailurePlan failures;
    HINSTANCE instance = nullptr;
    int passesSeen = 0;
    bool startedLoop = false;
    // The millisecond clock, held still so that the overlay text repeats.
    DWORD clockMs = 5000;

    void SetUp() override { startFresh(); }

    // A fresh process: no windows, classes or modules, appState and the
    // frame-rate state as at start, a new backend.
    void startFresh() {
        resetAppState();
        platform::resetForTesting();
        ownedBackend = std::make_unique<platform::HeadlessBackend>();
        backend = ownedBackend.get();
        platform::setBackend(backend);
        platform::setClockForTesting([this] { return clockMs; });
        frameRate = FrameRateState{};
        instance = platform::registerModule(octaspinResources());
        startedLoop = false;
    }

    void TearDown() override {
        backend->setPollHook(nullptr);
        resetAppState();
        platform::setClockForTesting(nullptr);
        platform::resetForTesting();
        platform::setBackend(nullptr);
    }

    // Runs WinMain. atPass(k) runs at the start of pass k, before the pass
    // removes its message, for every pass up to `passes`; at pass `passes`
    // the close box is pressed (unless the program ended earlier). So
    // atPass(k) sees the frames of passes 0..k-1.
    int run(int passes, std::function<void(int)> atPass = {}) {
        passesSeen = 0;
        bool closed = false;
        backend->setPollHook([&, passes] {
            const int pass = passesSeen++;
            startedLoop = true;
            if (closed) {
                return;
            }
            if (atPass) {
                atPass(pass);
            }
            if (pass == passes) {
                closed = true;
                PostMessageA(appState.window, WM_CLOSE, 0, 0);
            }
        });
        char commandLine[] = "";
        const int code = WinMain(instance, nullptr, commandLine, SW_SHOWNORMAL);
        backend->setPollHook(nullptr);
        return code;
    }

    Picture screen() const { return Picture::of(backend->screen(appState.window)); }

    void post(UINT message, WPARAM wParam, LPARAM lParam) {
        PostMessageA(appState.window, message, wParam, lParam);
    }
    void key(WPARAM virtualKey) { post(WM_KEYDOWN, virtualKey, 1); }
    void press(int x, int y) { post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
    void drag(int x, int y) { post(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y)); }
    void release(int x, int y) { post(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
    void menu(int id) { post(WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    // Indices of the checked items of a pop-up of the menu bar as shown.
    std::vector<int> checkedItems(int popup) const {
        std::vector<int> checked;
        const auto* bar = backend->menuBar(appState.window);
        if (bar == nullptr || static_cast<int>(bar->size()) <= popup) {
            return checked;
        }
        const auto& items = (*bar)[static_cast<std::size_t>(popup)].items;
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i].checked) {
                checked.push_back(static_cast<int>(i));
            }
        }
        return checked;
    }
};

// Matrices compared element by element.
inline ::testing::AssertionResult matricesNear(const Matrix4& a, const Matrix4& b,
                                               float tolerance) {
    for (int i = 0; i < 16; ++i) {
        if (!(std::abs(a[i] - b[i]) <= tolerance)) {
            return ::testing::AssertionFailure()
                   << "element " << i << ": " << a[i] << " vs " << b[i];
        }
    }
    return ::testing::AssertionSuccess();
}

inline Matrix4 identityMatrix() {
    Matrix4 m;
    identity(m);
    return m;
}

// modelRotation after `steps` spin steps from the identity, built the way
// the frame loop builds it.
inline Matrix4 spun(int steps) {
    Matrix4 m = identityMatrix();
    Matrix4 r;
    rotationY(r, demo::kSpinPerFrame);
    for (int i = 0; i < steps; ++i) {
        multiply(m, m, r);
    }
    return m;
}

} // namespace apptest
