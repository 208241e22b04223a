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
//
// A model's own colours. A mesh with one colour per vertex (Mesh::colors)
// is drawn in them while the device's modelColors switch is on; otherwise,
// and for a mesh without colours, the material's products are used as
// always and the list carries no colours (ListColors below). The rule,
// which makes the frames the same everywhere (every value is a 32-bit
// float, the arithmetic runs in double and each stored result is rounded
// to a float, to nearest):
//  1. Products. A colour C takes the place of the material's ambient and
//     diffuse colour: ambient = La x C and diffuse = Ld x C, channel by
//     channel, La and Ld being the colours of the ambient and the
//     directional light (zero for a slot not set), each the double product
//     of two floats rounded to a float, as the device forms the material's
//     products (RenderDevice::colorProducts).
//  2. Flat. A face's colour is the mean of its corners' colours,
//     (c0 + c1 + c2) / 3 per channel in double, rounded to a float (three
//     equal colours give that colour back exactly). The polygon is lit as
//     with the material: I = max(N . L, 0) (NaN giving 0), per channel
//     v = I x diffuse + ambient in double, the byte trunc(v x 255) with v
//     clamped to 0..1 (NaN giving 0).
//  3. Gouraud. Each vertex's colour is lit at the vertex: with I its
//     intensity as the material's path forms it (the float
//     max(L . n, 0), 0 without a directional light), per channel
//     v = I x diffuse + ambient in double, rounded to a float and not
//     clamped. A point carries these three lit values (the list's point
//     colours), and they are interpolated as intensity is: the clip stages
//     at the edge's own parameter t, from + t x (to - from) in double,
//     rounded; the cut to the frame likewise on the screen; the edge
//     steppers and the spans step each channel as they step intensity
//     (steps rounded to floats, values carried in double, edge entries
//     stored as floats; a span's steps are (right - left) x inv with
//     inv = 1 / (xr - xl) rounded to a float). At each pixel that passes
//     the depth test a channel's value v becomes trunc(v x 255), clamped
//     to 0..1 first (NaN giving 0). A point's `intensity` is not read.
//  4. Wireframe. A polygon's lines take the diffuse product of its face
//     colour (2), trunc(v x 255) per channel, as the material's lines take
//     diffuseProduct.
//  5. A mesh drawn as a polyline (no faces) keeps the material's colour.
#pragma once

#include "device/render_device.h"
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

// A point with the lit colour it carries (rule 3): the pipeline's working
// form of a point of a coloured Gouraud list, whose colours the list keeps
// apart from its points.
struct ColoredPoint {
    ScreenPoint point;
    Color3 color;
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

// The model's own colours in a list (the rule above). The arrays are kept
// from frame to frame like the list's others; `faces` and `points` tell
// whether they belong to this list.
struct ListColors {
    bool faces = false;              // faceColors hold each polygon's face colour (rule 2)
    bool points = false;             // pointColors hold each point's lit colour (rule 3)
    std::vector<Color3> faceColors;  // index-parallel to polygons
    std::vector<Color3> pointColors; // index-parallel to points
};

// One polygon per front-facing face, in ascending face order (faces that
// clipping emptied included).
struct ScreenPolygonList {
    std::int32_t count = 0;
    std::vector<ScreenPolygon> polygons; // may hold more than count from earlier frames
    std::vector<ScreenPoint> points;
    PolygonBands bands;
    ListColors colors;

    const ScreenPoint* pointsOf(const ScreenPolygon& polygon) const {
        return points.data() + polygon.firstPoint;
    }

    // The list carries face colours, one for each of its polygons.
    bool hasFaceColors() const {
        return colors.faces && count >= 0 &&
               colors.faceColors.size() >= static_cast<std::size_t>(count);
    }
    // The list carries point colours, one for each point it holds.
    bool hasPointColors() const {
        return colors.points && colors.pointColors.size() >= points.size();
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
