// octaspin-render: pictures of 3D models as PNG files, with no display and
// no graphics card; the file managers' thumbnailer for OBJ, PLY and STL.
//
//   octaspin-render [options] MODEL... -o OUT.png|DIR|-
//
// Each model is read with the program's loader (model/load_model.h: centred
// on the origin and scaled into a sphere of radius 100) and drawn by the
// program's device, then written as a PNG. The framing rule: the camera
// looks at the model's centre from the named direction (--view), at the
// distance at which the bounding sphere of radius 100 fills the shorter
// side of the picture less a margin of 5% on each side, through the
// window's 90-degree perspective; the light comes from over the viewer's
// shoulder, plus the ambient light. picture.h has the whole recipe.
//
// Output: OUT.png for one model; DIR/NAME.png for each model when OUT is a
// folder (NAME: the model's file name without its extension); "-" writes
// the PNG to standard output. A new file is written to a temporary file in
// its folder and renamed into place, so nobody sees half a picture and a
// failure leaves none; a file that exists already (a thumbnail service's,
// which made it and reads it back) is overwritten in place.
//
// Exit code: 0 when every picture was written; 2 for a usage error (the
// message and the usage line on stderr, nothing drawn) or when any model
// could not be read (its loader message on stderr; the others are drawn);
// otherwise 1 when any picture could not be drawn or written.
#include "device/worker_pool.h"
#include "image/png_writer.h"
#include "model/load_model.h"
#include "tools/octaspin-render/picture.h"
#include "tools/octaspin-render/render_options.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#ifndef OCTASPIN_VERSION
#define OCTASPIN_VERSION "1.0.0"
#endif

namespace {

constexpr int kExitWriteFailed = 1;
constexpr int kExitUsageOrModel = 2;

int usageError(const std::string& message) {
    std::fprintf(stderr, "octaspin-render: %s\n%s", message.c_str(), render::kUsageLine);
    return kExitUsageOrModel;
}

bool isSeparator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

// NAME.png for a model path: its last component without the extension.
std::string pictureName(const std::string& modelPath) {
    std::string name = model::baseName(modelPath);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) {
        name.resize(dot);
    }
    return name + ".png";
}

// Wall and processor time of a stage (processor time of all threads).
struct Stage {
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    std::clock_t cpu = std::clock();
    double wallMs() const {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall)
            .count();
    }
    double cpuMs() const {
        return 1000.0 * static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
    }
};

bool writeToStandardOutput(const std::vector<std::uint8_t>& png, std::string& error) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    if (std::fwrite(png.data(), 1, png.size(), stdout) != png.size() || std::fflush(stdout) != 0) {
        error = "standard output: cannot write";
        return false;
    }
    return true;
}

// Reads, draws and writes one model; the exit code it earns.
int renderOne(const std::string& modelPath, const std::string& output,
              const render::PictureOptions& options, bool timings) {
    const Stage reading;
    model::LoadResult loaded;
    {
        // The load parses and cuts on as many threads as the drawing uses.
        const std::unique_ptr<WorkerPool> pool = startWorkerPool(options.threads);
        model::LoadOptions load;
        load.pool = pool.get();
        loaded = model::loadModelFile(modelPath, load);
    }
    const double readMs = reading.wallMs();
    const double readCpuMs = reading.cpuMs();
    if (!loaded.ok()) {
        std::fprintf(stderr, "%s\n", loaded.error.c_str());
        return kExitUsageOrModel;
    }
    render::Picture picture;
    std::string error;
    const render::ModelColoring coloring = render::modelColor(options, loaded.model);
    const Stage drawing;
    if (!render::drawPicture(loaded.model.meshes, coloring, options, picture, error)) {
        std::fprintf(stderr, "%s: %s\n", modelPath.c_str(), error.c_str());
        return kExitWriteFailed;
    }
    const double drawMs = drawing.wallMs();
    const double drawCpuMs = drawing.cpuMs();
    const Stage writing;
    loaded.model = model::LoadedModel{}; // the model's memory goes before the encoder's
    const image::ImageRows rows{
        picture.pixels.data(), static_cast<std::ptrdiff_t>(picture.width) * picture.channels,
        picture.width, picture.height,
        picture.channels == 4 ? image::PixelOrder::Rgba : image::PixelOrder::Rgb};
    std::vector<std::uint8_t> png;
    const bool ok = output == "-"
                        ? image::encodePng(rows, png, error) && writeToStandardOutput(png, error)
                        : image::writePng(output, rows, image::FileWrite::Atomic, error);
    if (!ok) {
        std::fprintf(stderr, "octaspin-render: %s\n", error.c_str());
        return kExitWriteFailed;
    }
    if (timings) {
        std::fprintf(stderr,
                     "%s: read %.1f ms (cpu %.1f), draw %.1f ms (cpu %.1f), encode and write %.1f "
                     "ms (cpu %.1f)\n",
                     modelPath.c_str(), readMs, readCpuMs, drawMs, drawCpuMs, writing.wallMs(),
                     writing.cpuMs());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    render::CommandLine line;
    std::string error;
    if (!render::parseCommandLine(arguments, line, error)) {
        return usageError(error);
    }
    if (line.help) {
        std::fputs(render::kHelpText, stdout);
        return 0;
    }
    if (line.version) {
        std::fputs("octaspin-render " OCTASPIN_VERSION "\n", stdout);
        return 0;
    }

    // Where each picture goes.
    std::vector<std::string> outputs;
    std::error_code ec;
    const bool toFolder = line.output != "-" && (isSeparator(line.output.back()) ||
                                                 std::filesystem::is_directory(line.output, ec));
    if (toFolder) {
        std::string folder = line.output;
        if (!isSeparator(folder.back())) {
            folder += '/';
        }
        std::set<std::string> names;
        for (const std::string& m : line.models) {
            const std::string name = pictureName(m);
            if (!names.insert(name).second) {
                return usageError("two models would both be written to " + folder + name);
            }
            outputs.push_back(folder + name);
        }
    } else if (line.models.size() > 1) {
        return usageError(line.output == "-"
                              ? std::string("several models cannot go to standard output")
                              : "several models need -o DIR, an existing folder");
    } else {
        outputs.push_back(line.output);
    }

    int code = 0;
    for (std::size_t i = 0; i < line.models.size(); ++i) {
        const int result = renderOne(line.models[i], outputs[i], line.picture, line.timings);
        code = result == kExitUsageOrModel || code == kExitUsageOrModel ? kExitUsageOrModel
               : result != 0                                            ? result
                                                                        : code;
    }
    return code;
}
