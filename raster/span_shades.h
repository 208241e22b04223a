// The fills' colors along a span, as the span loop (raster/scan_fill.h)
// asks for them: write(pixel) writes the current column's color and next()
// steps to the next column; for the grouped paths, stepsExact(count) tells
// whether the shade's own stepped value stays exact over the span,
// groupColor() describes the color from the current column on (what
// fillColumnGroups takes: a GroupColor, or a span's own channels), and
// skip(k) moves on by k columns.
#pragma once

#include "raster/frame_access.h"
#include "raster/span_groups.h"

#include <cstdint>

// The polygon's one color at every column.
struct FlatShade {
    PixelColor color;

    void write(std::uint8_t* pixel) const { writePixel(pixel, color); }
    void next() {}
    bool stepsExact(std::int32_t) const { return true; }
    GroupColor groupColor() const { return {color}; }
    void skip(std::int32_t) {}
};

// The color from the intensity i of the current column, carried in double:
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
    bool stepsExact(std::int32_t count) const { return ::stepsExact(i, iStep, count); }
    GroupColor groupColor() const { return {{}, products, i, iStep}; }
    // Exact by stepsExact: i + k * iStep is the value k additions reach.
    void skip(std::int32_t k) { i += k * iStep; }
};

// The color from the span's own channels (a model's colors in Gouraud): per
// channel the current column's value v, carried in double, as the byte
// trunc(v * 255) with v clamped to 0..1 (NaN giving 0).
struct ColoredShade {
    SteppedChannels c;

    void write(std::uint8_t* pixel) const {
        writePixel(pixel, {colorByte(c.blue), colorByte(c.green), colorByte(c.red)});
    }
    void next() {
        c.red += c.redStep;
        c.green += c.greenStep;
        c.blue += c.blueStep;
    }
    bool stepsExact(std::int32_t count) const {
        return ::stepsExact(c.red, c.redStep, count) && ::stepsExact(c.green, c.greenStep, count) &&
               ::stepsExact(c.blue, c.blueStep, count);
    }
    const SteppedChannels& groupColor() const { return c; }
    // Exact by stepsExact: start + k * step is the value k additions reach.
    void skip(std::int32_t k) {
        c.red += k * c.redStep;
        c.green += k * c.greenStep;
        c.blue += k * c.blueStep;
    }
};
