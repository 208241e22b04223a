// octaspin_icon_png SIZE FILE: writes the program's icon, drawn at SIZE x
// SIZE pixels by the same code as the window icon, as an RGBA PNG for the
// desktop's icon theme. The plain background around the solid becomes
// transparent.

#include "app/resources.h"
#include "platform/core/win32.h"
#include "tools/png_writer.h"

#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    int size = 0;
    const std::string sizeText = argc == 3 ? argv[1] : "";
    const auto [end, code] =
        std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), size);
    const IconPicture icon = drawOctahedronIcon(
        code == std::errc() && end == sizeText.data() + sizeText.size() ? size : 0);
    if (icon.size == 0) {
        std::fprintf(stderr, "usage: octaspin_icon_png SIZE FILE  (SIZE 1 to %d)\n", kMaxIconSize);
        return 2;
    }
    std::vector<std::uint8_t> rgba;
    rgba.reserve(icon.pixels.size() * 4);
    for (const std::uint8_t index : icon.pixels) {
        const COLORREF colour = icon.palette[index & 0x0f];
        rgba.push_back(GetRValue(colour));
        rgba.push_back(GetGValue(colour));
        rgba.push_back(GetBValue(colour));
        rgba.push_back(index == kIconBackground ? 0 : 255);
    }
    std::string error;
    if (!headless::writeRgbaPng(argv[2], icon.size, icon.size, rgba, error)) {
        std::fprintf(stderr, "octaspin_icon_png: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
