// Projection of view-space points and clipped polygons, and their mapping
// to pixels: (xp, yp) = transformPoint of the point by projectionMatrix
// (divided by w), column trunc((xp + 1) * maxX * 0.5) and row
// trunc((1 - yp) * maxY * 0.5), truncated toward zero; depth is the
// view-space z before projection.
#pragma once

#include "device/render_device.h"
#include "geometry/convex_repair.h"
#include "raster/screen_polygon.h"

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
};

// False when the point has no image: view depth 0 (the eye itself, the only
// point the pyramid admits there), homogeneous w <= 0, or a result that is
// not finite. Intensity is left alone.
bool projectToPixel(const RenderDevice& device, const Vec3& view, PixelPosition& pixel);

// True when truncation toward zero puts the point inside the frame (x in
// (-1, maxX + 1), y in (-1, maxY + 1)). With a projection that maps the
// pyramid |x| <= z, |y| <= z onto -1..1 every clipped point does.
bool landsInFrame(const RenderDevice& device, const PixelPosition& pixel);

// x and y truncated toward zero; depth and intensity carried.
ScreenPoint truncateToPixel(const PixelPosition& pixel);

// projectToPixel, landsInFrame and truncateToPixel in one: false when the
// point has no image or its pixel would lie outside the frame.
bool mapToPixel(const RenderDevice& device, const Vec3& view, ScreenPoint& pixel);

// Working storage of projectToScreen, reused from call to call.
struct ProjectionScratch {
    std::vector<PixelPosition> projected;
    std::vector<PixelPosition> cut; // the other buffer of the cut to the frame
    ConvexRepairScratch repair;
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
