#include "tools/runner.h"

#include "app/app_state.h"
#include "app/resources.h"
#include "app/winmain_command_line.h"
#include "device/worker_pool.h"
#include "model/load_model.h"
#include "platform/core/resource_module.h"
#include "platform/core/win32.h"
#include "platform/headless/headless.h"
#include "tools/frame_files.h"
#include "tools/pass_driver.h"
#include "tools/png_writer.h"
#include "tools/script.h"

#include <cstdio>
#include <string>
#include <vector>

namespace headless {

namespace {

// The summary line: frames, sizes and speed, the model, input left over.
void printSummary(const PassDriver& driver, std::ostream& out) {
    const double seconds = driver.timer().seconds();
    const int frames = driver.timer().frames();
    const double fps = seconds > 0.0 ? frames / seconds : 0.0;
    const double msPerFrame = frames > 0 ? seconds * 1000.0 / frames : 0.0;
    const FrameCapture& seen = driver.capture();
    char line[160];
    std::snprintf(line, sizeof line,
                  "frames: %d  client: %dx%d  frame: %dx%d  fps: %.1f  ms/frame: %.3f", frames,
                  seen.clientWidth(), seen.clientHeight(), seen.frameWidth(), seen.frameHeight(),
                  fps, msPerFrame);
    out << line << seen.modelSummary();
    if (driver.input().undelivered() > 0) {
        out << "  undelivered: " << driver.input().undelivered();
    }
    out << "\n";
}

} // namespace

int runHeadless(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    RunnerOptions options;
    std::string error;
    if (!parseArguments(arguments, options, error)) {
        err << "octaspin-headless: " << error << "\n" << kUsage;
        return 2;
    }
    ParsedScript script;
    if (!options.scriptPath.empty()) {
        script = loadScript(options.scriptPath);
        if (!script.ok()) {
            err << script.error << "\n";
            return 2;
        }
    }

    // The model is read here first, so that a file the program could not
    // open stops the run before it starts, as a bad script does.
    // The program then takes the model read here instead of reading the
    // file again. The load parses on as many threads as the drawing uses.
    std::string commandLine;
    if (!options.meshPath.empty()) {
        model::LoadResult loaded;
        {
            const std::unique_ptr<WorkerPool> pool = startWorkerPool(options.threads);
            model::LoadOptions load;
            load.pool = pool.get();
            loaded = model::loadModelFile(options.meshPath, load);
        }
        if (!loaded.ok()) {
            err << loaded.error << "\n";
            return 2;
        }
        appState.loading.readAhead.emplace(options.meshPath, std::move(loaded.model));
        commandLine = quoteArgument(options.meshPath);
    }

    platform::HeadlessBackend backend;
    platform::setBackend(&backend);
    PassDriver driver(options, script.events, backend);
    backend.setPollHook([&driver] { driver.atPassStart(); });
    const HINSTANCE instance = platform::registerModule(octaspinResources());
    std::vector<char> commandLineText(commandLine.begin(), commandLine.end());
    commandLineText.push_back('\0');
    const int exitCode = WinMain(instance, nullptr, commandLineText.data(), SW_SHOWDEFAULT);
    driver.finish();
    backend.setPollHook(nullptr);
    platform::setBackend(nullptr);

    if (namesEveryFrame(options.pngPath)) {
        if (!driver.numberedFrames().error().empty()) {
            err << "octaspin-headless: cannot write the PNG: " << driver.numberedFrames().error()
                << "\n";
            return 1;
        }
    } else if (!options.pngPath.empty()) {
        if (!writePng(options.pngPath, driver.capture().lastFrame(), error)) {
            err << "octaspin-headless: cannot write the PNG: " << error << "\n";
            return 1;
        }
    }
    if (!options.quiet) {
        printSummary(driver, out);
    }
    return exitCode;
}

} // namespace headless
