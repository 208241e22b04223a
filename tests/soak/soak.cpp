// A seeded input soak: random but valid input to the real program (WinMain
// and everything under it) on the headless backend, in-process, with the
// program's invariants checked after every pass and at the end of every run.
//
//   octaspin_soak [--events N] [--seed S]
//
// The input is what a user could give: camera keys (alone, in auto-repeat
// bursts, with Alt), drags that start on or off the polyhedron and wander
// inside and outside the window (some never released), pans with the
// middle or the right button, wheel turns (with Shift, and of any size),
// moves without a button, every menu command and unknown ones, both
// dialogs with hostile
// texts typed into them, resizes from nothing to beyond what memory allows,
// minimizing, and closes at any point, also mid-drag and mid-dialog. A
// close ends one run of the program and the next starts afresh, until N
// events were given.
//
// Checked after every pass: the matrices and model-space vectors are
// finite, the spin is rigid, the colours lie in 0..1, every depth is 0 or
// finite, and the polyhedron is drawn whenever the camera has all of it in
// view. At the end of every run: exit code 0, no scene object, window,
// menu, drawing context or GDI object left, no dialog abandoned. Within a
// run the heap in use stays flat (compared at checkpoints, each taken at
// the same window size).
//
// Prints what it did and the findings; exit code 1 on any finding.

#include "app/app_state.h"
#include "app/resource.h"
#include "app/resources.h"
#include "platform/core/resource_module.h"
#include "platform/core/win32.h"
#include "platform/headless/headless.h"
#include "scene/rigid_rotation.h"
#include "tests/support/heap_in_use.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

// A small, fast generator whose sequence is the same everywhere.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        // splitmix64
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool chance(double p) { return static_cast<double>(next() >> 11) * 0x1.0p-53 < p; }

  private:
    std::uint64_t state_;
};

// The window metrics' client area of the program's 640 x 480 window; the
// heap is compared at this size.
constexpr int kHomeWidth = 632;
constexpr int kHomeHeight = 434;
// Events between heap checkpoints, and how far the heap may grow from the
// first checkpoint of a run: the glyph cache fills as texts with new bytes
// are drawn (at most 256 glyphs), a deque keeps a spare block.
constexpr long long kCheckpointEvents = 2000;
constexpr long long kHeapSlackBytes = 64 * 1024;

constexpr unsigned kCameraKeys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 'A', 'Z', 'X', 'C'};
// The key that undoes each camera key, by position.
constexpr unsigned kUndoKeys[] = {VK_RIGHT, VK_LEFT, VK_DOWN, VK_UP, 'Z', 'A', 'C', 'X'};
constexpr UINT kMenuCommands[] = {IDM_FLAT,  IDM_GOURAUD,       IDM_WIREFRAME,     IDM_RESET,
                                  IDM_ABOUT, IDM_DIFFUSE_COLOR, IDM_AMBIENT_COLOR, IDM_FLAT,
                                  IDM_FIT,   IDM_SAVE_IMAGE,    IDM_MODEL_COLORS};

class Soak {
  public:
    Soak(long long events, std::uint64_t seed) : target_(events), seed_(seed), random_(seed) {}

    int run() {
        const auto start = std::chrono::steady_clock::now();
        while (events_ < target_ && findings_ < kMaxFindings) {
            runProgramOnce();
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("seed: %llu  events: %lld  frames: %lld  dialogs: %lld  resizes: %lld  "
                    "runs: %lld (closed by the box %lld, Exit %lld, mid-drag %lld, mid-dialog "
                    "%lld)  visibility checks: %lld  heap checkpoints: %lld  largest heap growth: "
                    "%lld bytes  findings: %lld  seconds: %.1f\n",
                    static_cast<unsigned long long>(seed_), events_, frames_, dialogs_, resizes_,
                    runs_, closes_.box, closes_.exit, closes_.midDrag, closes_.midDialog,
                    visibilityChecks_, heapCheckpoints_, largestHeapGrowth_, findings_, seconds);
        return findings_ == 0 ? 0 : 1;
    }

  private:
    static constexpr long long kMaxFindings = 20;

    void finding(const std::string& what) {
        ++findings_;
        std::printf("finding (seed %llu, run %lld, pass %lld, event %lld): %s\n",
                    static_cast<unsigned long long>(seed_), runs_, pass_, events_, what.c_str());
    }

    // One run of the program: start, passes with input, a close, shut-down.
    void runProgramOnce() {
        resetAppState();
        platform::resetForTesting();
        auto backend = std::make_unique<platform::HeadlessBackend>();
        backend_ = backend.get();
        platform::setBackend(backend_);
        DWORD clock = 0;
        platform::setClockForTesting([&clock] { return clock += 7; });
        frameRate = FrameRateState{};
        const HINSTANCE instance = platform::registerModule(octaspinResources());
        ++runs_;
        pass_ = 0;
        closing_ = false;
        firstHeap_ = 0;
        measureHeap_ = false;
        sinceCheckpoint_ = 0;
        undo_.clear();
        backend_->setPollHook([this] { atPassStart(); });

        char commandLine[] = "";
        const int exitCode = WinMain(instance, nullptr, commandLine, SW_SHOWNORMAL);

        backend_->setPollHook(nullptr);
        if (IsWindow(mainWindow_)) {
            // Exit ends the program without destroying its window, which
            // the system reclaims when the process ends; do as it does.
            DestroyWindow(mainWindow_);
        }
        if (exitCode != 0) {
            finding("exit code " + std::to_string(exitCode));
        }
        if (appState.device || appState.polyhedron || appState.material || appState.ambientLight ||
            appState.directionalLight) {
            finding("scene objects left after shut-down");
        }
        const platform::LiveObjects live = platform::liveObjects();
        if (!live.none()) {
            finding("left behind: " + std::to_string(live.windows) + " windows, " +
                    std::to_string(live.menus) + " menus, " + std::to_string(live.contexts) +
                    " contexts, " + std::to_string(live.bitmaps) + " bitmaps, " +
                    std::to_string(live.brushes) + " brushes");
        }
        if (backend_->abandonedDialogs() != 0) {
            finding(std::to_string(backend_->abandonedDialogs()) + " dialogs abandoned");
        }
        dialogs_ += backend_->dialogCount();
        resetAppState();
        platform::setClockForTesting(nullptr);
        platform::resetForTesting();
        platform::setBackend(nullptr);
        backend_ = nullptr;
    }

    HWND window() const { return appState.window; }
    platform::WindowId windowId() const { return reinterpret_cast<platform::WindowId>(window()); }

    // Input posted to the window and not yet removed by the frame loop.
    bool inputPending() const {
        MSG message{};
        return PeekMessageA(&message, window(), WM_CLOSE, WM_MOUSEWHEEL, PM_NOREMOVE) != 0;
    }

    void atPassStart() {
        const long long pass = pass_++;
        if (pass == 0) {
            mainWindow_ = window();
        } else {
            ++frames_;
        }
        if (closing_ || !IsWindow(window()) || appState.device == nullptr) {
            return;
        }
        if (pass > 0) {
            checkLastFrame();
        }
        if (measureHeap_) {
            checkHeap();
        }
        if (events_ >= target_) {
            close();
            return;
        }
        if (sinceCheckpoint_ >= kCheckpointEvents && !inputPending()) {
            startCheckpoint();
            return;
        }
        // A backlog drains one message per pass; now and then more input
        // arrives on top of it, and now and then a pass has none.
        if ((inputPending() && !random_.chance(0.1)) || random_.chance(0.2)) {
            return;
        }
        act();
    }

    void count(long long n = 1) {
        events_ += n;
        sinceCheckpoint_ += n;
    }

    // --- Input -------------------------------------------------------------

    void act() {
        const int roll = random_.below(10000);
        if (roll < 3300) {
            keys();
        } else if (roll < 4300) {
            dragging();
        } else if (roll < 4600) {
            panning();
        } else if (roll < 4800) {
            wheel();
        } else if (roll < 5200) {
            count();
            platform::input::mouseMove(windowId(), coordinate(), coordinate(), false);
        } else if (roll < 7000) {
            menu();
        } else if (roll < 7700) {
            resize();
        } else if (roll < 7800) {
            minimizeAndRestore();
        } else if (roll < 7801) {
            ++closes_.box;
            close();
        } // otherwise a pass without input
    }

    // A camera key, often repeated. More often than not the reverse of the
    // latest burst not yet undone comes instead, so the camera wanders but
    // comes back.
    void keys() {
        if (!undo_.empty() && random_.chance(0.65)) {
            const UndoKeys u = undo_.back();
            undo_.pop_back();
            for (int i = 0; i < u.repeats; ++i) {
                count();
                platform::input::keyDown(windowId(), u.key, false, i > 0);
            }
            return;
        }
        const int k = random_.below(8);
        const int repeats = random_.chance(0.3) ? random_.between(2, 40) : 1;
        if (random_.chance(0.05)) {
            // Any key at all, or a camera key with Alt (to the menu bar).
            count();
            platform::input::keyDown(windowId(), static_cast<unsigned>(random_.between(1, 254)),
                                     random_.chance(0.5), false);
            return;
        }
        for (int i = 0; i < repeats; ++i) {
            count();
            platform::input::keyDown(windowId(), kCameraKeys[k], false, i > 0);
        }
        undo_.push_back({kUndoKeys[k], repeats});
    }

    // Anywhere a pointer can be, mostly in and near the window.
    int coordinate() {
        if (random_.chance(0.05)) {
            return random_.between(-32768, 32767);
        }
        return random_.between(-200, 1000);
    }

    // Where the polyhedron's centre is drawn, or somewhere else.
    void pressPoint(int& x, int& y) {
        const RenderDevice& d = *appState.device;
        Matrix4 toClip;
        multiply(toClip, d.worldMatrix, d.viewMatrix);
        multiply(toClip, toClip, d.projectionMatrix);
        Vec3 centre;
        transformPoint(centre, toClip, Vec3{});
        if (random_.chance(0.75) && std::isfinite(centre.x) && std::isfinite(centre.y) &&
            d.maxX > 0) {
            x = static_cast<int>((centre.x + 1.0f) * d.maxX * 0.5f) + random_.between(-20, 20);
            y = static_cast<int>((1.0f - centre.y) * d.maxY * 0.5f) + random_.between(-20, 20);
            if (x > -30000 && x < 30000 && y > -30000 && y < 30000) {
                return;
            }
        }
        x = coordinate();
        y = coordinate();
    }

    void dragging() {
        int x = 0;
        int y = 0;
        pressPoint(x, y);
        count();
        platform::input::leftButtonDown(windowId(), x, y);
        const int moves = random_.between(0, 40);
        for (int i = 0; i < moves; ++i) {
            if (random_.chance(0.05)) {
                x = coordinate();
                y = coordinate();
            } else {
                x = std::max(-32768, std::min(32767, x + random_.between(-60, 60)));
                y = std::max(-32768, std::min(32767, y + random_.between(-60, 60)));
            }
            count();
            platform::input::mouseMove(windowId(), x, y, true);
        }
        const int end = random_.below(10000);
        if (end < 9000) {
            count();
            platform::input::leftButtonUp(windowId(), x, y);
        } else if (end < 9005) {
            ++closes_.midDrag;
            close();
        } // otherwise the release is lost
    }

    // A pan with the middle or the right button: most end where they began,
    // which puts the camera back; some release elsewhere, some never.
    void panning() {
        using platform::input::MouseButton;
        const bool middle = random_.chance(0.5);
        const MouseButton button = middle ? MouseButton::Middle : MouseButton::Right;
        const unsigned held =
            middle ? platform::input::kMiddleButton : platform::input::kRightButton;
        const int startX = coordinate();
        const int startY = coordinate();
        int x = startX;
        int y = startY;
        count();
        platform::input::buttonDown(windowId(), button, x, y, 0);
        const int moves = random_.between(0, 20);
        for (int i = 0; i < moves; ++i) {
            x = std::max(-32768, std::min(32767, x + random_.between(-40, 40)));
            y = std::max(-32768, std::min(32767, y + random_.between(-40, 40)));
            count();
            platform::input::mouseMoveHolding(windowId(), x, y, held);
        }
        if (random_.chance(0.7)) {
            x = startX;
            y = startY;
            count();
            platform::input::mouseMoveHolding(windowId(), x, y, held);
        }
        if (random_.chance(0.95)) {
            count();
            platform::input::buttonUp(windowId(), button, x, y, 0);
        } // otherwise the release is lost
    }

    // A few notches of the wheel, undone later as a burst of A or Z is;
    // now and then a turn of any size, which nothing undoes.
    void wheel() {
        count();
        if (random_.chance(0.05)) {
            platform::input::wheelTurned(windowId(), coordinate(), coordinate(),
                                         random_.between(-32768, 32767),
                                         random_.chance(0.5) ? platform::input::kShiftKey : 0);
            return;
        }
        const int notches = random_.between(1, 5);
        const bool towards = random_.chance(0.5);
        const bool shift = random_.chance(0.2);
        platform::input::wheelTurned(windowId(), coordinate(), coordinate(),
                                     (towards ? 120 : -120) * notches,
                                     shift ? platform::input::kShiftKey : 0);
        undo_.push_back({towards ? unsigned{'Z'} : unsigned{'A'}, notches * (shift ? 5 : 1)});
    }

    void menu() {
        count();
        if (random_.chance(0.03)) {
            // An id the menu does not have, straight into the queue.
            PostMessageA(window(), WM_COMMAND, MAKEWPARAM(random_.below(65536), 0), 0);
            return;
        }
        if (random_.chance(0.0005)) {
            ++closes_.exit;
            platform::input::menuCommand(windowId(), IDM_EXIT);
            closing_ = true;
            return;
        }
        const UINT id = kMenuCommands[random_.below(static_cast<int>(std::size(kMenuCommands)))];
        if (id == IDM_ABOUT || id == IDM_DIFFUSE_COLOR || id == IDM_AMBIENT_COLOR) {
            backend_->queueDialogScript([this](platform::DialogDriver& d) { inDialog(d); });
        }
        platform::input::menuCommand(windowId(), id);
    }

    // A text a user could type or paste: numbers of every shape, blanks,
    // signs, letters, control bytes, NUL, and long runs of any of them.
    std::string hostileText() {
        switch (random_.below(8)) {
        case 0:
            return std::to_string(random_.between(-1000, 1000));
        case 1: {
            std::string digits(static_cast<std::size_t>(random_.between(1, 40)), '9');
            for (char& c : digits) {
                c = static_cast<char>('0' + random_.below(10));
            }
            return (random_.chance(0.3) ? "-" : "") + digits;
        }
        case 2:
            return std::string();
        case 3: {
            static const char* const kShapes[] = {"  +12", "-0",    "+255", "\t7",  "0x1F",
                                                  "1e3",   "12abc", "256",  " - 5", "00042"};
            return kShapes[random_.below(10)];
        }
        case 4:
        case 5: {
            std::string bytes(static_cast<std::size_t>(random_.between(0, 64)), '\0');
            for (char& c : bytes) {
                c = static_cast<char>(random_.below(256));
            }
            return bytes;
        }
        case 6: {
            std::string text(static_cast<std::size_t>(random_.between(256, 4096)), ' ');
            for (char& c : text) {
                c = static_cast<char>(random_.between(0x20, 0x7e));
            }
            return text;
        }
        default: {
            std::string control(static_cast<std::size_t>(random_.between(1, 16)), '\0');
            for (char& c : control) {
                c = static_cast<char>(random_.below(32));
            }
            return control;
        }
        }
    }

    // What a user does in an open dialog, checking what it shows.
    void inDialog(platform::DialogDriver& d) {
        const bool colour = d.title() == kColorDialogCaption;
        if (colour) {
            for (int id : {IDC_RED, IDC_GREEN, IDC_BLUE}) {
                const std::string shown = d.text(id);
                char* end = nullptr;
                const long value = std::strtol(shown.c_str(), &end, 10);
                if (shown.empty() || *end != '\0' || value < 0 || value > 255) {
                    finding("colour dialog shows '" + shown + "'");
                }
            }
        }
        const int actions = random_.between(0, 6);
        for (int i = 0; i < actions; ++i) {
            count();
            if (random_.chance(0.1)) {
                d.click(random_.chance(0.5) ? random_.between(-2, 2000) : IDC_RED);
                continue;
            }
            const int field = colour && random_.chance(0.9) ? (IDC_GREEN + random_.below(3))
                                                            : random_.between(-2, 2000);
            d.type(field, hostileText());
        }
        if (random_.chance(0.002)) {
            ++closes_.midDialog;
            // Close mid-dialog: the owner's close box is dead while the
            // dialog is up; a close message posted to it waits.
            count();
            platform::input::closeRequested(windowId());
            PostMessageA(window(), WM_CLOSE, 0, 0);
            closing_ = true;
        }
        count();
        if (random_.chance(0.2)) {
            d.click(IDOK);
        } else {
            d.pressEnter();
        }
    }

    // Sizes from nothing to beyond what memory allows, mostly usable.
    int side() {
        const int roll = random_.below(100);
        if (roll < 20) {
            return random_.between(0, 7);
        }
        if (roll < 75) {
            return random_.between(8, 500);
        }
        if (roll < 95) {
            return random_.between(500, 1100);
        }
        if (roll < 99) {
            return random_.between(1100, 2600);
        }
        return random_.between(20000, 65535); // no memory for such a frame
    }

    void resize() {
        count();
        ++resizes_;
        int width = side();
        int height = random_.chance(0.7) ? side() : width;
        if (static_cast<long long>(width) * height > 2600LL * 2600LL &&
            static_cast<long long>(width) * height * 3 <= (1LL << 30)) {
            // Large but makeable: keep the soak's pace, stay at a usable size.
            width = kHomeWidth;
            height = kHomeHeight;
        }
        backend_->resizeClient(window(), width, height);
    }

    void minimizeAndRestore() {
        count(2);
        ++resizes_;
        ShowWindow(window(), SW_MINIMIZE);
        ShowWindow(window(), SW_RESTORE);
    }

    void close() {
        count();
        closing_ = true;
        platform::input::closeRequested(windowId());
    }

    // --- Checks ------------------------------------------------------------

    static bool finite(const Matrix4& m) {
        for (float f : m.m) {
            if (!std::isfinite(f)) {
                return false;
            }
        }
        return true;
    }
    static bool finite(const Vec3& v) {
        return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
    }
    static bool unitColour(const Color3& c) {
        return c.r >= 0.0f && c.r <= 1.0f && c.g >= 0.0f && c.g <= 1.0f && c.b >= 0.0f &&
               c.b <= 1.0f;
    }

    // The frame the last pass drew, and the state it was drawn with.
    void checkLastFrame() {
        const RenderDevice& d = *appState.device;
        if (!finite(d.worldMatrix) || !finite(d.inverseWorldMatrix) || !finite(d.viewMatrix) ||
            !finite(d.eyeInObject) || !finite(d.lightDirInObject)) {
            finding("a matrix or model-space vector is not finite");
        }
        if (!(rotationDrift(appState.modelRotation) <= kRotationDriftTolerance)) {
            finding("the accumulated rotation is no longer rigid");
        }
        if (!unitColour(appState.material->diffuse) || !unitColour(appState.ambientLight->color)) {
            finding("a colour left 0..1");
        }
        if (!d.hasFrame()) {
            return;
        }
        const float* depth = d.depthBuffer.get();
        const std::size_t count = static_cast<std::size_t>(d.width) * d.height;
        for (std::size_t i = 0; i < count; ++i) {
            if (depth[i] != 0.0f && !std::isfinite(depth[i])) {
                finding("depth " + std::to_string(depth[i]) + " at " + std::to_string(i));
                break;
            }
        }
        checkVisible(d);
    }

    // When every corner of the polyhedron is in front of the camera and
    // short of the far plane, and its centre is inside the frame, the row
    // through the centre holds drawn pixels: depths in a filled mode, the
    // line colour in wireframe. (The polyhedron is convex around its
    // centre, so the centre's pixel lies inside its picture.)
    void checkVisible(const RenderDevice& d) {
        if (d.width < 32 || d.height < 32) {
            return;
        }
        Matrix4 toView;
        multiply(toView, d.worldMatrix, d.viewMatrix);
        double left = 1e9, right = -1e9, top = 1e9, bottom = -1e9;
        auto toPixel = [&d](const Vec3& view, double& x, double& y) {
            Vec3 p;
            transformPoint(p, d.projectionMatrix, view);
            x = (static_cast<double>(p.x) + 1.0) * d.maxX * 0.5;
            y = (1.0 - static_cast<double>(p.y)) * d.maxY * 0.5;
        };
        for (const Vertex& v : appState.polyhedron->vertices) {
            Vec3 view;
            transformPoint(view, toView, v.position);
            if (!(view.z > d.nearPlane + 1.0f && view.z < d.farPlane * 0.99f)) {
                return;
            }
            double x = 0.0, y = 0.0;
            toPixel(view, x, y);
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
        if (right - left < 12.0 || bottom - top < 12.0) {
            return;
        }
        Vec3 centre;
        transformPoint(centre, toView, Vec3{});
        double cx = 0.0, cy = 0.0;
        toPixel(centre, cx, cy);
        if (!(cx >= 2.0 && cx <= d.maxX - 2.0 && cy >= 2.0 && cy <= d.maxY - 2.0)) {
            return;
        }
        const int row = static_cast<int>(cy);
        const bool filled = (d.renderMode & (RenderMode::Flat | RenderMode::Gouraud)) != 0;
        const std::uint8_t* pixels = d.rowStart + static_cast<std::ptrdiff_t>(row) * d.pitch;
        const float* depths = d.depthBuffer.get() + static_cast<std::ptrdiff_t>(row) * d.width;
        if (!filled && d.diffuseProduct.r * 255.0f < 1.0f && d.diffuseProduct.g * 255.0f < 1.0f &&
            d.diffuseProduct.b * 255.0f < 1.0f) {
            return; // black lines on black
        }
        ++visibilityChecks_;
        const int first = std::max(0, static_cast<int>(left));
        const int last = std::min(d.maxX, static_cast<int>(right));
        for (int x = first; x <= last; ++x) {
            const bool drawn = filled
                                   ? depths[x] != 0.0f
                                   : (pixels[3 * x] | pixels[3 * x + 1] | pixels[3 * x + 2]) != 0;
            if (drawn) {
                return;
            }
        }
        finding("polyhedron in view but not drawn (row " + std::to_string(row) + ", mode " +
                std::to_string(d.renderMode) + ")");
    }

    // A checkpoint: back at the home size with nothing queued, the heap is
    // measured after the next pass has drawn and presented at that size.
    void startCheckpoint() {
        sinceCheckpoint_ = 0;
        backend_->resizeClient(window(), kHomeWidth, kHomeHeight);
        measureHeap_ = true;
    }

    void checkHeap() {
        measureHeap_ = false;
        const auto heap = static_cast<long long>(heapInUse());
        ++heapCheckpoints_;
        if (firstHeap_ == 0) {
            firstHeap_ = heap;
            return;
        }
        const long long growth = heap - firstHeap_;
        largestHeapGrowth_ = std::max(largestHeapGrowth_, growth);
        if (growth > kHeapSlackBytes) {
            finding("heap grew by " + std::to_string(growth) +
                    " bytes since the run's first "
                    "checkpoint");
            firstHeap_ = heap; // report each growth once
        }
    }

    struct Closes {
        long long box = 0;
        long long exit = 0;
        long long midDrag = 0;
        long long midDialog = 0;
    };

    struct UndoKeys {
        unsigned key;
        int repeats;
    };

    const long long target_;
    const std::uint64_t seed_;
    Random random_;
    platform::HeadlessBackend* backend_ = nullptr;
    HWND mainWindow_ = nullptr;
    std::vector<UndoKeys> undo_;
    long long events_ = 0;
    long long frames_ = 0;
    long long dialogs_ = 0;
    long long resizes_ = 0;
    long long runs_ = 0;
    long long findings_ = 0;
    long long visibilityChecks_ = 0;
    long long pass_ = 0;
    bool closing_ = false;
    long long sinceCheckpoint_ = 0;
    bool measureHeap_ = false;
    long long firstHeap_ = 0;
    long long largestHeapGrowth_ = 0;
    long long heapCheckpoints_ = 0;
    Closes closes_;
};

bool parseNumber(const char* text, long long& value) {
    char* end = nullptr;
    value = std::strtoll(text, &end, 10);
    return *text != '\0' && *end == '\0' && value >= 0;
}

} // namespace

int main(int argc, char** argv) {
    long long events = 20000;
    long long seed = 1;
    for (int i = 1; i < argc; i += 2) {
        long long* target = std::strcmp(argv[i], "--events") == 0 ? &events
                            : std::strcmp(argv[i], "--seed") == 0 ? &seed
                                                                  : nullptr;
        if (target == nullptr || i + 1 == argc || !parseNumber(argv[i + 1], *target)) {
            std::fprintf(stderr, "usage: octaspin_soak [--events N] [--seed S]\n");
            return 2;
        }
    }
    return Soak(events, static_cast<std::uint64_t>(seed)).run();
}
