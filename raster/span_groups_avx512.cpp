// The AVX-512 group path: eight columns a group in one register, taken
// only where the processor has AVX-512 (fastestSpanPath). Every function
// here carries the target attribute; the file is compiled for the baseline
// processor like every other.
#include "raster/span_group_paths.h"

#if OCTASPIN_AVX512_SPANS

// GCC 12 takes the placeholder operand that its AVX-512 intrinsics pass
// for unmasked operations for an uninitialized read.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#else
#include <immintrin.h>
#endif

namespace {

#define OCTASPIN_AVX512 __attribute__((target("avx512f,avx512vl,avx512bw,bmi2")))

// start + k * step at columns 0..7 (column 0 is start itself).
OCTASPIN_AVX512 inline __m512d avx512Columns(double start, double step) {
    const __m512d k = _mm512_set_pd(7.0, 6.0, 5.0, 4.0, 3.0, 2.0, 1.0, 0.0);
    const __m512d first = _mm512_set1_pd(start);
    return _mm512_mask_mov_pd(_mm512_add_pd(first, _mm512_mul_pd(k, _mm512_set1_pd(step))), 1,
                              first);
}

// One channel's values at eight columns as bytes, trunc(v * 255), clamped
// to 0..1 first when the span needs it.
template <bool Clamp> OCTASPIN_AVX512 inline __m256i avx512ChannelBytes(__m512d v) {
    if constexpr (Clamp) {
        v = _mm512_min_pd(_mm512_max_pd(v, _mm512_setzero_pd()), _mm512_set1_pd(1.0));
    }
    return _mm512_cvttpd_epi32(_mm512_mul_pd(v, _mm512_set1_pd(255.0)));
}

template <bool Clamp>
OCTASPIN_AVX512 inline __m256i avx512Channel(__m512d i, double diffuse, double ambient) {
    return avx512ChannelBytes<Clamp>(
        _mm512_add_pd(_mm512_mul_pd(i, _mm512_set1_pd(diffuse)), _mm512_set1_pd(ambient)));
}

template <bool Clamp>
OCTASPIN_AVX512 inline __m256i avx512Colors(__m512d i, const ShadingProducts& p,
                                            const ShadedSpan& s) {
    const __m256i blue = avx512Channel<Clamp>(i, p.diffuseBlue, p.ambientBlue);
    const __m256i green =
        s.greenIsBlue ? blue : avx512Channel<Clamp>(i, p.diffuseGreen, p.ambientGreen);
    const __m256i red = s.redIsBlue    ? blue
                        : s.redIsGreen ? green
                                       : avx512Channel<Clamp>(i, p.diffuseRed, p.ambientRed);
    return _mm256_or_si256(
        blue, _mm256_or_si256(_mm256_slli_epi32(green, 8), _mm256_slli_epi32(red, 16)));
}

// The colors of eight columns from a span's own channels, shared where
// ShadedSpan says two channels are alike.
template <bool Clamp>
OCTASPIN_AVX512 inline __m256i avx512ChannelColors(__m512d red, __m512d green, __m512d blue,
                                                   const ShadedSpan& s) {
    const __m256i b = avx512ChannelBytes<Clamp>(blue);
    const __m256i g = s.greenIsBlue ? b : avx512ChannelBytes<Clamp>(green);
    const __m256i r = s.redIsBlue ? b : s.redIsGreen ? g : avx512ChannelBytes<Clamp>(red);
    return _mm256_or_si256(b, _mm256_or_si256(_mm256_slli_epi32(g, 8), _mm256_slli_epi32(r, 16)));
}

// Eight columns a group; the last group is cut to the span by masks, which
// also keep the loads and stores inside it, so every column is filled.
template <GroupKind Kind, bool Clamp>
OCTASPIN_AVX512 std::int32_t avx512Groups(const SpanColumns& span, double z, double zStep,
                                          const GroupColor& color, const SteppedChannels& channels,
                                          const ShadedSpan& shading) {
    __m512d depths = avx512Columns(z, zStep);
    const __m512d depthStep8 = _mm512_set1_pd(8.0 * zStep);
    __m512d intensities = avx512Columns(color.i, color.iStep);
    const __m512d intensityStep8 = _mm512_set1_pd(8.0 * color.iStep);
    __m512d reds = avx512Columns(channels.red, channels.redStep);
    __m512d greens = avx512Columns(channels.green, channels.greenStep);
    __m512d blues = avx512Columns(channels.blue, channels.blueStep);
    const __m512d redStep8 = _mm512_set1_pd(8.0 * channels.redStep);
    const __m512d greenStep8 = _mm512_set1_pd(8.0 * channels.greenStep);
    const __m512d blueStep8 = _mm512_set1_pd(8.0 * channels.blueStep);
    const __m256i flatColors = _mm256_set1_epi32(static_cast<int>(packedColor(color.color)));
    // Within each 128-bit half, four 32-bit colors close up to twelve bytes;
    // then the two twelve-byte runs join.
    const __m256i closeUp =
        _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0, 1, 2, 4, 5, 6,
                         8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const __m256i join = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7);
    std::uint8_t* pixel = span.pixel;
    float* depth = span.depth;
    for (std::int32_t left = span.count; left > 0;
         left -= 8, depth += 8, pixel += 8 * span.pixelBytes) {
        const __mmask8 inSpan = left >= 8 ? 0xff : static_cast<__mmask8>((1u << left) - 1u);
        const __m256 stored = _mm256_maskz_loadu_ps(inSpan, depth);
        const __mmask8 passes =
            inSpan & (_mm512_cmp_pd_mask(depths, _mm512_cvtps_pd(stored), _CMP_LT_OQ) |
                      _mm256_cmp_ps_mask(stored, _mm256_setzero_ps(), _CMP_EQ_OQ));
        if (passes != 0) {
            _mm256_mask_storeu_ps(depth, passes, _mm512_cvtpd_ps(depths));
            __m256i colors = flatColors;
            if constexpr (Kind == GroupKind::Shaded) {
                colors = avx512Colors<Clamp>(intensities, *color.products, shading);
            } else if constexpr (Kind == GroupKind::Channels) {
                colors = avx512ChannelColors<Clamp>(reds, greens, blues, shading);
            }
            if (span.pixelBytes == 3) {
                // Three byte-mask bits for every passing column.
                const __mmask32 bytes = _pdep_u32(passes, 0x249249u) * 7u;
                _mm256_mask_storeu_epi8(
                    pixel, bytes,
                    _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(colors, closeUp), join));
            } else {
                alignas(32) std::uint32_t each[8];
                _mm256_store_si256(reinterpret_cast<__m256i*>(each), colors);
                writePassingPixels(pixel, span.pixelBytes, each, passes, 8);
            }
        }
        depths = _mm512_add_pd(depths, depthStep8);
        if constexpr (Kind == GroupKind::Shaded) {
            intensities = _mm512_add_pd(intensities, intensityStep8);
        } else if constexpr (Kind == GroupKind::Channels) {
            reds = _mm512_add_pd(reds, redStep8);
            greens = _mm512_add_pd(greens, greenStep8);
            blues = _mm512_add_pd(blues, blueStep8);
        }
    }
    return span.count;
}

} // namespace

// Plain code itself: it only picks the loop, which the caller has made sure
// the processor can run.
// The loops' other color kind: none, as the loops of each kind need.
constexpr GroupColor kNoColor{};
constexpr SteppedChannels kNoChannels{};

std::int32_t avx512ColumnGroups(const SpanColumns& span, double z, double zStep,
                                const GroupColor& color, const ShadedSpan& shading) {
    return color.products == nullptr
               ? avx512Groups<GroupKind::Flat, false>(span, z, zStep, color, kNoChannels, shading)
           : shading.clamp
               ? avx512Groups<GroupKind::Shaded, true>(span, z, zStep, color, kNoChannels, shading)
               : avx512Groups<GroupKind::Shaded, false>(span, z, zStep, color, kNoChannels,
                                                        shading);
}

std::int32_t avx512ColumnGroups(const SpanColumns& span, double z, double zStep,
                                const SteppedChannels& channels, const ShadedSpan& shading) {
    return shading.clamp ? avx512Groups<GroupKind::Channels, true>(span, z, zStep, kNoColor,
                                                                   channels, shading)
                         : avx512Groups<GroupKind::Channels, false>(span, z, zStep, kNoColor,
                                                                    channels, shading);
}

#endif
