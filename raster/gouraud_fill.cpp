// Gouraud scan fill: intensity interpolated down the sides and along each
// span, the color formed at every pixel that passes the depth test.
#include "raster/row_passes.h"
#include "raster/span_shades.h"

#include <cstdint>

namespace {

// inv = 1 / (right.x - left.x) rounded to a 32-bit float; the depth and
// intensity steps are the differences times inv, each rounded to a 32-bit
// float. A span of one column takes no steps.
SpanSetup<GouraudShade> gouraudSpan(const ShadedEdgeEntry& left, const ShadedEdgeEntry& right,
                                    const ShadingProducts& products) {
    if (right.x - left.x == 1) {
        return {left.depth, 0.0, GouraudShade{left.intensity, 0.0, &products}};
    }
    const float inv = static_cast<float>(1.0 / (right.x - left.x));
    const double zStep = static_cast<float>(
        (static_cast<double>(right.depth) - static_cast<double>(left.depth)) * inv);
    const double iStep = static_cast<float>(
        (static_cast<double>(right.intensity) - static_cast<double>(left.intensity)) * inv);
    return {left.depth, zStep, GouraudShade{left.intensity, iStep, &products}};
}

} // namespace

FrameBox fillGouraudRows(const RenderDevice& device, const FrameView& view,
                         const ScreenPolygonList& list, const RowWindow& window,
                         const EdgeTables<ShadedEdgeEntry>& tables, SpanPath path) {
    const Color3& diffuse = device.diffuseProduct;
    const Color3& ambient = device.ambientProduct;
    const ShadingProducts products{diffuse.r, diffuse.g, diffuse.b,
                                   ambient.r, ambient.g, ambient.b};
    return fillPolygonRows<ShadedEdgeEntry>(view, list, window, tables, path, walkShadedEdge,
                                            [&products](const ScreenPolygon&) {
                                                return [&products](const ShadedEdgeEntry& left,
                                                                   const ShadedEdgeEntry& right) {
                                                    return gouraudSpan(left, right, products);
                                                };
                                            })
        .box();
}
