#include "tools/runner_options.h"

#include "device/worker_pool.h"
#include "model/model_reader.h"
#include "tools/frame_files.h"
#include "tools/script.h"

#include <charconv>
#include <limits>

namespace headless {

const char kUsage[] =
    "usage: octaspin-headless [--frames N] [--client WxH] [--threads N] [--script FILE]\n"
    "                         [--mesh FILE] [--png FILE] [--quiet]\n"
    "  --frames N     passes of the frame loop to run, N >= 1 (default 300); input\n"
    "                 still waiting after them is dropped and counted as undelivered\n"
    "  --client WxH   client-area size, set before the first frame (default 632x434)\n"
    "  --threads N    threads that draw, 1 to 8 (default: OCTASPIN_THREADS, else the\n"
    "                 processor's cores, at most 8); 1 draws on the program's thread\n"
    "  --script FILE  input events, one per line: <frame> key|press|drag|move|release|\n"
    "                 wheel|menu|fields|resize|close ...; at most 100000 events,\n"
    "                 lines of at most 4096 bytes, 16 MiB in all\n"
    "  --mesh FILE    show the model in FILE (OBJ, PLY or STL) instead of the\n"
    "                 polyhedron\n"
    "  --png FILE     write the last presented frame as an 8-bit RGB PNG; a FILE\n"
    "                 with %d (frame-%d.png) gets every frame, numbered from 1\n"
    "  --quiet        do not print the summary line\n";

namespace {

// A whole number of at least 1. A well-formed number too large for an int
// sets `outOfRange` instead.
bool parsePositive(const std::string& text, int& value, bool* outOfRange = nullptr) {
    const char* last = text.data() + text.size();
    auto [end, code] = std::from_chars(text.data(), last, value);
    if (outOfRange != nullptr) {
        *outOfRange = code == std::errc::result_out_of_range && end == last && text[0] != '-';
    }
    return code == std::errc() && end == last && !text.empty() && value >= 1;
}

bool parseSize(const std::string& text, int& width, int& height) {
    const std::size_t x = text.find('x');
    if (x == std::string::npos) {
        return false;
    }
    return parsePositive(text.substr(0, x), width) && parsePositive(text.substr(x + 1), height) &&
           width <= 16384 && height <= 16384;
}

} // namespace

bool parseArguments(const std::vector<std::string>& arguments, RunnerOptions& options,
                    std::string& error) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        if (option == "--quiet") {
            options.quiet = true;
            continue;
        }
        if (option != "--frames" && option != "--client" && option != "--threads" &&
            option != "--script" && option != "--mesh" && option != "--png") {
            error = "unknown option " + model::quoted(option);
            return false;
        }
        if (i + 1 >= arguments.size()) {
            error = option + " needs a value";
            return false;
        }
        const std::string& value = arguments[++i];
        if (option == "--frames") {
            bool outOfRange = false;
            if (!parsePositive(value, options.frames, &outOfRange)) {
                error = outOfRange ? "--frames " + wordExcerpt(value) + " is out of range 1.." +
                                         std::to_string(std::numeric_limits<int>::max())
                                   : "--frames needs a whole number of at least 1, not " +
                                         model::quoted(value);
                return false;
            }
        } else if (option == "--threads") {
            if (!parsePositive(value, options.threads) || options.threads > kMaxRenderThreads) {
                error = "--threads needs a whole number from 1 to " +
                        std::to_string(kMaxRenderThreads) + ", not " + model::quoted(value);
                return false;
            }
        } else if (option == "--client") {
            if (!parseSize(value, options.clientWidth, options.clientHeight)) {
                error =
                    "--client needs WxH with both sizes in 1..16384, not " + model::quoted(value);
                return false;
            }
        } else if (value.empty()) {
            // --script, --mesh and --png name files; an empty name is a
            // mistake, not "none".
            error = option + " needs a file name";
            return false;
        } else if (option == "--script") {
            options.scriptPath = value;
        } else if (option == "--mesh") {
            options.meshPath = value;
        } else {
            error = framePatternError(value);
            if (!error.empty()) {
                return false;
            }
            options.pngPath = value;
        }
    }
    return true;
}

} // namespace headless
