// The rasterizers: what the draw dispatch hands a ScreenPolygonList to, and
// the line drawer the polyline path calls.
//
// Inputs (see raster/screen_polygon.h): convex polygons whose points lie
// inside the frame and run counter-clockwise on the screen. Coverage rule of
// the fills: rows from the top point's row up to but not including the
// bottom point's row; in each row, columns from the left edge's x up to but
// not including the right edge's x. Depth test: a stored 0.0 is empty and
// always overwritten, otherwise only a strictly smaller depth wins. Lines do
// not read or write depth.
//
// Polygons are drawn from the last in the list to the first. On a device
// without a frame every operation draws nothing.
//
// Threads: a list with bands (PolygonBands) and enough work is drawn in
// bands of rows on the device's worker threads, each band drawing every
// polygon in list order but only its own rows, so every pixel sees the
// same depth tests and line writes in the same order as in one pass; the
// frames are the same bytes for every thread count. Other lists are drawn
// on the calling thread.
//
// Guards (the pixel and depth memory are never touched outside their
// bounds, whatever the input):
//  - a device whose frame fields disagree (sizes, pitch, rowStart,
//    frameBytes) counts as having no frame;
//  - a polygon with a point outside the frame, or with fewer points than
//    pointCount, is skipped by all three rasterizers; the rest is drawn;
//  - line pixels that step past a border (the early column step of a steep
//    line, the drift along a wireframe side) are skipped, not wrapped;
//  - a list whose count exceeds the polygons it holds draws what it holds;
//  - a color channel is clamped to 0..1 (NaN to 0) before it becomes a
//    byte, so bad products or colours never make an out-of-range
//    conversion;
//  - a list whose colour arrays (ListColors) are shorter than its polygons
//    or points is drawn in the material's colours;
//  - when the edge tables cannot be allocated a fill draws nothing.
#pragma once

#include "device/render_device.h"
#include "raster/screen_polygon.h"

#include <cstdint>

// One-pixel line from the cursor's pixel towards `to`; `from` and `to` give
// the direction and pixel count (from.y <= to.y). On return the cursor holds
// the address of the last pixel drawn (when that pixel lay outside the
// frame and was skipped: the nearest pixel inside it, so the cursor stays a
// valid address). Color: diffuseProduct. A cursor that does not address a
// pixel of the frame, or an end point outside it, draws nothing and leaves
// the cursor unchanged.
void drawLine(RenderDevice& device, std::uint8_t*& cursor, const ScreenPoint& from,
              const ScreenPoint& to);

// The rasterizers renderMode selects, in the order flat fill, Gouraud fill,
// wireframe (the lines over the fills), in one pass over the list.
void drawPolygons(RenderDevice& device, const ScreenPolygonList& list, std::uint32_t renderMode);

// Outlines of every polygon, each walked from its top point down both
// sides, in diffuseProduct or, where the list carries the model's own
// colours, in the diffuse product of each polygon's face colour.
void drawWireframe(RenderDevice& device, const ScreenPolygonList& list);

// One lit color per polygon (face normal against lightDirInObject; the
// material's products, or its face colour's where the list carries the
// model's own colours), depth tested. A polygon that covers no pixel (its
// points in one row or one column) costs only a look at its points.
void fillFlat(RenderDevice& device, const ScreenPolygonList& list);

// Color interpolated from the points' intensities, or from their lit
// colours where the list carries them, depth tested.
void fillGouraud(RenderDevice& device, const ScreenPolygonList& list);
