// Draw dispatch: the one call through which a mesh reaches the frame.
#pragma once

#include "device/render_device.h"
#include "geometry/mesh.h"
#include "geometry/pipeline.h"

#include <cstdint>

// Draws the mesh into the device's frame.
//  - FaceList mode (it wins when both bits are set): a mesh with faces goes
//    through buildScreenPolygons and then to the rasterizers that renderMode
//    selects, always in the order flat fill, Gouraud fill, wireframe. A mesh
//    without faces draws nothing.
//  - LineStrip mode: a mesh without faces is drawn as an open polyline
//    through its vertices (drawPolyline); a mesh with faces draws nothing.
// On a device without a frame nothing is drawn.
void drawMesh(RenderDevice& device, const Mesh& mesh);

// The polyline path: the vertices, in order and not closed, moved into view
// space, clipped to the view pyramid as one closed polygon with the tail
// rule applied after every stage (see draw_mesh.cpp), projected, and drawn
// as one-pixel lines in diffuseProduct's colour.
void drawPolyline(RenderDevice& device, const Mesh& mesh);

// The clipping half of the polyline path: the vertices moved into view
// space (world x view, divided by w) and clipped through the five stages,
// each stage's output trimmed by the tail rule. The view-space result goes
// to `result` (grown as needed); returns its vertex count, 0 when fewer
// than two vertices were given or nothing lies inside the pyramid.
std::int32_t clipPolyline(const RenderDevice& device, const Mesh& mesh, ClipPolygon& result);

// The same with `spare` as the stages' other buffer (both grow as needed).
std::int32_t clipPolyline(const RenderDevice& device, const Mesh& mesh, ClipPolygon& result,
                          ClipPolygon& spare);
