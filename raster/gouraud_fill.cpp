// Gouraud scan fill: intensity interpolated down the sides and along each
// span, the color formed at every pixel that passes the depth test; for a
// list whose points carry the model's own colours, their lit channels
// interpolated in its place.
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

// A span's steps for the model's own colours: inv = 1 / (right.x - left.x)
// rounded to a 32-bit float, each step the difference times inv rounded to
// a 32-bit float. Out of line, and handed back as floats, so that the
// roundings happen: where such steps are formed side by side and widened
// again, GCC 12's block vectorizer drops the narrowing (see
// raster/edge_walk.cpp).
struct ColoredSteps {
    float depth;
    float red;
    float green;
    float blue;
};

[[gnu::noinline]] ColoredSteps coloredSteps(const ColoredEdgeEntry& left,
                                            const ColoredEdgeEntry& right) {
    const double inv = static_cast<float>(1.0 / (right.x - left.x));
    const auto step = [inv](float from, float to) {
        return static_cast<float>((static_cast<double>(to) - static_cast<double>(from)) * inv);
    };
    return {step(left.depth, right.depth), step(left.red, right.red), step(left.green, right.green),
            step(left.blue, right.blue)};
}

// Depth and the three channels run from the left entry's values by their
// steps; a span of one column takes no steps.
SpanSetup<ColoredShade> coloredSpan(const ColoredEdgeEntry& left, const ColoredEdgeEntry& right) {
    if (right.x - left.x == 1) {
        return {left.depth, 0.0, ColoredShade{{left.red, left.green, left.blue, 0.0, 0.0, 0.0}}};
    }
    const ColoredSteps steps = coloredSteps(left, right);
    return {left.depth, steps.depth,
            ColoredShade{{left.red, left.green, left.blue, steps.red, steps.green, steps.blue}}};
}

} // namespace

FrameBox fillGouraudRows(const RenderDevice& device, const FrameView& view,
                         const ScreenPolygonList& list, const RowWindow& window,
                         const EdgeTables<ShadedEdgeEntry>& tables, SpanPath path) {
    const Color3& diffuse = device.diffuseProduct;
    const Color3& ambient = device.ambientProduct;
    const ShadingProducts products{diffuse.r, diffuse.g, diffuse.b,
                                   ambient.r, ambient.g, ambient.b};
    return fillPolygonRows(
               view, list, window, tables, path, PointEdges<ShadedEdgeEntry>{walkShadedEdge},
               [&products](const ScreenPolygon&, std::int32_t) {
                   return [&products](const ShadedEdgeEntry& left, const ShadedEdgeEntry& right) {
                       return gouraudSpan(left, right, products);
                   };
               })
        .box();
}

FrameBox fillColoredGouraudRows(const FrameView& view, const ScreenPolygonList& list,
                                const RowWindow& window, const EdgeTables<ColoredEdgeEntry>& tables,
                                SpanPath path) {
    return fillPolygonRows(view, list, window, tables, path, ColoredEdges{list},
                           [](const ScreenPolygon&, std::int32_t) { return coloredSpan; })
        .box();
}
