// Bitmaps, contexts, the blit to a window and rectangle fills.
#include "platform_fixture.h"

#include <cstring>

namespace octaspin_test {
namespace {

using GdiTest = PlatformTest;

BITMAPINFO dibInfo(LONG width, LONG height, WORD bits = 24, DWORD compression = BI_RGB) {
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{40, width, height, 1, bits, compression, 0, 0, 0, 0, 0};
    return info;
}

struct Dib {
    HBITMAP bitmap = nullptr;
    std::uint8_t* bits = nullptr;
};

Dib makeDib(LONG width, LONG height) {
    BITMAPINFO info = dibInfo(width, height);
    void* bits = nullptr;
    Dib dib;
    dib.bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    dib.bits = static_cast<std::uint8_t*>(bits);
    return dib;
}

// Stride of a 24-bit row padded to 4 bytes.
int strideOf(int width) {
    return (width * 3 + 3) / 4 * 4;
}

// Pixel (x, y), rows from the top, of a bottom-up DIB.
std::uint8_t* dibPixel(const Dib& dib, int width, int height, int x, int y) {
    return dib.bits + static_cast<std::ptrdiff_t>(height - 1 - y) * strideOf(width) + x * 3;
}

void setDibPixel(const Dib& dib, int width, int height, int x, int y, COLORREF c) {
    std::uint8_t* p = dibPixel(dib, width, height, x, y);
    p[0] = GetBValue(c);
    p[1] = GetGValue(c);
    p[2] = GetRValue(c);
}

COLORREF getDibPixel(const Dib& dib, int width, int height, int x, int y) {
    const std::uint8_t* p = dibPixel(dib, width, height, x, y);
    return RGB(p[2], p[1], p[0]);
}

struct DibCase {
    const char* name;
    LONG width;
    LONG height;
    WORD bits;
    DWORD compression;
    bool created;
};

class DibCreationTest : public PlatformTest, public ::testing::WithParamInterface<DibCase> {};

TEST_P(DibCreationTest, OnlyValid24BitHeadersMakeABitmap) {
    const DibCase& c = GetParam();
    BITMAPINFO info = dibInfo(c.width, c.height, c.bits, c.compression);
    void* bits = reinterpret_cast<void*>(0x1);
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    EXPECT_EQ(bitmap != nullptr, c.created);
    EXPECT_EQ(bits != nullptr, c.created);
    if (bitmap != nullptr) {
        // Zero-filled, and all of it writable (the sanitizer build checks).
        int rows = c.height > 0 ? c.height : -c.height;
        auto* p = static_cast<std::uint8_t*>(bits);
        std::size_t size = static_cast<std::size_t>(strideOf(c.width)) * rows;
        for (std::size_t i = 0; i < size; ++i) {
            ASSERT_EQ(p[i], 0) << i;
        }
        std::memset(p, 0xab, size);
        EXPECT_TRUE(DeleteObject(bitmap));
    }
}

INSTANTIATE_TEST_SUITE_P(Headers, DibCreationTest,
                         ::testing::Values(DibCase{"Frame", 632, 432, 24, BI_RGB, true},
                                           DibCase{"OddWidthPadded", 5, 3, 24, BI_RGB, true},
                                           DibCase{"TopDown", 4, -4, 24, BI_RGB, true},
                                           DibCase{"ZeroWidth", 0, 4, 24, BI_RGB, false},
                                           DibCase{"ZeroHeight", 4, 0, 24, BI_RGB, false},
                                           DibCase{"NegativeWidth", -4, 4, 24, BI_RGB, false},
                                           DibCase{"ThirtyTwoBit", 4, 4, 32, BI_RGB, false},
                                           DibCase{"Compressed", 4, 4, 24, 1, false},
                                           DibCase{"Huge", 100000, 100000, 24, BI_RGB, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GdiTest, DibIsBottomUpWithPaddedRows) {
    // 5 pixels of 3 bytes = 15 bytes, padded to 16.
    Dib dib = makeDib(5, 3);
    ASSERT_NE(dib.bitmap, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, dib.bitmap);
    ASSERT_NE(previous, nullptr);
    // Fill the top picture row (y 0..1) red: it is the LAST row in memory.
    RECT top{0, 0, 5, 1};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    ASSERT_TRUE(FillRect(dc, &top, red));
    const std::uint8_t* lastRow = dib.bits + 2 * 16;
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(lastRow[x * 3 + 0], 0);   // blue
        EXPECT_EQ(lastRow[x * 3 + 1], 0);   // green
        EXPECT_EQ(lastRow[x * 3 + 2], 255); // red
    }
    EXPECT_EQ(lastRow[15], 0); // the padding byte is left alone
    EXPECT_EQ(dib.bits[0], 0); // the bottom row, first in memory, untouched
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(red);
    DeleteObject(dib.bitmap);
}

TEST_F(GdiTest, BitBltPutsTheFrameOnTheWindowScreenTopRowFirst) {
    HWND window = openMain();
    constexpr int w = 632;
    constexpr int h = 432;
    Dib dib = makeDib(w, h);
    ASSERT_NE(dib.bitmap, nullptr);
    setDibPixel(dib, w, h, 0, 0, RGB(10, 20, 30));         // top left
    setDibPixel(dib, w, h, w - 1, h - 1, RGB(40, 50, 60)); // bottom right
    setDibPixel(dib, w, h, 7, 3, RGB(70, 80, 90));

    HDC windowDc = GetDC(window);
    HDC memory = CreateCompatibleDC(windowDc);
    HGDIOBJ previous = SelectObject(memory, dib.bitmap);
    ASSERT_TRUE(BitBlt(windowDc, 0, 0, w, h, memory, 0, 0, SRCCOPY));
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(window, windowDc);

    EXPECT_EQ(backend.presentCount(window), 1);
    platform::ImageView screen = backend.screen(window);
    ASSERT_EQ(screen.width, 632);
    ASSERT_EQ(screen.height, 434); // the whole client area
    EXPECT_EQ(pixelAt(screen, 0, 0), RGB(10, 20, 30));
    EXPECT_EQ(pixelAt(screen, w - 1, h - 1), RGB(40, 50, 60));
    EXPECT_EQ(pixelAt(screen, 7, 3), RGB(70, 80, 90));
    EXPECT_EQ(pixelAt(screen, 1, 1), RGB(0, 0, 0));
    // The two rows below the frame keep the white background.
    EXPECT_EQ(pixelAt(screen, 0, 433), RGB(255, 255, 255));
    DeleteObject(dib.bitmap);
}

struct BlitCase {
    const char* name;
    int x, y, width, height, sourceX, sourceY;
    // A copied source pixel: where it lands on screen, or -1 if nowhere.
    int landX, landY;
};

class BlitClipTest : public PlatformTest, public ::testing::WithParamInterface<BlitCase> {};

TEST_P(BlitClipTest, CopiesOnlyWhatBothPicturesHold) {
    const BlitCase& c = GetParam();
    HWND window = openMain();
    constexpr int w = 16;
    constexpr int h = 8;
    Dib dib = makeDib(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            setDibPixel(dib, w, h, x, y, RGB(x, y, 200));
        }
    }
    HDC windowDc = GetDC(window);
    HDC memory = CreateCompatibleDC(windowDc);
    SelectObject(memory, dib.bitmap);
    EXPECT_TRUE(
        BitBlt(windowDc, c.x, c.y, c.width, c.height, memory, c.sourceX, c.sourceY, SRCCOPY));
    platform::ImageView screen = backend.screen(window);
    ASSERT_NE(screen.bgr, nullptr);
    if (c.landX >= 0) {
        int sx = c.landX - c.x + c.sourceX;
        int sy = c.landY - c.y + c.sourceY;
        EXPECT_EQ(pixelAt(screen, c.landX, c.landY), RGB(sx, sy, 200));
    }
    // Pixels away from the blit keep the background.
    EXPECT_EQ(pixelAt(screen, 300, 300), RGB(255, 255, 255));
    DeleteDC(memory);
    ReleaseDC(window, windowDc);
    DeleteObject(dib.bitmap);
}

INSTANTIATE_TEST_SUITE_P(
    Rects, BlitClipTest,
    ::testing::Values(BlitCase{"Inside", 10, 20, 16, 8, 0, 0, 12, 21},
                      BlitCase{"OffTheLeftTop", -4, -2, 16, 8, 0, 0, 0, 0},
                      BlitCase{"OffTheRightBottom", 625, 430, 16, 8, 0, 0, 631, 433 - 1},
                      BlitCase{"LargerThanSource", 0, 0, 100, 100, 0, 0, 15, 7},
                      BlitCase{"SourceOffset", 0, 0, 16, 8, 3, 2, 0, 0},
                      BlitCase{"NegativeSourceOrigin", 0, 0, 16, 8, -2, -1, 2, 1},
                      BlitCase{"EntirelyOutside", 1000, 1000, 16, 8, 0, 0, -1, -1}),
    [](const auto& info) { return std::string(info.param.name); });

struct FillCase {
    const char* name;
    RECT rect;
    int filled; // pixels of the 8 x 6 bitmap that take the colour
};

class FillRectTest : public PlatformTest, public ::testing::WithParamInterface<FillCase> {};

TEST_P(FillRectTest, FillsTheRectangleClippedToTheBitmap) {
    const FillCase& c = GetParam();
    constexpr int w = 8;
    constexpr int h = 6;
    Dib dib = makeDib(w, h);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, dib.bitmap);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_TRUE(FillRect(dc, &c.rect, brush));
    int filled = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            bool inside =
                x >= c.rect.left && x < c.rect.right && y >= c.rect.top && y < c.rect.bottom;
            COLORREF expected = inside ? RGB(1, 2, 3) : RGB(0, 0, 0);
            EXPECT_EQ(getDibPixel(dib, w, h, x, y), expected) << x << "," << y;
            filled += inside ? 1 : 0;
        }
    }
    EXPECT_EQ(filled, c.filled);
    DeleteDC(dc);
    DeleteObject(brush);
    DeleteObject(dib.bitmap);
}

INSTANTIATE_TEST_SUITE_P(Rects, FillRectTest,
                         ::testing::Values(FillCase{"Inside", {1, 1, 3, 4}, 6},
                                           FillCase{"EdgesExclusive", {0, 0, 8, 6}, 48},
                                           FillCase{"Overhanging", {-5, -5, 100, 2}, 16},
                                           FillCase{"Empty", {4, 4, 4, 5}, 0},
                                           FillCase{"Inverted", {5, 5, 2, 2}, 0},
                                           FillCase{"Outside", {20, 20, 30, 30}, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ShiftCase {
    const char* name;
    int dx;
    int dy;
};

class SelfBlitTest : public PlatformTest, public ::testing::WithParamInterface<ShiftCase> {};

TEST_P(SelfBlitTest, OverlappingCopyWithinOneBitmapReadsBeforeWriting) {
    const ShiftCase& c = GetParam();
    constexpr int w = 6;
    constexpr int h = 6;
    Dib dib = makeDib(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            setDibPixel(dib, w, h, x, y, RGB(x, y, 7));
        }
    }
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, dib.bitmap);
    // Copy the top-left 4 x 4 block by (dx, dy) onto itself.
    int sx = c.dx < 0 ? -c.dx : 0;
    int sy = c.dy < 0 ? -c.dy : 0;
    ASSERT_TRUE(BitBlt(dc, sx + c.dx, sy + c.dy, 4, 4, dc, sx, sy, SRCCOPY));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(getDibPixel(dib, w, h, sx + c.dx + x, sy + c.dy + y), RGB(sx + x, sy + y, 7))
                << x << "," << y;
        }
    }
    DeleteDC(dc);
    DeleteObject(dib.bitmap);
}

INSTANTIATE_TEST_SUITE_P(Shifts, SelfBlitTest,
                         ::testing::Values(ShiftCase{"Down", 0, 2}, ShiftCase{"Up", 0, -2},
                                           ShiftCase{"Right", 2, 0}, ShiftCase{"Left", -2, 0},
                                           ShiftCase{"Diagonal", 1, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GdiTest, FillRectWithTheStockWhiteBrush) {
    Dib dib = makeDib(4, 4);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, dib.bitmap);
    RECT all{0, 0, 4, 4};
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    ASSERT_TRUE(FillRect(dc, &all, white));
    EXPECT_EQ(getDibPixel(dib, 4, 4, 3, 3), RGB(255, 255, 255));
    EXPECT_TRUE(DeleteObject(white)); // stock objects survive deletion
    EXPECT_TRUE(FillRect(dc, &all, white));
    EXPECT_FALSE(FillRect(dc, &all, reinterpret_cast<HBRUSH>(0x99))); // not a brush
    DeleteDC(dc);
    DeleteObject(dib.bitmap);
}

TEST_F(GdiTest, SelectedBitmapCannotBeDeletedOrSelectedTwice) {
    Dib dib = makeDib(4, 4);
    HDC first = CreateCompatibleDC(nullptr);
    HDC second = CreateCompatibleDC(nullptr);
    HGDIOBJ original = SelectObject(first, dib.bitmap);
    ASSERT_NE(original, nullptr);
    EXPECT_EQ(SelectObject(second, dib.bitmap), nullptr);
    EXPECT_FALSE(DeleteObject(dib.bitmap)); // its memory must stay valid
    dib.bits[0] = 1;
    // Selecting the original back returns the bitmap and frees it.
    EXPECT_EQ(SelectObject(first, original), static_cast<HGDIOBJ>(dib.bitmap));
    EXPECT_TRUE(DeleteObject(dib.bitmap));
    EXPECT_FALSE(DeleteObject(dib.bitmap)); // a second delete finds nothing
    EXPECT_TRUE(DeleteDC(first));
    EXPECT_TRUE(DeleteDC(second));
    EXPECT_FALSE(DeleteDC(first));
}

TEST_F(GdiTest, DeletingTheContextReleasesItsBitmap) {
    Dib dib = makeDib(4, 4);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, dib.bitmap);
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_TRUE(DeleteObject(dib.bitmap));
}

TEST_F(GdiTest, ContextsCheckTheirArguments) {
    HWND window = openMain();
    HDC windowDc = GetDC(window);
    Dib dib = makeDib(4, 4);
    EXPECT_EQ(SelectObject(windowDc, dib.bitmap), nullptr); // only memory contexts take bitmaps
    EXPECT_FALSE(DeleteDC(windowDc));                       // given back with ReleaseDC
    EXPECT_EQ(ReleaseDC(window, windowDc), 1);
    EXPECT_EQ(ReleaseDC(window, windowDc), 0);
    EXPECT_EQ(CreateCompatibleDC(reinterpret_cast<HDC>(0x4321)), nullptr);
    HDC memory = CreateCompatibleDC(nullptr);
    EXPECT_FALSE(BitBlt(memory, 0, 0, 4, 4, memory, 0, 0, 0x00330008)); // not SRCCOPY
    EXPECT_EQ(SetTextColor(reinterpret_cast<HDC>(0x4321), 0), CLR_INVALID);
    EXPECT_EQ(SetBkMode(memory, 99), 0);
    EXPECT_EQ(SetBkMode(memory, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetTextColor(memory, RGB(1, 2, 3)), RGB(0, 0, 0));
    EXPECT_EQ(SetTextColor(memory, RGB(4, 5, 6)), RGB(1, 2, 3));
    DeleteDC(memory);
    DeleteObject(dib.bitmap);
}

TEST_F(GdiTest, PaintingTheWindowErasesWithTheClassBrush) {
    HWND window = openMain();
    ShowWindow(window, SW_SHOW);
    recorder.react = [](HWND w, UINT message, WPARAM, LPARAM, LRESULT*) {
        if (message != WM_PAINT) {
            return false;
        }
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(w, &ps);
        EXPECT_EQ(ps.rcPaint.right, 632);
        EXPECT_EQ(ps.rcPaint.bottom, 434);
        EXPECT_FALSE(ps.fErase); // the class brush did it
        RECT r{0, 0, 2, 2};
        HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
        FillRect(dc, &r, brush);
        DeleteObject(brush);
        EndPaint(w, &ps);
        return true;
    };
    UpdateWindow(window);
    // What was painted reaches the screen with the next blit.
    HDC windowDc = GetDC(window);
    HDC memory = CreateCompatibleDC(windowDc);
    Dib dib = makeDib(4, 4);
    SelectObject(memory, dib.bitmap);
    ASSERT_TRUE(BitBlt(windowDc, 100, 100, 4, 4, memory, 0, 0, SRCCOPY));
    platform::ImageView screen = backend.screen(window);
    EXPECT_EQ(pixelAt(screen, 0, 0), RGB(9, 9, 9));
    EXPECT_EQ(pixelAt(screen, 5, 5), RGB(255, 255, 255));
    EXPECT_EQ(pixelAt(screen, 101, 101), RGB(0, 0, 0));
    DeleteDC(memory);
    ReleaseDC(window, windowDc);
    DeleteObject(dib.bitmap);
}

} // namespace
} // namespace octaspin_test
