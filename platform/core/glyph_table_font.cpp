// The text font of the web build: the glyph table compiled in.
#include "platform/core/glyph_font.h"
#include "platform/core/glyph_table.h"

namespace platform::core {

namespace {

class TableFont final : public GlyphFont {
  public:
    int ascender() const override { return kGlyphAscender; }
    int cellHeight() const override { return kGlyphCellHeight; }
    GlyphView glyph(unsigned char c) override {
        const GlyphEntry& e = kGlyphEntries[c];
        GlyphView g;
        g.left = e.left;
        g.top = e.top;
        g.width = e.width;
        g.rows = e.rows;
        g.advance = e.advance;
        g.coverage = e.width != 0 && e.rows != 0 ? kGlyphCoverage + e.offset : nullptr;
        return g;
    }
};

} // namespace

GlyphFont* glyphFont() {
    static TableFont font;
    return &font;
}

} // namespace platform::core
