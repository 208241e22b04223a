#include "tools/runner.h"

#include "app/app_state.h"
#include "app/resource.h"
#include "app/resources.h"
#include "app/winmain_command_line.h"
#include "device/worker_pool.h"
#include "model/load_model.h"
#include "platform/core/resource_module.h"
#include "platform/core/win32.h"
#include "platform/headless/headless.h"
#include "tools/frame_files.h"
#include "tools/png_writer.h"
#include "tools/script.h"

#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <limits>
#include <string>
#include <vector>

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
    "                 menu|fields|resize|close ...; at most 100000 events, lines of\n"
    "                 at most 4096 bytes, 16 MiB in all\n"
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

// Drives one run from the backend's poll hook. Every PeekMessageA of the
// frame loop calls it once, at the start of a pass, so the calls count
// passes; the events due at a pass are posted before that pass removes its
// message.
class PassDriver {
  public:
    PassDriver(const RunnerOptions& options, const std::vector<ScriptEvent>& events,
               platform::HeadlessBackend& backend)
        : options_(options), events_(events), backend_(backend) {}

    void atPassStart() {
        const int pass = passes_++;
        const HWND window = appState.window;
        if (observe(window) && pass > 0) {
            saveFrame(); // the frame of the pass before
        }
        if (closed_) {
            return;
        }
        if (pass == 0) {
            start_ = std::chrono::steady_clock::now();
            if (options_.threads > 0 && appState.device != nullptr) {
                appState.device->setRenderThreads(options_.threads);
            }
            if (options_.clientWidth > 0) {
                backend_.resizeClient(window, options_.clientWidth, options_.clientHeight);
                observe(window);
            }
        }
        if (pass == options_.frames) {
            // N passes are done: input still waiting is dropped (the run is
            // bounded by passes, not by the backlog) and the close box is
            // pressed.
            end_ = std::chrono::steady_clock::now();
            timedFrames_ = options_.frames;
            closed_ = true;
            dropped_ = dropQueuedInput(window);
            PostMessageA(window, WM_CLOSE, 0, 0);
            return;
        }
        while (next_ < events_.size() && events_[next_].frame <= pass) {
            post(window, events_[next_++]);
        }
    }

    // After WinMain returned: a run that ended before N passes is timed up
    // to here, over the passes that drew a frame.
    void finish() {
        if (timedFrames_ < 0) {
            end_ = std::chrono::steady_clock::now();
            timedFrames_ = passes_ > 0 ? passes_ - 1 : 0;
        }
    }

    int frames() const { return timedFrames_; }
    // The first failure to write a numbered frame's file, or empty.
    const std::string& frameFileError() const { return frameFileError_; }
    // Script events the program never got: never posted, dropped from the
    // queue at the end, or field texts no colour dialog took.
    std::size_t undelivered() const {
        return (events_.size() - next_) + dropped_ + pendingFields_.size();
    }
    double seconds() const { return std::chrono::duration<double>(end_ - start_).count(); }
    int clientWidth() const { return clientWidth_; }
    int clientHeight() const { return clientHeight_; }
    int frameWidth() const { return frameWidth_; }
    int frameHeight() const { return frameHeight_; }
    // The model shown, as the summary line names it; empty: the polyhedron.
    std::string modelSummary() const {
        if (modelName_.empty()) {
            return {};
        }
        return "  model: " + modelName_ + "  vertices: " + std::to_string(modelVertices_) +
               "  triangles: " + std::to_string(modelTriangles_);
    }
    // The last frame the window showed, or an empty view.
    platform::ImageView lastFrame() const {
        return platform::ImageView{shownWidth_, shownHeight_, shownWidth_ * 3, shown_.data()};
    }

  private:
    // Records what the window shows and how big it is, while it exists.
    // True when it took the window's picture.
    bool observe(HWND window) {
        if (!IsWindow(window)) {
            return false;
        }
        RECT client{};
        GetClientRect(window, &client);
        clientWidth_ = client.right - client.left;
        clientHeight_ = client.bottom - client.top;
        if (appState.device != nullptr) {
            frameWidth_ = appState.device->width;
            frameHeight_ = appState.device->height;
        }
        if (!appState.model.meshes.empty()) {
            modelName_ = model::baseName(appState.modelPath);
            modelVertices_ = appState.model.vertexCount;
            modelTriangles_ = appState.model.triangleCount;
        }
        if (options_.pngPath.empty()) {
            return false;
        }
        const platform::ImageView view = backend_.screen(window);
        if (view.bgr == nullptr || view.width <= 0 || view.height <= 0) {
            return false;
        }
        shownWidth_ = view.width;
        shownHeight_ = view.height;
        shown_.resize(static_cast<std::size_t>(view.width) * 3 * view.height);
        for (int y = 0; y < view.height; ++y) {
            const std::uint8_t* row = view.bgr + static_cast<std::ptrdiff_t>(y) * view.stride;
            std::copy(row, row + view.width * 3,
                      shown_.begin() + static_cast<std::ptrdiff_t>(y) * view.width * 3);
        }
        return true;
    }

    // With a numbered --png name, the frame just observed goes to the next
    // numbered file. The first failure stops the writing.
    void saveFrame() {
        if (!namesEveryFrame(options_.pngPath) || !frameFileError_.empty()) {
            return;
        }
        std::string error;
        if (!writePng(frameFileName(options_.pngPath, ++savedFrames_), lastFrame(), error)) {
            frameFileError_ = error.empty() ? "cannot write" : error;
        }
    }

    void post(HWND window, const ScriptEvent& event) {
        const LPARAM point = MAKELPARAM(event.a, event.b);
        switch (event.kind) {
        case EventKind::Key:
            // Repeat count 1 in the low word.
            PostMessageA(window, WM_KEYDOWN, static_cast<WPARAM>(event.a), 1);
            break;
        case EventKind::Press:
            PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
            break;
        case EventKind::Drag:
            PostMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, point);
            break;
        case EventKind::Move:
            PostMessageA(window, WM_MOUSEMOVE, 0, point);
            break;
        case EventKind::Release:
            PostMessageA(window, WM_LBUTTONUP, 0, point);
            break;
        case EventKind::Menu:
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(event.a, 0), 0);
            break;
        case EventKind::Fields:
            queueFields(event.fields);
            break;
        case EventKind::Resize:
            backend_.resizeClient(window, event.a, event.b);
            break;
        case EventKind::Close:
            PostMessageA(window, WM_CLOSE, 0, 0);
            break;
        }
    }

    // Each set of texts goes to the next colour dialog that opens, in the
    // order the sets came; any other dialog in between is confirmed and the
    // sets wait. One dialog script is queued per waiting set; whichever
    // runs in a colour dialog takes the oldest set.
    void queueFields(const std::array<std::string, 3>& texts) {
        pendingFields_.push_back(texts);
        queueFieldsScript();
    }

    void queueFieldsScript() {
        backend_.queueDialogScript([this](platform::DialogDriver& dialog) {
            if (dialog.title() != kColorDialogCaption || pendingFields_.empty()) {
                queueFieldsScript();
                dialog.pressEnter();
                return;
            }
            const std::array<std::string, 3> texts = std::move(pendingFields_.front());
            pendingFields_.pop_front();
            dialog.type(IDC_RED, texts[0]);
            dialog.type(IDC_GREEN, texts[1]);
            dialog.type(IDC_BLUE, texts[2]);
            dialog.pressEnter();
        });
    }

    // Removes the input still waiting in the queue for the window (all the
    // runner posts: the close box, keys, mouse and menu messages, WM_CLOSE
    // up to WM_LBUTTONUP) and returns how many there were. The window
    // filter keeps the quit request, which ends the loop, out of reach.
    static std::size_t dropQueuedInput(HWND window) {
        std::size_t count = 0;
        MSG message{};
        while (PeekMessageA(&message, window, WM_CLOSE, WM_LBUTTONUP, PM_REMOVE)) {
            ++count;
        }
        return count;
    }

    const RunnerOptions& options_;
    const std::vector<ScriptEvent>& events_;
    platform::HeadlessBackend& backend_;
    std::size_t next_ = 0;
    std::size_t dropped_ = 0;
    std::deque<std::array<std::string, 3>> pendingFields_;
    int passes_ = 0;
    bool closed_ = false;
    int timedFrames_ = -1;
    std::chrono::steady_clock::time_point start_{};
    std::chrono::steady_clock::time_point end_{};
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    std::string modelName_;
    std::uint64_t modelVertices_ = 0;
    std::uint64_t modelTriangles_ = 0;
    int shownWidth_ = 0;
    int shownHeight_ = 0;
    std::vector<std::uint8_t> shown_;
    int savedFrames_ = 0;
    std::string frameFileError_;
};

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
            error = "unknown option " + quoteWord(option);
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
                                         quoteWord(value);
                return false;
            }
        } else if (option == "--threads") {
            if (!parsePositive(value, options.threads) || options.threads > kMaxRenderThreads) {
                error = "--threads needs a whole number from 1 to " +
                        std::to_string(kMaxRenderThreads) + ", not " + quoteWord(value);
                return false;
            }
        } else if (option == "--client") {
            if (!parseSize(value, options.clientWidth, options.clientHeight)) {
                error = "--client needs WxH with both sizes in 1..16384, not " + quoteWord(value);
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
    std::string commandLine;
    if (!options.meshPath.empty()) {
        const model::LoadResult loaded = model::loadModelFile(options.meshPath);
        if (!loaded.ok()) {
            err << loaded.error << "\n";
            return 2;
        }
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
        if (!driver.frameFileError().empty()) {
            err << "octaspin-headless: cannot write the PNG: " << driver.frameFileError() << "\n";
            return 1;
        }
    } else if (!options.pngPath.empty()) {
        if (!writePng(options.pngPath, driver.lastFrame(), error)) {
            err << "octaspin-headless: cannot write the PNG: " << error << "\n";
            return 1;
        }
    }
    if (!options.quiet) {
        const double seconds = driver.seconds();
        const int frames = driver.frames();
        const double fps = seconds > 0.0 ? frames / seconds : 0.0;
        const double msPerFrame = frames > 0 ? seconds * 1000.0 / frames : 0.0;
        char line[160];
        std::snprintf(line, sizeof line,
                      "frames: %d  client: %dx%d  frame: %dx%d  fps: %.1f  ms/frame: %.3f", frames,
                      driver.clientWidth(), driver.clientHeight(), driver.frameWidth(),
                      driver.frameHeight(), fps, msPerFrame);
        out << line << driver.modelSummary();
        if (driver.undelivered() > 0) {
            out << "  undelivered: " << driver.undelivered();
        }
        out << "\n";
    }
    return exitCode;
}

} // namespace headless
