// The page's keys, pointer events and file-picker types in the platform's
// terms.
#include "platform/core/win32.h"
#include "platform/web/input_map.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using platform::web::clientPointFor;
using platform::web::mouseButtonFor;
using platform::web::mouseKeysFor;
using platform::web::virtualKeyForCode;
using platform::web::wheelDeltaFor;

TEST(WebKeys, PhysicalKeyCodesGiveTheProgramsVirtualKeys) {
    struct Row {
        const char* code;
        unsigned virtualKey;
    };
    const Row rows[] = {
        // The camera keys and the menu mnemonics.
        {"ArrowLeft", VK_LEFT},
        {"ArrowRight", VK_RIGHT},
        {"ArrowUp", VK_UP},
        {"ArrowDown", VK_DOWN},
        {"KeyA", 'A'},
        {"KeyZ", 'Z'},
        {"KeyX", 'X'},
        {"KeyC", 'C'},
        {"KeyF", 'F'},
        {"KeyR", 'R'},
        {"KeyH", 'H'},
        {"Digit0", '0'},
        {"Digit9", '9'},
        {"Enter", VK_RETURN},
        {"NumpadEnter", VK_RETURN},
        {"Escape", VK_ESCAPE},
        {"Tab", VK_TAB},
        {"Space", VK_SPACE},
        {"AltLeft", VK_MENU},
        {"AltRight", VK_MENU},
        {"ShiftRight", VK_SHIFT},
        {"ControlLeft", VK_CONTROL},
        {"F1", VK_F1},
        {"F10", VK_F10},
        {"F24", VK_F1 + 23},
        // Not keys of the program, or not codes at all: no key.
        {"F25", 0},
        {"F0", 0},
        {"F01", 0},
        {"F", 0},
        {"F1x", 0},
        {"Keya", 0},
        {"Key", 0},
        {"KeyAB", 0},
        {"Digit", 0},
        {"Digit10", 0},
        {"Numpad5", 0},
        {"IntlBackslash", 0},
        {"arrowleft", 0},
        {"", 0},
        {"KeyA ", 0},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(virtualKeyForCode(row.code), row.virtualKey) << '"' << row.code << '"';
    }
    // A code with an embedded zero byte is not its prefix.
    EXPECT_EQ(virtualKeyForCode(std::string("KeyA\0", 5)), 0u);
}

TEST(WebPointer, ButtonsHeldKeysAndWheelTurnsInThePlatformsTerms) {
    using platform::input::MouseButton;
    EXPECT_EQ(mouseButtonFor(0), MouseButton::Left);
    EXPECT_EQ(mouseButtonFor(1), MouseButton::Middle);
    EXPECT_EQ(mouseButtonFor(2), MouseButton::Right);
    for (const int other : {-1, 3, 4, 1000}) {
        EXPECT_FALSE(mouseButtonFor(other).has_value()) << other;
    }

    // The page's buttons mask orders secondary before middle; the
    // platform's bits order them the other way.
    const struct {
        int buttons;
        bool shift, ctrl;
        unsigned keys;
    } held[] = {{0, false, false, 0},
                {1, false, false, MK_LBUTTON},
                {2, false, false, MK_RBUTTON},
                {4, false, false, MK_MBUTTON},
                {4, true, false, MK_MBUTTON | MK_SHIFT},
                {1 | 2 | 4 | 8 | 16, true, true,
                 MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_SHIFT | MK_CONTROL}};
    for (const auto& row : held) {
        EXPECT_EQ(mouseKeysFor(row.buttons, row.shift, row.ctrl), row.keys) << row.buttons;
    }

    // A notch towards the user is deltaY 100 pixels, 3 lines or 1 page:
    // -120 each time.
    const struct {
        double deltaY;
        int mode;
        int delta;
    } wheel[] = {{100.0, 0, -120}, {-100.0, 0, 120}, {3.0, 1, -120},       {-1.0, 2, 120},
                 {53.0, 0, -64},   {0.4, 0, 0},      {1e6, 0, -32768},     {-1e6, 1, 32767},
                 {100.0, 3, 0},    {100.0, -1, 0},   {std::nan(""), 0, 0}, {HUGE_VAL, 0, 0}};
    for (const auto& row : wheel) {
        EXPECT_EQ(wheelDeltaFor(row.deltaY, row.mode), row.delta)
            << row.deltaY << " in mode " << row.mode;
    }
}

TEST(WebPointer, CssOffsetsBecomeTheClientPixelUnderThePointer) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    constexpr double kInf = std::numeric_limits<double>::infinity();
    struct Row {
        double x, y, cssWidth, cssHeight;
        int width, height;
        int expectX, expectY;
    };
    const Row rows[] = {
        {316.0, 217.9, 640, 436, 640, 436, 316, 217},     // one CSS pixel a pixel
        {158.5, 100.0, 320, 218, 640, 436, 317, 200},     // shown at half size
        {633.0, 435.0, 1280, 872, 640, 436, 316, 217},    // a high-density screen
        {639.99, 435.99, 640, 436, 640, 436, 639, 435},   // the last pixel
        {-0.25, -3.0, 640, 436, 640, 436, -1, -3},        // left of and above: a captured drag
        {700.0, 500.0, 640, 436, 640, 436, 700, 500},     // right of and below
        {1e9, -1e9, 640, 436, 640, 436, 32767, -32767},   // beyond a message's 16 bits
        {kInf, -kInf, 640, 436, 640, 436, 32767, -32767}, // not finite
        {kNaN, kNaN, 640, 436, 640, 436, 0, 0},           // not a number
        {12.0, 34.0, 0, -5, 640, 436, 12, 34},            // no size shown: 1:1
        {12.0, 34.0, kNaN, 436, 640, 436, 12, 34},
    };
    for (const Row& row : rows) {
        const platform::web::ClientPoint p =
            clientPointFor(row.x, row.y, row.cssWidth, row.cssHeight, row.width, row.height);
        EXPECT_EQ(p.x, row.expectX) << row.x << " of " << row.cssWidth;
        EXPECT_EQ(p.y, row.expectY) << row.y << " of " << row.cssHeight;
    }
}

TEST(WebFilePicker, FilterPatternsBecomeTheAcceptedExtensionsOrAnyFile) {
    struct Row {
        std::vector<std::string> patterns;
        const char* accept;
    };
    const Row rows[] = {
        {{"*.obj", "*.ply", "*.stl"}, ".obj,.ply,.stl"},
        {{"*.OBJ"}, ".OBJ"},
        // A filter the picker cannot say exactly shows every file.
        {{"*.*"}, ""},
        {{"*"}, ""},
        {{"*.obj", "*.o?j"}, ""},
        {{"*.obj", "model.*"}, ""},
        {{"*.tar.gz"}, ""},
        {{"*."}, ""},
        {{"*.a,b"}, ""},
        {{}, ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(platform::web::acceptForPatterns(row.patterns), row.accept)
            << (row.patterns.empty() ? "(none)" : row.patterns.front());
    }
}

} // namespace
