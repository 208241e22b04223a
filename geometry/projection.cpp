// Projection of view-space points and clipped polygons, and their mapping
// to pixels.
#include "geometry/projection.h"

#include "geometry/frame_clip.h"
#include "geometry/pipeline.h"

#include <cmath>
#include <cstdint>

bool mapToPixel(const RenderDevice& device, const Vec3& view, ScreenPoint& point) {
    PixelPosition pixel;
    if (!projectToPixel(device, view, pixel) || !landsInFrame(device, pixel)) {
        return false;
    }
    point = truncateToPixel(pixel);
    return true;
}

namespace {

ScreenPoint truncated(const PixelPosition& pixel, const ScreenPoint*) {
    return truncateToPixel(pixel);
}
ColoredPoint truncated(const PixelPosition& pixel, const ColoredPoint*) {
    return truncateToColoredPixel(pixel);
}

ConvexRepairScratch& repairScratch(ProjectionScratch& scratch, const ScreenPoint*) {
    return scratch.repair;
}
ConvexRepairScratchOf<ColoredPoint>& repairScratch(ProjectionScratch& scratch,
                                                   const ColoredPoint*) {
    return scratch.coloredRepair;
}

template <typename Point>
std::int32_t projectPolygon(const RenderDevice& device, const ClipPolygon& polygon,
                            std::vector<Point>& points, ProjectionScratch& scratch) {
    std::vector<PixelPosition>& projected = scratch.projected;
    projected.clear();
    const bool colored =
        polygon.colored && polygon.colors.size() >= static_cast<std::size_t>(polygon.vertexCount);
    bool allLand = true;
    for (std::int32_t q = 0; q < polygon.vertexCount; ++q) {
        const Vertex& v = polygon.vertices[static_cast<std::size_t>(q)];
        PixelPosition pixel;
        if (projectToPixel(device, v.position, pixel)) {
            pixel.intensity = v.intensity;
            if (colored) {
                pixel.color = polygon.colors[static_cast<std::size_t>(q)];
            }
            allLand = allLand && landsInFrame(device, pixel);
            projected.push_back(pixel);
        }
    }
    // Only a projection that does not map the pyramid onto -1..1 leaves
    // points outside the frame; the polygon is then cut to the frame.
    if (!allLand) {
        clipToFrame(projected, scratch.cut, device.maxX, device.maxY);
    }
    std::size_t n = projected.size();
    points.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        points[i] = truncated(projected[i], static_cast<const Point*>(nullptr));
    }
    n = repairConvex(points, n, repairScratch(scratch, static_cast<const Point*>(nullptr)));
    points.resize(n);
    return static_cast<std::int32_t>(n);
}

} // namespace

std::int32_t projectToScreen(const RenderDevice& device, const ClipPolygon& polygon,
                             std::vector<ScreenPoint>& points, ProjectionScratch& scratch) {
    return projectPolygon(device, polygon, points, scratch);
}

std::int32_t projectToScreen(const RenderDevice& device, const ClipPolygon& polygon,
                             std::vector<ColoredPoint>& points, ProjectionScratch& scratch) {
    return projectPolygon(device, polygon, points, scratch);
}

std::int32_t projectToScreen(const RenderDevice& device, const ClipPolygon& polygon,
                             std::vector<ScreenPoint>& points) {
    ProjectionScratch scratch;
    return projectToScreen(device, polygon, points, scratch);
}
