// Without any font the layer still runs: TextOutA reports failure and
// draws nothing. Its own program, since the font is looked for only once
// per process: fontconfig is pointed at an empty configuration before the
// first text is drawn.
#include "platform/core/win32.h"
#include "platform/headless/headless.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

TEST(NoFont, TextOutFailsAndLeavesTheBitmapAlone) {
    platform::resetForTesting();
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{40, 16, 16, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    SetTextColor(dc, RGB(255, 255, 255));
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_FALSE(TextOutA(dc, 0, 0, "fps", 3)) << attempt;
    }
    const auto* p = static_cast<const std::uint8_t*>(bits);
    std::vector<std::uint8_t> zeros(16 * 48, 0);
    EXPECT_TRUE(std::equal(zeros.begin(), zeros.end(), p));
    // Everything else still works.
    RECT r{0, 0, 4, 4};
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_TRUE(FillRect(dc, &r, brush));
    DeleteObject(brush);
    SelectObject(dc, previous);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

} // namespace

int main(int argc, char** argv) {
    // A configuration that names no font directories: no font can be found.
    std::string path = ::testing::TempDir() + "octaspin-no-fonts.conf";
    if (FILE* f = std::fopen(path.c_str(), "w")) {
        std::fputs("<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n", f);
        std::fclose(f);
    }
    setenv("FONTCONFIG_FILE", path.c_str(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    std::remove(path.c_str());
    return result;
}
