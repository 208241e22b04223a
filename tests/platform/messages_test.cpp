// The message queue, sending, default processing and reported input.
#include "platform_fixture.h"

#include <climits>

namespace octaspin_test {
namespace {

using MessagesTest = PlatformTest;

TEST_F(MessagesTest, PeekRemovesOneMessageAtATimeInPostingOrder) {
    HWND window = openMain();
    ASSERT_TRUE(PostMessageA(window, WM_USER + 1, 11, 0));
    ASSERT_TRUE(PostMessageA(window, WM_USER + 2, 22, 0));
    ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 3, 33, 0)); // a thread message
    ASSERT_TRUE(PostMessageA(window, WM_USER + 4, 44, 0));

    std::vector<std::pair<UINT, WPARAM>> order;
    MSG msg{};
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        order.emplace_back(msg.message, msg.wParam);
    }
    std::vector<std::pair<UINT, WPARAM>> expected{
        {WM_USER + 1, 11}, {WM_USER + 2, 22}, {WM_USER + 3, 33}, {WM_USER + 4, 44}};
    EXPECT_EQ(order, expected);
    // Nothing was dispatched by peeking.
    EXPECT_EQ(recorder.count(WM_USER + 1), 0);
}

TEST_F(MessagesTest, PeekWithoutRemoveLeavesTheMessage) {
    HWND window = openMain();
    PostMessageA(window, WM_USER, 1, 2);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
    EXPECT_EQ(msg.hwnd, window);
    EXPECT_EQ(msg.lParam, 2);
}

TEST_F(MessagesTest, PeekOnAnEmptyQueueReturnsAtOnceWithFalse) {
    openMain();
    MSG msg{};
    // Creation left the window waiting for a paint; answer it first.
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
    }
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessagesTest, PeekFiltersByWindowAndRange) {
    HWND window = openMain();
    PostMessageA(nullptr, WM_USER + 5, 0, 0);
    PostMessageA(window, WM_USER + 6, 0, 0);
    PostMessageA(window, WM_KEYDOWN, 'A', 0);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, window, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 6)); // thread message skipped
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 5));
}

struct QuitCase {
    const char* name;
    int code;
};

class QuitCodeTest : public PlatformTest, public ::testing::WithParamInterface<QuitCase> {};

TEST_P(QuitCodeTest, QuitCarriesTheExitCodeAfterPostedMessages) {
    HWND window = openMain();
    PostMessageA(window, WM_USER, 0, 0);
    PostQuitMessage(GetParam().code);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER)); // posted first, delivered first
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(static_cast<int>(msg.wParam), GetParam().code);
    EXPECT_EQ(msg.hwnd, nullptr);
    // Removed once: the next peek finds no second quit.
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) == FALSE || msg.message != WM_QUIT);
}

INSTANTIATE_TEST_SUITE_P(Codes, QuitCodeTest,
                         ::testing::Values(QuitCase{"Zero", 0}, QuitCase{"One", 1},
                                           QuitCase{"Large", 12345}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MessagesTest, SendAndDispatchRunTheProcedureAtOnce) {
    HWND window = openMain();
    recorder.react = [](HWND, UINT message, WPARAM wParam, LPARAM, LRESULT* result) {
        if (message == WM_USER) {
            *result = static_cast<LRESULT>(wParam * 2);
            return true;
        }
        return false;
    };
    EXPECT_EQ(SendMessageA(window, WM_USER, 21, 0), 42);
    ASSERT_EQ(recorder.count(WM_USER), 1);

    MSG msg{};
    msg.hwnd = window;
    msg.message = WM_USER;
    msg.wParam = 5;
    EXPECT_EQ(DispatchMessageA(&msg), 10);
    EXPECT_EQ(recorder.count(WM_USER), 2);
}

TEST_F(MessagesTest, CloseDestroysTheWindowWhichHearsDestroy) {
    HWND window = openMain();
    recorder.react = [](HWND, UINT message, WPARAM, LPARAM, LRESULT*) {
        if (message == WM_DESTROY) {
            PostQuitMessage(0);
        }
        return false;
    };
    platform::input::closeRequested(reinterpret_cast<platform::WindowId>(window));
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    ASSERT_EQ(msg.message, static_cast<UINT>(WM_CLOSE));
    DispatchMessageA(&msg);

    std::vector<UINT> tail;
    for (UINT m : recorder.messages()) {
        if (m == WM_CLOSE || m == WM_DESTROY || m == WM_NCDESTROY) {
            tail.push_back(m);
        }
    }
    EXPECT_EQ(tail, (std::vector<UINT>{WM_CLOSE, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_FALSE(IsWindow(window));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
}

TEST_F(MessagesTest, DestroyDropsMessagesStillQueuedForTheWindow) {
    HWND window = openMain();
    PostMessageA(window, WM_USER, 0, 0);
    PostMessageA(nullptr, WM_USER + 1, 0, 0);
    DestroyWindow(window);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessagesTest, InvalidatedWindowGetsPaintOnlyWhenTheQueueIsIdle) {
    HWND window = openMain();
    ShowWindow(window, SW_SHOW);
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
    }
    InvalidateRect(window, nullptr, FALSE);
    PostMessageA(window, WM_USER, 0, 0);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_PAINT));
    DispatchMessageA(&msg); // default processing validates
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    // A hidden window is not painted.
    ShowWindow(window, SW_HIDE);
    InvalidateRect(window, nullptr, TRUE);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessagesTest, PollHookRunsOnEveryPeekBeforeTheQueueIsRead) {
    HWND window = openMain();
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg); // the creation paint
    }
    int polls = 0;
    backend.setPollHook([&] {
        ++polls;
        if (polls == 1) {
            platform::input::keyDown(reinterpret_cast<platform::WindowId>(window), VK_LEFT, false,
                                     false);
        }
    });
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(polls, 2);
}

// --- Keyboard and mouse input -------------------------------------------

struct KeyCase {
    const char* name;
    unsigned key;
    bool alt;
    bool repeat;
    UINT message;
    LPARAM lParam;
};

class KeyInputTest : public PlatformTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeyInputTest, KeyDownPostsTheRightMessage) {
    const KeyCase& c = GetParam();
    HWND window = openMain();
    platform::input::keyDown(reinterpret_cast<platform::WindowId>(window), c.key, c.alt, c.repeat);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_SYSKEYUP, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, window);
    EXPECT_EQ(msg.message, c.message);
    EXPECT_EQ(msg.wParam, c.key);
    EXPECT_EQ(msg.lParam, c.lParam);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyInputTest,
    ::testing::Values(KeyCase{"Letter", 'A', false, false, WM_KEYDOWN, 1},
                      KeyCase{"Arrow", VK_LEFT, false, false, WM_KEYDOWN, 1},
                      KeyCase{"Repeat", VK_UP, false, true, WM_KEYDOWN, 1 | (1L << 30)},
                      KeyCase{"AltHeld", 'X', true, false, WM_SYSKEYDOWN, 1 | (1L << 29)},
                      KeyCase{"F10", VK_F10, false, false, WM_SYSKEYDOWN, 1}),
    [](const auto& info) { return std::string(info.param.name); });

struct MouseCase {
    const char* name;
    int x;
    int y;
    int expectX;
    int expectY;
};

class MouseInputTest : public PlatformTest, public ::testing::WithParamInterface<MouseCase> {};

TEST_P(MouseInputTest, CoordinatesArePackedAsSigned16BitValues) {
    const MouseCase& c = GetParam();
    HWND window = openMain();
    auto id = reinterpret_cast<platform::WindowId>(window);
    platform::input::leftButtonDown(id, c.x, c.y);
    platform::input::mouseMove(id, c.x, c.y, true);
    platform::input::leftButtonUp(id, c.x, c.y);
    platform::input::mouseMove(id, c.x, c.y, false);

    const UINT expectedMessages[] = {WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONUP, WM_MOUSEMOVE};
    const WPARAM expectedButtons[] = {MK_LBUTTON, MK_LBUTTON, 0, 0};
    for (int i = 0; i < 4; ++i) {
        MSG msg{};
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_MOUSEMOVE, WM_LBUTTONUP, PM_REMOVE));
        EXPECT_EQ(msg.message, expectedMessages[i]);
        EXPECT_EQ(msg.wParam & MK_LBUTTON, expectedButtons[i]);
        EXPECT_EQ(GET_X_LPARAM(msg.lParam), c.expectX);
        EXPECT_EQ(GET_Y_LPARAM(msg.lParam), c.expectY);
    }
}

INSTANTIATE_TEST_SUITE_P(Points, MouseInputTest,
                         ::testing::Values(MouseCase{"Inside", 100, 200, 100, 200},
                                           MouseCase{"LeftOfAndAbove", -5, -7, -5, -7},
                                           MouseCase{"BeyondShortRange", 40000, -40000, SHRT_MAX,
                                                     SHRT_MIN}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(MessagesTest, MenuCommandReachesTheWindowAsItsId) {
    HWND window = openMain();
    auto id = reinterpret_cast<platform::WindowId>(window);
    platform::input::menuCommand(id, kMenuGouraud);
    platform::input::menuCommand(id, 99999); // not on the window's menu: dropped
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    EXPECT_EQ(LOWORD(msg.wParam), kMenuGouraud);
    EXPECT_EQ(HIWORD(msg.wParam), 0);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_COMMAND, WM_COMMAND, PM_REMOVE));
}

TEST_F(MessagesTest, TranslateAddsTheCharacterMessageNext) {
    HWND window = openMain();
    PostMessageA(window, WM_USER, 0, 0);
    MSG key{};
    key.hwnd = window;
    key.message = WM_KEYDOWN;
    key.wParam = 'Z';
    EXPECT_TRUE(TranslateMessage(&key));
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>('z'));
    key.wParam = VK_LEFT;
    EXPECT_FALSE(TranslateMessage(&key)); // no character for an arrow
}

// --- Capture ----------------------------------------------------------------

TEST_F(MessagesTest, CaptureIsTakenReportedAndReleased) {
    HWND window = openMain();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(SetCapture(window), nullptr);
    EXPECT_EQ(GetCapture(), window);
    EXPECT_EQ(backend.capture(), window);
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(backend.capture(), nullptr);
    ASSERT_EQ(recorder.count(WM_CAPTURECHANGED), 1);
    EXPECT_TRUE(ReleaseCapture()); // releasing nothing is fine
}

TEST_F(MessagesTest, DestroyingTheCapturingWindowReleasesCapture) {
    HWND window = openMain();
    SetCapture(window);
    DestroyWindow(window);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(backend.capture(), nullptr);
}

} // namespace
} // namespace octaspin_test
