// One pass of each rasterizer over a window of rows: what a thread drawing
// one band of the frame runs (raster/draw_polygons.cpp shares the bands
// out), and what a single-thread draw runs over the whole frame. A pass
// reads the device and the list, writes pixels and depths in its rows
// only, and returns the box around what it drew for the caller to report
// (markDrawn is the device's thread's business).
#pragma once

#include "device/render_device.h"
#include "raster/edge_tables.h"
#include "raster/frame_access.h"
#include "raster/scan_fill.h"
#include "raster/span_groups.h"

FrameBox fillFlatRows(const RenderDevice& device, const FrameView& view,
                      const ScreenPolygonList& list, const RowWindow& window,
                      const EdgeTables<EdgeEntry>& tables, SpanPath path);

FrameBox fillGouraudRows(const RenderDevice& device, const FrameView& view,
                         const ScreenPolygonList& list, const RowWindow& window,
                         const EdgeTables<ShadedEdgeEntry>& tables, SpanPath path);

// For a list whose points carry lit colours (hasPointColors): the
// Gouraud fill with their channels in place of intensity.
FrameBox fillColoredGouraudRows(const FrameView& view, const ScreenPolygonList& list,
                                const RowWindow& window, const EdgeTables<ColoredEdgeEntry>& tables,
                                SpanPath path);

// Lines in `color`, or, for a list that carries face colours
// (hasFaceColors), in the diffuse product of each polygon's face colour.
FrameBox wireframeRows(const RenderDevice& device, const FrameView& view,
                       const ScreenPolygonList& list, const RowWindow& window,
                       const PixelColor& color);
