#include "tools/octaspin-render/render_options.h"

#include "device/worker_pool.h"

#include <charconv>
#include <cstdint>

namespace render {

const char kUsageLine[] = "usage: octaspin-render [options] MODEL... -o OUT.png|DIR|-\n";

const char kHelpText[] =
    "usage: octaspin-render [options] MODEL... -o OUT.png|DIR|-\n"
    "\n"
    "Draws a picture of a 3D model (OBJ, PLY or STL) as a PNG file, without a\n"
    "display or a graphics card: the model framed to fill the picture, lit from\n"
    "over the viewer's shoulder, its edges smoothed, on a transparent background.\n"
    "\n"
    "  -o OUT             the PNG file; a folder takes DIR/NAME.png for each model\n"
    "                     (NAME: the model's file name without its extension);\n"
    "                     - writes the PNG to standard output\n"
    "  -s, --size N|WxH   the picture's size in pixels, 1 to 4096 a side (256)\n"
    "  --view V           iso, front, back, left, right, top or bottom (iso: from\n"
    "                     the front, the right and above)\n"
    "  --mode M           flat, gouraud or wireframe (gouraud)\n"
    "  --color #rrggbb    the model's colour, in place of the file's own colours\n"
    "                     (the file's colours, else the demo's green)\n"
    "  --background B     transparent or #rrggbb (transparent)\n"
    "  --samples N        N x N samples a pixel, 1 to 4 (2)\n"
    "  --threads N        drawing threads, 1 to 8 (the processor's cores)\n"
    "  --timings          each model's reading, drawing and writing time on stderr\n"
    "  --help, --version\n"
    "\n"
    "Exit code 0 when every picture was written, 2 when a model could not be\n"
    "read (the others are still drawn) or the command line is wrong, 1 when a\n"
    "picture could not be written. See octaspin-render(1).\n";

namespace {

bool parseInt(const std::string& text, std::int32_t low, std::int32_t high, std::int32_t& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && !text.empty() && value >= low && value <= high;
}

// "N" or "WxH".
bool parseSize(const std::string& text, PictureOptions& picture) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos) {
        std::int32_t side = 0;
        if (!parseInt(text, 1, 4096, side)) {
            return false;
        }
        picture.width = side;
        picture.height = side;
        return true;
    }
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (!parseInt(text.substr(0, x), 1, 4096, width) ||
        !parseInt(text.substr(x + 1), 1, 4096, height)) {
        return false;
    }
    picture.width = width;
    picture.height = height;
    return true;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// "#rrggbb".
bool parseColor(const std::string& text, Rgb8& color) {
    if (text.size() != 7 || text[0] != '#') {
        return false;
    }
    std::uint8_t bytes[3];
    for (int i = 0; i < 3; ++i) {
        const int high = hexDigit(text[1 + 2 * i]);
        const int low = hexDigit(text[2 + 2 * i]);
        if (high < 0 || low < 0) {
            return false;
        }
        bytes[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    color = Rgb8{bytes[0], bytes[1], bytes[2]};
    return true;
}

bool parseView(const std::string& text, View& view) {
    static const struct {
        const char* name;
        View view;
    } kViews[] = {{"iso", View::Iso},      {"front", View::Front}, {"back", View::Back},
                  {"left", View::Left},    {"right", View::Right}, {"top", View::Top},
                  {"bottom", View::Bottom}};
    for (const auto& entry : kViews) {
        if (text == entry.name) {
            view = entry.view;
            return true;
        }
    }
    return false;
}

bool parseMode(const std::string& text, std::uint32_t& mode) {
    if (text == "flat") {
        mode = RenderMode::Flat;
    } else if (text == "gouraud") {
        mode = RenderMode::Gouraud;
    } else if (text == "wireframe") {
        mode = RenderMode::Wireframe;
    } else {
        return false;
    }
    return true;
}

// One option with its value; false, with the error, when the value is
// wrong.
bool takeValue(const std::string& name, const std::string& value, CommandLine& line,
               std::string& error) {
    PictureOptions& p = line.picture;
    bool ok = true;
    if (name == "-o") {
        ok = !value.empty();
        line.output = value;
    } else if (name == "-s" || name == "--size") {
        ok = parseSize(value, p);
    } else if (name == "--view") {
        ok = parseView(value, p.view);
    } else if (name == "--mode") {
        ok = parseMode(value, p.renderMode);
    } else if (name == "--color") {
        ok = parseColor(value, p.color);
        p.colorGiven = ok;
    } else if (name == "--background") {
        p.transparent = value == "transparent";
        ok = p.transparent || parseColor(value, p.background);
    } else if (name == "--samples") {
        ok = parseInt(value, 1, 4, p.samples);
    } else if (name == "--threads") {
        ok = parseInt(value, 1, kMaxRenderThreads, p.threads);
    }
    if (!ok) {
        error = "bad value for " + name + ": '" + value + "'";
    }
    return ok;
}

bool takesValue(const std::string& name) {
    return name == "-o" || name == "-s" || name == "--size" || name == "--view" ||
           name == "--mode" || name == "--color" || name == "--background" || name == "--samples" ||
           name == "--threads";
}

} // namespace

bool parseCommandLine(const std::vector<std::string>& arguments, CommandLine& line,
                      std::string& error) {
    bool options = true;
    bool outputGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!options || argument == "-" || argument.empty() || argument[0] != '-') {
            line.models.push_back(argument);
            continue;
        }
        if (argument == "--") {
            options = false;
            continue;
        }
        if (argument == "--help") {
            line.help = true;
            continue;
        }
        if (argument == "--version") {
            line.version = true;
            continue;
        }
        if (argument == "--timings") {
            line.timings = true;
            continue;
        }
        std::string name = argument;
        std::string value;
        bool inlineValue = false;
        if (const std::size_t eq = argument.find('=');
            argument.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = argument.substr(0, eq);
            value = argument.substr(eq + 1);
            inlineValue = true;
        }
        if (!takesValue(name)) {
            error = "unknown option " + name;
            return false;
        }
        if (!inlineValue) {
            if (i + 1 >= arguments.size()) {
                error = "missing value for " + name;
                return false;
            }
            value = arguments[++i];
        }
        if (!takeValue(name, value, line, error)) {
            return false;
        }
        outputGiven = outputGiven || name == "-o";
    }
    if (line.help || line.version) {
        return true;
    }
    if (line.models.empty()) {
        error = "no model given";
        return false;
    }
    if (!outputGiven) {
        error = "no output given (-o OUT.png, -o DIR or -o -)";
        return false;
    }
    return true;
}

} // namespace render
