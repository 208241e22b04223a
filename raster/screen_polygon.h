// The contract between the polygon pipeline and the rasterizers.
//
// The pipeline delivers, per front-facing face, one convex polygon whose
// points lie inside the frame (0 <= x <= maxX, 0 <= y <= maxY) and run
// counter-clockwise on the screen (x right, y down). The rasterizers rely
// on both and do no clipping of their own beyond the frame guards.
//  - Both sides from the top point to the bottom point run monotonically
//    down the screen, so every edge can be stepped from its upper end.
//  - A polygon may have 1 or 2 points (a face that only touches the view
//    pyramid, or one whose corner is the eye itself), or none.
//  - A sliver only a pixel or so wide may come out clockwise when
//    truncation to whole pixels turned it over; the fills draw nothing for
//    it, the outline still shows.
#pragma once

#include "math/vector_math.h"

#include <cstdint>
#include <vector>

struct ScreenPoint {
    std::int32_t x = 0;     // pixel column, 0 at the left
    std::int32_t y = 0;     // pixel row, 0 at the top
    float depth = 0.0f;     // view-space z before projection (larger is farther)
    float intensity = 0.0f; // diffuse lighting, meaningful in Gouraud mode only
};

struct ScreenPolygon {
    std::int32_t pointCount = 0; // 0 when clipping removed the whole face
    Vec3 normal;                 // model-space face normal in Flat mode, else zero
    std::vector<ScreenPoint> points;
};

// One polygon per front-facing face, in ascending face order (faces that
// clipping emptied included). Owned by the caller of buildScreenPolygons;
// everything is released when the list goes out of scope.
struct ScreenPolygonList {
    std::int32_t count = 0;
    std::vector<ScreenPolygon> polygons;
};
