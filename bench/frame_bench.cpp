// The whole frame of the program, as its frame loop runs it on the headless
// backend: one pass removes at most one message, spins the polyhedron and
// renders (clear, draw, overlay, present to the window). Flat, Gouraud and
// wireframe at four client sizes, each beside one memset of both full
// buffers of that size: what a clear of the whole frame would cost.
//
// scripts/bench.sh runs these, writes the medians as JSON and draws
// docs/perf.png from them.
#include "app/app_state.h"
#include "app/main_window.h"
#include "app/menu_commands.h"
#include "app/resources.h"
#include "platform/core/resource_module.h"
#include "platform/core/win32.h"
#include "platform/headless/headless.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {

// The program started as WinMain starts it (window class, main window,
// scene) on a fresh headless platform, the client area resized to width x
// height before the first frame.
class RunningProgram {
  public:
    RunningProgram(int width, int height) {
        resetAppState();
        platform::resetForTesting();
        platform::setBackend(&backend_);
        const HINSTANCE instance = platform::registerModule(octaspinResources());
        if (!startProgram(instance, SW_SHOWNORMAL)) {
            return;
        }
        appState.running = true;
        backend_.resizeClient(appState.window, width, height);
        ready_ = appState.device->width == width && appState.device->height == height;
    }
    ~RunningProgram() {
        appState.running = false;
        shutdown();
        if (appState.window != nullptr) {
            DestroyWindow(appState.window);
        }
        resetAppState();
        platform::setBackend(nullptr);
        platform::resetForTesting();
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool ready(benchmark::State& state) const {
        if (!ready_) {
            state.SkipWithError("the program could not be started on a headless window");
        }
        return ready_;
    }

    // One pass of the program's frame loop.
    void pass() { runFramePass(message_); }

  private:
    platform::HeadlessBackend backend_;
    MSG message_{};
    bool ready_ = false;
};

void clientSizes(benchmark::internal::Benchmark* b) {
    b->Args({632, 428})->Args({1280, 720})->Args({1920, 1080})->Args({3840, 2160});
}

void describe(benchmark::State& state, const char* what) {
    const std::int64_t width = state.range(0);
    const std::int64_t height = state.range(1);
    state.SetLabel(std::to_string(width) + "x" + std::to_string(height) + " " + what);
    state.counters["pixels"] = static_cast<double>(width * height);
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Frame(benchmark::State& state, std::uint32_t mode, const char* name) {
    RunningProgram program(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    if (!program.ready(state)) {
        return;
    }
    selectRenderMode(*appState.device, mode);
    for (int warm = 0; warm < 20; ++warm) {
        program.pass();
    }
    for (auto _ : state) {
        program.pass();
    }
    describe(state, name);
}
BENCHMARK_CAPTURE(BM_Frame, flat, RenderMode::Flat, "flat")
    ->Apply(clientSizes)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, gouraud, RenderMode::Gouraud, "gouraud")
    ->Apply(clientSizes)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Frame, wireframe, RenderMode::Wireframe, "wireframe")
    ->Apply(clientSizes)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

// One memset of a width x height frame's colour bytes and depth floats.
void BM_MemsetBothBuffers(benchmark::State& state) {
    const auto pixels = static_cast<std::size_t>(state.range(0) * state.range(1));
    const std::unique_ptr<std::uint8_t[]> colour(new std::uint8_t[3 * pixels]);
    const std::unique_ptr<float[]> depth(new float[pixels]);
    for (auto _ : state) {
        std::memset(colour.get(), 0, 3 * pixels);
        std::memset(depth.get(), 0, pixels * sizeof(float));
        benchmark::ClobberMemory();
    }
    describe(state, "memset");
}
BENCHMARK(BM_MemsetBothBuffers)->Apply(clientSizes)->UseRealTime()->Unit(benchmark::kMicrosecond);

} // namespace
