// What the rasterizers need of a device's frame, checked once per call.
//
// The device record describes its frame with several fields that must agree
// (sizes, pitch, row start, byte count). A rasterizer takes a FrameView only
// when they do, so every address it forms from an in-frame (x, y) lies inside
// the pixel memory and the depth buffer. A device without a frame, or with
// fields that disagree, yields no view and the call draws nothing.
#pragma once

#include "device/render_device.h"
#include "raster/screen_polygon.h"

#include <cstddef>
#include <cstdint>

struct FrameView {
    std::uint8_t* rowStart = nullptr; // first byte of screen row 0
    std::ptrdiff_t pitch = 0;         // bytes from one screen row to the next one down (< 0)
    std::ptrdiff_t pixelBytes = 0;    // bytes from one column to the next
    std::int32_t width = 0;
    std::int32_t height = 0;
    float* depth = nullptr; // depth of (x, y) at depth[y * width + x]
};

// Fills `view` and returns true when the device has a usable frame: both
// buffers present, positive sizes, at least three bytes per pixel, rows
// without padding stored bottom-up (pitch = -width * bytesPerPixel, rowStart
// on the last row in memory), and frameBytes covering every pixel.
inline bool viewFrame(const RenderDevice& device, FrameView& view) {
    if (!device.hasFrame() || device.width <= 0 || device.height <= 0 || device.bytesPerPixel < 3) {
        return false;
    }
    const std::int64_t rowBytes = std::int64_t{device.width} * device.bytesPerPixel;
    const std::int64_t totalBytes = rowBytes * device.height;
    if (totalBytes > std::int64_t{device.frameBytes}) {
        return false;
    }
    if (device.pitch != -rowBytes ||
        device.rowStart != device.colorBits + static_cast<std::ptrdiff_t>(totalBytes - rowBytes)) {
        return false;
    }
    view.rowStart = device.rowStart;
    view.pitch = device.pitch;
    view.pixelBytes = device.bytesPerPixel;
    view.width = device.width;
    view.height = device.height;
    view.depth = device.depthBuffer.get();
    return true;
}

inline bool insideFrame(const FrameView& view, std::int32_t x, std::int32_t y) {
    return x >= 0 && x < view.width && y >= 0 && y < view.height;
}

// The polygon-level guard of all three rasterizers: the pipeline delivers
// points inside the frame and exactly pointCount of them, all within the
// list's points. A polygon that breaks either promise is not drawn, so no
// edge table row and no pixel outside the buffers is ever addressed. Cost:
// one pass over the points.
inline bool polygonDrawable(const FrameView& view, const ScreenPolygonList& list,
                            const ScreenPolygon& polygon) {
    if (polygon.pointCount <= 0 || polygon.firstPoint < 0 ||
        static_cast<std::size_t>(polygon.firstPoint) +
                static_cast<std::size_t>(polygon.pointCount) >
            list.points.size()) {
        return false;
    }
    const ScreenPoint* points = list.pointsOf(polygon);
    for (std::int32_t i = 0; i < polygon.pointCount; ++i) {
        if (!insideFrame(view, points[i].x, points[i].y)) {
            return false;
        }
    }
    return true;
}

// The number of polygons a rasterizer visits: `count`, but never more than
// the list actually holds.
inline std::int32_t drawablePolygonCount(const ScreenPolygonList& list) {
    if (list.count <= 0) {
        return 0;
    }
    const std::size_t held = list.polygons.size();
    return static_cast<std::size_t>(list.count) > held ? static_cast<std::int32_t>(held)
                                                       : list.count;
}

// One color channel in 0..1 as a byte: trunc(v * 255) in double precision.
// v >= 1 gives 255. Values below 0 and NaN, which valid lights and
// materials never produce, give 0 instead of an undefined conversion.
inline std::uint8_t colorByte(double v) {
    if (v >= 1.0) {
        return 255;
    }
    if (!(v > 0.0)) {
        return 0;
    }
    return static_cast<std::uint8_t>(v * 255.0);
}

// Three bytes in memory order.
struct PixelColor {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
};

inline void writePixel(std::uint8_t* pixel, const PixelColor& color) {
    pixel[0] = color.blue;
    pixel[1] = color.green;
    pixel[2] = color.red;
}
