// The text font from FreeType: the monospace face that fontconfig picks,
// rendered at 13 pixels, each glyph on first use and kept for the life of
// the process.
#include "platform/core/glyph_font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

namespace platform::core {

namespace {

struct Glyph {
    bool loaded = false;
    GlyphView view;
    std::vector<std::uint8_t> coverage; // rows * width, 0..255
};

class Font final : public GlyphFont {
  public:
    ~Font() override {
        if (face_ != nullptr) {
            FT_Done_Face(face_);
        }
        if (library_ != nullptr) {
            FT_Done_FreeType(library_);
        }
    }

    // Finds and opens the font; false if none can be found.
    bool open() {
        if (FT_Init_FreeType(&library_) != 0) {
            library_ = nullptr;
            return false;
        }
        // The preferred face first, then whatever the system calls monospace.
        for (const char* pattern : {"DejaVu Sans Mono:style=Book", "monospace"}) {
            std::string file;
            int index = 0;
            if (findFile(pattern, &file, &index) &&
                FT_New_Face(library_, file.c_str(), index, &face_) == 0) {
                if (FT_Set_Pixel_Sizes(face_, 0, kFontPixelSize) == 0) {
                    const FT_Size_Metrics& m = face_->size->metrics;
                    ascender_ = static_cast<int>((m.ascender + 63) >> 6);
                    cellHeight_ = ascender_ + static_cast<int>((-m.descender + 63) >> 6);
                    return true;
                }
                FT_Done_Face(face_);
                face_ = nullptr;
            }
        }
        return false;
    }

    int ascender() const override { return ascender_; }
    int cellHeight() const override { return cellHeight_; }

    // A glyph is made in full before it enters the table, so an allocation
    // that fails on the way leaves no half-made entry: the next text that
    // needs the character tries again.
    GlyphView glyph(unsigned char c) override {
        Glyph& g = glyphs_[c];
        if (!g.loaded) {
            g = render(c);
            g.view.coverage = g.coverage.empty() ? nullptr : g.coverage.data();
        }
        return g.view;
    }

  private:
    Glyph render(unsigned char c) {
        Glyph g;
        g.loaded = true;
        // Bytes are taken as Latin-1, whose code points equal the byte values.
        if (FT_Load_Char(face_, c, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0) {
            return g;
        }
        FT_GlyphSlot slot = face_->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        g.view.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.buffer == nullptr) {
            return g; // a blank such as the space
        }
        g.view.left = slot->bitmap_left;
        g.view.top = slot->bitmap_top;
        g.view.width = static_cast<int>(bitmap.width);
        g.view.rows = static_cast<int>(bitmap.rows);
        g.coverage.resize(static_cast<std::size_t>(g.view.width) * g.view.rows);
        for (int row = 0; row < g.view.rows; ++row) {
            const unsigned char* src =
                bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
            std::copy(src, src + g.view.width,
                      g.coverage.begin() + static_cast<std::ptrdiff_t>(row) * g.view.width);
        }
        return g;
    }

    // Asks fontconfig for the file of the best match. A configuration of
    // our own is loaded for the question and dropped afterwards, so nothing
    // of fontconfig stays allocated once the font is open.
    static bool findFile(const char* name, std::string* file, int* index) {
        FcConfig* config = FcInitLoadConfigAndFonts();
        if (config == nullptr) {
            return false;
        }
        bool found = false;
        FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(name));
        if (pattern != nullptr) {
            FcConfigSubstitute(config, pattern, FcMatchPattern);
            FcDefaultSubstitute(pattern);
            FcResult result = FcResultNoMatch;
            FcPattern* match = FcFontMatch(config, pattern, &result);
            if (match != nullptr) {
                FcChar8* path = nullptr;
                if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch &&
                    path != nullptr) {
                    *file = reinterpret_cast<const char*>(path);
                    int i = 0;
                    *index = FcPatternGetInteger(match, FC_INDEX, 0, &i) == FcResultMatch ? i : 0;
                    found = true;
                }
                FcPatternDestroy(match);
            }
            FcPatternDestroy(pattern);
        }
        FcConfigDestroy(config);
        return found;
    }

    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
    int ascender_ = 0;
    int cellHeight_ = 0;
    std::array<Glyph, 256> glyphs_{};
};

} // namespace

GlyphFont* glyphFont() {
    static std::unique_ptr<Font> instance = [] {
        auto f = std::make_unique<Font>();
        if (!f->open()) {
            f.reset();
        }
        return f;
    }();
    return instance.get();
}

} // namespace platform::core
