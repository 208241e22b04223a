// Projection of clipped polygons and their mapping to pixels.
#include "geometry/pipeline.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// z of (b - a) x (c - b) for screen points (x right, y down): negative where
// a polygon that runs counter-clockwise on the screen turns, positive at a
// reflex corner of such a polygon.
std::int64_t turn(const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c) {
    const std::int64_t ux = std::int64_t{b.x} - a.x;
    const std::int64_t uy = std::int64_t{b.y} - a.y;
    const std::int64_t vx = std::int64_t{c.x} - b.x;
    const std::int64_t vy = std::int64_t{c.y} - b.y;
    return ux * vy - uy * vx;
}

// True when the closed sequence of values rises and falls at most once
// around the polygon (plateaus allowed): both of its sides between the
// extreme points are monotonic.
template <typename Coordinate>
bool monotonicSides(const std::vector<ScreenPoint>& points, std::size_t n, Coordinate coordinate) {
    int previous = 0;
    int first = 0;
    int changes = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::int32_t from = coordinate(points[i]);
        const std::int32_t to = coordinate(points[i + 1 == n ? 0 : i + 1]);
        const int sign = (to > from) - (to < from);
        if (sign == 0) {
            continue;
        }
        if (first == 0) {
            first = sign;
        } else if (sign != previous) {
            ++changes;
        }
        previous = sign;
    }
    if (previous != 0 && previous != first) {
        ++changes; // the change across the closing edge
    }
    return changes <= 2;
}

// Convex and wound once: no two corners turn opposite ways, and both x and
// y run monotonically along the two sides. Either winding is accepted: a
// sliver whose truncated corners run clockwise stays as it is (the fills
// draw nothing for it, the outline still shows).
bool convexAndMonotonic(const std::vector<ScreenPoint>& points, std::size_t n) {
    if (n < 3) {
        return true;
    }
    bool left = false;
    bool right = false;
    for (std::size_t i = 0; i < n; ++i) {
        const ScreenPoint& a = points[i == 0 ? n - 1 : i - 1];
        const ScreenPoint& b = points[i];
        const ScreenPoint& c = points[i + 1 == n ? 0 : i + 1];
        const std::int64_t t = turn(a, b, c);
        left = left || t < 0;
        right = right || t > 0;
    }
    if (left && right) {
        return false;
    }
    return monotonicSides(points, n, [](const ScreenPoint& p) { return p.y; }) &&
           monotonicSides(points, n, [](const ScreenPoint& p) { return p.x; });
}

// The convex hull of the points (monotone chain), counter-clockwise on the
// screen, collinear and repeated points left out. Hull points are original
// points, depth and intensity included.
std::size_t convexHull(std::vector<ScreenPoint>& points, std::size_t n,
                       ProjectionScratch& scratch) {
    if (n < 3) {
        return n;
    }
    std::vector<ScreenPoint>& sorted = scratch.sorted;
    sorted.assign(points.begin(), points.begin() + static_cast<std::ptrdiff_t>(n));
    std::sort(sorted.begin(), sorted.end(), [](const ScreenPoint& a, const ScreenPoint& b) {
        return a.x < b.x || (a.x == b.x && a.y < b.y);
    });
    std::vector<ScreenPoint>& hull = scratch.hull;
    hull.resize(2 * n);
    std::size_t k = 0;
    // Lower and upper chains, keeping only corners that turn the hull's way
    // (positive turn: clockwise on the screen; reversed below).
    for (std::size_t i = 0; i < n; ++i) {
        while (k >= 2 && turn(hull[k - 2], hull[k - 1], sorted[i]) <= 0) {
            --k;
        }
        hull[k++] = sorted[i];
    }
    const std::size_t lowerSize = k + 1;
    for (std::size_t i = n - 1; i-- > 0;) {
        while (k >= lowerSize && turn(hull[k - 2], hull[k - 1], sorted[i]) <= 0) {
            --k;
        }
        hull[k++] = sorted[i];
    }
    if (k > 1) {
        --k; // the last point repeats the first
    }
    std::reverse(hull.begin(), hull.begin() + static_cast<std::ptrdiff_t>(k));
    std::copy(hull.begin(), hull.begin() + static_cast<std::ptrdiff_t>(k), points.begin());
    return k;
}

// The side of one frame border that lies inside, as a signed distance in
// pixels: x >= 0, x <= maxX, y >= 0, y <= maxY.
enum class Border { Left, Right, Top, Bottom };

double insideDistance(Border border, const PixelPosition& p, double maxX, double maxY) {
    switch (border) {
    case Border::Left:
        return p.x;
    case Border::Right:
        return maxX - p.x;
    case Border::Top:
        return p.y;
    case Border::Bottom:
        return maxY - p.y;
    }
    return 0.0;
}

// Where edge a -> b meets the border: the border's coordinate exactly, the
// other coordinate, depth and intensity interpolated linearly on the screen
// (as the rasterizers interpolate them).
PixelPosition borderCrossing(Border border, const PixelPosition& a, const PixelPosition& b,
                             double da, double db, double maxX, double maxY) {
    const double t = da / (da - db);
    PixelPosition c;
    c.x = a.x + t * (b.x - a.x);
    c.y = a.y + t * (b.y - a.y);
    c.depth = static_cast<float>(a.depth + t * (static_cast<double>(b.depth) - a.depth));
    c.intensity =
        static_cast<float>(a.intensity + t * (static_cast<double>(b.intensity) - a.intensity));
    switch (border) {
    case Border::Left:
        c.x = 0.0;
        break;
    case Border::Right:
        c.x = maxX;
        break;
    case Border::Top:
        c.y = 0.0;
        break;
    case Border::Bottom:
        c.y = maxY;
        break;
    }
    return c;
}

// The convex polygon cut down to the frame rectangle, border by border.
void clipToFrame(std::vector<PixelPosition>& polygon, std::vector<PixelPosition>& out, double maxX,
                 double maxY) {
    for (Border border : {Border::Left, Border::Right, Border::Top, Border::Bottom}) {
        out.clear();
        const std::size_t n = polygon.size();
        for (std::size_t i = 0; i < n; ++i) {
            const PixelPosition& a = polygon[i];
            const PixelPosition& b = polygon[i + 1 == n ? 0 : i + 1];
            const double da = insideDistance(border, a, maxX, maxY);
            const double db = insideDistance(border, b, maxX, maxY);
            if (da >= 0.0) {
                out.push_back(a);
                if (db < 0.0) {
                    out.push_back(borderCrossing(border, a, b, da, db, maxX, maxY));
                }
            } else if (db >= 0.0) {
                out.push_back(borderCrossing(border, a, b, da, db, maxX, maxY));
            }
        }
        polygon.swap(out);
    }
}

} // namespace

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

bool clipSegmentToFrame(const RenderDevice& device, PixelPosition& a, PixelPosition& b) {
    if (landsInFrame(device, a) && landsInFrame(device, b)) {
        return true;
    }
    // Parametric clip of a + t (b - a), t in 0..1, against the four borders.
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    double enter = 0.0;
    double leave = 1.0;
    const double step[4] = {-dx, dx, -dy, dy};
    const double room[4] = {a.x, device.maxX - a.x, a.y, device.maxY - a.y};
    for (int k = 0; k < 4; ++k) {
        if (step[k] == 0.0) {
            if (room[k] < 0.0) {
                return false; // parallel to this border and outside it
            }
            continue;
        }
        const double t = room[k] / step[k];
        if (step[k] < 0.0) {
            enter = std::max(enter, t);
        } else {
            leave = std::min(leave, t);
        }
    }
    if (enter > leave) {
        return false;
    }
    const PixelPosition from = a;
    auto at = [&](double t) {
        PixelPosition p = from;
        p.x = std::clamp(from.x + t * dx, 0.0, static_cast<double>(device.maxX));
        p.y = std::clamp(from.y + t * dy, 0.0, static_cast<double>(device.maxY));
        return p;
    };
    const PixelPosition to = at(leave);
    a = at(enter);
    b = to;
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
    if (!convexAndMonotonic(points, n)) {
        n = convexHull(points, n, scratch);
    }
    points.resize(n);
    return static_cast<std::int32_t>(n);
}

std::int32_t projectToScreen(const RenderDevice& device, const ClipPolygon& polygon,
                             std::vector<ScreenPoint>& points) {
    ProjectionScratch scratch;
    return projectToScreen(device, polygon, points, scratch);
}
