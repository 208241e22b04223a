// A span's columns in groups, with the same bits as one column at a time.
//
// The span loop steps depth (and the Gouraud fill its intensity, or the
// channels of a model's colours) from column to column by adding a step to
// a running double: v(k+1) = v(k) + step. That chain of additions bounds
// the loop's speed, one addition's latency per column. When no addition of
// the chain rounds, though, v(k) is exactly start + k * step, however it is
// summed, and whole groups of columns can be filled at once from that
// closed form.
//
// The invariant (stepsExact): start and step are 32-bit float values, so
// each is a whole multiple of 2^e, e being the lower of the exponents of
// their lowest possible bits (exponent - 23, or -149 for subnormals; a zero
// constrains nothing). Every start + k * step is then a whole multiple of
// 2^e too, and while |start| + count * |step| < 2^(53 + e) it fits a
// double's 53-bit significand: no addition up to column `count` rounds, and
// start + k * step for k >= 1, or v(k-g) + g * step, is the column loop's
// v(k) bit for bit. Even the sign of a zero agrees: a sum of two values
// that cancel is +0.0 in every order, and -0.0 comes out only of -0.0 plus
// -0.0 in every order. Column 0 is start itself, never start + 0 * step
// (that would turn a start of -0.0 into +0.0). Spans that miss the bound (a
// step far below the start's last bit, say) and non-finite values go
// through the column loop.
#pragma once

#include "math/bit_cast.h"
#include "raster/frame_access.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

// The exponent of the lowest bit a nonzero finite float can hold.
inline int lowestBitExponent(float v) {
    const auto biased = static_cast<int>((bitCast<std::uint32_t>(v) >> 23) & 0xffu);
    return (biased == 0 ? 1 : biased) - 150;
}

// True when start + k * step, summed one step at a time in double from
// start, never rounds for k = 0..count (the invariant above). False when
// either value is not finite or not a 32-bit float value.
inline bool stepsExact(double start, double step, std::int32_t count) {
    constexpr double kFloatMax = 3.4028234663852886e38;
    if (!(std::fabs(start) <= kFloatMax && std::fabs(step) <= kFloatMax) ||
        static_cast<float>(start) != start || static_cast<float>(step) != step) {
        return false;
    }
    if (step == 0.0) {
        return true;
    }
    int e = lowestBitExponent(static_cast<float>(step));
    if (start != 0.0) {
        const int startE = lowestBitExponent(static_cast<float>(start));
        e = startE < e ? startE : e;
    }
    // The reach is computed with two roundings (relative error below
    // 2^-52), so comparing it with half the bound, 2^(52 + e), is safe.
    const double reach = std::fabs(start) + static_cast<double>(count) * std::fabs(step);
    return reach <= bitCast<double>(static_cast<std::uint64_t>(1023 + 52 + e) << 52);
}

// How a span's columns are filled: one at a time, four at a time with SSE2
// (every x86-64 processor), or eight at a time with AVX-512.
enum class SpanPath : std::uint8_t { Columns, Sse2, Avx512 };

// The widest path this build and processor can run.
SpanPath fastestSpanPath();

// The color products widened once per Gouraud fill call.
struct ShadingProducts {
    double diffuseRed, diffuseGreen, diffuseBlue;
    double ambientRed, ambientGreen, ambientBlue;
};

// The channels of a span's own colours (a model's colours in Gouraud):
// red, green and blue each stepped from its value at the span's first
// column, and each turned into a byte at every column.
struct SteppedChannels {
    double red, green, blue;
    double redStep, greenStep, blueStep;
};

// A span's color for the grouped paths: `color` at every column when
// `products` is null (flat fill); otherwise formed per column from the
// intensity i + k * iStep as the Gouraud fill does.
struct GroupColor {
    PixelColor color;
    const ShadingProducts* products = nullptr;
    double i = 0.0;
    double iStep = 0.0;
};

// The span's memory from its first column on.
struct SpanColumns {
    std::uint8_t* pixel = nullptr;
    std::ptrdiff_t pixelBytes = 0;
    float* depth = nullptr;
    std::int32_t count = 0;
};

// Fills columns 0, 1, ... of the span in whole groups on `path` (not
// Columns) with depth z + k * zStep and returns how many it filled: every
// column, or the largest multiple of the group width that fits (the caller
// fills the rest one at a time). Depth test and colors as in the column
// loop. Precondition: stepsExact holds over `count` columns for z and zStep
// and, when the color is shaded, for i and iStep.
std::int32_t fillColumnGroups(SpanPath path, const SpanColumns& span, double z, double zStep,
                              const GroupColor& color);

// The same with each column's color from a span's own channels: each at
// start + k * step, clamped to 0..1, as trunc(v * 255). Precondition:
// stepsExact holds for z and zStep and for every channel and its step.
std::int32_t fillColumnGroups(SpanPath path, const SpanColumns& span, double z, double zStep,
                              const SteppedChannels& channels);
