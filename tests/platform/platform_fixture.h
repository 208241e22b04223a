// Shared set-up for the platform tests: a clean layer with the headless
// backend installed, a recording window procedure, and a test module with
// a menu, a dialog template and an icon.
#pragma once

#include "platform/core/resource_module.h"
#include "platform/core/win32.h"
#include "platform/headless/headless.h"
#include "tests/support/failure_plan.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace octaspin_test {

struct Seen {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Every message any test window receives, in order. A test may add a
// reaction to run inside the procedure before default processing.
struct Recorder {
    std::vector<Seen> seen;
    std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)> react;

    std::vector<UINT> messages() const {
        std::vector<UINT> list;
        for (const Seen& s : seen) {
            list.push_back(s.message);
        }
        return list;
    }
    int count(UINT message) const {
        int n = 0;
        for (const Seen& s : seen) {
            n += s.message == message ? 1 : 0;
        }
        return n;
    }
    const Seen* last(UINT message) const {
        for (auto it = seen.rbegin(); it != seen.rend(); ++it) {
            if (it->message == message) {
                return &*it;
            }
        }
        return nullptr;
    }
};

inline Recorder* gRecorder = nullptr;

inline LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (gRecorder != nullptr) {
        gRecorder->seen.push_back(Seen{window, message, wParam, lParam});
        LRESULT result = 0;
        if (gRecorder->react && gRecorder->react(window, message, wParam, lParam, &result)) {
            return result;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

constexpr const char* kClassName = "Test Window Class";
constexpr UINT kMenuFlat = 40004;
constexpr UINT kMenuGouraud = 40005;
constexpr WORD kNumberedMenuId = 7;
constexpr WORD kAboutDialogId = 101;
constexpr int kAboutOk = 3;

inline platform::ResourceModule makeTestModule() {
    platform::ResourceModule module;
    platform::MenuResource menu;
    menu.name = platform::ResourceName::named("TESTMENU");
    menu.popups.push_back({"&File", {{"E&xit", 40003, false}}});
    menu.popups.push_back({"&Render",
                           {{"&Wireframe", 40006, false},
                            {"&Flat", kMenuFlat, false},
                            {"&Gouraud", kMenuGouraud, false},
                            {"", 0, true},
                            {"&Diffuse Color", 40008, false}}});
    module.menus.push_back(menu);
    platform::MenuResource numbered;
    numbered.name = platform::ResourceName::numbered(kNumberedMenuId);
    numbered.popups.push_back({"&Only", {{"&One", 1, false}}});
    module.menus.push_back(numbered);

    // A colour dialog: three fields, labels and an Ok button.
    platform::DialogTemplateResource colour;
    colour.name = platform::ResourceName::named("IDD_COLORDLG");
    colour.title = "Choose Color";
    colour.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    colour.fontName = "Sans Serif";
    colour.width = 191;
    colour.height = 69;
    const DWORD field = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
    const DWORD label = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_CENTER;
    colour.controls = {
        {1000, "EDIT", "", field, 0, 75, 22, 40, 12},
        {1001, "EDIT", "", field, 0, 15, 22, 40, 12},
        {1002, "EDIT", "", field, 0, 136, 22, 40, 12},
        {-1, "STATIC", "Red", label, 0, 22, 13, 28, 8},
        {IDOK, "BUTTON", "&Ok", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
         WS_EX_STATICEDGE | WS_EX_CLIENTEDGE, 132, 46, 52, 16},
    };
    module.dialogs.push_back(colour);

    // An about box, found by number, whose OK button is the default one.
    platform::DialogTemplateResource about;
    about.name = platform::ResourceName::numbered(kAboutDialogId);
    about.title = "About";
    about.width = 204;
    about.height = 105;
    about.controls = {
        {-1, "STATIC", "TEST_ICON", WS_CHILD | WS_VISIBLE | SS_ICON, 0, 13, 7, 21, 20},
        {-1, "STATIC", "Click", WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 26, 50, 142, 10},
        {kAboutOk, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 147, 7,
         50, 14},
    };
    module.dialogs.push_back(about);

    platform::DialogTemplateResource broken;
    broken.name = platform::ResourceName::named("BROKEN");
    broken.title = "Broken";
    broken.controls = {{5, "NOSUCHCLASS", "", WS_CHILD, 0, 0, 0, 10, 10}};
    module.dialogs.push_back(broken);

    platform::IconResource icon;
    icon.name = platform::ResourceName::named("TEST_ICON");
    icon.palette[0] = RGB(0, 0, 0);
    icon.palette[1] = RGB(255, 0, 0);
    icon.pixels[0] = 1;
    module.icons.push_back(icon);
    return module;
}

class PlatformTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::resetForTesting();
        platform::setBackend(&backend);
        gRecorder = &recorder;
        instance = platform::registerModule(module);
    }
    void TearDown() override {
        gRecorder = nullptr;
        platform::setBackend(nullptr);
        platform::resetForTesting();
    }

    ATOM registerClass(const char* menuName = "TESTMENU") {
        WNDCLASSA c{};
        c.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
        c.lpfnWndProc = recordingProc;
        c.hInstance = instance;
        c.hIcon = LoadIconA(instance, "TEST_ICON");
        c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        c.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        c.lpszMenuName = menuName;
        c.lpszClassName = kClassName;
        return RegisterClassA(&c);
    }

    // The program's window: 640 x 480 outer, with the class menu.
    HWND createMain(int width = 640, int height = 480) {
        return CreateWindowExA(0, kClassName, "Test", WS_OVERLAPPEDWINDOW, 0, 0, width, height,
                               nullptr, nullptr, instance, nullptr);
    }

    // Registers the class and creates the window, forgetting the messages
    // creation caused.
    HWND openMain() {
        EXPECT_NE(registerClass(), 0);
        HWND window = createMain();
        EXPECT_NE(window, nullptr);
        recorder.seen.clear();
        return window;
    }

    platform::HeadlessBackend backend;
    testsupport::FailurePlan failures;
    Recorder recorder;
    platform::ResourceModule module = makeTestModule();
    HINSTANCE instance = nullptr;
};

// Reads pixel (x, y), rows counted from the top, of a top-down image.
inline COLORREF pixelAt(const platform::ImageView& image, int x, int y) {
    const std::uint8_t* p = image.bgr + static_cast<std::ptrdiff_t>(y) * image.stride + x * 3;
    return RGB(p[2], p[1], p[0]);
}

} // namespace octaspin_test
