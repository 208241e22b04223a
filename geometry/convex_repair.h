// Convex repair of projected polygons.
//
// A clipped polygon is convex in view space, but truncating its projected
// points to whole pixels can leave corners that turn both ways, or sides
// that no longer run monotonically down (and across) the screen. The
// rasterizers need a convex polygon whose two sides run down from its top
// point, so such a polygon is replaced by its convex hull.
#pragma once

#include "raster/screen_polygon.h"

#include <cstddef>
#include <vector>

// Working storage of repairConvex, reused from call to call.
template <typename Point> struct ConvexRepairScratchOf {
    std::vector<Point> sorted;
    std::vector<Point> hull;
};
using ConvexRepairScratch = ConvexRepairScratchOf<ScreenPoint>;

// Leaves the first n points alone when no two corners turn opposite ways
// and both x and y run monotonically along the two sides between the
// extreme points (either winding: a sliver whose truncated corners all turn
// clockwise stays as it is; the fills draw nothing for it, the outline
// still shows). Otherwise replaces them by their convex hull,
// counter-clockwise on the screen, collinear and repeated points left out;
// hull points are original points, depth and intensity included (and, for
// ColoredPoint, the colour). Returns the number of points now in use (at
// most n). A triangle is never changed. Defined for ScreenPoint and
// ColoredPoint, which it treats alike: by their screen position alone.
template <typename Point>
std::size_t repairConvex(std::vector<Point>& points, std::size_t n,
                         ConvexRepairScratchOf<Point>& scratch);
