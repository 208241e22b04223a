// The scan-fill driver shared by the flat and Gouraud fills, and their one
// span loop.
//
// Per pass (one band of rows, or the whole frame): fill the polygons from
// the last in the list to the first. Per polygon: skip it unless its points
// lie inside the frame, choose its top and bottom point, let the fill set
// up what is constant over the polygon (the flat color), step the side
// leaving the top towards increasing indices into the left table and the
// other side into the right table, and fill every row from the top point's
// row up to, but not including, the bottom point's row as one span. A row
// whose left x is not less than its right x is empty; so is every row of a
// polygon whose points run clockwise on the screen. The caller tells the
// device of the box around the spans filled.
#pragma once

#include "raster/edge_tables.h"
#include "raster/frame_access.h"
#include "raster/polygon_bands.h"
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
    Shade shade;        // the color along the span (raster/span_shades.h)
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
                                                   zStep, shade.groupColor());
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

// Polygons drawn ahead of time: the depths and pixels of the polygon
// kPrefetchAhead places on are asked for early, the ends of its bounding
// box's rows (at most kPrefetchRows of them). A mesh of a million
// triangles touches new cache lines with nearly every polygon, and would
// otherwise wait for each.
inline constexpr std::int32_t kPrefetchAhead = 4;
inline constexpr std::int32_t kPrefetchRows = 8;

inline void prefetchPolygon(const FrameView& view, const ScreenPolygonList& list,
                            const ScreenPolygon& polygon) {
    if (polygon.pointCount <= 0 || polygon.firstPoint < 0 ||
        static_cast<std::size_t>(polygon.firstPoint) +
                static_cast<std::size_t>(polygon.pointCount) >
            list.points.size()) {
        return;
    }
    const ScreenPoint* p = list.pointsOf(polygon);
    std::int32_t left = p[0].x;
    std::int32_t right = p[0].x;
    std::int32_t top = p[0].y;
    std::int32_t bottom = p[0].y;
    for (std::int32_t i = 1; i < polygon.pointCount; ++i) {
        left = p[i].x < left ? p[i].x : left;
        right = p[i].x > right ? p[i].x : right;
        top = p[i].y < top ? p[i].y : top;
        bottom = p[i].y > bottom ? p[i].y : bottom;
    }
    if (!insideFrame(view, left, top) || !insideFrame(view, right, bottom)) {
        return;
    }
    bottom = bottom - top < kPrefetchRows ? bottom : top + kPrefetchRows - 1;
    for (std::int32_t y = top; y <= bottom; ++y) {
        const float* depth = view.depth + static_cast<std::ptrdiff_t>(y) * view.width;
        const std::uint8_t* row = view.rowStart + y * view.pitch;
        __builtin_prefetch(depth + left, 1);
        __builtin_prefetch(depth + right, 1);
        __builtin_prefetch(row + left * view.pixelBytes, 1);
        __builtin_prefetch(row + right * view.pixelBytes + 2, 1);
    }
}

inline const ScreenPoint& positionOf(const ScreenPoint& p) {
    return p;
}
inline const ScreenPoint& positionOf(const ColoredPoint& p) {
    return p.point;
}

// One edge into a table, as `walk` steps it. An edge at most one row high
// writes only its ends' rows (the one step of a steep or shallow edge lands
// in the lower end's row, which the lower end then overwrites), so it is
// written without stepping: most edges of a mesh of a million triangles
// are such.
template <typename Entry, typename Point>
inline void stepEdgeInto(Entry* table, const Point& upper, const Point& lower,
                         void (*walk)(Entry*, const Point&, const Point&)) {
    const std::int32_t upperY = positionOf(upper).y;
    const std::int32_t lowerY = positionOf(lower).y;
    if (lowerY - upperY <= 1) {
        setEntry(table[upperY], upper);
        setEntry(table[lowerY], lower);
    } else {
        walk(table, upper, lower);
    }
}

// How a fill steps the edges of a list's polygons: step(table, polygon,
// points, upper, lower) steps the edge from point `upper` down to point
// `lower` (indices into the polygon's points, `points`) into the table.
//
// From the points alone, with `walk`:
template <typename Entry> struct PointEdges {
    void (*walk)(Entry*, const ScreenPoint&, const ScreenPoint&);

    void step(Entry* table, const ScreenPolygon&, const ScreenPoint* points, std::int32_t upper,
              std::int32_t lower) const {
        stepEdgeInto(table, points[upper], points[lower], walk);
    }
};

// From the points and their lit colours (a list whose points carry them,
// ScreenPolygonList::hasPointColors):
struct ColoredEdges {
    const ScreenPolygonList& list;

    void step(ColoredEdgeEntry* table, const ScreenPolygon& polygon, const ScreenPoint* points,
              std::int32_t upper, std::int32_t lower) const {
        const Color3* colors = list.colors.pointColors.data() + polygon.firstPoint;
        stepEdgeInto(table, ColoredPoint{points[upper], colors[upper]},
                     ColoredPoint{points[lower], colors[lower]}, walkColoredEdge);
    }
};

// The rows one pass of a fill or the wireframe draws, and the bands they
// make up (bits of PolygonBands masks). With `bands` 0 every polygon of the
// list is looked at; otherwise only those whose mask shares a bit with it.
struct RowWindow {
    std::int32_t begin = 0;
    std::int32_t end = 0; // rows begin .. end - 1
    std::uint8_t bands = 0;
};

// The list's band masks for a window, or null when every polygon is to be
// looked at (no bands, masks that do not cover the list, or masks made for
// the fills alone when the outlines are drawn).
inline const std::uint8_t* windowMasks(const ScreenPolygonList& list, const RowWindow& window,
                                       std::int32_t polygonCount, bool outlines) {
    if (window.bands == 0 || (outlines && list.bands.fillsOnly) ||
        list.bands.masks.size() < static_cast<std::size_t>(polygonCount)) {
        return nullptr;
    }
    return list.bands.masks.data();
}

// True when every point lies in one column: every edge then records that
// column in every row, so no row has a span.
inline bool inOneColumn(const ScreenPoint* points, std::int32_t count) {
    for (std::int32_t i = 1; i < count; ++i) {
        if (points[i].x != points[0].x) {
            return false;
        }
    }
    return true;
}

// Fills the window's rows of the list's polygons, from the last polygon to
// the first, and returns the box around the spans filled. A polygon that
// covers no pixel under the fill rule (all its points in one row or in one
// column), or has no row in the window, costs only the look at its points:
// its edges are not stepped and its color is not formed. The others have
// both sides stepped whole (a row's values depend on every step above it)
// and their spans filled in the window's rows.
//
// edges: how the edges are stepped into Entry tables (PointEdges,
// ColoredEdges). setupPolygon(polygon, i), i being the polygon's index in
// the list, returns the polygon's span setter: called as
// setSpan(left, right) for a row whose left.x < right.x, it returns that
// span's SpanSetup (a span of one column needs no steps, and its setter
// may leave them 0).
template <typename Entry, typename Edges, typename SetupPolygon>
SpanBox fillPolygonRows(const FrameView& view, const ScreenPolygonList& list,
                        const RowWindow& window, const EdgeTables<Entry>& tables, SpanPath path,
                        const Edges& edges, SetupPolygon&& setupPolygon) {
    SpanBox spans;
    Entry* const left = tables.left;
    Entry* const right = tables.right;
    const std::int32_t polygonCount = drawablePolygonCount(list);
    const std::uint8_t* masks = windowMasks(list, window, polygonCount, false);

    for (std::int32_t i = polygonCount - 1; i >= 0; --i) {
        if (masks != nullptr && (masks[i] & window.bands) == 0) {
            continue;
        }
        const ScreenPolygon& polygon = list.polygons[static_cast<std::size_t>(i)];
        if (!polygonDrawable(view, list, polygon)) {
            continue;
        }
        if (i >= kPrefetchAhead) {
            prefetchPolygon(view, list,
                            list.polygons[static_cast<std::size_t>(i - kPrefetchAhead)]);
        }
        const ScreenPoint* points = list.pointsOf(polygon);
        const std::int32_t count = polygon.pointCount;
        const PolygonEnds ends = findPolygonEnds(points, count);
        const std::int32_t topY = points[ends.top].y;
        const std::int32_t bottomY = points[ends.bottom].y;
        // Rows from the top point's up to, but not including, the bottom
        // point's, as far as they lie in the window.
        const std::int32_t firstRow = topY > window.begin ? topY : window.begin;
        const std::int32_t endRow = bottomY < window.end ? bottomY : window.end;
        if (firstRow >= endRow || inOneColumn(points, count)) {
            continue;
        }
        auto setSpan = setupPolygon(polygon, i);

        // Left side: from the top towards increasing indices, down to the
        // bottom. A zero-length edge (a corner repeated) adds nothing, and
        // is skipped: stepped, it would put its one point over the row that
        // a flat top or bottom edge has just set.
        std::int32_t cur = ends.top;
        do {
            const std::int32_t next = nextPoint(cur, count);
            if (!samePixel(points[cur], points[next])) {
                edges.step(left, polygon, points, cur, next);
            }
            cur = next;
        } while (cur != ends.bottom);

        // Right side: from the bottom towards increasing indices, up to the
        // top; each edge is stepped from its upper end down.
        cur = ends.bottom;
        do {
            const std::int32_t next = nextPoint(cur, count);
            if (!samePixel(points[cur], points[next])) {
                edges.step(right, polygon, points, next, cur);
            }
            cur = next;
        } while (cur != ends.top);

        for (std::int32_t y = firstRow; y < endRow; ++y) {
            const std::int32_t xl = left[y].x;
            const std::int32_t xr = right[y].x;
            if (xl < xr) {
                fillSpan(view, y, xl, xr, setSpan(left[y], right[y]), path);
                spans.add(xl, xr, y);
            }
        }
    }
    return spans;
}
