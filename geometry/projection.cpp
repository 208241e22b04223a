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

std::int32_t projectToScreen(const RenderDevice& device, const ClipPolygon& polygon,
                             std::vector<ScreenPoint>& points, ProjectionScratch& scratch) {
    std::vector<PixelPosition>& projected = scratch.projected;
    projected.clear();
    bool allLand = true;
    for (std::int32_t q = 0; q < polygon.vertexCount; ++q) {
        const Vertex& v = polygon.vertices[static_cast<std::size_t>(q)];
        PixelPosition pixel;
        if (projectToPixel(device, v.position, pixel)) {
            pixel.intensity = v.intensity;
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
        points[i] = truncateToPixel(projected[i]);
    }
    n = repairConvex(points, n, scratch.repair);
    points.resize(n);
    return static_cast<std::int32_t>(n);
}

std::int32_t projectToScreen(const RenderDevice& device, const ClipPolygon& polygon,
                             std::vector<ScreenPoint>& points) {
    ProjectionScratch scratch;
    return projectToScreen(device, polygon, points, scratch);
}
