// One renderer, bit for bit, on every system. A fixed replay of the program
// (spins, the three fill styles, a drag, camera keys) runs through the real
// window procedure, scene set-up and RenderDevice at two frame sizes, and
// each listed frame (colours and depths) is compared with one checksum,
// which the Linux build and the Windows build (under Wine) must both meet.
// The frame-rate overlay is left out: its text comes from each system's
// font.
#include "app/app_state.h"
#include "app/demo_scene.h"
#include "app/main_window.h"
#include "app/model_scene.h"
#include "app/resource.h"
#include "geometry/draw_mesh.h"
#include "platform/core/win32.h"
#include "tests/support/checksum.h"

#if !defined(_WIN32)
#include "platform/headless/headless.h"
#endif

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr char kClassName[] = "Octaspin Frame Checksums";

// What happens before a pass's model update; coordinates are offsets from
// the centre of the client area.
struct Event {
    int pass;
    UINT message;
    WPARAM wParam;
    int dx = 0;
    int dy = 0;
};

const std::vector<Event> kReplay = {
    {61, WM_COMMAND, IDM_GOURAUD},
    {62, WM_COMMAND, IDM_WIREFRAME},
    {63, WM_COMMAND, IDM_FLAT},
    {90, WM_LBUTTONDOWN, MK_LBUTTON},
    {91, WM_MOUSEMOVE, MK_LBUTTON, 30, 10},
    // 0.5009 rad: the Windows C runtime's sine of this angle is one unit
    // in the last place off the Linux C library's; with it, the depths of
    // this frame differed.
    {92, WM_MOUSEMOVE, MK_LBUTTON, 22, 45},
    {93, WM_LBUTTONUP, 0, 22, 45},
    {94, WM_COMMAND, IDM_WIREFRAME},
    {120, WM_COMMAND, IDM_GOURAUD},
    {121, WM_KEYDOWN, VK_LEFT},
    {122, WM_KEYDOWN, VK_LEFT},
    {123, WM_KEYDOWN, VK_UP},
    {124, WM_KEYDOWN, 'A'},
    {125, WM_KEYDOWN, 'A'},
    {126, WM_KEYDOWN, 'X'},
    {127, WM_KEYDOWN, 'C'},
    {128, WM_KEYDOWN, 'C'},
    {129, WM_KEYDOWN, 'Z'},
};

// The frames compared, by pass (the first pass draws the first frame).
struct Checkpoint {
    int pass;
    const char* what;
};

const std::vector<Checkpoint> kCheckpoints = {
    {1, "first frame, flat"},
    {60, "spun, flat"},
    {61, "Gouraud"},
    {62, "wireframe"},
    {92, "while dragging"},
    {110, "after the drag, wireframe"},
    {140, "camera moved, Gouraud"},
};

struct Size {
    const char* name;
    int width;
    int height;
    std::vector<std::uint64_t> checksums; // one per checkpoint
};

class FrameChecksums : public ::testing::TestWithParam<Size> {
  protected:
    void SetUp() override {
        resetAppState();
#if !defined(_WIN32)
        platform::resetForTesting();
        platform::setBackend(&backend_);
#endif
        // On Windows the class stays registered from the first test on.
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = mainWindowProc;
        windowClass.hInstance = instance();
        windowClass.lpszClassName = kClassName;
        RegisterClassA(&windowClass);
    }

    void TearDown() override {
        appState.running = false;
        shutdown();
        if (appState.window != nullptr) {
            DestroyWindow(appState.window);
        }
        resetAppState();
#if !defined(_WIN32)
        platform::setBackend(nullptr);
        platform::resetForTesting();
#endif
    }

    static HINSTANCE instance() {
#if defined(_WIN32)
        return GetModuleHandleA(nullptr);
#else
        return nullptr;
#endif
    }

    // A window shown nowhere whose client area is exactly width x height.
    HWND openWindow(int width, int height) {
#if defined(_WIN32)
        // A message-only window: no display needed, and no frame to take
        // off the client area.
        return CreateWindowExA(0, kClassName, "", WS_POPUP, 0, 0, width, height, HWND_MESSAGE,
                               nullptr, instance(), nullptr);
#else
        HWND window = CreateWindowExA(0, kClassName, "", WS_POPUP, 0, 0, width, height, nullptr,
                                      nullptr, instance(), nullptr);
        if (window != nullptr) {
            backend_.resizeClient(window, width, height);
        }
        return window;
#endif
    }

    // The frame the device holds after a clear and a draw: the colour
    // bytes and the depth buffer, whose floats show a difference in the
    // transforms that moves no pixel.
    std::uint64_t renderedChecksum() {
        RenderDevice& device = *appState.device;
        device.clear();
        for (const Mesh& mesh : shownMeshes()) {
            drawMesh(device, mesh);
        }
        testsupport::Checksum checksum;
        checksum.add(device.colorBits, device.frameBytes);
        const std::size_t depths = static_cast<std::size_t>(device.width) * device.height;
        checksum.add(device.depthBuffer.get(), depths * sizeof(float));
        return checksum.value();
    }

#if !defined(_WIN32)
    platform::HeadlessBackend backend_;
#endif
};

TEST_P(FrameChecksums, ReplayDrawsTheSameBytesOnEverySystem) {
    const Size& size = GetParam();
    ASSERT_EQ(size.checksums.size(), kCheckpoints.size());
    appState.window = openWindow(size.width, size.height);
    ASSERT_NE(appState.window, nullptr);
    ASSERT_TRUE(setupScene());
    appState.running = true;
    ASSERT_EQ(appState.device->width, size.width);
    ASSERT_EQ(appState.device->height, size.height);

    const int centreX = size.width / 2;
    const int centreY = size.height / 2;
    std::size_t next = 0;
    std::size_t checked = 0;
    for (int pass = 1; pass <= kCheckpoints.back().pass; ++pass) {
        for (const Event& e : kReplay) {
            if (e.pass == pass) {
                const LPARAM where = MAKELPARAM(centreX + e.dx, centreY + e.dy);
                SendMessageA(appState.window, e.message, e.wParam,
                             e.message == WM_COMMAND || e.message == WM_KEYDOWN ? 0 : where);
                if (e.message == WM_LBUTTONDOWN) {
                    ASSERT_TRUE(appState.dragging) << "the press missed the polyhedron";
                }
            }
        }
        updateModelRotation();
        if (next < kCheckpoints.size() && kCheckpoints[next].pass == pass) {
            const std::uint64_t actual = renderedChecksum();
            EXPECT_EQ(actual, size.checksums[next])
                << size.name << ", pass " << pass << " (" << kCheckpoints[next].what
                << "): checksum 0x" << std::hex << actual;
            ++next;
            ++checked;
        }
    }
    EXPECT_EQ(checked, kCheckpoints.size());
}

INSTANTIATE_TEST_SUITE_P(
    , FrameChecksums,
    ::testing::Values(
        Size{"Window632x432",
             632,
             432,
             {0x32138e3d2a675c9cu, 0xbad2bd161e39674du, 0x6bd09b16382610f7u, 0x50a2fd94f369294bu,
              0x5ca2a9221eee7f88u, 0x6b7b0870e9dd9d83u, 0x2714ed7cafdc6b96u}},
        Size{"Screen1920x1080",
             1920,
             1080,
             {0x4b98ba918ae2f2afu, 0x1bf5be3269c2831bu, 0x1b0500534c7a99acu, 0x4b0f88921f0ebdd3u,
              0xa7c568b9f8f9a696u, 0x6f0ecaaf3eab813du, 0x8e2fc353e2afe9d6u}}),
    [](const auto& info) { return std::string(info.param.name); });

// A model read from a file (tests/frames/knot.obj: a knotted tube of quads,
// normals computed) in every fill style, with its projection following the
// frame from wide to tall, and then in colours of its own: each vertex
// coloured by its position, ((x, y, z) + 100) / 200 in float arithmetic
// (the model fits a sphere of radius 100), the same bits everywhere.
class ModelFrameChecksums : public FrameChecksums {};

void paintByPosition(std::vector<Mesh>& meshes) {
    for (Mesh& mesh : meshes) {
        mesh.colors.resize(mesh.vertices.size());
        for (std::size_t i = 0; i < mesh.vertices.size(); ++i) {
            const Vec3& p = mesh.vertices[i].position;
            mesh.colors[i] =
                Vec3{(p.x + 100.0f) / 200.0f, (p.y + 100.0f) / 200.0f, (p.z + 100.0f) / 200.0f};
        }
    }
}

TEST_F(ModelFrameChecksums, AModelDrawsTheSameBytesOnEverySystem) {
    appState.window = openWindow(632, 432);
    ASSERT_NE(appState.window, nullptr);
    ASSERT_TRUE(setupScene());
    appState.running = true;
    ASSERT_TRUE(openModel(OCTASPIN_KNOT_MODEL));
    ASSERT_EQ(appState.model.triangleCount, 576u);

    const struct {
        int pass;
        UINT command; // 0: none
        const char* what;
        std::uint64_t checksum;
    } checkpoints[] = {
        {1, 0, "first frame, flat", 0xf2adf446dd078c27u},
        {30, IDM_GOURAUD, "spun, Gouraud", 0x5df10fde0db77538u},
        {31, IDM_WIREFRAME, "wireframe", 0x051198a9647744a3u},
        {50, IDM_FLAT, "tall frame, flat", 0xc4ef68c0bcbcecc6u},
        {60, 0, "own colours, flat", 0x624861556c8a6733u},
        {61, IDM_GOURAUD, "own colours, Gouraud", 0x9eea2053d276c930u},
        {62, IDM_WIREFRAME, "own colours, wireframe", 0x00e34bb229eadb23u},
    };
    std::size_t next = 0;
    for (int pass = 1; pass <= 62; ++pass) {
        if (pass == 55) {
            paintByPosition(appState.model.meshes);
        }
        if (pass == 40) {
            // Taller than wide: the picture runs past the frame's sides
            // and is cut to it.
#if defined(_WIN32)
            SetWindowPos(appState.window, nullptr, 0, 0, 400, 600, SWP_NOMOVE | SWP_NOZORDER);
#else
            backend_.resizeClient(appState.window, 400, 600);
#endif
            ASSERT_EQ(appState.device->width, 400);
        }
        if (next < std::size(checkpoints) && checkpoints[next].pass == pass &&
            checkpoints[next].command != 0) {
            SendMessageA(appState.window, WM_COMMAND, checkpoints[next].command, 0);
        }
        updateModelRotation();
        if (next < std::size(checkpoints) && checkpoints[next].pass == pass) {
            const std::uint64_t actual = renderedChecksum();
            EXPECT_EQ(actual, checkpoints[next].checksum)
                << "pass " << pass << " (" << checkpoints[next].what << "): checksum 0x" << std::hex
                << actual;
            ++next;
        }
    }
    EXPECT_EQ(next, std::size(checkpoints));
}

} // namespace
