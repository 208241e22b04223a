// The rasterizers: what the draw dispatch hands a ScreenPolygonList to, and
// the line drawer the polyline path calls.
//
// Inputs (see geometry/screen_polygon.h): convex polygons whose points lie
// inside the frame and run counter-clockwise on the screen. Coverage rule of
// the fills: rows from the top point's row up to but not including the
// bottom point's row; in each row, columns from the left edge's x up to but
// not including the right edge's x. Depth test: a stored 0.0 is empty and
// always overwritten, otherwise only a strictly smaller depth wins. Lines do
// not read or write depth.
//
// Polygons are drawn from the last in the list to the first. On a device
// without a frame every operation draws nothing.
#pragma once

#include "device/render_device.h"
#include "geometry/screen_polygon.h"

#include <cstdint>

// One-pixel line from the cursor's pixel towards `to`; `from` and `to` give
// the direction and pixel count (from.y <= to.y). On return the cursor holds
// the address of the last pixel drawn. Colour: diffuseProduct.
void drawLine(RenderDevice& device, std::uint8_t*& cursor, const ScreenPoint& from,
              const ScreenPoint& to);

// Outlines of every polygon, each walked from its top point down both sides.
void drawWireframe(RenderDevice& device, const ScreenPolygonList& list);

// One lit colour per polygon (face normal against lightDirInObject), depth tested.
void fillFlat(RenderDevice& device, const ScreenPolygonList& list);

// Colour interpolated from the points' intensities, depth tested.
void fillGouraud(RenderDevice& device, const ScreenPolygonList& list);
