// Projection of view-space points and clipped polygons, and their mapping
// to pixels: (xp, yp) = transformPoint of the point by projectionMatrix
// (divided by w), column trunc((xp + 1) * maxX * 0.5) and row
// trunc((1 - yp) * maxY * 0.5), truncated toward zero; depth is the
// view-space z before projection.
#pragma once

#include "device/render_device.h"
#include "geometry/convex_repair.h"
#include "raster/screen_polygon.h"

#include <cmath>
#include <cstdint>
#include <vector>

struct ClipPolygon;

// A projected point before truncation, in pixels: x = (xp + 1) * maxX * 0.5
// and y = (1 - yp) * maxY * 0.5, where (xp, yp) = transformPoint of the
// view-space point by projectionMatrix. depth is the view-space z.
struct PixelPosition {
    double x = 0.0;
    double y = 0.0;
    float depth = 0.0f;
    float intensity = 0.0f;
    Color3 color; // the lit colour a point of a coloured polygon carries
};

// The projection and screen mapping of one device, widened to double once
// (exactly: every float and every int here has a double) for mapping many
// points.
struct PixelMapping {
    double m0, m1, m3, m4, m5, m7, m8, m9, m11, m12, m13, m15;
    double maxX;
    double maxY;

    explicit PixelMapping(const RenderDevice& device)
        : m0(device.projectionMatrix[0]), m1(device.projectionMatrix[1]),
          m3(device.projectionMatrix[3]), m4(device.projectionMatrix[4]),
          m5(device.projectionMatrix[5]), m7(device.projectionMatrix[7]),
          m8(device.projectionMatrix[8]), m9(device.projectionMatrix[9]),
          m11(device.projectionMatrix[11]), m12(device.projectionMatrix[12]),
          m13(device.projectionMatrix[13]), m15(device.projectionMatrix[15]), maxX(device.maxX),
          maxY(device.maxY) {}

    // False when the point has no image: view depth 0 (the eye itself, the
    // only point the pyramid admits there; NaN fails too), homogeneous
    // w <= 0 (behind the projection's centre), or a result that is not
    // finite. Intensity is left alone.
    //
    // (xp, yp) are what transformPoint gives, formed with the same
    // operations in the same order (double sums of the float products, one
    // reciprocal of w, each product rounded to a float), without the unused
    // third component.
    bool project(const Vec3& view, PixelPosition& pixel) const {
        if (!(view.z > 0.0f)) {
            return false;
        }
        const double x = view.x;
        const double y = view.y;
        const double z = view.z;
        const double w = x * m3 + y * m7 + z * m11 + m15;
        if (!(w > 0.0)) {
            return false;
        }
        const double r = 1.0 / w;
        const auto xp = static_cast<float>((x * m0 + y * m4 + z * m8 + m12) * r);
        const auto yp = static_cast<float>((x * m1 + y * m5 + z * m9 + m13) * r);
        pixel.x = (static_cast<double>(xp) + 1.0) * maxX * 0.5;
        pixel.y = (1.0 - static_cast<double>(yp)) * maxY * 0.5;
        pixel.depth = view.z;
        return std::isfinite(pixel.x) && std::isfinite(pixel.y);
    }

    // True when truncation toward zero puts the point inside the frame (x
    // in (-1, maxX + 1), y in (-1, maxY + 1)). With a projection that maps
    // the pyramid |x| <= z, |y| <= z onto -1..1 every clipped point does:
    // xp = -1.0000001 of the pyramid's left plane still gives column 0.
    bool landsInFrame(const PixelPosition& pixel) const {
        return pixel.x > -1.0 && pixel.x < maxX + 1.0 && pixel.y > -1.0 && pixel.y < maxY + 1.0;
    }
};

// PixelMapping::project for one point.
inline bool projectToPixel(const RenderDevice& device, const Vec3& view, PixelPosition& pixel) {
    return PixelMapping(device).project(view, pixel);
}

// PixelMapping::landsInFrame for one point.
inline bool landsInFrame(const RenderDevice& device, const PixelPosition& pixel) {
    return PixelMapping(device).landsInFrame(pixel);
}

// x and y truncated toward zero; depth and intensity carried.
inline ScreenPoint truncateToPixel(const PixelPosition& pixel) {
    ScreenPoint point;
    point.x = static_cast<std::int32_t>(pixel.x);
    point.y = static_cast<std::int32_t>(pixel.y);
    point.depth = pixel.depth;
    point.intensity = pixel.intensity;
    return point;
}

// projectToPixel, landsInFrame and truncateToPixel in one: false when the
// point has no image or its pixel would lie outside the frame.
bool mapToPixel(const RenderDevice& device, const Vec3& view, ScreenPoint& pixel);

// x and y truncated toward zero, depth, intensity and colour carried.
inline ColoredPoint truncateToColoredPixel(const PixelPosition& pixel) {
    return ColoredPoint{truncateToPixel(pixel), pixel.color};
}

// Working storage of projectToScreen, reused from call to call.
struct ProjectionScratch {
    std::vector<PixelPosition> projected;
    std::vector<PixelPosition> cut; // the other buffer of the cut to the frame
    ConvexRepairScratch repair;
    ConvexRepairScratchOf<ColoredPoint> coloredRepair;
};

// Projects a clipped polygon and truncates its points to pixels.
//  - Points without an image are dropped; the others keep the clipped order
//    (a polygon may so end with fewer than 3 points, or none).
//  - If a point would land outside the frame (only with a projection that
//    does not map the pyramid onto -1..1), the projected polygon is first cut
//    to the frame rectangle (geometry/frame_clip.h), so the rasterizers never
//    get a point outside the frame.
//  - The truncated points are then made convex (geometry/convex_repair.h).
// Returns the number of points written to `points` (resized to fit).
std::int32_t projectToScreen(const RenderDevice& device, const ClipPolygon& polygon,
                             std::vector<ScreenPoint>& points, ProjectionScratch& scratch);
std::int32_t projectToScreen(const RenderDevice& device, const ClipPolygon& polygon,
                             std::vector<ScreenPoint>& points);
// The same for a polygon that carries colours: each point with its colour,
// interpolated by the cut to the frame as depth is, and kept with its point
// by the convex repair.
std::int32_t projectToScreen(const RenderDevice& device, const ClipPolygon& polygon,
                             std::vector<ColoredPoint>& points, ProjectionScratch& scratch);
