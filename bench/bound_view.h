// A render device bound to a window of the headless backend, width x height,
// with the demo's camera, projection, lights and material and a fill style:
// what the benchmarks draw into, a real bitmap section exactly as the
// program gets it. Only one exists at a time: the platform layer's state is
// process-wide.
#pragma once

#include "device/render_device.h"
#include "platform/core/resource_module.h"
#include "platform/core/win32.h"
#include "platform/headless/headless.h"
#include "scene/demo_view.h"

#include <benchmark/benchmark.h>

#include <cstdint>

class BoundView {
  public:
    BoundView(int width, int height, std::uint32_t renderMode) {
        platform::resetForTesting();
        platform::setBackend(&backend_);
        const HINSTANCE instance = platform::registerModule(module_);
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = "Octaspin bench";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, "Octaspin bench", "bench", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                                  nullptr, nullptr, instance, nullptr);
        if (window_ == nullptr) {
            return;
        }
        backend_.resizeClient(window_, width, height);
        bound_ = device.bind(window_) && device.width == width && device.height == height;
        demo::setUpView(device, ambient_, directional_, material_);
        device.renderMode = renderMode;
    }
    ~BoundView() {
        device.release();
        if (window_ != nullptr) {
            DestroyWindow(window_);
        }
        platform::setBackend(nullptr);
        platform::resetForTesting();
    }
    BoundView(const BoundView&) = delete;
    BoundView& operator=(const BoundView&) = delete;

    // False, with the benchmark skipped, when no window could be bound.
    bool ready(benchmark::State& state) const {
        if (!bound_) {
            state.SkipWithError("the device could not be bound to a headless window");
        }
        return bound_;
    }

    RenderDevice device;

  private:
    platform::HeadlessBackend backend_;
    platform::ResourceModule module_;
    HWND window_ = nullptr;
    bool bound_ = false;
    Light ambient_{};
    Light directional_{};
    Material material_{};
};
