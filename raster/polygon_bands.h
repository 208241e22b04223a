// Bands of rows for drawing one polygon list on several threads.
//
// The producer of a list (the polygon pipeline) records, per polygon, the
// bands its rows reach and adds up the work each band gets; the
// rasterizers share the bands out between threads by that work, each
// thread drawing every polygon of its bands in list order but only the
// bands' rows. Work is counted in rough nanoseconds of one thread: a cost
// per polygon, per row and per pixel of half the bounding box.
#pragma once

#include "raster/screen_polygon.h"

#include <cstdint>

struct BandLayout {
    std::int32_t count = 0; // 0: the frame is not cut into bands
    std::int32_t rowsPerBand = 0;
    std::uint64_t reciprocal = 0; // ceil(2^32 / rowsPerBand): row / rowsPerBand by a product
};

// Up to PolygonBands::kMaxBands bands of at least 16 rows each; none for a
// frame shorter than two bands or 65536 rows or taller (where the product
// above would not divide exactly).
inline BandLayout bandLayout(std::int32_t height) {
    constexpr std::int32_t kMinRows = 16;
    BandLayout layout;
    if (height < 2 * kMinRows || height >= 65536) {
        return layout;
    }
    const std::int32_t count =
        height / kMinRows < PolygonBands::kMaxBands ? height / kMinRows : PolygonBands::kMaxBands;
    layout.rowsPerBand = (height + count - 1) / count;
    layout.count = (height + layout.rowsPerBand - 1) / layout.rowsPerBand;
    layout.reciprocal =
        ((std::uint64_t{1} << 32) + static_cast<std::uint64_t>(layout.rowsPerBand) - 1) /
        static_cast<std::uint64_t>(layout.rowsPerBand);
    return layout;
}

// The band of a row inside the frame: exact for rows and band heights below
// 65536, since then row * (reciprocal * rowsPerBand - 2^32) < 2^32.
inline std::int32_t bandOfRow(const BandLayout& layout, std::int32_t row) {
    return static_cast<std::int32_t>((static_cast<std::uint64_t>(row) * layout.reciprocal) >> 32);
}

// What one thread's share of a list adds up while it fills in the masks.
struct BandTally {
    std::int64_t work[PolygonBands::kMaxBands] = {};

    // The mask of a polygon with these points (inside the frame), its work
    // added to the bands it reaches; with fillsOnly, as PolygonBands says.
    std::uint8_t add(const BandLayout& layout, const ScreenPoint* points, std::int32_t count,
                     bool fillsOnly) {
        if (count <= 0) {
            return 0;
        }
        std::int32_t top = points[0].y;
        std::int32_t bottom = points[0].y;
        std::int32_t left = points[0].x;
        std::int32_t right = points[0].x;
        for (std::int32_t i = 1; i < count; ++i) {
            const ScreenPoint& p = points[i];
            top = p.y < top ? p.y : top;
            bottom = p.y > bottom ? p.y : bottom;
            left = p.x < left ? p.x : left;
            right = p.x > right ? p.x : right;
        }
        if (fillsOnly) {
            if (top == bottom || left == right) {
                return 0;
            }
            bottom -= 1;
        }
        const std::int64_t perRow = 6 + (right - left) / 4;
        const std::int32_t first = bandOfRow(layout, top);
        const std::int32_t last = bandOfRow(layout, bottom);
        work[first] += 40;
        if (first == last) {
            work[first] += (bottom - top + 1) * perRow;
            return static_cast<std::uint8_t>(1u << first);
        }
        std::uint8_t mask = 0;
        for (std::int32_t b = first; b <= last; ++b) {
            const std::int32_t from = b == first ? top : b * layout.rowsPerBand;
            const std::int32_t to = b == last ? bottom : (b + 1) * layout.rowsPerBand - 1;
            work[b] += (to - from + 1) * perRow;
            mask = static_cast<std::uint8_t>(mask | 1u << b);
        }
        return mask;
    }
};
