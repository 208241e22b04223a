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
//
// Storage: the points of every polygon sit in one array, a polygon naming
// its first point and how many follow. The list is kept and refilled from
// frame to frame, so once its arrays have grown a frame allocates nothing.
#pragma once

#include "math/vector_math.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

struct ScreenPoint {
    std::int32_t x = 0;     // pixel column, 0 at the left
    std::int32_t y = 0;     // pixel row, 0 at the top
    float depth = 0.0f;     // view-space z before projection (larger is farther)
    float intensity = 0.0f; // diffuse lighting, meaningful in Gouraud mode only
};

struct ScreenPolygon {
    std::int32_t firstPoint = 0; // index of its first point in the list's points
    std::int32_t pointCount = 0; // 0 when clipping removed the whole face
    Vec3 normal;                 // model-space face normal in Flat mode, else zero
};

// How the polygons fall into horizontal bands of the frame, so that the
// rasterizers can draw the bands on several threads at once (each band
// draws every polygon that reaches it, in list order, but only its own
// rows), and pass over polygons that draw nothing there without reading
// them. Band b holds rows b * rowsPerBand up to (b + 1) * rowsPerBand - 1.
// Optional: a list without bands (count 0) is drawn in one pass over every
// polygon.
struct PolygonBands {
    static constexpr std::int32_t kMaxBands = 8;

    std::int32_t count = 0;
    std::int32_t rowsPerBand = 0;
    std::int32_t frameRows = 0; // the frame's height they were made for; others ignore them
    // Per polygon, bit b set when its rows from the top point's to the
    // bottom point's (both included) reach band b. With fillsOnly, the rows
    // the fills draw: up to the bottom point's row, not including it, and
    // none for a polygon whose points lie in one row or one column (the
    // fill rule covers no pixel of it); the wireframe then looks at every
    // polygon.
    std::vector<std::uint8_t> masks;
    bool fillsOnly = false;
    // Per band, the drawing work its polygons bring (raster/polygon_bands.h),
    // for sharing the bands out evenly.
    std::int64_t work[kMaxBands] = {};
};

// One polygon per front-facing face, in ascending face order (faces that
// clipping emptied included).
struct ScreenPolygonList {
    std::int32_t count = 0;
    std::vector<ScreenPolygon> polygons; // may hold more than count from earlier frames
    std::vector<ScreenPoint> points;
    PolygonBands bands;

    const ScreenPoint* pointsOf(const ScreenPolygon& polygon) const {
        return points.data() + polygon.firstPoint;
    }

    // Appends a polygon with these points (lists built by hand).
    void add(std::initializer_list<ScreenPoint> polygonPoints, const Vec3& normal = {}) {
        add(std::vector<ScreenPoint>(polygonPoints), normal);
    }
    void add(const std::vector<ScreenPoint>& polygonPoints, const Vec3& normal = {}) {
        ScreenPolygon polygon;
        polygon.firstPoint = static_cast<std::int32_t>(points.size());
        polygon.pointCount = static_cast<std::int32_t>(polygonPoints.size());
        polygon.normal = normal;
        points.insert(points.end(), polygonPoints.begin(), polygonPoints.end());
        polygons.resize(static_cast<std::size_t>(count));
        polygons.push_back(polygon);
        count += 1;
    }
};
