// The grouped span paths' dispatch: SSE2, four columns a group, two per
// register (span_groups_sse2.cpp); or AVX-512, eight columns a group in one
// register (span_groups_avx512.cpp), chosen at run time.
//
// Both compute what the column loop computes, with the same operations on
// the same values (stepsExact makes the stepped values the same): the depth
// test compares z with the stored float widened to double, a written depth
// is z rounded to a 32-bit float under the current rounding mode, and a
// color channel is trunc(min(max(i * diffuse + ambient, 0), 1) * 255) with
// the product and the sum rounded separately (the build never contracts
// them into fused multiply-adds), or, for a span's own channels,
// trunc(min(max(v, 0), 1) * 255) of the channel's stepped value v.
// max(v, 0) turns NaN into 0 because the SSE and AVX-512 maximum returns
// its second operand when either is NaN, so the bytes are colorByte's for
// every v. A span whose channels never leave [0, 1] skips the clamp, and a
// channel with another's products (or start and step) takes its bytes
// (ShadedSpan, raster/span_group_paths.h): neither changes a byte.
#include "raster/span_groups.h"
#include "raster/span_group_paths.h"

namespace {

bool sameBits(double a, double b) {
    return bitCast<std::uint64_t>(a) == bitCast<std::uint64_t>(b);
}

bool staysInUnit(double first, double last, double diffuse, double ambient) {
    const double a = first * diffuse + ambient;
    const double b = last * diffuse + ambient;
    return a >= 0.0 && a <= 1.0 && b >= 0.0 && b <= 1.0;
}

} // namespace

// Channels of their own: start + k * step, exact over the span.
ShadedSpan shadedSpan(const SteppedChannels& c, std::int32_t count) {
    const double k = static_cast<double>(count - 1);
    const auto staysInUnitOver = [k](double first, double step) {
        const double last = first + k * step;
        return first >= 0.0 && first <= 1.0 && last >= 0.0 && last <= 1.0;
    };
    ShadedSpan s;
    s.clamp = !(staysInUnitOver(c.blue, c.blueStep) && staysInUnitOver(c.green, c.greenStep) &&
                staysInUnitOver(c.red, c.redStep));
    s.greenIsBlue = sameBits(c.green, c.blue) && sameBits(c.greenStep, c.blueStep);
    s.redIsBlue = sameBits(c.red, c.blue) && sameBits(c.redStep, c.blueStep);
    s.redIsGreen = sameBits(c.red, c.green) && sameBits(c.redStep, c.greenStep);
    return s;
}

ShadedSpan shadedSpan(const GroupColor& color, std::int32_t count) {
    const ShadingProducts& p = *color.products;
    const double first = color.i;
    const double last = color.i + static_cast<double>(count - 1) * color.iStep;
    ShadedSpan s;
    s.clamp = !(staysInUnit(first, last, p.diffuseBlue, p.ambientBlue) &&
                staysInUnit(first, last, p.diffuseGreen, p.ambientGreen) &&
                staysInUnit(first, last, p.diffuseRed, p.ambientRed));
    s.greenIsBlue =
        sameBits(p.diffuseGreen, p.diffuseBlue) && sameBits(p.ambientGreen, p.ambientBlue);
    s.redIsBlue = sameBits(p.diffuseRed, p.diffuseBlue) && sameBits(p.ambientRed, p.ambientBlue);
    s.redIsGreen = sameBits(p.diffuseRed, p.diffuseGreen) && sameBits(p.ambientRed, p.ambientGreen);
    return s;
}

SpanPath fastestSpanPath() {
#if OCTASPIN_AVX512_SPANS
    if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
        __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("bmi2")) {
        return SpanPath::Avx512;
    }
#endif
#if defined(__SSE2__)
    return SpanPath::Sse2;
#else
    return SpanPath::Columns;
#endif
}

namespace {

// The group loop of `path` for a color of either kind.
template <typename Color>
std::int32_t groupsOnPath(SpanPath path, const SpanColumns& span, double z, double zStep,
                          const Color& color, const ShadedSpan& shading) {
    switch (path) {
#if OCTASPIN_AVX512_SPANS
    case SpanPath::Avx512:
        return avx512ColumnGroups(span, z, zStep, color, shading);
#endif
#if defined(__SSE2__)
    case SpanPath::Sse2:
        return sse2ColumnGroups(span, z, zStep, color, shading);
#endif
    default:
        return 0;
    }
}

} // namespace

std::int32_t fillColumnGroups(SpanPath path, const SpanColumns& span, double z, double zStep,
                              const GroupColor& color) {
    return groupsOnPath(path, span, z, zStep, color,
                        color.products != nullptr ? shadedSpan(color, span.count) : ShadedSpan{});
}

std::int32_t fillColumnGroups(SpanPath path, const SpanColumns& span, double z, double zStep,
                              const SteppedChannels& channels) {
    return groupsOnPath(path, span, z, zStep, channels, shadedSpan(channels, span.count));
}
