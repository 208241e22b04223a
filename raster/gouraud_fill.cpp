// Gouraud scan fill: intensity interpolated down the sides and along each
// span, the colour formed at every pixel that passes the depth test.
#include "raster/edge_walk.h"
#include "raster/raster.h"
#include "raster/scan_fill.h"

#include <cstdint>

namespace {

// The colour products widened once per call.
struct ShadingProducts {
    double diffuseRed, diffuseGreen, diffuseBlue;
    double ambientRed, ambientGreen, ambientBlue;
};

// Columns left.x up to right.x - 1 of row y. inv = 1 / (right.x - left.x)
// rounded to a 32-bit float; the depth and intensity steps are the
// differences times inv, each rounded to a 32-bit float; the running values
// are carried in double. Depth test as in the flat fill. Per written pixel
// and channel: v = i * diffuse + ambient in double, clamped at 1, as the
// byte trunc(v * 255). The intensity is not clamped below (the pipeline's
// point intensities are not negative).
void fillShadedSpan(const FrameView& view, std::int32_t y, const ShadedEdgeEntry& left,
                    const ShadedEdgeEntry& right, const ShadingProducts& products) {
    const float inv = static_cast<float>(1.0 / (right.x - left.x));
    const double zStep = static_cast<float>(
        (static_cast<double>(right.depth) - static_cast<double>(left.depth)) * inv);
    const double iStep = static_cast<float>(
        (static_cast<double>(right.intensity) - static_cast<double>(left.intensity)) * inv);
    double z = left.depth;
    double i = left.intensity;
    std::uint8_t* pixel = view.rowStart + y * view.pitch + left.x * view.pixelBytes;
    float* depth = view.depth + static_cast<std::ptrdiff_t>(y) * view.width + left.x;
    float* const end = depth + (right.x - left.x);
    for (; depth != end; ++depth, pixel += view.pixelBytes) {
        const float stored = *depth;
        if (z < stored || stored == 0.0f) {
            writePixel(pixel, {colorByte(i * products.diffuseBlue + products.ambientBlue),
                               colorByte(i * products.diffuseGreen + products.ambientGreen),
                               colorByte(i * products.diffuseRed + products.ambientRed)});
            *depth = static_cast<float>(z);
        }
        z += zStep;
        i += iStep;
    }
}

} // namespace

void fillGouraud(RenderDevice& device, const ScreenPolygonList& list) {
    const Color3& diffuse = device.diffuseProduct;
    const Color3& ambient = device.ambientProduct;
    const ShadingProducts products{diffuse.r, diffuse.g, diffuse.b,
                                   ambient.r, ambient.g, ambient.b};
    fillPolygonList<ShadedEdgeEntry>(
        device, list, walkShadedEdge, [&products](const ScreenPolygon&) {
            return [&products](const FrameView& view, std::int32_t y, const ShadedEdgeEntry& left,
                               const ShadedEdgeEntry& right) {
                fillShadedSpan(view, y, left, right, products);
            };
        });
}
