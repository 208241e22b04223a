// octaspin-glyphs FILE: writes the text font's 256 glyphs (bytes as
// Latin-1), as FreeType renders them for the Linux build, into FILE as C++
// (platform/core/glyph_table.h), for the web build. Exits 1 when no font can
// be found or the file cannot be written.
#include "platform/core/glyph_font.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: octaspin-glyphs FILE\n", stderr);
        return 2;
    }
    platform::core::GlyphFont* font = platform::core::glyphFont();
    if (font == nullptr) {
        std::fputs("octaspin-glyphs: no monospace font found\n", stderr);
        return 1;
    }
    std::ostringstream coverage;
    std::ostringstream entries;
    std::size_t offset = 0;
    for (int c = 0; c < 256; ++c) {
        const platform::core::GlyphView g = font->glyph(static_cast<unsigned char>(c));
        const std::size_t size =
            g.coverage != nullptr ? static_cast<std::size_t>(g.width) * g.rows : 0;
        entries << "    {" << g.left << ", " << g.top << ", " << g.width << ", " << g.rows << ", "
                << g.advance << ", " << (size != 0 ? offset : 0) << "}, // " << c << "\n";
        for (std::size_t i = 0; i < size; ++i) {
            coverage << static_cast<int>(g.coverage[i]) << (i % 24 == 23 ? ",\n" : ",");
        }
        if (size != 0) {
            coverage << "\n";
        }
        offset += size;
    }
    std::ofstream file(argv[1], std::ios::trunc);
    file << "// Written by octaspin-glyphs from FreeType's rendering of the text font at "
         << platform::core::kFontPixelSize << " pixels.\n"
         << "#include \"platform/core/glyph_table.h\"\n\n"
         << "namespace platform::core {\n\n"
         << "const int kGlyphAscender = " << font->ascender() << ";\n"
         << "const int kGlyphCellHeight = " << font->cellHeight() << ";\n\n"
         << "const std::uint8_t kGlyphCoverage[] = {\n"
         << coverage.str() << "0};\n\n"
         << "const GlyphEntry kGlyphEntries[256] = {\n"
         << entries.str() << "};\n\n"
         << "} // namespace platform::core\n";
    file.close();
    if (!file) {
        std::fprintf(stderr, "octaspin-glyphs: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
