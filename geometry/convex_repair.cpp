// Convex repair: the truncated points checked for convexity and, when
// truncation broke it, replaced by their convex hull.
#include "geometry/convex_repair.h"

#include <algorithm>
#include <cstdint>

namespace {

const ScreenPoint& at(const ScreenPoint& p) {
    return p;
}
const ScreenPoint& at(const ColoredPoint& p) {
    return p.point;
}

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
template <typename Point, typename Coordinate>
bool monotonicSides(const std::vector<Point>& points, std::size_t n, Coordinate coordinate) {
    int previous = 0;
    int first = 0;
    int changes = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::int32_t from = coordinate(at(points[i]));
        const std::int32_t to = coordinate(at(points[i + 1 == n ? 0 : i + 1]));
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
template <typename Point> bool convexAndMonotonic(const std::vector<Point>& points, std::size_t n) {
    if (n < 3) {
        return true;
    }
    bool left = false;
    bool right = false;
    for (std::size_t i = 0; i < n; ++i) {
        const ScreenPoint& a = at(points[i == 0 ? n - 1 : i - 1]);
        const ScreenPoint& b = at(points[i]);
        const ScreenPoint& c = at(points[i + 1 == n ? 0 : i + 1]);
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
template <typename Point>
std::size_t convexHull(std::vector<Point>& points, std::size_t n,
                       ConvexRepairScratchOf<Point>& scratch) {
    if (n < 3) {
        return n;
    }
    std::vector<Point>& sorted = scratch.sorted;
    sorted.assign(points.begin(), points.begin() + static_cast<std::ptrdiff_t>(n));
    std::sort(sorted.begin(), sorted.end(), [](const Point& a, const Point& b) {
        return at(a).x < at(b).x || (at(a).x == at(b).x && at(a).y < at(b).y);
    });
    std::vector<Point>& hull = scratch.hull;
    hull.resize(2 * n);
    std::size_t k = 0;
    // Lower and upper chains, keeping only corners that turn the hull's way
    // (positive turn: clockwise on the screen; reversed below).
    for (std::size_t i = 0; i < n; ++i) {
        while (k >= 2 && turn(at(hull[k - 2]), at(hull[k - 1]), at(sorted[i])) <= 0) {
            --k;
        }
        hull[k++] = sorted[i];
    }
    const std::size_t lowerSize = k + 1;
    for (std::size_t i = n - 1; i-- > 0;) {
        while (k >= lowerSize && turn(at(hull[k - 2]), at(hull[k - 1]), at(sorted[i])) <= 0) {
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

} // namespace

template <typename Point>
std::size_t repairConvex(std::vector<Point>& points, std::size_t n,
                         ConvexRepairScratchOf<Point>& scratch) {
    return convexAndMonotonic(points, n) ? n : convexHull(points, n, scratch);
}

template std::size_t repairConvex(std::vector<ScreenPoint>&, std::size_t,
                                  ConvexRepairScratchOf<ScreenPoint>&);
template std::size_t repairConvex(std::vector<ColoredPoint>&, std::size_t,
                                  ConvexRepairScratchOf<ColoredPoint>&);
