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
#include "platform/win32.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// Fill styles; renderMode holds one or more of these bits.
namespace RenderMode {
enum : std::uint32_t { Wireframe = 1, Flat = 2, Gouraud = 4 };
}

// How a mesh is drawn; primitiveMode holds these bits.
namespace PrimitiveMode {
enum : std::uint32_t { FaceList = 8, LineStrip = 2 };
}

// The device's light slots.
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

struct RenderDevice {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t maxX = 0;
    std::int32_t maxY = 0;
    HWND window = nullptr;
    bool bound = false;
    RECT clientRect{};
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
    Matrix4 worldMatrix;
    Matrix4 viewMatrix;
    Matrix4 projectionMatrix;
    float farPlane = 1000.0f;
    float nearPlane = 1.0f;
    Matrix4 inverseWorldMatrix;
    Vec3 eyeInObject;
    std::unique_ptr<float[]> depthBuffer;
    HBITMAP bitmap = nullptr;
    std::uint8_t* colorBits = nullptr;
    std::uint8_t* rowStart = nullptr;
    std::uint32_t frameBytes = 0;

    // Default transforms (identity world and view, the 90-degree
    // perspective with near 1 and far 1000), Flat fill, FaceList, unbound.
    RenderDevice();
    ~RenderDevice();
    RenderDevice(const RenderDevice&) = delete;
    RenderDevice& operator=(const RenderDevice&) = delete;

    // Frame (device.cpp).
    bool bind(HWND window);
    void release();
    bool resize();
    void clear();
    void present();
    void drawFrameRate(HDC dc);

    // Transform and lighting state (transform_state.cpp).
    void setWorldMatrix(const Matrix4& world);
    void lookAt(const Vec3& eye, const Vec3& target, const Vec3& up);
    void setProjection(const Matrix4& projection);
    void setLight(std::uint32_t kinds, Light* light);
    void setMaterial(Material* material);

    // True while the device has a frame to draw into.
    bool hasFrame() const { return colorBits != nullptr && depthBuffer != nullptr; }
};

// Program-wide frame-rate state of the overlay.
struct FrameRateState {
    std::uint32_t frameCount = 0;
    std::uint32_t lastRateTime = 0;
    float framesPerSecond = 0.0f;
};
extern FrameRateState frameRate;

// The overlay text "<width>x<height> fps: <rate>" ("%dx%d fps: %3.2f") into
// text, truncated to size - 1 characters; returns the length written.
int formatFrameRate(char* text, std::size_t size, std::int32_t width, std::int32_t height,
                    float framesPerSecond);
