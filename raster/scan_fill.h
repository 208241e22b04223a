// The scan-fill driver shared by the flat and Gouraud fills.
//
// Per call: check the frame, allocate the two edge tables (one entry per
// screen row each), then fill the polygons from the last in the list to
// the first. Per polygon: skip it unless its points lie inside the frame,
// let the fill set up what is constant over the polygon (the flat colour),
// choose its top and bottom point, step the side leaving the top towards
// increasing indices into the left table and the other side into the right
// table, and hand every row from the top point's row up to, but not
// including, the bottom point's row to the span filler. A row whose left x
// is not less than its right x is empty; so is every row of a polygon whose
// points run clockwise on the screen.
#pragma once

#include "raster/frame_access.h"
#include "raster/polygon_traversal.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

inline bool samePixel(const ScreenPoint& a, const ScreenPoint& b) {
    return a.x == b.x && a.y == b.y;
}

template <typename Entry> struct EdgeTables {
    std::unique_ptr<Entry[]> block;
    Entry* left = nullptr;
    Entry* right = nullptr;
};

// Both tables in one block of 2 * rows entries. Returns false, without
// throwing, when the memory cannot be had; the fill then draws nothing.
template <typename Entry> bool allocateEdgeTables(EdgeTables<Entry>& tables, std::int32_t rows) {
    const auto perTable = static_cast<std::size_t>(rows);
    tables.block.reset(new (std::nothrow) Entry[2 * perTable]);
    if (!tables.block) {
        return false;
    }
    tables.left = tables.block.get();
    tables.right = tables.block.get() + perTable;
    return true;
}

// walk: the edge stepper for Entry. setupPolygon(polygon) returns the span
// filler for that polygon, called as fillSpan(view, y, left, right) with
// left.x < right.x.
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
    EdgeTables<Entry> tables;
    if (!allocateEdgeTables(tables, view.height)) {
        return;
    }
    Entry* const left = tables.left;
    Entry* const right = tables.right;

    for (std::int32_t i = polygonCount - 1; i >= 0; --i) {
        const ScreenPolygon& polygon = list.polygons[static_cast<std::size_t>(i)];
        if (!polygonDrawable(view, polygon)) {
            continue;
        }
        auto fillSpan = setupPolygon(polygon);

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
            if (left[y].x < right[y].x) {
                fillSpan(view, y, left[y], right[y]);
            }
        }
    }
}
