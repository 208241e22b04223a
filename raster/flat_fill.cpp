// Flat-shaded scan fill: one lit color per polygon, depth tested.
#include "raster/row_passes.h"
#include "raster/span_shades.h"

#include <cstdint>

namespace {

// I = dot(normal, lightDirInObject) when greater than 0, else 0 (NaN
// included); per channel v = I * diffuse + ambient in double precision,
// clamped at 1, as the byte trunc(v * 255).
inline PixelColor flatColor(const RenderDevice& device, const Vec3& normal, const Color3& diffuse,
                            const Color3& ambient) {
    const float lit = dot(normal, device.lightDirInObject);
    const double intensity = lit > 0.0f ? static_cast<double>(lit) : 0.0;
    return {colorByte(intensity * diffuse.b + ambient.b),
            colorByte(intensity * diffuse.g + ambient.g),
            colorByte(intensity * diffuse.r + ambient.r)};
}

// Depth runs from left.depth in steps of (right.depth - left.depth) /
// (right.x - left.x), the quotient rounded to a 32-bit float; a span of one
// column takes no step.
SpanSetup<FlatShade> flatSpan(const EdgeEntry& left, const EdgeEntry& right,
                              const PixelColor& color) {
    const std::int32_t columns = right.x - left.x;
    const double zStep =
        columns == 1
            ? 0.0
            : static_cast<float>(
                  (static_cast<double>(right.depth) - static_cast<double>(left.depth)) / columns);
    return {left.depth, zStep, FlatShade{color}};
}

// A polygon's spans, its color formed at the first one: a polygon without
// a span never needs it. The products are the material's, or with
// OwnColor those of the polygon's face colour (the list carries the
// model's own colours).
template <bool OwnColor> struct FlatSpans {
    const RenderDevice& device;
    const Vec3& normal;
    const Color3* faceColor; // OwnColor: the polygon's face colour
    PixelColor color;
    bool colored = false;

    SpanSetup<FlatShade> operator()(const EdgeEntry& left, const EdgeEntry& right) {
        if (!colored) {
            if constexpr (OwnColor) {
                const ColorProducts products = device.colorProducts(*faceColor);
                color = flatColor(device, normal, products.diffuse, products.ambient);
            } else {
                color = flatColor(device, normal, device.diffuseProduct, device.ambientProduct);
            }
            colored = true;
        }
        return flatSpan(left, right, color);
    }
};

} // namespace

FrameBox fillFlatRows(const RenderDevice& device, const FrameView& view,
                      const ScreenPolygonList& list, const RowWindow& window,
                      const EdgeTables<EdgeEntry>& tables, SpanPath path) {
    const PointEdges<EdgeEntry> edges{walkEdge};
    if (list.hasFaceColors()) {
        const Color3* const faceColors = list.colors.faceColors.data();
        return fillPolygonRows(
                   view, list, window, tables, path, edges,
                   [&device, faceColors](const ScreenPolygon& polygon, std::int32_t i) {
                       return FlatSpans<true>{device, polygon.normal, faceColors + i, {}};
                   })
            .box();
    }
    return fillPolygonRows(view, list, window, tables, path, edges,
                           [&device](const ScreenPolygon& polygon, std::int32_t) {
                               return FlatSpans<false>{device, polygon.normal, nullptr, {}};
                           })
        .box();
}
