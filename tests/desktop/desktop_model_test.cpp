// The desktop backend's toolkit-free translations: labels, the menu bar's
// flat item list, key and mouse codes, frame copies and dialog control
// choices.

#include "platform/core/win32.h"
#include "platform/desktop/image_copy.h"
#include "platform/desktop/key_codes.h"
#include "platform/desktop/labels.h"
#include "platform/desktop/menu_bar_model.h"
#include "platform/desktop/mouse_codes.h"
#include "platform/desktop/window_layout.h"

#include <FL/Enumerations.H>
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

namespace platform::desktop {
namespace {

// ---------------------------------------------------------------------------
// Labels

struct LabelCase {
    std::string text;
    std::string plain;
    std::string menu;
};

// Tabs written as \t, so test names stay on one line.
void PrintTo(const LabelCase& c, std::ostream* os) {
    *os << '"';
    for (char ch : c.text) {
        if (ch == '\t') {
            *os << "\\t";
        } else {
            *os << ch;
        }
    }
    *os << '"';
}

class LabelTest : public ::testing::TestWithParam<LabelCase> {};

TEST_P(LabelTest, EscapesSymbolsAndCutsTheAcceleratorColumnOfMenus) {
    EXPECT_EQ(plainLabel(GetParam().text), GetParam().plain);
    EXPECT_EQ(menuLabel(GetParam().text), GetParam().menu);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LabelTest,
    ::testing::Values(LabelCase{"&File", "&File", "&File"}, LabelCase{"E&xit", "E&xit", "E&xit"},
                      LabelCase{"Fish && Chips", "Fish && Chips", "Fish && Chips"},
                      LabelCase{"@", "@@", "@@"}, LabelCase{"a@b@", "a@@b@@", "a@@b@@"},
                      LabelCase{"&Open\tCtrl+O", "&Open\tCtrl+O", "&Open"},
                      LabelCase{"\tonly", "\tonly", ""}, LabelCase{"", "", ""}));

// ---------------------------------------------------------------------------
// Menu bar

MenuItemView item(std::string text, unsigned id, bool checked = false) {
    return MenuItemView{std::move(text), id, false, checked};
}
MenuItemView separator() {
    return MenuItemView{"", 0, true, false};
}

std::vector<MenuPopupView> programMenu() {
    return {
        {"&File", {item("&Reset", 40007), item("E&xit", 40003)}},
        {"&Render",
         {item("&Wireframe", 40006), item("&Flat", 40004, true), item("&Gouraud", 40005),
          separator(), item("&Diffuse Color", 40008), item("&Ambient Color", 40009)}},
        {"&Help", {item("&About", 40002)}},
    };
}

using Kind = MenuBarEntry::Kind;

struct ExpectedEntry {
    Kind kind;
    std::string label;
    unsigned id;
    bool divider;
    bool checked;
};

void expectEntries(const std::vector<MenuBarEntry>& actual,
                   const std::vector<ExpectedEntry>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("entry " + std::to_string(i));
        EXPECT_EQ(actual[i].kind, expected[i].kind);
        EXPECT_EQ(actual[i].label, expected[i].label);
        EXPECT_EQ(actual[i].id, expected[i].id);
        EXPECT_EQ(actual[i].divider, expected[i].divider);
        EXPECT_EQ(actual[i].checked, expected[i].checked);
    }
}

TEST(MenuBarModel, ProgramMenuKeepsOrderIdsCheckMarkAndDivider) {
    expectEntries(flattenMenuBar(programMenu()),
                  {
                      {Kind::Popup, "&File", 0, false, false},
                      {Kind::Item, "&Reset", 40007, false, false},
                      {Kind::Item, "E&xit", 40003, false, false},
                      {Kind::EndOfPopup, "", 0, false, false},
                      {Kind::Popup, "&Render", 0, false, false},
                      {Kind::Item, "&Wireframe", 40006, false, false},
                      {Kind::Item, "&Flat", 40004, false, true},
                      {Kind::Item, "&Gouraud", 40005, true, false},
                      {Kind::Item, "&Diffuse Color", 40008, false, false},
                      {Kind::Item, "&Ambient Color", 40009, false, false},
                      {Kind::EndOfPopup, "", 0, false, false},
                      {Kind::Popup, "&Help", 0, false, false},
                      {Kind::Item, "&About", 40002, false, false},
                      {Kind::EndOfPopup, "", 0, false, false},
                  });
}

TEST(MenuBarModel, AcceleratorTextsBecomeTheToolkitsShortcuts) {
    const struct {
        const char* text;
        int shortcut;
    } cases[] = {{"&Open...\tCtrl+O", FL_CTRL | 'o'},
                 {"Save\tShift+Ctrl+s", FL_SHIFT | FL_CTRL | 's'},
                 {"Nine\tAlt+9", FL_ALT | '9'},
                 {"&Reset", 0},
                 {"Help\tF1", 0},
                 {"Odd\tCtrl+", 0},
                 {"Odd\tCtrl+Home", 0}};
    for (const auto& c : cases) {
        const std::vector<MenuBarEntry> entries = flattenMenuBar({{"&File", {item(c.text, 1)}}});
        ASSERT_EQ(entries.size(), 3u);
        EXPECT_EQ(entries[1].shortcut, c.shortcut) << c.text;
    }
}

TEST(MenuBarModel, SeparatorsAtTheEdgesAndInARowGiveAtMostOneDividerPerItem) {
    const std::vector<MenuPopupView> menu = {
        {"&A",
         {separator(), item("One", 1), separator(), separator(), item("Two", 2), separator()}},
        {"&B", {}},
        {"&C", {separator()}},
    };
    expectEntries(flattenMenuBar(menu), {
                                            {Kind::Popup, "&A", 0, false, false},
                                            {Kind::Item, "One", 1, true, false},
                                            {Kind::Item, "Two", 2, true, false},
                                            {Kind::EndOfPopup, "", 0, false, false},
                                            {Kind::Popup, "&B", 0, false, false},
                                            {Kind::EndOfPopup, "", 0, false, false},
                                            {Kind::Popup, "&C", 0, false, false},
                                            {Kind::EndOfPopup, "", 0, false, false},
                                        });
}

TEST(MenuBarModel, EmptyBarHasNoEntries) {
    EXPECT_TRUE(flattenMenuBar({}).empty());
}

TEST(MenuBarModel, GreyedItemsStayGreyedAndKeepTheirCheckMark) {
    std::vector<MenuPopupView> menu = programMenu();
    menu[1].items[1].grayed = true; // Flat, checked
    const std::vector<MenuBarEntry> entries = flattenMenuBar(menu);
    for (const MenuBarEntry& entry : entries) {
        EXPECT_EQ(entry.grayed, entry.id == 40004) << entry.label;
    }
    EXPECT_TRUE(entries[6].checked);
}

struct LayoutCase {
    const char* name;
    void (*change)(std::vector<MenuPopupView>&);
    bool same;
};

class MenuLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(MenuLayoutTest, OnlyCheckMarksMayDifferForTheSameLayout) {
    std::vector<MenuPopupView> changed = programMenu();
    GetParam().change(changed);
    EXPECT_EQ(sameMenuLayout(programMenu(), changed), GetParam().same);
    EXPECT_EQ(sameMenuLayout(changed, programMenu()), GetParam().same);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, MenuLayoutTest,
    ::testing::Values(
        LayoutCase{"Nothing", [](std::vector<MenuPopupView>&) {}, true},
        LayoutCase{"CheckMoved",
                   [](std::vector<MenuPopupView>& m) {
                       m[1].items[1].checked = false;
                       m[1].items[2].checked = true;
                   },
                   true},
        LayoutCase{"Greyed", [](std::vector<MenuPopupView>& m) { m[1].items[5].grayed = true; },
                   true},
        LayoutCase{"ItemText", [](std::vector<MenuPopupView>& m) { m[0].items[0].text = "R&eset"; },
                   false},
        LayoutCase{"ItemId", [](std::vector<MenuPopupView>& m) { m[2].items[0].id = 1; }, false},
        LayoutCase{"PopupText", [](std::vector<MenuPopupView>& m) { m[2].text = "&More"; }, false},
        LayoutCase{"SeparatorBecomesItem",
                   [](std::vector<MenuPopupView>& m) { m[1].items[3].separator = false; }, false},
        LayoutCase{"ItemAdded",
                   [](std::vector<MenuPopupView>& m) { m[2].items.push_back(item("&Tips", 9)); },
                   false},
        LayoutCase{"PopupRemoved", [](std::vector<MenuPopupView>& m) { m.pop_back(); }, false}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Keys

struct KeyCase {
    int toolkit;
    unsigned virtualKey;
};

void PrintTo(const KeyCase& c, std::ostream* os) {
    *os << "key 0x" << std::hex << c.toolkit << " -> 0x" << c.virtualKey;
}

class VirtualKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(VirtualKeyTest, MapsToolkitSymbol) {
    EXPECT_EQ(virtualKeyFor(GetParam().toolkit), GetParam().virtualKey)
        << "toolkit key 0x" << std::hex << GetParam().toolkit;
}

INSTANTIATE_TEST_SUITE_P(
    Keys, VirtualKeyTest,
    ::testing::Values(
        // The camera keys: arrows and the letters as upper-case codes.
        KeyCase{FL_Left, VK_LEFT}, KeyCase{FL_Up, VK_UP}, KeyCase{FL_Right, VK_RIGHT},
        KeyCase{FL_Down, VK_DOWN}, KeyCase{'a', 0x41}, KeyCase{'z', 0x5A}, KeyCase{'x', 0x58},
        KeyCase{'c', 0x43}, KeyCase{'A', 0x41}, KeyCase{'Z', 0x5A},
        // Digits, named keys, modifiers, function keys.
        KeyCase{'0', 0x30}, KeyCase{'9', 0x39}, KeyCase{' ', VK_SPACE},
        KeyCase{FL_Enter, VK_RETURN}, KeyCase{FL_KP_Enter, VK_RETURN},
        KeyCase{FL_Escape, VK_ESCAPE}, KeyCase{FL_Tab, VK_TAB}, KeyCase{FL_BackSpace, VK_BACK},
        KeyCase{FL_Delete, VK_DELETE}, KeyCase{FL_Home, VK_HOME}, KeyCase{FL_End, VK_END},
        KeyCase{FL_Page_Up, VK_PRIOR}, KeyCase{FL_Page_Down, VK_NEXT},
        KeyCase{FL_Shift_R, VK_SHIFT}, KeyCase{FL_Control_L, VK_CONTROL},
        KeyCase{FL_Alt_L, VK_MENU}, KeyCase{FL_Alt_R, VK_MENU}, KeyCase{FL_F + 1, VK_F1},
        KeyCase{FL_F + 10, VK_F10}, KeyCase{FL_F + 24, VK_F1 + 23},
        // No code: outside the function-key range, keypad digits, punctuation.
        KeyCase{FL_F, 0}, KeyCase{FL_F + 25, 0}, KeyCase{FL_KP + '5', 0}, KeyCase{'/', 0},
        KeyCase{'[', 0}, KeyCase{0, 0}));

// ---------------------------------------------------------------------------
// Mouse

TEST(MouseCodes, ToolkitStateBitsBecomeThePlatformsKeys) {
    const struct {
        int state;
        unsigned keys;
    } cases[] = {{0, 0},
                 {FL_BUTTON1, input::kLeftButton},
                 {FL_BUTTON2, input::kMiddleButton},
                 {FL_BUTTON3, input::kRightButton},
                 {FL_SHIFT | FL_BUTTON2, input::kShiftKey | input::kMiddleButton},
                 {FL_CTRL | FL_BUTTON3, input::kControlKey | input::kRightButton},
                 {FL_ALT | FL_META | FL_CAPS_LOCK, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(mouseKeysFor(c.state), c.keys) << "state 0x" << std::hex << c.state;
    }
}

TEST(MouseCodes, ButtonsAndWheelSteps) {
    EXPECT_EQ(mouseButtonFor(FL_LEFT_MOUSE), input::MouseButton::Left);
    EXPECT_EQ(mouseButtonFor(FL_MIDDLE_MOUSE), input::MouseButton::Middle);
    EXPECT_EQ(mouseButtonFor(FL_RIGHT_MOUSE), input::MouseButton::Right);
    EXPECT_FALSE(mouseButtonFor(0).has_value());
    EXPECT_FALSE(mouseButtonFor(4).has_value());

    // Toolkit steps are positive towards the user; a notch away is +120.
    const struct {
        int steps;
        int delta;
    } wheel[] = {{1, -120}, {-1, 120}, {3, -360}, {0, 0}, {1000, -32768}, {-1000, 32767}};
    for (const auto& c : wheel) {
        EXPECT_EQ(wheelDeltaFor(c.steps), c.delta) << c.steps << " steps";
    }
}

TEST(KeyRepeatTracker, HeldKeyRepeatsUntilReleased) {
    KeyRepeatTracker keys;
    EXPECT_FALSE(keys.press(VK_LEFT));
    EXPECT_TRUE(keys.press(VK_LEFT));
    EXPECT_TRUE(keys.press(VK_LEFT));
    EXPECT_FALSE(keys.press('A')) << "another key is a fresh press";
    keys.release(VK_LEFT);
    EXPECT_FALSE(keys.press(VK_LEFT));
    EXPECT_TRUE(keys.press('A'));
}

TEST(KeyRepeatTracker, ReleaseAllForgetsHeldKeysAndOutOfRangeCodesNeverRepeat) {
    KeyRepeatTracker keys;
    keys.press(VK_UP);
    keys.press('Z');
    keys.releaseAll();
    EXPECT_FALSE(keys.press(VK_UP));
    EXPECT_FALSE(keys.press('Z'));
    EXPECT_FALSE(keys.press(256));
    EXPECT_FALSE(keys.press(256));
    keys.release(100000); // ignored, not out of bounds
    EXPECT_TRUE(keys.press(VK_UP));
}

// ---------------------------------------------------------------------------
// Rectangles and frame copies

struct ClipCase {
    PixelRect in;
    PixelRect out;
};

void PrintTo(const ClipCase& c, std::ostream* os) {
    *os << "(" << c.in.left << "," << c.in.top << ")-(" << c.in.right << "," << c.in.bottom << ")";
}

class ClipRectTest : public ::testing::TestWithParam<ClipCase> {};

TEST_P(ClipRectTest, ClipsToTheImage) {
    const PixelRect r = clipRect(GetParam().in, 10, 8);
    EXPECT_EQ(r.left, GetParam().out.left);
    EXPECT_EQ(r.top, GetParam().out.top);
    EXPECT_EQ(r.right, GetParam().out.right);
    EXPECT_EQ(r.bottom, GetParam().out.bottom);
}

INSTANTIATE_TEST_SUITE_P(Rects, ClipRectTest,
                         ::testing::Values(ClipCase{{0, 0, 10, 8}, {0, 0, 10, 8}},
                                           ClipCase{{-5, -3, 4, 2}, {0, 0, 4, 2}},
                                           ClipCase{{6, 5, 40, 40}, {6, 5, 10, 8}},
                                           ClipCase{{10, 0, 12, 8}, {0, 0, 0, 0}},
                                           ClipCase{{0, 8, 10, 9}, {0, 0, 0, 0}},
                                           ClipCase{{-4, -4, 0, 0}, {0, 0, 0, 0}},
                                           ClipCase{{5, 5, 3, 7}, {0, 0, 0, 0}}));

TEST(UniteRects, EmptyRectanglesDoNotWiden) {
    const PixelRect a{2, 3, 4, 5};
    const PixelRect b{8, 1, 9, 4};
    const PixelRect u = uniteRects(a, b);
    EXPECT_EQ(u.left, 2);
    EXPECT_EQ(u.top, 1);
    EXPECT_EQ(u.right, 9);
    EXPECT_EQ(u.bottom, 5);
    const PixelRect e{0, 0, 0, 0};
    EXPECT_EQ(uniteRects(e, a).left, 2);
    EXPECT_EQ(uniteRects(a, e).right, 4);
    EXPECT_EQ(uniteRects(e, e).width(), 0);
}

// A w x h BGR frame with padded rows; pixel (x, y) holds blue x, green y,
// red `red`.
struct TestFrame {
    int width;
    int height;
    int stride;
    std::vector<std::uint8_t> bytes;

    TestFrame(int w, int h, std::uint8_t red, int padding = 5)
        : width(w), height(h), stride(w * 3 + padding),
          bytes(static_cast<std::size_t>(stride * h), 0xEE) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                std::uint8_t* p = &bytes[static_cast<std::size_t>(y * stride + x * 3)];
                p[0] = static_cast<std::uint8_t>(x);
                p[1] = static_cast<std::uint8_t>(y);
                p[2] = red;
            }
        }
    }
    ImageView view() const { return ImageView{width, height, stride, bytes.data()}; }
};

// The canvas pixel (x, y) as red, green, blue.
std::vector<int> canvasPixel(const RgbCanvas& c, int x, int y) {
    const std::uint8_t* p = &c.rgb[static_cast<std::size_t>(y * c.stride() + x * 3)];
    return {p[0], p[1], p[2]};
}

TEST(TakeFrame, FirstFrameIsCopiedWholeInRedGreenBlueOrder) {
    RgbCanvas canvas;
    const TestFrame frame(6, 4, 200);
    const PixelRect changed = takeFrame(canvas, frame.view(), PixelRect{1, 1, 2, 2});
    EXPECT_EQ(changed.width(), 6) << "a new size replaces the whole canvas";
    EXPECT_EQ(changed.height(), 4);
    ASSERT_EQ(canvas.width, 6);
    ASSERT_EQ(canvas.height, 4);
    EXPECT_EQ(canvas.rgb.size(), 6u * 4u * 3u) << "rows are packed, padding dropped";
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(canvasPixel(canvas, x, y), (std::vector<int>{200, y, x}));
        }
    }
}

TEST(TakeFrame, SameSizeFrameCopiesOnlyTheDirtyPart) {
    RgbCanvas canvas;
    takeFrame(canvas, TestFrame(6, 4, 10).view(), PixelRect{0, 0, 6, 4});
    const PixelRect changed = takeFrame(canvas, TestFrame(6, 4, 99).view(), PixelRect{2, 1, 4, 3});
    EXPECT_EQ(changed.left, 2);
    EXPECT_EQ(changed.top, 1);
    EXPECT_EQ(changed.right, 4);
    EXPECT_EQ(changed.bottom, 3);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 2 && x < 4 && y >= 1 && y < 3;
            EXPECT_EQ(canvasPixel(canvas, x, y)[0], inside ? 99 : 10) << x << "," << y;
        }
    }
}

TEST(TakeFrame, DirtyPartBeyondTheFrameIsClipped) {
    RgbCanvas canvas;
    takeFrame(canvas, TestFrame(6, 4, 10).view(), PixelRect{0, 0, 6, 4});
    const PixelRect changed =
        takeFrame(canvas, TestFrame(6, 4, 77).view(), PixelRect{-10, 2, 100, 100});
    EXPECT_EQ(changed.left, 0);
    EXPECT_EQ(changed.top, 2);
    EXPECT_EQ(changed.right, 6);
    EXPECT_EQ(changed.bottom, 4);
    EXPECT_EQ(canvasPixel(canvas, 5, 3)[0], 77);
    EXPECT_EQ(canvasPixel(canvas, 5, 1)[0], 10);
    EXPECT_EQ(takeFrame(canvas, TestFrame(6, 4, 55).view(), PixelRect{6, 0, 9, 4}).width(), 0);
    EXPECT_EQ(canvasPixel(canvas, 5, 0)[0], 10);
}

TEST(TakeFrame, MalformedFramesLeaveTheCanvasAlone) {
    RgbCanvas canvas;
    takeFrame(canvas, TestFrame(3, 2, 42).view(), PixelRect{0, 0, 3, 2});
    const TestFrame good(3, 2, 1);
    const ImageView bad[] = {
        ImageView{3, 2, good.stride, nullptr}, ImageView{0, 2, good.stride, good.bytes.data()},
        ImageView{3, -1, good.stride, good.bytes.data()},
        ImageView{3, 2, 8, good.bytes.data()}, // rows shorter than 3 pixels
    };
    for (const ImageView& frame : bad) {
        EXPECT_EQ(takeFrame(canvas, frame, PixelRect{0, 0, 3, 2}).width(), 0);
        EXPECT_EQ(canvas.width, 3);
        EXPECT_EQ(canvasPixel(canvas, 2, 1)[0], 42);
    }
}

// ---------------------------------------------------------------------------
// Window and dialog layout

// The outer rectangle holds the window manager's frame (here 1, 1, 20, 5
// as one decorates, or none), then the menu bar, then the client area.
TEST(ClientRect, FrameAndMenuBarComeOffTheOuterRectangleAndNothingGoesNegative) {
    const FrameExtents none{};
    const FrameExtents framed{1, 1, 20, 5};
    struct Case {
        PixelRect outer;
        FrameExtents frame;
        bool menu;
        PixelRect window; // the toolkit window on screen
        int cw, ch;
    };
    const Case cases[] = {
        {{0, 0, 640, 480}, none, true, {0, 0, 640, 480}, 640, 480 - kMenuBarHeight},
        {{0, 0, 640, 480}, none, false, {0, 0, 640, 480}, 640, 480},
        {{0, 0, 640, 480}, framed, true, {1, 20, 639, 475}, 638, 455 - kMenuBarHeight},
        {{-30, 40, 610, 520}, framed, false, {-29, 60, 609, 515}, 638, 455},
        {{0, 0, 100, kMenuBarHeight}, none, true, {0, 0, 100, kMenuBarHeight}, 100, 0},
        {{0, 0, 50, 10}, none, true, {0, 0, 50, 10}, 50, 0},
        // A frame as large as the window leaves a 1 x 1 toolkit window.
        {{0, 0, 2, 20}, framed, true, {1, 20, 2, 21}, 1, 0},
        {{0, 0, -3, -3}, none, false, {0, 0, 1, 1}, 1, 1},
    };
    for (const Case& c : cases) {
        const PixelRect w = windowRectInFrame(c.outer, c.frame);
        EXPECT_EQ(std::tie(w.left, w.top, w.right, w.bottom),
                  std::tie(c.window.left, c.window.top, c.window.right, c.window.bottom))
            << c.outer.width() << "x" << c.outer.height();
        const PixelRect r = clientRectForWindow(w.width(), w.height(), c.menu);
        EXPECT_EQ(r.left, 0);
        EXPECT_EQ(r.top, 0);
        EXPECT_EQ(r.width(), c.cw) << c.outer.width() << "x" << c.outer.height();
        EXPECT_EQ(r.height(), c.ch) << c.outer.width() << "x" << c.outer.height();
        if (c.outer.width() >= c.frame.left + c.frame.right + 1 &&
            c.outer.height() >= c.frame.top + c.frame.bottom + 1) {
            const PixelRect back = frameAround(w, c.frame);
            EXPECT_EQ(std::tie(back.left, back.top, back.right, back.bottom),
                      std::tie(c.outer.left, c.outer.top, c.outer.right, c.outer.bottom));
        }
    }
    EXPECT_EQ(clientRectForWindow(-3, -3, true).height(), 0);
    EXPECT_GT(kMinWindowHeight, kMenuBarHeight) << "a dragged-small window keeps a client area";
}

// Dialogs and message boxes: the frame's top-left where asked, moved onto
// the screen (1024 x 768 from the origin) as little as needed.
TEST(DialogPlacement, FrameLandsWhereAskedAndStaysOnTheScreen) {
    const PixelRect screen{0, 0, 1024, 768};
    const FrameExtents none{};
    const FrameExtents framed{1, 1, 20, 5};
    struct Case {
        PixelPoint asked; // the frame's top-left
        int w, h;         // the toolkit window
        FrameExtents frame;
        PixelPoint at; // the toolkit window's top-left
    };
    const Case cases[] = {
        {{1, 45}, 287, 112, framed, {2, 65}},       // under the owner's menu bar
        {{0, 25}, 287, 112, none, {0, 25}},         // no window manager: as before
        {{900, 700}, 287, 112, framed, {736, 651}}, // off the far edges: pushed back
        {{-50, -10}, 287, 112, framed, {1, 20}},    // off the near edges: caption on screen
        {{-50, -10}, 287, 112, none, {0, 0}},
        {{300, 200}, 2000, 1000, framed, {1, 20}}, // larger than the screen: top-left wins
    };
    for (const Case& c : cases) {
        const PixelPoint p = placeOnScreen(c.asked, c.w, c.h, c.frame, screen);
        EXPECT_EQ(std::tie(p.x, p.y), std::tie(c.at.x, c.at.y)) << c.asked.x << "," << c.asked.y;
    }
    // Centred over an owner's frame: 640 x 480 at the origin, box 302 x 120
    // with its frame.
    const PixelPoint centre = centredOver(PixelRect{0, 0, 640, 480}, 302, 120);
    EXPECT_EQ(centre.x, 169);
    EXPECT_EQ(centre.y, 180);
}

ControlView control(std::string className, std::uint32_t style, std::uint32_t exStyle = 0) {
    ControlView c;
    c.className = std::move(className);
    c.style = style;
    c.exStyle = exStyle;
    return c;
}

constexpr std::uint32_t kEdit = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr std::uint32_t kLabel = WS_CHILD | WS_VISIBLE | WS_GROUP;

struct ControlCase {
    const char* name;
    ControlView control;
    ControlKind kind;
    bool tabStop;
};

class ControlKindTest : public ::testing::TestWithParam<ControlCase> {};

TEST_P(ControlKindTest, ChoosesWidgetAndTabStop) {
    EXPECT_EQ(controlKindOf(GetParam().control), GetParam().kind);
    EXPECT_EQ(isTabStop(GetParam().control), GetParam().tabStop);
}

INSTANTIATE_TEST_SUITE_P(
    Controls, ControlKindTest,
    ::testing::Values(
        ControlCase{"ColourField", control("EDIT", kEdit), ControlKind::Edit, true},
        ControlCase{"FieldWithoutTabStop", control("EDIT", kEdit & ~WS_TABSTOP), ControlKind::Edit,
                    false},
        ControlCase{"DisabledField", control("EDIT", kEdit | WS_DISABLED), ControlKind::Edit,
                    false},
        ControlCase{"HiddenField", control("EDIT", kEdit & ~WS_VISIBLE), ControlKind::Edit, false},
        ControlCase{"CentredLabel", control("STATIC", kLabel | SS_CENTER), ControlKind::Text,
                    false},
        ControlCase{"LabelMarkedTabStop", control("STATIC", kLabel | SS_LEFT | WS_TABSTOP),
                    ControlKind::Text, false},
        ControlCase{"Icon", control("STATIC", WS_CHILD | WS_VISIBLE | SS_ICON), ControlKind::Icon,
                    false},
        ControlCase{"OkButton",
                    control("BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                            WS_EX_STATICEDGE | WS_EX_CLIENTEDGE),
                    ControlKind::PushButton, true},
        ControlCase{"DefaultButton",
                    control("BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON),
                    ControlKind::DefaultPushButton, true},
        ControlCase{"CheckBoxStyle", control("BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | 0x3),
                    ControlKind::Unsupported, false},
        ControlCase{"UnknownClass", control("LISTBOX", WS_CHILD | WS_VISIBLE | WS_TABSTOP),
                    ControlKind::Unsupported, false}),
    [](const ::testing::TestParamInfo<ControlCase>& info) { return std::string(info.param.name); });

TEST(StaticText, AlignmentFollowsTheStaticKindNotItsFlags) {
    EXPECT_EQ(textAlignOf(kLabel | SS_LEFT), TextAlign::Left);
    EXPECT_EQ(textAlignOf(kLabel | SS_CENTER), TextAlign::Center);
    EXPECT_EQ(textAlignOf(kLabel | SS_RIGHT), TextAlign::Right);
    EXPECT_EQ(textAlignOf(WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | SS_CENTER),
              TextAlign::Center);
}

TEST(StaticText, EdgesAndVisibility) {
    EXPECT_TRUE(hasSunkenEdge(control("STATIC", kLabel, WS_EX_STATICEDGE)));
    EXPECT_TRUE(hasSunkenEdge(control("BUTTON", kLabel, WS_EX_CLIENTEDGE)));
    EXPECT_FALSE(hasSunkenEdge(control("STATIC", kLabel, WS_EX_DLGMODALFRAME)));
    EXPECT_TRUE(isVisible(control("STATIC", kLabel)));
    EXPECT_FALSE(isVisible(control("STATIC", kLabel & ~WS_VISIBLE)));
}

} // namespace
} // namespace platform::desktop
