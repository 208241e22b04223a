// The dialogs as the platform itself lays them out from the program's
// resources: every text fits inside its control with the platform's
// dialog font and metrics, so nothing is cut off or pushed out of sight.
// (Under Wine the dialog font is wider than the classic one, which makes
// the check the stricter.)
#include "app/resource.h"
#include "platform/core/win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

INT_PTR CALLBACK quietDialog(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

struct ControlText {
    std::string text;
    RECT client{};
    RECT needed{}; // as the control's font draws the text at its width
};

// The text of every static and button of a dialog made from the template,
// measured as the control draws it: statics wrap at word breaks, buttons
// keep one line.
std::vector<ControlText> measureTexts(int templateId) {
    std::vector<ControlText> texts;
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId),
                                     nullptr, quietDialog, 0);
    if (dialog == nullptr) {
        return texts;
    }
    for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        char className[16] = {};
        GetClassNameA(c, className, sizeof className);
        const std::string kind = className;
        const LONG style = GetWindowLongA(c, GWL_STYLE);
        const bool isStatic = kind == "Static";
        if (!(isStatic || kind == "Button") || (isStatic && (style & SS_TYPEMASK) == SS_ICON)) {
            continue;
        }
        ControlText t;
        char text[256] = {};
        GetWindowTextA(c, text, sizeof text);
        t.text = text;
        GetClientRect(c, &t.client);
        t.needed = RECT{0, 0, t.client.right, 0};
        HDC dc = GetDC(c);
        HGDIOBJ previous =
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(c, WM_GETFONT, 0, 0)));
        DrawTextA(dc, text, -1, &t.needed,
                  DT_CALCRECT | DT_EXPANDTABS | (isStatic ? DT_WORDBREAK : DT_SINGLELINE));
        SelectObject(dc, previous);
        ReleaseDC(c, dc);
        texts.push_back(t);
    }
    DestroyWindow(dialog);
    return texts;
}

struct Dialog {
    const char* name;
    int templateId;
    std::size_t texts; // statics and buttons with text
};

class DialogTexts : public ::testing::TestWithParam<Dialog> {};

TEST_P(DialogTexts, FitTheirControls) {
    const std::vector<ControlText> texts = measureTexts(GetParam().templateId);
    ASSERT_EQ(texts.size(), GetParam().texts) << "the dialog could not be made";
    for (const ControlText& t : texts) {
        EXPECT_LE(t.needed.right, t.client.right) << "too wide: " << t.text;
        EXPECT_LE(t.needed.bottom, t.client.bottom) << "too tall: " << t.text;
    }
}

INSTANTIATE_TEST_SUITE_P(, DialogTexts,
                         ::testing::Values(Dialog{"ChooseColor", IDD_COLORDLG, 4},
                                           Dialog{"About", IDD_ORVANDEABOUT, 5}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
