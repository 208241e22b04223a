// The render device: the one object through which everything is drawn.
//
// It owns the frame (a 24-bit bottom-up bitmap section and a float depth
// buffer of the same size), holds the world, view and projection
// transforms, borrows the lights and the material, and keeps the
// model-space values the drawing path reads (eyeInObject,
// lightDirInObject, the colour products) current.
//
// Frame memory layout (the rasterizers rely on it):
//  - Screen rows are counted from the top. The bitmap is bottom-up, so
//    rowStart points at the last row in memory and pitch = -3 * width.
//  - Pixel (x, y) is the three bytes blue, green, red at
//    rowStart + y * pitch + x * 3. width is a multiple of 4, so rows carry
//    no padding.
//  - The depth of pixel (x, y) is depthBuffer[y * width + x]: 0.0 means
//    nothing drawn since the last clear, otherwise the view-space z of the
//    surface drawn there (smaller is nearer).
//
// A frame costs what it draws: clear zeroes only what the last frame wrote
// and present copies to the window only what changed since the last
// present (FrameDamage below); the result is byte for byte that of whole
// clears and whole copies. The rasterizers report what they write
// (markDrawn), the overlay what it drew; whatever else writes into a bound
// frame must report it too. damageTracking off (for comparison) clears and
// copies whole frames.
//
// A device without a frame has no buffers (hasFrame() is false); clear,
// the draw calls and present then do nothing. That is the case
//  - before the first bind and after release (release keeps the sizes);
//  - after a bind or resize that failed: the bitmap or the depth buffer
//    could not be had. The device is then unbound, keeps its window so the
//    next resize tries again, and width == height == 0;
//  - while the client area is under 4 pixels wide or high (a minimized
//    window): bind succeeds, the device is bound with width == height == 0
//    (maxX == maxY == 0), and a resize to a usable size builds the frame.
#pragma once

#include "math/vector_math.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

// The platform's window, bitmap and drawing-context handles (HWND, HBITMAP,
// HDC), declared the way the platform declares them: pointers to distinct
// incomplete records. The renderer's headers thus need nothing from the
// platform layer; only the device's own implementation calls it.
struct HWND__;
struct HBITMAP__;
struct HDC__;
using WindowHandle = HWND__*;
using BitmapHandle = HBITMAP__*;
using ContextHandle = HDC__*;

// A rectangle of pixels: columns left to right - 1, rows top to bottom - 1,
// 32-bit signed. Empty when right <= left or bottom <= top.
struct FrameBox {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    bool empty() const { return right <= left || bottom <= top; }
    bool operator==(const FrameBox&) const = default;
    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
};

// The smallest rectangle holding both; an empty one does not count.
inline FrameBox unite(const FrameBox& a, const FrameBox& b) {
    if (a.empty()) {
        return b.empty() ? FrameBox{} : b;
    }
    if (b.empty()) {
        return a;
    }
    return FrameBox{a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
                    a.right > b.right ? a.right : b.right,
                    a.bottom > b.bottom ? a.bottom : b.bottom};
}

// What both hold; all zero when nothing.
inline FrameBox intersect(const FrameBox& a, const FrameBox& b) {
    const FrameBox r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
                     a.right < b.right ? a.right : b.right,
                     a.bottom < b.bottom ? a.bottom : b.bottom};
    return r.empty() ? FrameBox{} : r;
}

// Which parts of a frame may hold anything but zero, and which parts the
// window has not been shown since they changed: rectangles of frame pixels,
// clipped to the frame. clear zeroes `drawn` in both buffers and `overlay`
// in the colour buffer; present copies the one rectangle around what
// changed since the last present. Everything outside them is zero in both
// buffers and already on the screen.
//
// The overlay is left out of that rectangle when it repeats the one the
// window shows: the same text in the same box, each drawn once since a
// clear. Its pixels then hold the same bytes as on the screen, except where
// a draw call wrote under it in this frame or the last, and those lie in
// the draw calls' rectangles, which are copied. (The text changes about
// once a second.)
struct FrameDamage {
    FrameBox drawn;          // colour and depth written by the draw calls since the last clear
    FrameBox overlay;        // colour written through a drawing context since the last clear
    FrameBox unshown;        // zeroed by a clear since the last present, overlay apart
    FrameBox overlayUnshown; // the overlay's box zeroed by a clear since the last present
    // The overlay since the last clear: its text, and whether it was drawn
    // only once.
    std::array<char, 64> overlayText{};
    bool overlayOnce = false;
    // The overlay the window shows (meaningful when shownOnce).
    std::array<char, 64> shownText{};
    FrameBox shownOverlay;
    bool shownOnce = false;
    // The frame these rectangles describe. A device with another frame (a
    // new binding, or one set up by hand) counts it as written and unshown
    // all over.
    BitmapHandle bitmap = nullptr;
    const std::uint8_t* colorBits = nullptr;
    const float* depthBuffer = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// Working storage of the drawing path, kept by the device from frame to
// frame so that a steady frame allocates nothing. Its layout belongs to the
// layer that uses it (geometry/ for the pipeline, raster/ for the fills);
// the device only owns it, and release frees it. It grows when a mesh or a
// frame needs more.
struct PipelineScratch;
struct RasterScratch;
template <typename T> using ScratchSlot = std::unique_ptr<T, void (*)(T*)>;

class WorkerPool;

// The projection a new device starts with: a 90-degree field of view both
// ways (half-angles of pi/4 to seven decimals), aspect 1, near 1, far 1000.
namespace DefaultProjection {
inline constexpr float kHalfAngle = 0.7853981f;
inline constexpr float kAspect = 1.0f;
inline constexpr float kNear = 1.0f;
inline constexpr float kFar = 1000.0f;
} // namespace DefaultProjection

// Fill styles; renderMode holds one or more of these bits.
namespace RenderMode {
enum : std::uint32_t { Wireframe = 1, Flat = 2, Gouraud = 4 };
}

// How a mesh is drawn; primitiveMode holds these bits.
namespace PrimitiveMode {
enum : std::uint32_t { FaceList = 8, LineStrip = 2 };
}

// The device's light slots. Point and Spot are kept as the device has
// always had them: a light installed there is stored and carried into
// model space (pointPosInObject, spotPosInObject, spotDirInObject), but no
// stage shades with it yet; the slots and their numbers stay.
namespace LightKind {
enum : std::uint32_t { Ambient = 1, Directional = 2, Point = 4, Spot = 8 };
}

// A colour: red, green, blue, each 0 to 1.
struct Color3 {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

struct Light {
    Vec3 position;  // world space; point and spot slots
    Vec3 direction; // world space, from the surface towards the light; unit length
    Color3 color;
};

struct Material {
    Color3 ambient;
    Color3 diffuse;
};

// One channel of a light colour times a reflectance: the product of the two
// floats in double (exact), rounded to a float. Every colour product of the
// device is formed this way.
inline float colorProduct(float light, float reflectance) {
    return static_cast<float>(static_cast<double>(light) * reflectance);
}

// The two products the fills read for one surface colour: ambient light
// colour x colour, and directional light colour x colour.
struct ColorProducts {
    Color3 ambient;
    Color3 diffuse;
};

struct RenderDevice {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t maxX = 0;
    std::int32_t maxY = 0;
    WindowHandle window = nullptr;
    bool bound = false;
    FrameBox clientRect;
    std::int32_t pitch = 0;
    std::uint8_t bytesPerPixel = 3;
    std::uint32_t renderMode = RenderMode::Flat;
    std::uint32_t primitiveMode = PrimitiveMode::FaceList;
    std::uint32_t lightFlags = 0;
    Light* ambientLight = nullptr;
    Light* directionalLight = nullptr;
    Light* pointLight = nullptr;
    Light* spotLight = nullptr;
    Vec3 lightDirInObject;
    Vec3 pointPosInObject;
    Vec3 spotDirInObject;
    Vec3 spotPosInObject;
    Material* material = nullptr;
    Color3 ambientProduct;
    Color3 diffuseProduct;
    Color3 pointProduct;
    // The colours of the ambient and the directional light as setLight last
    // took them; zero for a slot that is not set. A model's own colours are
    // multiplied by them (colorProducts).
    Color3 ambientLightColor;
    Color3 directionalLightColor;
    Matrix4 worldMatrix;
    Matrix4 viewMatrix;
    Matrix4 projectionMatrix;
    float farPlane = 1000.0f;
    float nearPlane = 1.0f;
    Matrix4 inverseWorldMatrix;
    Vec3 eyeInObject;
    std::unique_ptr<float[]> depthBuffer;
    BitmapHandle bitmap = nullptr;
    std::uint8_t* colorBits = nullptr;
    std::uint8_t* rowStart = nullptr;
    std::uint32_t frameBytes = 0;

    // Beyond the frame record: damage tracking, on unless switched off (a
    // test compares the two), and the drawing path's working storage.
    bool damageTracking = true;
    FrameDamage damage;
    // A mesh that has colours of its own (Mesh::colors) is drawn in them,
    // in place of the material's ambient and diffuse colour, while this is
    // on (the default); off, every mesh is drawn in the material's colours.
    // See raster/screen_polygon.h for the rule.
    bool modelColors = true;
    ScratchSlot<PipelineScratch> pipelineScratch{nullptr, nullptr};
    ScratchSlot<RasterScratch> rasterScratch{nullptr, nullptr};
    // How many threads draw (device/worker_pool.h): defaultRenderThreads()
    // from the start, changed with setRenderThreads. 1 draws on the calling
    // thread alone. The pool is started on the first draw call that has
    // enough work to share, and stopped by release and the destructor.
    std::int32_t renderThreads = 1;
    std::unique_ptr<WorkerPool> workerPool;

    // Default transforms (identity world and view, the 90-degree
    // perspective with near 1 and far 1000), Flat fill, FaceList, unbound.
    RenderDevice();
    ~RenderDevice();
    RenderDevice(const RenderDevice&) = delete;
    RenderDevice& operator=(const RenderDevice&) = delete;

    // Frame (device.cpp).
    bool bind(WindowHandle window);
    void release();
    bool resize();
    void clear();
    void present();
    void drawFrameRate(ContextHandle dc);

    // Damage (device.cpp). The rasterizers report every rectangle they
    // write pixels or depths in; clipped to the frame here.
    void markDrawn(const FrameBox& rect);
    // The window's picture may have been painted over (WM_PAINT): the next
    // present copies the whole frame.
    void resendWholeFrame();

    // Transform and lighting state (transform_state.cpp).
    void setWorldMatrix(const Matrix4& world);
    void lookAt(const Vec3& eye, const Vec3& target, const Vec3& up);
    void setProjection(const Matrix4& projection);
    void setLight(std::uint32_t kinds, Light* light);
    void setMaterial(Material* material);
    // The switch between a model's own colours and the material's (on:
    // the model's, where a mesh has them).
    void setModelColors(bool on);
    // The products of a model colour c in place of the material's:
    // ambientLightColor x c and directionalLightColor x c, channel by
    // channel, each formed as colorProduct forms the material's.
    ColorProducts colorProducts(const Color3& c) const {
        return ColorProducts{Color3{colorProduct(ambientLightColor.r, c.r),
                                    colorProduct(ambientLightColor.g, c.g),
                                    colorProduct(ambientLightColor.b, c.b)},
                             Color3{colorProduct(directionalLightColor.r, c.r),
                                    colorProduct(directionalLightColor.g, c.g),
                                    colorProduct(directionalLightColor.b, c.b)}};
    }

    // Worker threads (worker_pool.cpp). setRenderThreads takes a count in
    // 1 .. kMaxRenderThreads (0 or less: the default, larger: the cap) and
    // stops a pool of another size. workers() is the pool of renderThreads
    // threads, started on first use; null when renderThreads is 1 or no
    // second thread can be had (the caller then draws alone).
    void setRenderThreads(std::int32_t threads);
    WorkerPool* workers();

    // True while the device has a frame to draw into.
    bool hasFrame() const { return colorBits != nullptr && depthBuffer != nullptr; }
};

// Program-wide frame-rate state of the overlay.
struct FrameRateState {
    std::uint32_t frameCount = 0;
    std::uint32_t lastRateTime = 0;
    float framesPerSecond = 0.0f;
    bool charactersDrawn = false; // every character the text can have, drawn once
};
extern FrameRateState frameRate;

// The overlay text "<width>x<height> fps: <rate>" ("%dx%d fps: %3.2f") into
// text, truncated to size - 1 characters; returns the length written.
int formatFrameRate(char* text, std::size_t size, std::int32_t width, std::int32_t height,
                    float framesPerSecond);
