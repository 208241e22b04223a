// Window classes and windows: creation, sizes, showing, destruction, data,
// failure injection and calls on handles that name nothing.
#include "platform_fixture.h"

#include <cstring>

namespace octaspin_test {
namespace {

using WindowsTest = PlatformTest;

const Seen* lastSize(const Recorder& r) {
    return r.last(WM_SIZE);
}

TEST_F(WindowsTest, CreationSendsCreateThenTheClientSizeOfTheHeadlessMetrics) {
    ASSERT_NE(registerClass(), 0);
    HWND window = createMain();
    ASSERT_NE(window, nullptr);
    std::vector<UINT> expected{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE};
    EXPECT_EQ(recorder.messages(), expected);
    const Seen* size = lastSize(recorder);
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(size->wParam, static_cast<WPARAM>(SIZE_RESTORED));
    // 640 - 2 * 4 frame; 480 - 2 * 4 frame - 18 caption - 20 menu bar.
    EXPECT_EQ(LOWORD(size->lParam), 632);
    EXPECT_EQ(HIWORD(size->lParam), 434);
    RECT client{};
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.right - client.left, 632);
    EXPECT_EQ(client.bottom - client.top, 434);
}

struct ClientCase {
    const char* name;
    const char* menuName;
    int width;
    int height;
    int clientWidth;
    int clientHeight;
};

class ClientSizeTest : public PlatformTest, public ::testing::WithParamInterface<ClientCase> {};

TEST_P(ClientSizeTest, ClientAreaFollowsFrameCaptionAndMenuBar) {
    const ClientCase& c = GetParam();
    ASSERT_NE(registerClass(c.menuName), 0);
    HWND window = createMain(c.width, c.height);
    ASSERT_NE(window, nullptr);
    RECT client{};
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.right, c.clientWidth);
    EXPECT_EQ(client.bottom, c.clientHeight);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ClientSizeTest,
                         ::testing::Values(ClientCase{"WithMenu", "TESTMENU", 640, 480, 632, 434},
                                           ClientCase{"WithoutMenu", nullptr, 640, 480, 632, 454},
                                           ClientCase{"MissingMenu", "NOSUCHMENU", 640, 480, 632,
                                                      454},
                                           ClientCase{"TooSmall", "TESTMENU", 6, 30, 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowsTest, ShowSendsShowWindowAndSizeAndUpdatePaints) {
    HWND window = openMain();
    EXPECT_FALSE(ShowWindow(window, SW_SHOWDEFAULT)); // was hidden
    EXPECT_EQ(recorder.messages(), (std::vector<UINT>{WM_SHOWWINDOW, WM_SIZE}));
    EXPECT_TRUE(backend.visible(window));
    recorder.seen.clear();
    EXPECT_TRUE(UpdateWindow(window));
    // The paint that creation left pending, erasing the background first.
    EXPECT_EQ(recorder.messages(), (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}));
    recorder.seen.clear();
    UpdateWindow(window); // nothing left to paint
    EXPECT_TRUE(recorder.seen.empty());
    EXPECT_TRUE(ShowWindow(window, SW_HIDE));
    EXPECT_FALSE(backend.visible(window));
}

TEST_F(WindowsTest, MinimizeLeavesNoClientAreaAndRestoreBringsItBack) {
    HWND window = openMain();
    ShowWindow(window, SW_SHOWMINIMIZED);
    const Seen* size = lastSize(recorder);
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(size->wParam, static_cast<WPARAM>(SIZE_MINIMIZED));
    EXPECT_EQ(size->lParam, 0);
    ShowWindow(window, SW_RESTORE);
    size = lastSize(recorder);
    EXPECT_EQ(size->wParam, static_cast<WPARAM>(SIZE_RESTORED));
    EXPECT_EQ(LOWORD(size->lParam), 632);
    EXPECT_EQ(HIWORD(size->lParam), 434);
}

TEST_F(WindowsTest, ResizeSendsSizeThenPaintAtOnce) {
    HWND window = openMain();
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    recorder.seen.clear();
    backend.resizeClient(window, 401, 299);
    ASSERT_GE(recorder.seen.size(), 2u);
    EXPECT_EQ(recorder.seen[0].message, static_cast<UINT>(WM_SIZE));
    EXPECT_EQ(LOWORD(recorder.seen[0].lParam), 401);
    EXPECT_EQ(HIWORD(recorder.seen[0].lParam), 299);
    EXPECT_EQ(recorder.seen[1].message, static_cast<UINT>(WM_PAINT));
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 401);
    EXPECT_EQ(client.bottom, 299);
    // Through a client area without width (its picture holds no pixels but
    // keeps its height) and back: nothing of the old picture to keep.
    backend.resizeClient(window, 0, 299);
    backend.resizeClient(window, 401, 299);
    HDC dc = GetDC(window);
    RECT r{0, 0, 10, 10};
    EXPECT_TRUE(FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
    ReleaseDC(window, dc);
}

TEST_F(WindowsTest, HugeSizesAreHeldToWhatSizeMessagesCarry) {
    HWND window = openMain();
    backend.resizeClient(window, 70000, -3);
    const Seen* size = lastSize(recorder);
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(LOWORD(size->lParam), 0xffff);
    EXPECT_EQ(HIWORD(size->lParam), 0);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 0xffff);
    EXPECT_EQ(client.bottom, 0);
    // A client area too large to keep a picture of takes no drawing, and
    // does no harm.
    backend.resizeClient(window, 0xffff, 0xffff);
    HDC dc = GetDC(window);
    RECT r{0, 0, 10, 10};
    EXPECT_FALSE(FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
    ReleaseDC(window, dc);
    HWND wide = CreateWindowExA(0, kClassName, "W", WS_OVERLAPPEDWINDOW, INT32_MAX, INT32_MIN,
                                INT32_MAX, INT32_MAX, nullptr, nullptr, instance, nullptr);
    ASSERT_NE(wide, nullptr);
    GetClientRect(wide, &client);
    EXPECT_LE(client.right, 0xffff);
}

TEST_F(WindowsTest, CreateParameterArrivesInCreateStruct) {
    ASSERT_NE(registerClass(), 0);
    int marker = 0;
    LPVOID seenParam = nullptr;
    recorder.react = [&seenParam](HWND, UINT message, WPARAM, LPARAM lParam, LRESULT*) {
        if (message == WM_CREATE) {
            seenParam = reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams;
        }
        return false;
    };
    HWND window = CreateWindowExA(0, kClassName, "T", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr,
                                  nullptr, instance, &marker);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(seenParam, &marker);
}

TEST_F(WindowsTest, CreateReturningMinusOneFailsAndDestroys) {
    ASSERT_NE(registerClass(), 0);
    recorder.react = [](HWND, UINT message, WPARAM, LPARAM, LRESULT* result) {
        if (message == WM_CREATE) {
            *result = -1;
            return true;
        }
        return false;
    };
    EXPECT_EQ(createMain(), nullptr);
    EXPECT_EQ(recorder.count(WM_DESTROY), 1);
}

TEST_F(WindowsTest, UserDataAndInstanceAreKeptPerWindow) {
    HWND window = openMain();
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_HINSTANCE), reinterpret_cast<LONG_PTR>(instance));
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), 0);
    float colour[3] = {0.2f, 0.95f, 0.2f};
    EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(colour)), 0);
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(colour));
    EXPECT_EQ(SetWindowLongPtrA(window, GWLP_USERDATA, 7), reinterpret_cast<LONG_PTR>(colour));
    EXPECT_EQ(GetWindowLongPtrA(window, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(recordingProc));
}

struct TextCase {
    const char* name;
    int bufferSize;
    int expectedCount;
    const char* expectedText;
};

class WindowTextTest : public PlatformTest, public ::testing::WithParamInterface<TextCase> {};

TEST_P(WindowTextTest, CopiesAtMostSizeMinusOneAndTerminates) {
    const TextCase& c = GetParam();
    HWND window = openMain();
    ASSERT_TRUE(SetWindowTextA(window, "Hello"));
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(GetWindowTextA(window, buffer, c.bufferSize), c.expectedCount);
    if (c.bufferSize > 0) {
        EXPECT_STREQ(buffer, c.expectedText);
    }
    // Nothing beyond the stated size is touched.
    for (int i = std::max(c.bufferSize, 0); i < 16; ++i) {
        EXPECT_EQ(buffer[i], 'x') << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, WindowTextTest,
                         ::testing::Values(TextCase{"Roomy", 16, 5, "Hello"},
                                           TextCase{"Exact", 6, 5, "Hello"},
                                           TextCase{"Short", 4, 3, "Hel"},
                                           TextCase{"One", 1, 0, ""}, TextCase{"Zero", 0, 0, ""}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Calls on handles that name nothing -----------------------------------

struct DeadHandleCase {
    const char* name;
    std::function<bool(HWND)> callFailsHarmlessly;
};

class DeadWindowTest : public PlatformTest, public ::testing::WithParamInterface<DeadHandleCase> {};

TEST_P(DeadWindowTest, CallOnDestroyedWindowFails) {
    HWND window = openMain();
    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(GetParam().callFailsHarmlessly(window));
    // Nor does a made-up handle name anything.
    EXPECT_TRUE(GetParam().callFailsHarmlessly(reinterpret_cast<HWND>(0x1234)));
}

INSTANTIATE_TEST_SUITE_P(
    Calls, DeadWindowTest,
    ::testing::Values(
        DeadHandleCase{"ShowWindow", [](HWND w) { return ShowWindow(w, SW_SHOW) == FALSE; }},
        DeadHandleCase{"UpdateWindow", [](HWND w) { return UpdateWindow(w) == FALSE; }},
        DeadHandleCase{"GetClientRect",
                       [](HWND w) {
                           RECT r{1, 2, 3, 4};
                           return GetClientRect(w, &r) == FALSE && r.left == 1 && r.bottom == 4;
                       }},
        DeadHandleCase{"DestroyWindow", [](HWND w) { return DestroyWindow(w) == FALSE; }},
        DeadHandleCase{"SendMessage", [](HWND w) { return SendMessageA(w, WM_USER, 0, 0) == 0; }},
        DeadHandleCase{"PostMessage", [](HWND w) { return PostMessageA(w, WM_USER, 0, 0) == 0; }},
        DeadHandleCase{"GetDC", [](HWND w) { return GetDC(w) == nullptr; }},
        DeadHandleCase{"GetMenu", [](HWND w) { return GetMenu(w) == nullptr; }},
        DeadHandleCase{"SetCapture", [](HWND w) { return SetCapture(w) == nullptr; }},
        DeadHandleCase{"UserData",
                       [](HWND w) {
                           return SetWindowLongPtrA(w, GWLP_USERDATA, 5) == 0 &&
                                  GetWindowLongPtrA(w, GWLP_USERDATA) == 0;
                       }},
        DeadHandleCase{"SetWindowText", [](HWND w) { return SetWindowTextA(w, "x") == FALSE; }},
        DeadHandleCase{
            "RedrawWindow",
            [](HWND w) { return RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE) == 0; }},
        DeadHandleCase{"BeginPaint",
                       [](HWND w) {
                           PAINTSTRUCT ps{};
                           return BeginPaint(w, &ps) == nullptr;
                       }},
        DeadHandleCase{"GetParent", [](HWND w) { return GetParent(w) == nullptr; }},
        DeadHandleCase{"GetDlgItem", [](HWND w) { return GetDlgItem(w, 1) == nullptr; }},
        DeadHandleCase{"EndDialog", [](HWND w) { return EndDialog(w, 1) == FALSE; }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowsTest, FrameAfterTheWindowIsGoneDoesNoHarm) {
    HWND window = openMain();
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{40, 8, 8, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    HDC windowDc = GetDC(window);
    ASSERT_NE(windowDc, nullptr);
    DestroyWindow(window);
    // The present sequence of a frame, after the window went away.
    HDC memory = CreateCompatibleDC(windowDc);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    EXPECT_FALSE(BitBlt(windowDc, 0, 0, 8, 8, memory, 0, 0, SRCCOPY));
    SelectObject(memory, previous);
    EXPECT_TRUE(DeleteDC(memory));
    ReleaseDC(window, windowDc);
    HDC late = GetDC(window);
    EXPECT_EQ(late, nullptr);
    EXPECT_FALSE(BitBlt(late, 0, 0, 8, 8, nullptr, 0, 0, SRCCOPY));
    EXPECT_EQ(backend.presentCount(window), 0);
    EXPECT_TRUE(DeleteObject(bitmap));
}

// --- Failure injection and a missing backend ---------------------------------

TEST_F(WindowsTest, InjectedFailuresFailExactlyTheNextCalls) {
    failures.failNext(platform::FailurePoint::RegisterClass);
    EXPECT_EQ(registerClass(), 0);
    EXPECT_NE(registerClass(), 0);

    failures.failNext(platform::FailurePoint::CreateWindow, 2);
    EXPECT_EQ(createMain(), nullptr);
    EXPECT_EQ(createMain(), nullptr);
    EXPECT_TRUE(recorder.seen.empty()); // failed before any message
    EXPECT_NE(createMain(), nullptr);

    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{40, 4, 4, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = reinterpret_cast<void*>(0x1);
    failures.failNext(platform::FailurePoint::CreateDIBSection);
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
    HBITMAP ok = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    EXPECT_NE(ok, nullptr);
    DeleteObject(ok);
}

TEST_F(WindowsTest, RegisteringAClassTwiceFails) {
    EXPECT_NE(registerClass(), 0);
    EXPECT_EQ(registerClass(), 0);
}

TEST_F(WindowsTest, WithoutABackendNoWindowCanBeCreated) {
    ASSERT_NE(registerClass(), 0);
    platform::setBackend(nullptr);
    EXPECT_EQ(createMain(), nullptr);
    EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", MB_OK), IDOK); // goes to stderr
}

TEST_F(WindowsTest, UnknownClassFails) {
    EXPECT_EQ(CreateWindowExA(0, "No Such Class", "T", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr,
                              nullptr, instance, nullptr),
              nullptr);
}

TEST_F(WindowsTest, MessageBoxIsRecordedAndReturnsOk) {
    HWND window = openMain();
    EXPECT_EQ(MessageBoxA(window, "Call to create bitmap failed", "Application Message",
                          MB_OK | MB_ICONERROR),
              IDOK);
    ASSERT_EQ(backend.messageBoxes().size(), 1u);
    const platform::RecordedMessageBox& box = backend.messageBoxes()[0];
    EXPECT_EQ(box.owner, window);
    EXPECT_EQ(box.text, "Call to create bitmap failed");
    EXPECT_EQ(box.caption, "Application Message");
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONERROR));
}

TEST_F(WindowsTest, HandlesFromBeforeAResetNameNothing) {
    HWND window = openMain();
    platform::resetForTesting();
    platform::setBackend(&backend);
    instance = platform::registerModule(module);
    EXPECT_FALSE(IsWindow(window));
    HWND again = openMain();
    EXPECT_NE(again, window);
}

} // namespace
} // namespace octaspin_test
