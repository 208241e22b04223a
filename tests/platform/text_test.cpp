// Text drawn with the layer's font: real glyphs, in the text colour, where
// TextOutA put them, and never outside the bitmap.
#include "platform_fixture.h"

#include <algorithm>
#include <cstring>

namespace octaspin_test {
namespace {

// A bottom-up DIB selected into a memory context, with helpers to read it.
struct Canvas {
    int width;
    int height;
    int stride;
    HBITMAP bitmap = nullptr;
    std::uint8_t* bits = nullptr;
    HDC dc = nullptr;
    HGDIOBJ previous = nullptr;

    Canvas(int w, int h) : width(w), height(h), stride((w * 3 + 3) / 4 * 4) {
        BITMAPINFO info{};
        info.bmiHeader = BITMAPINFOHEADER{40, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        void* memory = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
        bits = static_cast<std::uint8_t*>(memory);
        dc = CreateCompatibleDC(nullptr);
        previous = SelectObject(dc, bitmap);
    }
    ~Canvas() {
        SelectObject(dc, previous);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    const std::uint8_t* at(int x, int y) const {
        return bits + static_cast<std::ptrdiff_t>(height - 1 - y) * stride + x * 3;
    }
};

struct Ink {
    int count = 0; // pixels changed from black
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool onlyInTextColour = true; // every changed pixel is a shade of green
    bool fullColourSeen = false;
};

// Text is drawn in pure green on black: a changed pixel must have no red or
// blue, and a fully covered one is exactly the text colour.
Ink inkOf(const Canvas& c) {
    Ink ink;
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            const std::uint8_t* p = c.at(x, y);
            if (p[0] == 0 && p[1] == 0 && p[2] == 0) {
                continue;
            }
            ++ink.count;
            ink.left = std::min(ink.left, x);
            ink.top = std::min(ink.top, y);
            ink.right = std::max(ink.right, x);
            ink.bottom = std::max(ink.bottom, y);
            if (p[0] != 0 || p[2] != 0) {
                ink.onlyInTextColour = false;
            }
            if (p[1] == 255) {
                ink.fullColourSeen = true;
            }
        }
    }
    return ink;
}

using TextTest = PlatformTest;

TEST_F(TextTest, OverlayTextIsDrawnInTheTextColourAtItsPosition) {
    Canvas canvas(200, 60);
    SetTextColor(canvas.dc, RGB(0, 255, 0));
    SetBkMode(canvas.dc, TRANSPARENT);
    const char text[] = "632x432 fps: 60.00";
    ASSERT_TRUE(TextOutA(canvas.dc, 10, 10, text, static_cast<int>(std::strlen(text))));
    Ink ink = inkOf(canvas);
    EXPECT_GT(ink.count, 100);
    EXPECT_TRUE(ink.onlyInTextColour);
    EXPECT_TRUE(ink.fullColourSeen);
    // The text's top is near y and it starts near x; 18 characters of a
    // 13-pixel monospace font span roughly 140 pixels.
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.left, 13);
    EXPECT_GE(ink.top, 10);
    EXPECT_LE(ink.top, 14);
    EXPECT_LE(ink.bottom, 10 + 16);
    EXPECT_GT(ink.right, 10 + 18 * 6);
    EXPECT_LT(ink.right, 10 + 18 * 10);
}

TEST_F(TextTest, TransparentModeLeavesTheBackgroundAndOpaqueFillsIt) {
    Canvas transparent(60, 20);
    SetTextColor(transparent.dc, RGB(0, 255, 0));
    SetBkMode(transparent.dc, TRANSPARENT);
    ASSERT_TRUE(TextOutA(transparent.dc, 2, 2, ".", 1));
    // A full stop inks only a few pixels near the baseline.
    Ink dot = inkOf(transparent);
    EXPECT_GT(dot.count, 0);
    EXPECT_LT(dot.count, 12);

    Canvas opaque(60, 20);
    SetTextColor(opaque.dc, RGB(0, 255, 0));
    ASSERT_TRUE(TextOutA(opaque.dc, 2, 2, ".", 1)); // OPAQUE is the default
    // The cell behind the glyph is white, and only the one cell: a 13-pixel
    // monospace character is about 8 pixels wide.
    const std::uint8_t* cell = opaque.at(3, 3);
    EXPECT_EQ(cell[0], 255);
    EXPECT_EQ(cell[1], 255);
    EXPECT_EQ(cell[2], 255);
    EXPECT_EQ(opaque.at(2 + 12, 3)[1], 0);
    EXPECT_EQ(opaque.at(3, 1)[1], 0); // nothing above y
}

TEST_F(TextTest, DifferentTextDrawsDifferentPixels) {
    Canvas a(80, 20);
    Canvas b(80, 20);
    for (Canvas* c : {&a, &b}) {
        SetTextColor(c->dc, RGB(0, 255, 0));
        SetBkMode(c->dc, TRANSPARENT);
    }
    ASSERT_TRUE(TextOutA(a.dc, 0, 0, "1111", 4));
    ASSERT_TRUE(TextOutA(b.dc, 0, 0, "8888", 4));
    EXPECT_NE(std::memcmp(a.bits, b.bits, static_cast<std::size_t>(a.stride) * a.height), 0);
    // Only `length` characters are drawn.
    Canvas c(80, 20);
    SetTextColor(c.dc, RGB(0, 255, 0));
    SetBkMode(c.dc, TRANSPARENT);
    ASSERT_TRUE(TextOutA(c.dc, 0, 0, "1111", 2));
    EXPECT_LT(inkOf(c).right, inkOf(a).right);
}

struct ClipCase {
    const char* name;
    int x;
    int y;
    bool inked;
};

class TextClipTest : public PlatformTest, public ::testing::WithParamInterface<ClipCase> {};

TEST_P(TextClipTest, TextOverTheEdgeIsClippedAndPaddingStaysUntouched) {
    const ClipCase& c = GetParam();
    // 7 pixels = 21 bytes a row, padded to 24: three padding bytes per row
    // that text running off the right edge must not reach.
    Canvas canvas(7, 9);
    SetTextColor(canvas.dc, RGB(0, 255, 0));
    SetBkMode(canvas.dc, TRANSPARENT);
    ASSERT_TRUE(TextOutA(canvas.dc, c.x, c.y, "WMWMWMWM", 8));
    Ink ink = inkOf(canvas);
    EXPECT_EQ(ink.count > 0, c.inked);
    EXPECT_TRUE(ink.onlyInTextColour);
    for (int row = 0; row < canvas.height; ++row) {
        for (int pad = 21; pad < 24; ++pad) {
            EXPECT_EQ(canvas.bits[row * canvas.stride + pad], 0) << row << ":" << pad;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Positions, TextClipTest,
    ::testing::Values(ClipCase{"OverAllEdges", -3, -4, true}, ClipCase{"OffTheRight", 4, 0, true},
                      ClipCase{"OffTheBottom", 0, 3, true}, ClipCase{"FarLeft", -1000, 0, false},
                      ClipCase{"FarBelow", 0, 1000, false}, ClipCase{"FarAbove", 0, -1000, false},
                      ClipCase{"Extreme", INT32_MIN, INT32_MAX, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TextTest, TextThroughAWindowContextLandsOnItsScreen) {
    HWND window = openMain();
    HDC dc = GetDC(window);
    SetTextColor(dc, RGB(0, 0, 255));
    SetBkMode(dc, TRANSPARENT);
    ASSERT_TRUE(TextOutA(dc, 630, 432, "XX", 2)); // mostly off the client area
    ASSERT_TRUE(TextOutA(dc, 20, 20, "XX", 2));
    // Shown with the next blit.
    Canvas tiny(1, 1);
    ASSERT_TRUE(BitBlt(dc, 0, 0, 1, 1, tiny.dc, 0, 0, SRCCOPY));
    platform::ImageView screen = backend.screen(window);
    bool blueFound = false;
    for (int y = 20; y < 40; ++y) {
        for (int x = 20; x < 40; ++x) {
            COLORREF p = pixelAt(screen, x, y);
            blueFound = blueFound || (GetBValue(p) == 255 && GetRValue(p) < 255);
        }
    }
    EXPECT_TRUE(blueFound);
    ReleaseDC(window, dc);
}

TEST_F(TextTest, BadArgumentsFail) {
    Canvas canvas(8, 8);
    EXPECT_FALSE(TextOutA(canvas.dc, 0, 0, "x", -1));
    EXPECT_FALSE(TextOutA(canvas.dc, 0, 0, nullptr, 3));
    EXPECT_FALSE(TextOutA(reinterpret_cast<HDC>(0x4321), 0, 0, "x", 1));
    EXPECT_TRUE(TextOutA(canvas.dc, 0, 0, "", 0));
}

} // namespace
} // namespace octaspin_test
