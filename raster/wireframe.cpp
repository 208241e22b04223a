// Polygon outlines: each polygon's two sides drawn from its top point down
// to its bottom point with the line stepper, in the material's line colour
// or, where the list carries the model's own colours, in the diffuse
// product of the polygon's face colour.
#include "raster/line_stepper.h"
#include "raster/polygon_traversal.h"
#include "raster/row_passes.h"

#include <cstddef>
#include <cstdint>

namespace {

// Steps one side from the top point (increasing or decreasing point
// indices) down to the bottom point, drawing the window's rows. Within the
// side the pen is not reset between edges, so each edge starts where the
// previous one ended (possibly a column, or a row and a column, away from
// the shared point) and the offsets add up along the side. The pen only
// moves down, so the side ends once an edge has left it below the window:
// nothing after that lies in the window. The box takes every line's pen
// box as far as it lies in the window's rows; over all windows that is the
// box of the whole frame's pass.
void stepSide(const FrameView& view, const ScreenPoint* points, std::int32_t count,
              const PolygonEnds& ends, std::int32_t direction, const PixelColor& color,
              const RowWindow& window, FrameBox& touched) {
    LinePen pen{points[ends.top].x, points[ends.top].y};
    std::int32_t cur = ends.top;
    do {
        const std::int32_t next = direction > 0 ? nextPoint(cur, count) : previousPoint(cur, count);
        const LinePen start = pen;
        stepLine(view, pen, points[cur], points[next], color, window.begin, window.end);
        FrameBox box = penBox(start, pen);
        box.top = box.top > window.begin ? box.top : window.begin;
        box.bottom = box.bottom < window.end ? box.bottom : window.end;
        touched = unite(touched, box);
        if (pen.y >= window.end) {
            return;
        }
        cur = next;
    } while (cur != ends.bottom);
}

} // namespace

FrameBox wireframeRows(const RenderDevice& device, const FrameView& view,
                       const ScreenPolygonList& list, const RowWindow& window,
                       const PixelColor& color) {
    FrameBox touched;
    const std::int32_t polygonCount = drawablePolygonCount(list);
    const std::uint8_t* masks = windowMasks(list, window, polygonCount, true);
    const Color3* const faceColors = list.hasFaceColors() ? list.colors.faceColors.data() : nullptr;
    for (std::int32_t i = polygonCount - 1; i >= 0; --i) {
        if (masks != nullptr && (masks[i] & window.bands) == 0) {
            continue;
        }
        const ScreenPolygon& polygon = list.polygons[static_cast<std::size_t>(i)];
        if (!polygonDrawable(view, list, polygon)) {
            continue;
        }
        const ScreenPoint* points = list.pointsOf(polygon);
        const std::int32_t count = polygon.pointCount;
        const PolygonEnds ends = findPolygonEnds(points, count);
        // Every pixel of the outline lies in the rows from the top point's
        // to the bottom point's.
        if (points[ends.bottom].y < window.begin || points[ends.top].y >= window.end) {
            continue;
        }
        const PixelColor lines =
            faceColors != nullptr ? lineColor(device.colorProducts(faceColors[i]).diffuse) : color;
        stepSide(view, points, count, ends, +1, lines, window, touched);
        stepSide(view, points, count, ends, -1, lines, window, touched);
    }
    return touched;
}
