// Projection of view-space points and clipped polygons, and their mapping
// to pixels.
#include "geometry/projection.h"

#include "geometry/frame_clip.h"
#include "geometry/pipeline.h"

#include <cmath>
#include <cstdint>

bool projectToPixel(const RenderDevice& device, const Vec3& view, PixelPosition& pixel) {
    const Matrix4& p = device.projectionMatrix;
    // View depth 0 is the eye: no image. (NaN fails the test as well.)
    if (!(view.z > 0.0f)) {
        return false;
    }
    // The homogeneous w; a point with w <= 0 lies behind the projection's
    // centre and has no image either.
    const double w = view.x * static_cast<double>(p[3]) + view.y * static_cast<double>(p[7]) +
                     view.z * static_cast<double>(p[11]) + p[15];
    if (!(w > 0.0)) {
        return false;
    }
    Vec3 projected;
    transformPoint(projected, p, view);
    pixel.x = (static_cast<double>(projected.x) + 1.0) * device.maxX * 0.5;
    pixel.y = (1.0 - static_cast<double>(projected.y)) * device.maxY * 0.5;
    pixel.depth = view.z;
    return std::isfinite(pixel.x) && std::isfinite(pixel.y);
}

bool landsInFrame(const RenderDevice& device, const PixelPosition& pixel) {
    // Truncation toward zero takes (-1, 0) to column 0 and (maxX, maxX + 1)
    // to maxX: xp = -1.0000001 of the pyramid's left plane still gives 0.
    return pixel.x > -1.0 && pixel.x < device.maxX + 1.0 && pixel.y > -1.0 &&
           pixel.y < device.maxY + 1.0;
}

ScreenPoint truncateToPixel(const PixelPosition& pixel) {
    ScreenPoint point;
    point.x = static_cast<std::int32_t>(pixel.x);
    point.y = static_cast<std::int32_t>(pixel.y);
    point.depth = pixel.depth;
    point.intensity = pixel.intensity;
    return point;
}

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
