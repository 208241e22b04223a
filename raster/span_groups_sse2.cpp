// The SSE2 group path: four columns a group, two per register (every
// x86-64 processor has SSE2).
#include "raster/span_group_paths.h"

#if defined(__SSE2__)

#include <emmintrin.h>

#include <cstring>

namespace {

// A stepped value at four consecutive columns: the first two in `low`, the
// other two in `high`.
struct Sse2Columns {
    __m128d low;
    __m128d high;
    __m128d step4;

    // Columns 0..3 of start + k * step (column 0 is start itself).
    Sse2Columns(double start, double step)
        : low(_mm_set_pd(start + step, start)),
          high(_mm_set_pd(start + 3.0 * step, start + 2.0 * step)), step4(_mm_set1_pd(4.0 * step)) {
    }
    void next() {
        low = _mm_add_pd(low, step4);
        high = _mm_add_pd(high, step4);
    }
};

template <bool Clamp> __m128i sse2Channel(__m128d v) {
    if constexpr (Clamp) {
        v = _mm_min_pd(_mm_max_pd(v, _mm_setzero_pd()), _mm_set1_pd(1.0));
    }
    return _mm_cvttpd_epi32(_mm_mul_pd(v, _mm_set1_pd(255.0)));
}

// One channel of four columns as 32-bit lanes.
template <bool Clamp> __m128i sse2Channel(const Sse2Columns& i, double diffuse, double ambient) {
    const __m128d d = _mm_set1_pd(diffuse);
    const __m128d a = _mm_set1_pd(ambient);
    return _mm_unpacklo_epi64(sse2Channel<Clamp>(_mm_add_pd(_mm_mul_pd(i.low, d), a)),
                              sse2Channel<Clamp>(_mm_add_pd(_mm_mul_pd(i.high, d), a)));
}

// The three channels of four columns as one color a lane.
template <bool Clamp>
__m128i sse2Colors(const Sse2Columns& i, const ShadingProducts& p, const ShadedSpan& s) {
    const __m128i blue = sse2Channel<Clamp>(i, p.diffuseBlue, p.ambientBlue);
    const __m128i green =
        s.greenIsBlue ? blue : sse2Channel<Clamp>(i, p.diffuseGreen, p.ambientGreen);
    const __m128i red = s.redIsBlue    ? blue
                        : s.redIsGreen ? green
                                       : sse2Channel<Clamp>(i, p.diffuseRed, p.ambientRed);
    return _mm_or_si128(blue, _mm_or_si128(_mm_slli_epi32(green, 8), _mm_slli_epi32(red, 16)));
}

// The colors of four columns from a span's own channels: each channel's
// values as bytes, shared where ShadedSpan says two channels are alike.
template <bool Clamp>
__m128i sse2ChannelColors(const Sse2Columns& red, const Sse2Columns& green, const Sse2Columns& blue,
                          const ShadedSpan& s) {
    const auto bytes = [](const Sse2Columns& v) {
        return _mm_unpacklo_epi64(sse2Channel<Clamp>(v.low), sse2Channel<Clamp>(v.high));
    };
    const __m128i b = bytes(blue);
    const __m128i g = s.greenIsBlue ? b : bytes(green);
    const __m128i r = s.redIsBlue ? b : s.redIsGreen ? g : bytes(red);
    return _mm_or_si128(b, _mm_or_si128(_mm_slli_epi32(g, 8), _mm_slli_epi32(r, 16)));
}

// The depth test of four columns: a stored 0.0 (either sign) is empty,
// otherwise only a strictly smaller z wins, compared in double. Returns the
// passing columns as bits 0..3 and turns `stored` into the depths after the
// writes (the stored bits where a column fails).
int sse2DepthTest(__m128& stored, const Sse2Columns& z) {
    const __m128d nearerLow = _mm_cmplt_pd(z.low, _mm_cvtps_pd(stored));
    const __m128d nearerHigh = _mm_cmplt_pd(z.high, _mm_cvtps_pd(_mm_movehl_ps(stored, stored)));
    const __m128 nearer = _mm_shuffle_ps(_mm_castpd_ps(nearerLow), _mm_castpd_ps(nearerHigh),
                                         _MM_SHUFFLE(2, 0, 2, 0));
    const __m128 pass = _mm_or_ps(nearer, _mm_cmpeq_ps(stored, _mm_setzero_ps()));
    const __m128 incoming = _mm_movelh_ps(_mm_cvtpd_ps(z.low), _mm_cvtpd_ps(z.high));
    stored = _mm_or_ps(_mm_and_ps(pass, incoming), _mm_andnot_ps(pass, stored));
    return _mm_movemask_ps(pass);
}

// Four colors (32-bit lanes) to the pixels of the passing columns. With
// three bytes a pixel and every column passing, the lanes are closed up to
// twelve bytes: each 64-bit half becomes its two pixels' six bytes, then the
// upper half moves down next to the lower (x86 is little endian: a lane's
// low byte, blue, lands first).
void sse2WritePixels(std::uint8_t* pixel, std::ptrdiff_t pixelBytes, __m128i colors, int passes) {
    if (passes == 0xf && pixelBytes == 3) {
        const __m128i low24 = _mm_set1_epi64x(0xffffff);
        const __m128i pairs = _mm_or_si128(_mm_and_si128(colors, low24),
                                           _mm_andnot_si128(low24, _mm_srli_epi64(colors, 8)));
        const __m128i twelve =
            _mm_or_si128(_mm_move_epi64(pairs), _mm_slli_si128(_mm_srli_si128(pairs, 8), 6));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(pixel), twelve);
        const std::int32_t last = _mm_cvtsi128_si32(_mm_srli_si128(twelve, 8));
        std::memcpy(pixel + 8, &last, sizeof last);
        return;
    }
    alignas(16) std::uint32_t each[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(each), colors);
    writePassingPixels(pixel, pixelBytes, each, static_cast<unsigned>(passes), 4);
}

// Kind: what the color is formed from (GroupKind); Clamp: its channels
// need clamping somewhere in the span (ShadedSpan).
template <GroupKind Kind, bool Clamp>
std::int32_t sse2Groups(const SpanColumns& span, double z, double zStep, const GroupColor& color,
                        const SteppedChannels& channels, const ShadedSpan& shading) {
    Sse2Columns depths(z, zStep);
    Sse2Columns intensities(color.i, color.iStep);
    Sse2Columns reds(channels.red, channels.redStep);
    Sse2Columns greens(channels.green, channels.greenStep);
    Sse2Columns blues(channels.blue, channels.blueStep);
    const __m128i flatColors = _mm_set1_epi32(static_cast<int>(packedColor(color.color)));
    std::uint8_t* pixel = span.pixel;
    float* depth = span.depth;
    const std::int32_t groups = span.count / 4;
    for (std::int32_t g = 0; g < groups; ++g, depth += 4, pixel += 4 * span.pixelBytes) {
        __m128 stored = _mm_loadu_ps(depth);
        const int passes = sse2DepthTest(stored, depths);
        if (passes != 0) {
            __m128i colors = flatColors;
            if constexpr (Kind == GroupKind::Shaded) {
                colors = sse2Colors<Clamp>(intensities, *color.products, shading);
            } else if constexpr (Kind == GroupKind::Channels) {
                colors = sse2ChannelColors<Clamp>(reds, greens, blues, shading);
            }
            sse2WritePixels(pixel, span.pixelBytes, colors, passes);
            _mm_storeu_ps(depth, stored);
        }
        depths.next();
        if constexpr (Kind == GroupKind::Shaded) {
            intensities.next();
        } else if constexpr (Kind == GroupKind::Channels) {
            reds.next();
            greens.next();
            blues.next();
        }
    }
    return groups * 4;
}

} // namespace

// The loops' other color kind: none, as the loops of each kind need.
constexpr GroupColor kNoColor{};
constexpr SteppedChannels kNoChannels{};

std::int32_t sse2ColumnGroups(const SpanColumns& span, double z, double zStep,
                              const GroupColor& color, const ShadedSpan& shading) {
    return color.products == nullptr
               ? sse2Groups<GroupKind::Flat, false>(span, z, zStep, color, kNoChannels, shading)
           : shading.clamp
               ? sse2Groups<GroupKind::Shaded, true>(span, z, zStep, color, kNoChannels, shading)
               : sse2Groups<GroupKind::Shaded, false>(span, z, zStep, color, kNoChannels, shading);
}

std::int32_t sse2ColumnGroups(const SpanColumns& span, double z, double zStep,
                              const SteppedChannels& channels, const ShadedSpan& shading) {
    return shading.clamp
               ? sse2Groups<GroupKind::Channels, true>(span, z, zStep, kNoColor, channels, shading)
               : sse2Groups<GroupKind::Channels, false>(span, z, zStep, kNoColor, channels,
                                                        shading);
}

#endif
