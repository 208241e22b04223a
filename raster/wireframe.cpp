// Polygon outlines: each polygon's two sides drawn from its top point down
// to its bottom point with the line stepper.
#include "raster/line_stepper.h"
#include "raster/polygon_traversal.h"
#include "raster/raster.h"

#include <cstddef>
#include <cstdint>

// Within one side the pen is not reset between edges, so each edge starts
// where the previous one ended (possibly a column, or a row and a column,
// away from the shared point) and the offsets add up along the side. Both
// sides start exactly on the top point. Pixels the drift carries outside
// the frame are skipped. The device hears of the box around every pen
// position the lines went through.
void drawWireframe(RenderDevice& device, const ScreenPolygonList& list) {
    FrameView view;
    if (!viewFrame(device, view)) {
        return;
    }
    const PixelColor color = lineColor(device);
    FrameBox touched;
    for (std::int32_t i = drawablePolygonCount(list) - 1; i >= 0; --i) {
        const ScreenPolygon& polygon = list.polygons[static_cast<std::size_t>(i)];
        if (!polygonDrawable(view, polygon)) {
            continue;
        }
        const ScreenPoint* points = polygon.points.data();
        const std::int32_t count = polygon.pointCount;
        const PolygonEnds ends = findPolygonEnds(points, count);

        // First side: towards increasing point indices.
        LinePen pen{points[ends.top].x, points[ends.top].y};
        std::int32_t cur = ends.top;
        do {
            const std::int32_t next = nextPoint(cur, count);
            const LinePen start = pen;
            stepLine(view, pen, points[cur], points[next], color);
            touched = unite(touched, penBox(start, pen));
            cur = next;
        } while (cur != ends.bottom);

        // Second side: towards decreasing point indices.
        pen = LinePen{points[ends.top].x, points[ends.top].y};
        cur = ends.top;
        do {
            const std::int32_t prev = previousPoint(cur, count);
            const LinePen start = pen;
            stepLine(view, pen, points[cur], points[prev], color);
            touched = unite(touched, penBox(start, pen));
            cur = prev;
        } while (cur != ends.bottom);
    }
    device.markDrawn(touched);
}
