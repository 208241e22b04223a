// Modal dialogs from templates, driven by scripts through the headless
// backend.
#include "platform_fixture.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace octaspin_test {
namespace {

// A colour dialog procedure in the program's manner: the fields hold red
// (1001), green (1000) and blue (1002); Ok stores nothing but ends with 1;
// every edit repaints a preview rectangle in the fields' colour.
struct DialogLog {
    std::vector<Seen> seen;
    BOOL initResult = TRUE;
    bool endOnOk = true;
    bool endDuringInit = false;
    LPARAM initParam = 0;
    HWND focusCandidate = nullptr;
};
DialogLog* gLog = nullptr;

int fieldValue(HWND dialog, int id) {
    char buffer[4];
    GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
    return std::clamp(std::atoi(buffer), 0, 255);
}

constexpr RECT kPreview{20, 70, 170, 100};

INT_PTR CALLBACK colourProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    gLog->seen.push_back(Seen{dialog, message, wParam, lParam});
    switch (message) {
    case WM_INITDIALOG:
        gLog->initParam = lParam;
        gLog->focusCandidate = reinterpret_cast<HWND>(wParam);
        SetWindowTextA(GetDlgItem(dialog, 1001), "51");
        SetWindowTextA(GetDlgItem(dialog, 1000), "242");
        SetWindowTextA(GetDlgItem(dialog, 1002), "51");
        if (gLog->endDuringInit) {
            EndDialog(dialog, 9);
        }
        return gLog->initResult;
    case WM_COMMAND:
        if (wParam == IDOK && gLog->endOnOk) {
            EndDialog(dialog, 1);
        }
        if (HIWORD(wParam) == EN_CHANGE) {
            RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE);
        }
        return FALSE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(dialog, &ps);
        HBRUSH brush = CreateSolidBrush(
            RGB(fieldValue(dialog, 1001), fieldValue(dialog, 1000), fieldValue(dialog, 1002)));
        FillRect(dc, &kPreview, brush);
        DeleteObject(brush);
        EndPaint(dialog, &ps);
        return FALSE;
    }
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK aboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    gLog->seen.push_back(Seen{dialog, message, wParam, lParam});
    if (message == WM_COMMAND && wParam == static_cast<WPARAM>(kAboutOk)) {
        EndDialog(dialog, 2);
        return TRUE;
    }
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

class DialogsTest : public PlatformTest {
  protected:
    void SetUp() override {
        PlatformTest::SetUp();
        gLog = &log;
        owner = openMain();
    }
    void TearDown() override {
        gLog = nullptr;
        PlatformTest::TearDown();
    }
    INT_PTR runColour(LPARAM param = 0) {
        return DialogBoxParamA(instance, "IDD_COLORDLG", owner, colourProc, param);
    }
    std::vector<Seen> commands() const {
        std::vector<Seen> list;
        for (const Seen& s : log.seen) {
            if (s.message == WM_COMMAND) {
                list.push_back(s);
            }
        }
        return list;
    }

    DialogLog log;
    HWND owner = nullptr;
};

constexpr COLORREF kFace = RGB(240, 240, 240);

TEST_F(DialogsTest, WithoutAScriptEnterConfirmsAtOnce) {
    EXPECT_EQ(runColour(77), 1);
    EXPECT_EQ(log.initParam, 77);
    ASSERT_FALSE(log.seen.empty());
    EXPECT_EQ(log.seen.front().message, static_cast<UINT>(WM_INITDIALOG));
    EXPECT_EQ(backend.dialogsOpened(), (std::vector<std::string>{"Choose Color"}));
    EXPECT_EQ(backend.abandonedDialogs(), 0);
    // The dialog is gone; its last messages were WM_DESTROY and WM_NCDESTROY.
    EXPECT_FALSE(IsWindow(log.seen.front().window));
    ASSERT_GE(log.seen.size(), 2u);
    EXPECT_EQ(log.seen[log.seen.size() - 2].message, static_cast<UINT>(WM_DESTROY));
    EXPECT_EQ(log.seen.back().message, static_cast<UINT>(WM_NCDESTROY));
}

TEST_F(DialogsTest, SettingAFieldTextReportsAChangeLikeTheUsersTyping) {
    runColour();
    // WM_INITDIALOG set three fields: three EN_CHANGE notifications, each
    // with the field's id in the low word and its handle in lParam.
    std::vector<Seen> changes;
    for (const Seen& s : commands()) {
        if (HIWORD(s.wParam) == EN_CHANGE) {
            changes.push_back(s);
        }
    }
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(LOWORD(changes[0].wParam), 1001);
    EXPECT_EQ(LOWORD(changes[1].wParam), 1000);
    EXPECT_EQ(LOWORD(changes[2].wParam), 1002);
    EXPECT_NE(changes[0].lParam, 0);
}

TEST_F(DialogsTest, TypingSendsChangeThenThePaintLandsInTheDialogImage) {
    platform::ImageView afterTyping{};
    COLORREF preview = 0;
    COLORREF face = 0;
    std::size_t commandsBefore = 0;
    std::vector<UINT> afterType;
    int focus = -1;
    backend.queueDialogScript([&](platform::DialogDriver& d) {
        EXPECT_EQ(d.title(), "Choose Color");
        EXPECT_EQ(d.text(1000), "242");
        focus = d.focusedControl();
        // The first paint came before the script ran.
        platform::ImageView first = d.image();
        ASSERT_NE(first.bgr, nullptr);
        EXPECT_EQ(pixelAt(first, 25, 75), RGB(51, 242, 51));
        commandsBefore = log.seen.size();
        int paintsBefore = backend.dialogPaints();
        d.type(1001, "200");
        EXPECT_EQ(backend.dialogPaints(), paintsBefore + 1); // the backend heard of it
        for (std::size_t i = commandsBefore; i < log.seen.size(); ++i) {
            afterType.push_back(log.seen[i].message);
        }
        afterTyping = d.image();
        preview = pixelAt(afterTyping, 20, 70);
        face = pixelAt(afterTyping, 19, 70);
        EXPECT_EQ(pixelAt(afterTyping, 169, 99), RGB(200, 242, 51));
        EXPECT_EQ(pixelAt(afterTyping, 170, 99), kFace); // right edge exclusive
        EXPECT_EQ(d.text(1001), "200");
        d.pressEnter();
        EXPECT_TRUE(d.ended());
    });
    EXPECT_EQ(runColour(), 1);
    EXPECT_EQ(focus, 1000); // the first tab stop in template order
    // EN_CHANGE first; its handler invalidated; the paint followed once the
    // input was handled.
    ASSERT_GE(afterType.size(), 2u);
    EXPECT_EQ(afterType[0], static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(afterType[1], static_cast<UINT>(WM_PAINT));
    EXPECT_EQ(preview, RGB(200, 242, 51));
    EXPECT_EQ(face, kFace);
    // Dialog units to pixels: 191 x 69 units are 287 x 112 pixels.
    EXPECT_EQ(afterTyping.width, 287);
    EXPECT_EQ(afterTyping.height, 112);
    EXPECT_EQ(backend.abandonedDialogs(), 0);
}

TEST_F(DialogsTest, ClickSendsButtonClickedWithTheButtonsId) {
    backend.queueDialogScript([](platform::DialogDriver& d) { d.click(IDOK); });
    EXPECT_EQ(runColour(), 1);
    std::vector<Seen> list = commands();
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.back().wParam, static_cast<WPARAM>(MAKEWPARAM(IDOK, BN_CLICKED)));
    EXPECT_NE(list.back().lParam, 0); // the button's handle
}

TEST_F(DialogsTest, DialogThatIgnoresEnterIsAbandonedWithResultZero) {
    log.endOnOk = false;
    backend.queueDialogScript([](platform::DialogDriver& d) { d.type(1000, "12"); });
    EXPECT_EQ(runColour(), 0);
    EXPECT_EQ(backend.abandonedDialogs(), 1);
    // The next dialog starts fresh.
    log.endOnOk = true;
    EXPECT_EQ(runColour(), 1);
    EXPECT_EQ(backend.abandonedDialogs(), 1);
}

TEST_F(DialogsTest, ScriptsAreUsedInOrderOnePerDialog) {
    std::vector<std::string> order;
    backend.queueDialogScript([&](platform::DialogDriver& d) {
        order.push_back("first:" + d.title());
        d.pressEnter();
    });
    backend.queueDialogScript([&](platform::DialogDriver& d) {
        order.push_back("second:" + d.title());
        d.click(kAboutOk);
    });
    EXPECT_EQ(runColour(), 1);
    EXPECT_EQ(DialogBoxParamA(instance, MAKEINTRESOURCEA(kAboutDialogId), owner, aboutProc, 0), 2);
    EXPECT_EQ(order, (std::vector<std::string>{"first:Choose Color", "second:About"}));
}

TEST_F(DialogsTest, EnterChoosesTheDefaultPushButton) {
    EXPECT_EQ(DialogBoxParamA(instance, MAKEINTRESOURCEA(kAboutDialogId), owner, aboutProc, 0), 2);
    std::vector<Seen> list = commands();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(LOWORD(list[0].wParam), kAboutOk);
}

TEST_F(DialogsTest, InitReturningFalseLeavesNoFocus) {
    log.initResult = FALSE;
    int focus = -1;
    backend.queueDialogScript([&](platform::DialogDriver& d) { focus = d.focusedControl(); });
    runColour();
    EXPECT_EQ(focus, 0);
    EXPECT_EQ(GetDlgItem(nullptr, 1000), nullptr);
}

TEST_F(DialogsTest, InitGetsTheFirstTabStopAsFocusCandidate) {
    HWND candidate = nullptr;
    HWND green = nullptr;
    backend.queueDialogScript([&](platform::DialogDriver& d) {
        candidate = log.focusCandidate;
        green = GetDlgItem(d.dialog(), 1000);
    });
    runColour();
    EXPECT_NE(green, nullptr);
    EXPECT_EQ(candidate, green);
}

TEST_F(DialogsTest, EndedDuringInitNeverRunsTheModalLoop) {
    log.endDuringInit = true;
    EXPECT_EQ(runColour(), 9);
    EXPECT_TRUE(backend.dialogsOpened().empty());
}

TEST_F(DialogsTest, TheOwnerTakesNoInputWhileTheDialogIsOpen) {
    HWND parent = nullptr;
    backend.queueDialogScript([&](platform::DialogDriver& d) {
        parent = GetParent(d.dialog());
        auto id = reinterpret_cast<platform::WindowId>(owner);
        platform::input::keyDown(id, 'A', false, false);
        platform::input::leftButtonDown(id, 5, 5);
        platform::input::closeRequested(id);
    });
    runColour();
    EXPECT_EQ(parent, owner);
    MSG msg{};
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_CLOSE, WM_LBUTTONUP, PM_REMOVE));
    // Afterwards it does again.
    platform::input::keyDown(reinterpret_cast<platform::WindowId>(owner), 'A', false, false);
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
}

TEST_F(DialogsTest, UserDataOfTheOwnerReachesTheDialog) {
    float colour[3] = {0.2f, 0.95f, 0.2f};
    SetWindowLongPtrA(owner, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(colour));
    LONG_PTR seen = 0;
    backend.queueDialogScript([&](platform::DialogDriver& d) {
        seen = GetWindowLongPtrA(GetParent(d.dialog()), GWLP_USERDATA);
    });
    runColour();
    EXPECT_EQ(seen, reinterpret_cast<LONG_PTR>(colour));
}

struct DlgTextCase {
    const char* name;
    const char* typed;
    int id;
    int size;
    UINT count;
    const char* read;
};

class DialogTextTest : public DialogsTest, public ::testing::WithParamInterface<DlgTextCase> {};

TEST_P(DialogTextTest, GetDlgItemTextCopiesAtMostSizeMinusOne) {
    const DlgTextCase& c = GetParam();
    UINT count = 12345;
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    backend.queueDialogScript([&](platform::DialogDriver& d) {
        d.type(1001, c.typed);
        count = GetDlgItemTextA(d.dialog(), c.id, buffer, c.size);
    });
    runColour();
    EXPECT_EQ(count, c.count);
    EXPECT_STREQ(buffer, c.read);
    for (int i = c.size; i < 8; ++i) {
        EXPECT_EQ(buffer[i], 'x') << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Fields, DialogTextTest,
                         ::testing::Values(DlgTextCase{"FitsInFour", "255", 1001, 4, 3, "255"},
                                           DlgTextCase{"LongIsCut", "1000", 1001, 4, 3, "100"},
                                           DlgTextCase{"Negative", "-5", 1001, 4, 2, "-5"},
                                           DlgTextCase{"Empty", "", 1001, 4, 0, ""},
                                           DlgTextCase{"SizeOne", "42", 1001, 1, 0, ""},
                                           DlgTextCase{"UnknownControl", "42", 4242, 4, 0, ""}),
                         [](const auto& info) { return std::string(info.param.name); });

struct BadDialogCase {
    const char* name;
    LPCSTR templateName;
    bool badOwner;
    bool nullProc;
    INT_PTR result;
};

class BadDialogTest : public DialogsTest, public ::testing::WithParamInterface<BadDialogCase> {};

TEST_P(BadDialogTest, FailsWithoutOpening) {
    const BadDialogCase& c = GetParam();
    HWND dialogOwner = c.badOwner ? reinterpret_cast<HWND>(0x4321) : owner;
    EXPECT_EQ(DialogBoxParamA(instance, c.templateName, dialogOwner,
                              c.nullProc ? nullptr : colourProc, 0),
              c.result);
    EXPECT_TRUE(backend.dialogsOpened().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadDialogTest,
    ::testing::Values(BadDialogCase{"NoSuchTemplate", "NOPE", false, false, -1},
                      BadDialogCase{"NoSuchNumber", MAKEINTRESOURCEA(999), false, false, -1},
                      BadDialogCase{"UnknownControlClass", "BROKEN", false, false, -1},
                      BadDialogCase{"NoProcedure", "IDD_COLORDLG", false, true, -1},
                      BadDialogCase{"OwnerNotAWindow", "IDD_COLORDLG", true, false, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DialogsTest, SettingAStaticTextSendsNothing) {
    std::size_t before = 0;
    std::size_t after = 0;
    backend.queueDialogScript([&](platform::DialogDriver& d) {
        before = log.seen.size();
        HWND ok = GetDlgItem(d.dialog(), IDOK);
        ASSERT_NE(ok, nullptr);
        EXPECT_TRUE(SetDlgItemTextA(d.dialog(), IDOK, "Fine"));
        after = log.seen.size();
        EXPECT_EQ(d.text(IDOK), "Fine");
    });
    runColour();
    EXPECT_EQ(after, before);
}

TEST_F(DialogsTest, CloseBoxAsksForCancelWhichTheProcedureMayIgnore) {
    backend.queueDialogScript([&](platform::DialogDriver& d) {
        SendMessageA(d.dialog(), WM_CLOSE, 0, 0);
        EXPECT_FALSE(d.ended());
    });
    EXPECT_EQ(runColour(), 1);
    bool cancelSeen = false;
    for (const Seen& s : commands()) {
        cancelSeen = cancelSeen || LOWORD(s.wParam) == IDCANCEL;
    }
    EXPECT_TRUE(cancelSeen);
}

TEST_F(DialogsTest, DestroyingTheOwnerEndsTheDialog) {
    backend.queueDialogScript([&](platform::DialogDriver& d) {
        DestroyWindow(owner);
        EXPECT_TRUE(d.ended());
        d.pressEnter(); // harmless on a dialog that is gone
    });
    EXPECT_EQ(runColour(), 0);
    EXPECT_FALSE(IsWindow(owner));
    EXPECT_EQ(backend.abandonedDialogs(), 0);
}

} // namespace
} // namespace octaspin_test
