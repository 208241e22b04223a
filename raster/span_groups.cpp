// The grouped span paths: SSE2, four columns a group, two per register; and
// AVX-512, eight columns a group in one register, chosen at run time.
//
// Both compute what the column loop computes, with the same operations on
// the same values (stepsExact makes the stepped values the same): the depth
// test compares z with the stored float widened to double, a written depth
// is z rounded to a 32-bit float under the current rounding mode, and a
// colour channel is trunc(min(max(i * diffuse + ambient, 0), 1) * 255) with
// the product and the sum rounded separately (the build never contracts
// them into fused multiply-adds). max(v, 0) turns NaN into 0 because the
// SSE and AVX-512 maximum returns its second operand when either is NaN, so
// the bytes are colorByte's for every v. A span whose channels never leave
// [0, 1] skips the clamp, and a channel with another's products takes its
// bytes (ShadedSpan below): neither changes a byte.
#include "raster/span_groups.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// Windows is left out: its compilers do not keep spilled 64-byte registers
// aligned on a stack that is only 16-byte aligned.
#if defined(__x86_64__) && !defined(_WIN32) && (defined(__GNUC__) || defined(__clang__))
#define OCTASPIN_AVX512_SPANS 1
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
#else
#define OCTASPIN_AVX512_SPANS 0
#endif
// Builds with neither (a web build without SIMD) fill every column in the
// column loop.
#if defined(__SSE2__) || OCTASPIN_AVX512_SPANS
#define OCTASPIN_GROUPED_SPANS 1
#else
#define OCTASPIN_GROUPED_SPANS 0
#endif

namespace {

#if OCTASPIN_GROUPED_SPANS

// A colour as one 32-bit lane: blue | green << 8 | red << 16.
std::uint32_t packedColour(const PixelColor& c) {
    return static_cast<std::uint32_t>(c.blue) | static_cast<std::uint32_t>(c.green) << 8 |
           static_cast<std::uint32_t>(c.red) << 16;
}

// The colours of the columns in `passes` (bit k for column k), one by one.
void writePassingPixels(std::uint8_t* pixel, std::ptrdiff_t pixelBytes,
                        const std::uint32_t* colours, unsigned passes, int columns) {
    for (int k = 0; k < columns; ++k, pixel += pixelBytes) {
        if ((passes >> k) & 1u) {
            writePixel(pixel, {static_cast<std::uint8_t>(colours[k]),
                               static_cast<std::uint8_t>(colours[k] >> 8),
                               static_cast<std::uint8_t>(colours[k] >> 16)});
        }
    }
}

// What the shaded paths may leave out over one span, decided once per span.
// Clamping: a channel's value i * diffuse + ambient needs no clamp when it
// stays in [0, 1] at every column. The columns' intensities are
// start + k * step exactly (stepsExact), a monotonic run, and rounding a
// product or a sum keeps order, so the channel's values run monotonically
// too and its first and last column bound them. Sharing: a channel with the
// very bits of another's products has that channel's bytes.
struct ShadedSpan {
    bool clamp = true;
    bool greenIsBlue = false;
    bool redIsBlue = false;
    bool redIsGreen = false;
};

bool sameBits(double a, double b) {
    return bitCast<std::uint64_t>(a) == bitCast<std::uint64_t>(b);
}

bool staysInUnit(double first, double last, double diffuse, double ambient) {
    const double a = first * diffuse + ambient;
    const double b = last * diffuse + ambient;
    return a >= 0.0 && a <= 1.0 && b >= 0.0 && b <= 1.0;
}

ShadedSpan shadedSpan(const GroupColour& colour, std::int32_t count) {
    const ShadingProducts& p = *colour.products;
    const double first = colour.i;
    const double last = colour.i + static_cast<double>(count - 1) * colour.iStep;
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

#endif

#if defined(__SSE2__)

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

// The three channels of four columns as one colour a lane.
template <bool Clamp>
__m128i sse2Colours(const Sse2Columns& i, const ShadingProducts& p, const ShadedSpan& s) {
    const __m128i blue = sse2Channel<Clamp>(i, p.diffuseBlue, p.ambientBlue);
    const __m128i green =
        s.greenIsBlue ? blue : sse2Channel<Clamp>(i, p.diffuseGreen, p.ambientGreen);
    const __m128i red = s.redIsBlue    ? blue
                        : s.redIsGreen ? green
                                       : sse2Channel<Clamp>(i, p.diffuseRed, p.ambientRed);
    return _mm_or_si128(blue, _mm_or_si128(_mm_slli_epi32(green, 8), _mm_slli_epi32(red, 16)));
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

// Four colours (32-bit lanes) to the pixels of the passing columns. With
// three bytes a pixel and every column passing, the lanes are closed up to
// twelve bytes: each 64-bit half becomes its two pixels' six bytes, then the
// upper half moves down next to the lower (x86 is little endian: a lane's
// low byte, blue, lands first).
void sse2WritePixels(std::uint8_t* pixel, std::ptrdiff_t pixelBytes, __m128i colours, int passes) {
    if (passes == 0xf && pixelBytes == 3) {
        const __m128i low24 = _mm_set1_epi64x(0xffffff);
        const __m128i pairs = _mm_or_si128(_mm_and_si128(colours, low24),
                                           _mm_andnot_si128(low24, _mm_srli_epi64(colours, 8)));
        const __m128i twelve =
            _mm_or_si128(_mm_move_epi64(pairs), _mm_slli_si128(_mm_srli_si128(pairs, 8), 6));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(pixel), twelve);
        const std::int32_t last = _mm_cvtsi128_si32(_mm_srli_si128(twelve, 8));
        std::memcpy(pixel + 8, &last, sizeof last);
        return;
    }
    alignas(16) std::uint32_t each[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(each), colours);
    writePassingPixels(pixel, pixelBytes, each, static_cast<unsigned>(passes), 4);
}

// Shaded: the colour is formed per column; Clamp: its channels need
// clamping somewhere in the span (ShadedSpan).
template <bool Shaded, bool Clamp>
std::int32_t sse2Groups(const SpanColumns& span, double z, double zStep, const GroupColour& colour,
                        const ShadedSpan& shading) {
    Sse2Columns depths(z, zStep);
    Sse2Columns intensities(colour.i, colour.iStep);
    const __m128i flatColours = _mm_set1_epi32(static_cast<int>(packedColour(colour.color)));
    std::uint8_t* pixel = span.pixel;
    float* depth = span.depth;
    const std::int32_t groups = span.count / 4;
    for (std::int32_t g = 0; g < groups; ++g, depth += 4, pixel += 4 * span.pixelBytes) {
        __m128 stored = _mm_loadu_ps(depth);
        const int passes = sse2DepthTest(stored, depths);
        if (passes != 0) {
            __m128i colours = flatColours;
            if constexpr (Shaded) {
                colours = sse2Colours<Clamp>(intensities, *colour.products, shading);
            }
            sse2WritePixels(pixel, span.pixelBytes, colours, passes);
            _mm_storeu_ps(depth, stored);
        }
        depths.next();
        if constexpr (Shaded) {
            intensities.next();
        }
    }
    return groups * 4;
}

#endif

#if OCTASPIN_AVX512_SPANS

#define OCTASPIN_AVX512 __attribute__((target("avx512f,avx512vl,avx512bw,bmi2")))

// start + k * step at columns 0..7 (column 0 is start itself).
OCTASPIN_AVX512 inline __m512d avx512Columns(double start, double step) {
    const __m512d k = _mm512_set_pd(7.0, 6.0, 5.0, 4.0, 3.0, 2.0, 1.0, 0.0);
    const __m512d first = _mm512_set1_pd(start);
    return _mm512_mask_mov_pd(_mm512_add_pd(first, _mm512_mul_pd(k, _mm512_set1_pd(step))), 1,
                              first);
}

template <bool Clamp>
OCTASPIN_AVX512 inline __m256i avx512Channel(__m512d i, double diffuse, double ambient) {
    __m512d v = _mm512_add_pd(_mm512_mul_pd(i, _mm512_set1_pd(diffuse)), _mm512_set1_pd(ambient));
    if constexpr (Clamp) {
        v = _mm512_min_pd(_mm512_max_pd(v, _mm512_setzero_pd()), _mm512_set1_pd(1.0));
    }
    return _mm512_cvttpd_epi32(_mm512_mul_pd(v, _mm512_set1_pd(255.0)));
}

template <bool Clamp>
OCTASPIN_AVX512 inline __m256i avx512Colours(__m512d i, const ShadingProducts& p,
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

// Eight columns a group; the last group is cut to the span by masks, which
// also keep the loads and stores inside it, so every column is filled.
template <bool Shaded, bool Clamp>
OCTASPIN_AVX512 std::int32_t avx512Groups(const SpanColumns& span, double z, double zStep,
                                          const GroupColour& colour, const ShadedSpan& shading) {
    __m512d depths = avx512Columns(z, zStep);
    const __m512d depthStep8 = _mm512_set1_pd(8.0 * zStep);
    __m512d intensities = avx512Columns(colour.i, colour.iStep);
    const __m512d intensityStep8 = _mm512_set1_pd(8.0 * colour.iStep);
    const __m256i flatColours = _mm256_set1_epi32(static_cast<int>(packedColour(colour.color)));
    // Within each 128-bit half, four 32-bit colours close up to twelve bytes;
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
            __m256i colours = flatColours;
            if constexpr (Shaded) {
                colours = avx512Colours<Clamp>(intensities, *colour.products, shading);
            }
            if (span.pixelBytes == 3) {
                // Three byte-mask bits for every passing column.
                const __mmask32 bytes = _pdep_u32(passes, 0x249249u) * 7u;
                _mm256_mask_storeu_epi8(
                    pixel, bytes,
                    _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(colours, closeUp), join));
            } else {
                alignas(32) std::uint32_t each[8];
                _mm256_store_si256(reinterpret_cast<__m256i*>(each), colours);
                writePassingPixels(pixel, span.pixelBytes, each, passes, 8);
            }
        }
        depths = _mm512_add_pd(depths, depthStep8);
        if constexpr (Shaded) {
            intensities = _mm512_add_pd(intensities, intensityStep8);
        }
    }
    return span.count;
}

#endif

} // namespace

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

std::int32_t fillColumnGroups(SpanPath path, const SpanColumns& span, double z, double zStep,
                              const GroupColour& colour) {
#if !OCTASPIN_GROUPED_SPANS
    (void)path, (void)span, (void)z, (void)zStep, (void)colour;
    return 0;
#else
    const bool shaded = colour.products != nullptr;
    const ShadedSpan shading = shaded ? shadedSpan(colour, span.count) : ShadedSpan{};
    switch (path) {
#if OCTASPIN_AVX512_SPANS
    case SpanPath::Avx512:
        return !shaded         ? avx512Groups<false, false>(span, z, zStep, colour, shading)
               : shading.clamp ? avx512Groups<true, true>(span, z, zStep, colour, shading)
                               : avx512Groups<true, false>(span, z, zStep, colour, shading);
#endif
#if defined(__SSE2__)
    case SpanPath::Sse2:
        return !shaded         ? sse2Groups<false, false>(span, z, zStep, colour, shading)
               : shading.clamp ? sse2Groups<true, true>(span, z, zStep, colour, shading)
                               : sse2Groups<true, false>(span, z, zStep, colour, shading);
#endif
    default:
        return 0;
    }
#endif
}
