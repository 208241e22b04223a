// Gouraud scan fill: intensity interpolated down the sides and along each
// span, the colour formed at every pixel that passes the depth test.
#include "raster/raster.h"
#include "raster/scan_fill.h"

#include <cstdint>

namespace {

// The colour products widened once per call.
struct ShadingProducts {
    double diffuseRed, diffuseGreen, diffuseBlue;
    double ambientRed, ambientGreen, ambientBlue;
};

// The colour from the intensity i of the current column, carried in double:
// per channel v = i * diffuse + ambient in double, clamped at 1, as the
// byte trunc(v * 255). i is not clamped below (the pipeline's point
// intensities are not negative).
struct GouraudShade {
    double i;
    double iStep;
    const ShadingProducts* products;

    void write(std::uint8_t* pixel) const {
        const ShadingProducts& p = *products;
        writePixel(pixel, {colorByte(i * p.diffuseBlue + p.ambientBlue),
                           colorByte(i * p.diffuseGreen + p.ambientGreen),
                           colorByte(i * p.diffuseRed + p.ambientRed)});
    }
    void next() { i += iStep; }
};

// inv = 1 / (right.x - left.x) rounded to a 32-bit float; the depth and
// intensity steps are the differences times inv, each rounded to a 32-bit
// float.
SpanSetup<GouraudShade> gouraudSpan(const ShadedEdgeEntry& left, const ShadedEdgeEntry& right,
                                    const ShadingProducts& products) {
    const float inv = static_cast<float>(1.0 / (right.x - left.x));
    const double zStep = static_cast<float>(
        (static_cast<double>(right.depth) - static_cast<double>(left.depth)) * inv);
    const double iStep = static_cast<float>(
        (static_cast<double>(right.intensity) - static_cast<double>(left.intensity)) * inv);
    return {left.depth, zStep, GouraudShade{left.intensity, iStep, &products}};
}

} // namespace

void fillGouraud(RenderDevice& device, const ScreenPolygonList& list) {
    const Color3& diffuse = device.diffuseProduct;
    const Color3& ambient = device.ambientProduct;
    const ShadingProducts products{diffuse.r, diffuse.g, diffuse.b,
                                   ambient.r, ambient.g, ambient.b};
    fillPolygonList<ShadedEdgeEntry>(
        device, list, walkShadedEdge, [&products](const ScreenPolygon&) {
            return [&products](const ShadedEdgeEntry& left, const ShadedEdgeEntry& right) {
                return gouraudSpan(left, right, products);
            };
        });
}
