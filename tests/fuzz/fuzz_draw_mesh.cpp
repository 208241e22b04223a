// Fuzz target: the polygon pipeline and the rasterizers. (Inputs are
// decoded in a fixed order, so an input means the same in every build.)
//
// Bytes -> a mesh of up to 300 vertices and 300 faces whose floats may be
// anything (NaN, infinities, huge values included), with or without
// colours of its own (of any value, or of the wrong count), world, view and
// projection matrices that may be anything, any render and primitive mode,
// lights and a material of any colour, a window whose client area is 1 x 1
// to 2048 x 2048 -> drawMesh into a real device bound to that window.
//
// Checked: nothing is written outside a buffer (the frame's bitmap and
// depth buffer are heap blocks of their exact size, so the sanitizer sees a
// stray write), every depth is 0 or finite, and every input ends (the
// fuzzer's timeout finds a hang).

#include "device/render_device.h"
#include "geometry/draw_mesh.h"
#include "geometry/mesh.h"
#include "platform/core/win32.h"
#include "platform/headless/headless.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// One window of the headless platform and a device bound to it, made on
// the first input and kept for the process, as the program keeps its own.
struct Stage {
    platform::HeadlessBackend backend;
    HWND window = nullptr;
    RenderDevice device;
    Light ambient;
    Light directional;
    Light point;
    Material material;

    Stage() {
        platform::setBackend(&backend);
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.lpszClassName = "fuzz";
        RegisterClassA(&windowClass);
        window = CreateWindowExA(0, "fuzz", "fuzz", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64, nullptr,
                                 nullptr, nullptr, nullptr);
        if (window == nullptr || !device.bind(window)) {
            std::abort();
        }
    }
};

float anyFloat(FuzzedDataProvider& in) {
    static constexpr float kSpecial[] = {0.0f,
                                         -0.0f,
                                         1.0f,
                                         -1.0f,
                                         std::numeric_limits<float>::quiet_NaN(),
                                         std::numeric_limits<float>::infinity(),
                                         -std::numeric_limits<float>::infinity(),
                                         std::numeric_limits<float>::max(),
                                         -std::numeric_limits<float>::max(),
                                         std::numeric_limits<float>::min(),
                                         std::numeric_limits<float>::denorm_min(),
                                         1e20f,
                                         -1e20f,
                                         1e-20f};
    switch (in.ConsumeIntegralInRange(0, 7)) {
    case 0:
        return kSpecial[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kSpecial) - 1)];
    case 1: {
        const std::uint32_t bits = in.ConsumeIntegral<std::uint32_t>();
        float f = 0.0f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }
    default:
        // The scale of the demo scene, where pictures are actually drawn.
        return in.ConsumeFloatingPointInRange(-400.0f, 400.0f);
    }
}

Vec3 anyVector(FuzzedDataProvider& in) {
    const float x = anyFloat(in);
    const float y = anyFloat(in);
    return Vec3{x, y, anyFloat(in)};
}

Color3 anyColor(FuzzedDataProvider& in) {
    if (in.ConsumeBool()) {
        const float r = in.ConsumeProbability<float>();
        const float g = in.ConsumeProbability<float>();
        return Color3{r, g, in.ConsumeProbability<float>()};
    }
    const float r = anyFloat(in);
    const float g = anyFloat(in);
    return Color3{r, g, anyFloat(in)};
}

void anyMatrix(FuzzedDataProvider& in, Matrix4& m) {
    for (float& entry : m.m) {
        entry = anyFloat(in);
    }
}

// A client side: mostly small, now and then up to 2048.
int clientSide(FuzzedDataProvider& in) {
    const int range = in.ConsumeIntegralInRange(0, 15) < 15 ? 64 : 2048;
    return in.ConsumeIntegralInRange(1, range);
}

void setTransforms(FuzzedDataProvider& in, RenderDevice& device) {
    // The view first: setWorldMatrix carries the eye into model space.
    if (in.ConsumeBool()) {
        const Vec3 eye = anyVector(in);
        const Vec3 target = anyVector(in);
        device.lookAt(eye, target, anyVector(in));
    } else {
        anyMatrix(in, device.viewMatrix);
    }
    Matrix4 world;
    switch (in.ConsumeIntegralInRange(0, 2)) {
    case 0: {
        Vec3 axis = anyVector(in);
        axisAngleRotation(world, axis, anyFloat(in));
        break;
    }
    case 1:
        identity(world);
        break;
    default:
        anyMatrix(in, world);
        break;
    }
    device.setWorldMatrix(world);
    Matrix4 projection;
    if (in.ConsumeBool()) {
        float p[5];
        for (float& f : p) {
            f = anyFloat(in);
        }
        perspective(projection, p[0], p[1], p[2], p[3], p[4]);
    } else {
        anyMatrix(in, projection);
    }
    device.setProjection(projection);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Stage* stage = new Stage;
    FuzzedDataProvider in(data, size);
    RenderDevice& device = stage->device;

    const int width = clientSide(in);
    const int height = clientSide(in);
    stage->backend.resizeClient(stage->window, width, height);
    device.resize();

    setTransforms(in, device);
    stage->ambient.color = anyColor(in);
    stage->directional.direction = anyVector(in);
    stage->directional.color = anyColor(in);
    stage->point.position = anyVector(in);
    stage->point.color = anyColor(in);
    stage->material.ambient = anyColor(in);
    stage->material.diffuse = anyColor(in);
    device.setLight(LightKind::Ambient, &stage->ambient);
    device.setLight(LightKind::Directional, &stage->directional);
    if (in.ConsumeBool()) {
        device.setLight(LightKind::Point, &stage->point);
    }
    device.setMaterial(&stage->material);
    device.renderMode = in.ConsumeIntegralInRange<std::uint32_t>(0, 7);
    static constexpr std::uint32_t kPrimitiveModes[] = {
        PrimitiveMode::FaceList, PrimitiveMode::LineStrip,
        PrimitiveMode::FaceList | PrimitiveMode::LineStrip, 0};
    device.primitiveMode = kPrimitiveModes[in.ConsumeIntegralInRange(0, 3)];

    // Mostly small meshes, where a fault is quick to find; now and then a
    // large one.
    const int most = in.ConsumeIntegralInRange(0, 7) == 0 ? 300 : 24;
    const int vertexCount = in.ConsumeIntegralInRange(0, most);
    const int faceCount = vertexCount > 0 ? in.ConsumeIntegralInRange(0, most) : 0;
    Mesh mesh(vertexCount, faceCount);
    for (Vertex& v : mesh.vertices) {
        v = makeVertex(anyVector(in), anyVector(in), 0.0f, 0.0f);
    }
    for (Face& f : mesh.faces) {
        f.i0 = in.ConsumeIntegralInRange<std::uint16_t>(
            0, static_cast<std::uint16_t>(vertexCount - 1));
        f.i1 = in.ConsumeIntegralInRange<std::uint16_t>(
            0, static_cast<std::uint16_t>(vertexCount - 1));
        f.i2 = in.ConsumeIntegralInRange<std::uint16_t>(
            0, static_cast<std::uint16_t>(vertexCount - 1));
    }
    if (in.ConsumeBool()) {
        computeFaceNormals(mesh);
    } else {
        for (Vec3& n : mesh.faceNormals) {
            n = anyVector(in);
        }
    }
    // The model's own colours, decoded last so that the inputs from before
    // they were drawn keep their meaning: none, one per vertex (in 0..1, or
    // any floats), or a count that is not the vertices' (drawn in the
    // material's colours); and the device's switch (on when the input has
    // run out).
    if (in.ConsumeBool()) {
        const int count = in.ConsumeBool() ? vertexCount : in.ConsumeIntegralInRange(0, most);
        mesh.colors.resize(static_cast<std::size_t>(count));
        for (Vec3& c : mesh.colors) {
            const Color3 color = anyColor(in);
            c = Vec3{color.r, color.g, color.b};
        }
    }
    device.setModelColors(!in.ConsumeBool());

    device.clear();
    drawMesh(device, mesh);

    if (device.hasFrame()) {
        const float* depth = device.depthBuffer.get();
        const std::size_t count = static_cast<std::size_t>(device.width) * device.height;
        for (std::size_t i = 0; i < count; ++i) {
            if (depth[i] != 0.0f && !std::isfinite(depth[i])) {
                std::abort(); // a depth that is neither empty nor a distance
            }
        }
    }
    return 0;
}
