// Text: one monospace font, chosen by fontconfig and rendered by FreeType
// at 13 pixels, loaded on first use and kept for the life of the process.
//
// The top of the text cell is at y (the font's ascender above the
// baseline), as for the platform's default text alignment. Glyphs are
// anti-aliased: each pixel moves from its old colour toward the text colour
// by the glyph's coverage, rounded to the nearest byte value.
#include "platform/core.h"

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

constexpr int kPixelSize = 13;

struct Glyph {
    bool loaded = false;
    int left = 0; // from the pen position to the bitmap's left edge
    int top = 0;  // from the baseline up to the bitmap's top row
    int width = 0;
    int rows = 0;
    int advance = 0;                    // pixels
    std::vector<std::uint8_t> coverage; // rows * width, 0..255
};

class Font {
  public:
    ~Font() {
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
                if (FT_Set_Pixel_Sizes(face_, 0, kPixelSize) == 0) {
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

    int ascender() const { return ascender_; }
    // From the top of the cell to the bottom of the lowest descender.
    int cellHeight() const { return cellHeight_; }

    // The glyph of a byte, rendered on first use. The cache entry is filled
    // only once its coverage has been made: when that memory cannot be had
    // (std::bad_alloc) the entry stays unloaded, never half-filled.
    const Glyph& glyph(unsigned char c) {
        Glyph& g = glyphs_[c];
        if (g.loaded) {
            return g;
        }
        // Bytes are taken as Latin-1, whose code points equal the byte values.
        if (FT_Load_Char(face_, c, FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0) {
            g.loaded = true;
            return g;
        }
        FT_GlyphSlot slot = face_->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        Glyph made;
        made.loaded = true;
        made.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY && bitmap.buffer != nullptr) {
            made.left = slot->bitmap_left;
            made.top = slot->bitmap_top;
            made.width = static_cast<int>(bitmap.width);
            made.rows = static_cast<int>(bitmap.rows);
            made.coverage.resize(static_cast<std::size_t>(made.width) * made.rows);
            for (int row = 0; row < made.rows; ++row) {
                const unsigned char* src =
                    bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
                std::copy(src, src + made.width,
                          made.coverage.begin() + static_cast<std::ptrdiff_t>(row) * made.width);
            }
        } // otherwise a blank such as the space
        g = std::move(made);
        return g;
    }

  private:
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

// The font, or null when none could be found (looked for once).
Font* font() {
    static std::unique_ptr<Font> instance = [] {
        auto f = std::make_unique<Font>();
        if (!f->open()) {
            f.reset();
        }
        return f;
    }();
    return instance.get();
}

// value + (target - value) * alpha / 255, rounded to nearest.
inline std::uint8_t blend(std::uint8_t value, std::uint8_t target, unsigned alpha) {
    return static_cast<std::uint8_t>((value * (255 - alpha) + target * alpha + 127) / 255);
}

} // namespace

bool drawText(const PixelTarget& target, int x, int y, const char* text, int length, COLORREF color,
              const COLORREF* opaqueBackground, RECT* touched) {
    Font* f = font();
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
        const Glyph& g = f->glyph(static_cast<unsigned char>(text[i]));
        // Clip the glyph's box against the target once; the loop below then
        // only visits pixels that exist.
        long long gx = pen + g.left;
        long long gy = baseline - g.top;
        long long col0 = std::max<long long>(0, -gx);
        long long row0 = std::max<long long>(0, -gy);
        long long col1 = std::min<long long>(g.width, target.width - gx);
        long long row1 = std::min<long long>(g.rows, target.height - gy);
        for (long long row = row0; row < row1; ++row) {
            const std::uint8_t* cover = g.coverage.data() + row * g.width;
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
