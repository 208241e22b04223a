// The one monospace font the layer draws text with: a coverage bitmap per
// byte (bytes taken as Latin-1), with the pen metrics of each.
//
// Two sources give the same glyphs: FreeType rendering the font that
// fontconfig picks (freetype_font.cpp), and, in the web build, a table that
// the glyph-table tool wrote from that very rendering
// (platform/core/glyph_table_font.cpp). Kept free of platform/core/win32.h so the
// tool builds on its own.
#pragma once

#include <cstdint>

namespace platform::core {

// Pixel size of the font: the em square is 13 pixels high.
constexpr int kFontPixelSize = 13;

struct GlyphView {
    int left = 0; // from the pen position to the bitmap's left edge
    int top = 0;  // from the baseline up to the bitmap's top row
    int width = 0;
    int rows = 0;
    int advance = 0;                        // pixels
    const std::uint8_t* coverage = nullptr; // rows * width, 0..255; null when blank
};

class GlyphFont {
  public:
    virtual ~GlyphFont() = default;
    // From the top of the text cell down to the baseline.
    virtual int ascender() const = 0;
    // From the top of the cell to the bottom of the lowest descender.
    virtual int cellHeight() const = 0;
    // The glyph of byte c; its coverage stays valid as long as the font.
    virtual GlyphView glyph(unsigned char c) = 0;
};

// The font, or null when none can be had (looked for once per process).
GlyphFont* glyphFont();

} // namespace platform::core
