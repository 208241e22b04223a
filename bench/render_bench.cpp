// Timings of the renderer's stages on the demo scene (scene/demo_view.h), the
// polyhedron turned by one spin step.
//
// The device is bound to a window of the headless backend, so the frame is
// a real bitmap section exactly as the program gets it. Every benchmark runs
// at the default frame (632 x 432) and at 1920 x 1080.
//
// The rasterizer and drawMesh benchmarks clear the frame before every
// iteration outside the timed region (manual timing), so each iteration
// draws into an empty frame as a real frame does. The timedemo replays a
// fixed run of frames (clear, spin step, drawMesh) and reports frames per
// second of wall-clock time.
#include "bench/bound_view.h"
#include "device/render_device.h"
#include "geometry/draw_mesh.h"
#include "geometry/pipeline.h"
#include "math/vector_math.h"
#include "raster/raster.h"
#include "scene/demo_view.h"
#include "scene/polyhedron.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <memory>

namespace {

constexpr int kTimedemoFrames = 300;

// The demo scene on a bound view: the polyhedron, turned as the program
// turns it.
class DemoScene : public BoundView {
  public:
    DemoScene(int width, int height, std::uint32_t renderMode)
        : BoundView(width, height, renderMode) {
        identity(modelRotation);
        mesh = buildPolyhedron();
        spin(); // the first frame is already turned by one step
    }

    // One frame's model rotation, as the program spins it.
    void spin() {
        demo::spinStep(modelRotation);
        device.setWorldMatrix(modelRotation);
    }

    std::unique_ptr<Mesh> mesh;
    Matrix4 modelRotation;
};

void frameSizes(benchmark::internal::Benchmark* b) {
    b->Args({632, 432})->Args({1920, 1080});
}

void labelSize(benchmark::State& state, const char* mode = nullptr) {
    std::string label = std::to_string(state.range(0)) + "x" + std::to_string(state.range(1));
    if (mode != nullptr) {
        label += std::string(" ") + mode;
    }
    state.SetLabel(label);
}

// Times one call per iteration on a freshly cleared frame.
template <typename Draw>
void timeOnClearedFrame(benchmark::State& state, DemoScene& scene, Draw draw) {
    for (auto _ : state) {
        scene.device.clear();
        const auto start = std::chrono::steady_clock::now();
        draw();
        const auto end = std::chrono::steady_clock::now();
        benchmark::ClobberMemory();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}

void BM_BuildScreenPolygons(benchmark::State& state, std::uint32_t mode, const char* name) {
    DemoScene scene(int(state.range(0)), int(state.range(1)), mode);
    if (!scene.ready(state)) {
        return;
    }
    for (auto _ : state) {
        ScreenPolygonList list = buildScreenPolygons(scene.device, *scene.mesh);
        benchmark::DoNotOptimize(list.count);
    }
    labelSize(state, name);
}
BENCHMARK_CAPTURE(BM_BuildScreenPolygons, flat, RenderMode::Flat, "flat")->Apply(frameSizes);
BENCHMARK_CAPTURE(BM_BuildScreenPolygons, gouraud, RenderMode::Gouraud, "gouraud")
    ->Apply(frameSizes);

// One rasterizer on the scene's polygon list (built once, in the mode that
// fills in what the rasterizer reads).
void BM_Rasterizer(benchmark::State& state, std::uint32_t mode,
                   void (*rasterize)(RenderDevice&, const ScreenPolygonList&), const char* name) {
    DemoScene scene(int(state.range(0)), int(state.range(1)), mode);
    if (!scene.ready(state)) {
        return;
    }
    const ScreenPolygonList list = buildScreenPolygons(scene.device, *scene.mesh);
    timeOnClearedFrame(state, scene, [&] { rasterize(scene.device, list); });
    labelSize(state, name);
}
BENCHMARK_CAPTURE(BM_Rasterizer, fillFlat, RenderMode::Flat, fillFlat, "fillFlat")
    ->Apply(frameSizes)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_Rasterizer, fillGouraud, RenderMode::Gouraud, fillGouraud, "fillGouraud")
    ->Apply(frameSizes)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_Rasterizer, drawWireframe, RenderMode::Wireframe, drawWireframe,
                  "drawWireframe")
    ->Apply(frameSizes)
    ->UseManualTime();

// The whole face path of one frame: pipeline, rasterizer, release.
void BM_DrawMesh(benchmark::State& state, std::uint32_t mode, const char* name) {
    DemoScene scene(int(state.range(0)), int(state.range(1)), mode);
    if (!scene.ready(state)) {
        return;
    }
    timeOnClearedFrame(state, scene, [&] { drawMesh(scene.device, *scene.mesh); });
    labelSize(state, name);
}
BENCHMARK_CAPTURE(BM_DrawMesh, wireframe, RenderMode::Wireframe, "wireframe")
    ->Apply(frameSizes)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_DrawMesh, flat, RenderMode::Flat, "flat")->Apply(frameSizes)->UseManualTime();
BENCHMARK_CAPTURE(BM_DrawMesh, gouraud, RenderMode::Gouraud, "gouraud")
    ->Apply(frameSizes)
    ->UseManualTime();

// The timedemo: the same kTimedemoFrames frames every iteration, from the
// first frame's rotation on, each a spin step, clear and drawMesh (present
// is the platform's business and is not part of the replay).
void BM_Timedemo(benchmark::State& state, std::uint32_t mode, const char* name) {
    DemoScene scene(int(state.range(0)), int(state.range(1)), mode);
    if (!scene.ready(state)) {
        return;
    }
    const Matrix4 firstFrame = scene.modelRotation;
    for (auto _ : state) {
        scene.modelRotation = firstFrame;
        scene.device.setWorldMatrix(scene.modelRotation);
        for (int frame = 0; frame < kTimedemoFrames; ++frame) {
            scene.device.clear();
            drawMesh(scene.device, *scene.mesh);
            scene.spin();
        }
        benchmark::ClobberMemory();
    }
    state.counters["fps"] = benchmark::Counter(double(state.iterations()) * kTimedemoFrames,
                                               benchmark::Counter::kIsRate);
    labelSize(state, name);
}
BENCHMARK_CAPTURE(BM_Timedemo, wireframe, RenderMode::Wireframe, "wireframe")
    ->Apply(frameSizes)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Timedemo, flat, RenderMode::Flat, "flat")
    ->Apply(frameSizes)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Timedemo, gouraud, RenderMode::Gouraud, "gouraud")
    ->Apply(frameSizes)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
