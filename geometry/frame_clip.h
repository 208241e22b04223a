// The screen-space clipper: what keeps projected points inside the frame
// when the projection does not map the view pyramid onto -1..1.
//
// With the demo's projection every clipped point lands in the frame and
// none of this cuts anything; under another projection a point may land
// outside, and the polygon (or polyline segment) is then cut to the frame
// rectangle [0, maxX] x [0, maxY] in pixels before truncation, depth,
// intensity and colour interpolated linearly on the screen as the
// rasterizers interpolate them.
#pragma once

#include "device/render_device.h"
#include "geometry/projection.h"

#include <vector>

// Cuts the convex polygon to the frame rectangle, border by border (left,
// right, top, bottom); `spare` is the other buffer of the alternation.
// The result replaces `polygon`.
void clipToFrame(std::vector<PixelPosition>& polygon, std::vector<PixelPosition>& spare,
                 double maxX, double maxY);

// Leaves a segment whose ends both land in the frame as it is; otherwise cuts
// it to the frame rectangle [0, maxX] x [0, maxY]. False when nothing of it
// lies inside.
bool clipSegmentToFrame(const RenderDevice& device, PixelPosition& a, PixelPosition& b);
