#include "app/resource_script.h"

#include <cctype>
#include <cstdio>

using platform::DialogTemplateResource;
using platform::IconResource;
using platform::MenuResource;
using platform::ResourceName;

namespace {

// A string literal of the script: quotes doubled, backslashes and control
// characters escaped.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '"':
            out += "\"\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
        }
    }
    return out + "\"";
}

// A resource name as the script writes it: the number, or the name quoted
// so that no preprocessor macro can replace it.
std::string nameOf(const ResourceName& name) {
    return name.text.empty() ? std::to_string(name.id) : quoted(name.text);
}

std::string hex(unsigned long value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", value);
    return text;
}

void writeMenu(std::string& out, const MenuResource& menu) {
    out += nameOf(menu.name) + " MENU\nBEGIN\n";
    for (const auto& popup : menu.popups) {
        out += "    POPUP " + quoted(popup.text) + "\n    BEGIN\n";
        for (const auto& item : popup.items) {
            if (item.separator) {
                out += "        MENUITEM SEPARATOR\n";
            } else {
                out +=
                    "        MENUITEM " + quoted(item.text) + ", " + std::to_string(item.id) + "\n";
            }
        }
        out += "    END\n";
    }
    out += "END\n\n";
}

// Every control as a generic CONTROL statement: its class, styles and
// extended styles exactly as the table has them, nothing added by the
// compiler's defaults for the specialised statements.
void writeDialog(std::string& out, const DialogTemplateResource& dialog) {
    out += nameOf(dialog.name) + " DIALOGEX " + std::to_string(dialog.x) + ", " +
           std::to_string(dialog.y) + ", " + std::to_string(dialog.width) + ", " +
           std::to_string(dialog.height) + "\n";
    out += "STYLE " + hex(dialog.style) + "\n";
    out += "EXSTYLE " + hex(dialog.exStyle) + "\n";
    out += "CAPTION " + quoted(dialog.title) + "\n";
    out += "FONT " + std::to_string(dialog.pointSize) + ", " + quoted(dialog.fontName) + ", " +
           std::to_string(dialog.fontWeight) + ", " + (dialog.italic ? "1" : "0") + ", " +
           std::to_string(dialog.charset) + "\n";
    out += "BEGIN\n";
    for (const auto& c : dialog.controls) {
        out += "    CONTROL " + quoted(c.text) + ", " + std::to_string(c.id) + ", " +
               quoted(c.className) + ", " + hex(c.style) + ", " + std::to_string(c.x) + ", " +
               std::to_string(c.y) + ", " + std::to_string(c.width) + ", " +
               std::to_string(c.height) + ", " + hex(c.exStyle) + "\n";
    }
    out += "END\n\n";
}

void put16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xff));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xff));
}

void put32(std::vector<std::uint8_t>& out, unsigned long value) {
    put16(out, static_cast<unsigned>(value & 0xffff));
    put16(out, static_cast<unsigned>((value >> 16) & 0xffff));
}

} // namespace

std::string resourceScript(const platform::ResourceModule& module) {
    std::string out = "// Written by octaspin-resources from the program's resource tables.\n\n";
    for (const auto& menu : module.menus) {
        writeMenu(out, menu);
    }
    for (const auto& dialog : module.dialogs) {
        writeDialog(out, dialog);
    }
    for (const auto& icon : module.icons) {
        out += nameOf(icon.name) + " ICON " + quoted(iconFileName(icon)) + "\n";
    }
    return out;
}

std::string iconFileName(const IconResource& icon) {
    std::string name = icon.name.text.empty() ? std::to_string(icon.name.id) : icon.name.text;
    for (char& c : name) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return name + ".ico";
}

std::vector<std::uint8_t> iconFile(const IconResource& icon) {
    constexpr int n = IconResource::kSize;
    constexpr unsigned kHeaderBytes = 40;
    constexpr unsigned kPaletteBytes = 16 * 4;
    constexpr unsigned kColorRowBytes = n / 2; // two pixels a byte
    constexpr unsigned kMaskRowBytes = n / 8;  // rows of whole 32-bit words
    constexpr unsigned kImageBytes =
        kHeaderBytes + kPaletteBytes + n * kColorRowBytes + n * kMaskRowBytes;
    static_assert(n % 32 == 0, "mask rows must fill whole words");

    std::vector<std::uint8_t> out;
    // The directory: one icon, one image.
    put16(out, 0);
    put16(out, 1);
    put16(out, 1);
    // Its entry: size, colour count, planes, bits per pixel, bytes, offset.
    out.push_back(static_cast<std::uint8_t>(n));
    out.push_back(static_cast<std::uint8_t>(n));
    out.push_back(16);
    out.push_back(0);
    put16(out, 1);
    put16(out, 4);
    put32(out, kImageBytes);
    put32(out, 6 + 16);

    // The image: a bitmap header whose height counts the colour rows and
    // the mask rows together.
    put32(out, kHeaderBytes);
    put32(out, n);
    put32(out, 2 * n);
    put16(out, 1);
    put16(out, 4);
    put32(out, 0); // uncompressed
    put32(out, n * kColorRowBytes + n * kMaskRowBytes);
    put32(out, 0);
    put32(out, 0);
    put32(out, 16);
    put32(out, 0);
    for (COLORREF color : icon.palette) {
        out.push_back(GetBValue(color));
        out.push_back(GetGValue(color));
        out.push_back(GetRValue(color));
        out.push_back(0);
    }
    // Colour rows from the bottom up, the left pixel of each pair in the
    // high nibble.
    for (int y = n - 1; y >= 0; --y) {
        for (int x = 0; x < n; x += 2) {
            const auto at = [&](int column) {
                return icon.pixels[static_cast<std::size_t>(y * n + column)] & 0x0f;
            };
            out.push_back(static_cast<std::uint8_t>((at(x) << 4) | at(x + 1)));
        }
    }
    // The transparency mask: all clear, every pixel shows its colour.
    out.insert(out.end(), n * kMaskRowBytes, 0);
    return out;
}
