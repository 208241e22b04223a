// The text font as a table, written at build time by the glyph-table tool
// (tools/glyphs) from FreeType's rendering of the font the Linux build
// draws with: the web build draws the very same pixels without FreeType.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::core {

struct GlyphEntry {
    std::int16_t left;
    std::int16_t top;
    std::uint8_t width;
    std::uint8_t rows;
    std::uint8_t advance;
    std::uint32_t offset; // of the glyph's coverage in kGlyphCoverage
};

extern const int kGlyphAscender;
extern const int kGlyphCellHeight;
extern const std::uint8_t kGlyphCoverage[];
extern const GlyphEntry kGlyphEntries[256];

} // namespace platform::core
