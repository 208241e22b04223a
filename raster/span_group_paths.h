// What the grouped span paths share: each instruction set's group loop
// lives in a file of its own (span_groups_sse2.cpp, span_groups_avx512.cpp)
// and the dispatch in span_groups.cpp picks one per span.
//
// The AVX-512 code is compiled with a target attribute on each of its
// functions, never for a whole file: an inline function of a shared header
// compiled under a file-wide AVX-512 option could be the copy the linker
// keeps, and would then fault on a processor without AVX-512.
#pragma once

#include "raster/span_groups.h"

#include <cstddef>
#include <cstdint>

// Windows is left out: its compilers do not keep spilled 64-byte registers
// aligned on a stack that is only 16-byte aligned.
#if defined(__x86_64__) && !defined(_WIN32) && (defined(__GNUC__) || defined(__clang__))
#define OCTASPIN_AVX512_SPANS 1
#else
#define OCTASPIN_AVX512_SPANS 0
#endif

// A color as one 32-bit lane: blue | green << 8 | red << 16.
inline std::uint32_t packedColor(const PixelColor& c) {
    return static_cast<std::uint32_t>(c.blue) | static_cast<std::uint32_t>(c.green) << 8 |
           static_cast<std::uint32_t>(c.red) << 16;
}

// The colors of the columns in `passes` (bit k for column k), one by one.
inline void writePassingPixels(std::uint8_t* pixel, std::ptrdiff_t pixelBytes,
                               const std::uint32_t* colors, unsigned passes, int columns) {
    for (int k = 0; k < columns; ++k, pixel += pixelBytes) {
        if ((passes >> k) & 1u) {
            writePixel(pixel, {static_cast<std::uint8_t>(colors[k]),
                               static_cast<std::uint8_t>(colors[k] >> 8),
                               static_cast<std::uint8_t>(colors[k] >> 16)});
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

// Decided once per span (span_groups.cpp), for a color with products, or
// for a span's own channels (each its own value: clamp when one leaves
// [0, 1], share when two have the same start and step).
ShadedSpan shadedSpan(const GroupColor& color, std::int32_t count);
ShadedSpan shadedSpan(const SteppedChannels& channels, std::int32_t count);

// What a group loop forms a column's color from.
enum class GroupKind {
    Flat,     // one color for the span
    Shaded,   // the products and the stepped intensity
    Channels, // three stepped channels of the span's own
};

// The group loops: as fillColumnGroups, for a span whose `shading` was
// decided by shadedSpan (or is the default when the color is flat).
#if defined(__SSE2__)
std::int32_t sse2ColumnGroups(const SpanColumns& span, double z, double zStep,
                              const GroupColor& color, const ShadedSpan& shading);
std::int32_t sse2ColumnGroups(const SpanColumns& span, double z, double zStep,
                              const SteppedChannels& channels, const ShadedSpan& shading);
#endif
#if OCTASPIN_AVX512_SPANS
std::int32_t avx512ColumnGroups(const SpanColumns& span, double z, double zStep,
                                const GroupColor& color, const ShadedSpan& shading);
std::int32_t avx512ColumnGroups(const SpanColumns& span, double z, double zStep,
                                const SteppedChannels& channels, const ShadedSpan& shading);
#endif
