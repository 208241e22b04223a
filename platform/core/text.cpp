// Text: glyphs of the layer's one monospace font (platform/core/glyph_font.h)
// blended into a 24-bit picture.
//
// The top of the text cell is at y (the font's ascender above the
// baseline), as for the platform's default text alignment. Glyphs are
// anti-aliased: each pixel moves from its old colour toward the text colour
// by the glyph's coverage, rounded to the nearest byte value.
#include "platform/core/glyph_font.h"
#include "platform/core/state.h"

#include <algorithm>
#include <string>

namespace platform::core {

namespace {

// value + (target - value) * alpha / 255, rounded to nearest.
inline std::uint8_t blend(std::uint8_t value, std::uint8_t target, unsigned alpha) {
    return static_cast<std::uint8_t>((value * (255 - alpha) + target * alpha + 127) / 255);
}

} // namespace

bool drawText(const PixelTarget& target, int x, int y, const char* text, int length, COLORREF color,
              const COLORREF* opaqueBackground, RECT* touched) {
    GlyphFont* f = glyphFont();
    if (f == nullptr) {
        return false;
    }
    *touched = RECT{0, 0, 0, 0};
    if (length == 0 || !target.valid()) {
        return true;
    }
    const std::uint8_t blue = GetBValue(color);
    const std::uint8_t green = GetGValue(color);
    const std::uint8_t red = GetRValue(color);
    const long long baseline = static_cast<long long>(y) + f->ascender();
    long long pen = x;

    RECT box{target.width, target.height, 0, 0};
    auto extend = [&box](long long x0, long long y0, long long x1, long long y1) {
        box.left = static_cast<LONG>(std::min<long long>(box.left, x0));
        box.top = static_cast<LONG>(std::min<long long>(box.top, y0));
        box.right = static_cast<LONG>(std::max<long long>(box.right, x1));
        box.bottom = static_cast<LONG>(std::max<long long>(box.bottom, y1));
    };

    if (opaqueBackground != nullptr) {
        // The cell box behind the text takes the background colour.
        long long width = 0;
        for (int i = 0; i < length; ++i) {
            width += f->glyph(static_cast<unsigned char>(text[i])).advance;
        }
        long long x0 = std::max<long long>(x, 0);
        long long x1 = std::min<long long>(x + width, target.width);
        long long y0 = std::max<long long>(y, 0);
        long long y1 =
            std::min<long long>(static_cast<long long>(y) + f->cellHeight(), target.height);
        for (long long row = y0; row < y1; ++row) {
            std::uint8_t* p = target.row(static_cast<int>(row)) + x0 * 3;
            for (long long col = x0; col < x1; ++col, p += 3) {
                p[0] = GetBValue(*opaqueBackground);
                p[1] = GetGValue(*opaqueBackground);
                p[2] = GetRValue(*opaqueBackground);
            }
        }
        if (x0 < x1 && y0 < y1) {
            extend(x0, y0, x1, y1);
        }
    }

    for (int i = 0; i < length; ++i) {
        const GlyphView g = f->glyph(static_cast<unsigned char>(text[i]));
        // Clip the glyph's box against the target once; the loop below then
        // only visits pixels that exist.
        long long gx = pen + g.left;
        long long gy = baseline - g.top;
        long long col0 = std::max<long long>(0, -gx);
        long long row0 = std::max<long long>(0, -gy);
        long long col1 = std::min<long long>(g.width, target.width - gx);
        long long row1 = std::min<long long>(g.rows, target.height - gy);
        for (long long row = row0; row < row1; ++row) {
            const std::uint8_t* cover = g.coverage + row * g.width;
            std::uint8_t* p = target.row(static_cast<int>(gy + row)) + (gx + col0) * 3;
            for (long long col = col0; col < col1; ++col, p += 3) {
                unsigned alpha = cover[col];
                if (alpha != 0) {
                    p[0] = blend(p[0], blue, alpha);
                    p[1] = blend(p[1], green, alpha);
                    p[2] = blend(p[2], red, alpha);
                }
            }
        }
        if (col0 < col1 && row0 < row1) {
            extend(gx + col0, gy + row0, gx + col1, gy + row1);
        }
        pen += g.advance;
    }
    if (box.left < box.right && box.top < box.bottom) {
        *touched = box;
    }
    return true;
}

} // namespace platform::core
