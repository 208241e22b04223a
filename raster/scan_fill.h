// The scan-fill driver shared by the flat and Gouraud fills, and their one
// span loop.
//
// Per call: check the frame, take the two edge tables from the device (one
// entry per screen row each), then fill the polygons from the last in the
// list to the first. Per polygon: skip it unless its points lie inside the
// frame, let the fill set up what is constant over the polygon (the flat
// colour), choose its top and bottom point, step the side leaving the top
// towards increasing indices into the left table and the other side into
// the right table, and fill every row from the top point's row up to, but
// not including, the bottom point's row as one span. A row whose left x is
// not less than its right x is empty; so is every row of a polygon whose
// points run clockwise on the screen. Finally the device hears of the box
// around the spans filled.
#pragma once

#include "raster/edge_tables.h"
#include "raster/frame_access.h"
#include "raster/polygon_traversal.h"
#include "raster/span_groups.h"

#include <cstddef>
#include <cstdint>

inline bool samePixel(const ScreenPoint& a, const ScreenPoint& b) {
    return a.x == b.x && a.y == b.y;
}

// What a fill sets up for one span, outside the pixel loop.
template <typename Shade> struct SpanSetup {
    double z = 0.0;     // depth at the span's first column, carried in double
    double zStep = 0.0; // depth step per column, rounded to a 32-bit float
    Shade shade;        // the colour along the span (raster/span_shades.h)
};

// The one span loop of both fills: columns xl up to xr - 1 of row y
// (xl < xr). Depth test: a stored 0.0 is empty and always overwritten,
// otherwise only a strictly smaller depth wins; a written pixel stores z
// rounded to a 32-bit float. z and the shade step on whether or not the
// pixel was written.
//
// When every stepped value of the span is exact (stepsExact), the columns
// go in groups on `path` (raster/span_groups.h), with the very values and
// bits of one column at a time; the columns a group path leaves, and every
// span that is not exact, go one at a time.
template <typename Shade>
inline void fillSpan(const FrameView& view, std::int32_t y, std::int32_t xl, std::int32_t xr,
                     SpanSetup<Shade> span, SpanPath path) {
    std::uint8_t* pixel = view.rowStart + y * view.pitch + xl * view.pixelBytes;
    float* depth = view.depth + static_cast<std::ptrdiff_t>(y) * view.width + xl;
    float* const end = depth + (xr - xl);
    double z = span.z;
    const double zStep = span.zStep;
    Shade& shade = span.shade;

    const std::int32_t count = xr - xl;
    if (path != SpanPath::Columns && count >= 4 && stepsExact(z, zStep, count) &&
        shade.stepsExact(count)) {
        const std::int32_t done = fillColumnGroups(path, {pixel, view.pixelBytes, depth, count}, z,
                                                   zStep, shade.groupColour());
        if (done > 0) {
            // Exact by stepsExact: z + done * zStep is the value `done`
            // additions reach.
            pixel += done * view.pixelBytes;
            depth += done;
            z += done * zStep;
            shade.skip(done);
        }
    }
    for (; depth != end; ++depth, pixel += view.pixelBytes) {
        const float stored = *depth;
        if (z < stored || stored == 0.0f) {
            shade.write(pixel);
            *depth = static_cast<float>(z);
        }
        z += zStep;
        shade.next();
    }
}

// The box around the spans filled so far.
struct SpanBox {
    std::int32_t left = INT32_MAX;
    std::int32_t right = INT32_MIN;
    std::int32_t top = INT32_MAX;
    std::int32_t bottom = INT32_MIN;

    void add(std::int32_t xl, std::int32_t xr, std::int32_t y) {
        left = xl < left ? xl : left;
        right = xr > right ? xr : right;
        top = y < top ? y : top;
        bottom = y + 1 > bottom ? y + 1 : bottom;
    }
    FrameBox box() const { return left < right ? FrameBox{left, top, right, bottom} : FrameBox{}; }
};

// walk: the edge stepper for Entry. setupPolygon(polygon) returns the
// polygon's span setter: called as setSpan(left, right) for a row whose
// left.x < right.x, it returns that span's SpanSetup.
template <typename Entry, typename SetupPolygon>
void fillPolygonList(RenderDevice& device, const ScreenPolygonList& list,
                     void (*walk)(Entry*, const ScreenPoint&, const ScreenPoint&),
                     SetupPolygon&& setupPolygon) {
    FrameView view;
    if (!viewFrame(device, view)) {
        return;
    }
    const std::int32_t polygonCount = drawablePolygonCount(list);
    if (polygonCount == 0) {
        return;
    }
    const EdgeTables<Entry> tables = edgeTables<Entry>(device, view.height);
    if (tables.left == nullptr) {
        return;
    }
    Entry* const left = tables.left;
    Entry* const right = tables.right;
    SpanBox spans;
    const SpanPath path = fastestSpanPath();

    for (std::int32_t i = polygonCount - 1; i >= 0; --i) {
        const ScreenPolygon& polygon = list.polygons[static_cast<std::size_t>(i)];
        if (!polygonDrawable(view, polygon)) {
            continue;
        }
        auto setSpan = setupPolygon(polygon);

        const ScreenPoint* points = polygon.points.data();
        const std::int32_t count = polygon.pointCount;
        const PolygonEnds ends = findPolygonEnds(points, count);

        // Left side: from the top towards increasing indices, down to the
        // bottom. A zero-length edge (a corner repeated) adds nothing, and
        // is skipped: stepped, it would put its one point over the row that
        // a flat top or bottom edge has just set.
        std::int32_t cur = ends.top;
        do {
            const std::int32_t next = nextPoint(cur, count);
            if (!samePixel(points[cur], points[next])) {
                walk(left, points[cur], points[next]);
            }
            cur = next;
        } while (cur != ends.bottom);

        // Right side: from the bottom towards increasing indices, up to the
        // top; each edge is stepped from its upper end down.
        cur = ends.bottom;
        do {
            const std::int32_t next = nextPoint(cur, count);
            if (!samePixel(points[cur], points[next])) {
                walk(right, points[next], points[cur]);
            }
            cur = next;
        } while (cur != ends.top);

        const std::int32_t topY = points[ends.top].y;
        const std::int32_t bottomY = points[ends.bottom].y;
        for (std::int32_t y = topY; y < bottomY; ++y) {
            const std::int32_t xl = left[y].x;
            const std::int32_t xr = right[y].x;
            if (xl < xr) {
                fillSpan(view, y, xl, xr, setSpan(left[y], right[y]), path);
                spans.add(xl, xr, y);
            }
        }
    }
    device.markDrawn(spans.box());
}
