// Flat-shaded scan fill: one lit colour per polygon, depth tested.
#include "raster/edge_walk.h"
#include "raster/raster.h"
#include "raster/scan_fill.h"

#include <cstdint>

namespace {

// I = dot(normal, lightDirInObject) when greater than 0, else 0 (NaN
// included); per channel v = I * diffuse + ambient in double precision,
// clamped at 1, as the byte trunc(v * 255).
PixelColor flatColor(const RenderDevice& device, const Vec3& normal) {
    const float lit = dot(normal, device.lightDirInObject);
    const double intensity = lit > 0.0f ? static_cast<double>(lit) : 0.0;
    const Color3& diffuse = device.diffuseProduct;
    const Color3& ambient = device.ambientProduct;
    return {colorByte(intensity * diffuse.b + ambient.b),
            colorByte(intensity * diffuse.g + ambient.g),
            colorByte(intensity * diffuse.r + ambient.r)};
}

// Columns left.x up to right.x - 1 of row y. Depth runs from left.depth in
// steps of (right.depth - left.depth) / (right.x - left.x), the step
// rounded to a 32-bit float and the running depth carried in double. A
// pixel is written when its depth entry is 0.0 (empty) or the new depth is
// strictly smaller; the stored depth is rounded to a 32-bit float.
void fillFlatSpan(const FrameView& view, std::int32_t y, const EdgeEntry& left,
                  const EdgeEntry& right, const PixelColor& color) {
    const double step = static_cast<float>(
        (static_cast<double>(right.depth) - static_cast<double>(left.depth)) / (right.x - left.x));
    double z = left.depth;
    std::uint8_t* pixel = view.rowStart + y * view.pitch + left.x * view.pixelBytes;
    float* depth = view.depth + static_cast<std::ptrdiff_t>(y) * view.width + left.x;
    float* const end = depth + (right.x - left.x);
    for (; depth != end; ++depth, pixel += view.pixelBytes) {
        const float stored = *depth;
        if (z < stored || stored == 0.0f) {
            writePixel(pixel, color);
            *depth = static_cast<float>(z);
        }
        z += step;
    }
}

} // namespace

void fillFlat(RenderDevice& device, const ScreenPolygonList& list) {
    fillPolygonList<EdgeEntry>(device, list, walkEdge, [&device](const ScreenPolygon& polygon) {
        const PixelColor color = flatColor(device, polygon.normal);
        return [color](const FrameView& view, std::int32_t y, const EdgeEntry& left,
                       const EdgeEntry& right) { fillFlatSpan(view, y, left, right, color); };
    });
}
