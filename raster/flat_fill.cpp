// Flat-shaded scan fill: one lit colour per polygon, depth tested.
#include "raster/row_passes.h"
#include "raster/span_shades.h"

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

// Depth runs from left.depth in steps of (right.depth - left.depth) /
// (right.x - left.x), the quotient rounded to a 32-bit float.
SpanSetup<FlatShade> flatSpan(const EdgeEntry& left, const EdgeEntry& right,
                              const PixelColor& color) {
    const double zStep = static_cast<float>(
        (static_cast<double>(right.depth) - static_cast<double>(left.depth)) / (right.x - left.x));
    return {left.depth, zStep, FlatShade{color}};
}

} // namespace

FrameBox fillFlatRows(const RenderDevice& device, const FrameView& view,
                      const ScreenPolygonList& list, const RowWindow& window,
                      const EdgeTables<EdgeEntry>& tables, SpanPath path) {
    return fillPolygonRows<EdgeEntry>(
               view, list, window, tables, path, walkEdge,
               [&device](const ScreenPolygon& polygon) {
                   const PixelColor color = flatColor(device, polygon.normal);
                   return [color](const EdgeEntry& left, const EdgeEntry& right) {
                       return flatSpan(left, right, color);
                   };
               })
        .box();
}
