// The polygon pipeline: one mesh with faces in, one ScreenPolygonList out.
//
// Stages, in order (each in its own file):
//  1. pipeline.cpp  cull back faces in model space against eyeInObject, move
//                   every vertex into view space (dropping the whole mesh
//                   when one lies beyond farPlane) and light it for Gouraud;
//  2. clip.cpp      clip each kept face against the view pyramid
//                   |x| <= z, |y| <= z, z >= 0, one plane at a time;
//  3. projection.cpp  project the clipped points and map them to pixels;
//     frame_clip.cpp  cut them to the frame when the projection does not fit
//                     the pyramid; convex_repair.cpp  make them convex again
//                     when truncation to pixels broke that.
//
// View space: x right, y up, z away from the eye. Screen: x right, y down.
#pragma once

#include "device/render_device.h"
#include "geometry/clip.h"
#include "geometry/mesh.h"
#include "geometry/projection.h"
#include "raster/screen_polygon.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// A face the eye sees: its number in the mesh and its vertex indices.
struct KeptFace {
    std::size_t face = 0; // any count, not only 16 bits
    std::uint16_t i0 = 0;
    std::uint16_t i1 = 0;
    std::uint16_t i2 = 0;
};

// The drawing path's working storage, kept by the device between frames
// (its pipelineScratch) so that a steady frame allocates nothing: only the
// memory survives from one call to the next, never a value that is read.
struct PipelineScratch {
    std::vector<KeptFace> kept;
    std::vector<Vertex> view; // the mesh's vertices in view space
    ClipPolygon a{10};        // the clip stages alternate between a and b
    ClipPolygon b{10};
    ProjectionScratch projection;
    // The result. Its `polygons` may hold more entries than `count` (and
    // each its points) from earlier calls; only the first `count` belong
    // to this one.
    ScreenPolygonList list;
    // The polyline path.
    ClipPolygon lineA{0};
    ClipPolygon lineB{0};
    std::vector<PixelPosition> linePixels;
};

// The device's working storage, made on first use.
PipelineScratch& pipelineScratchOf(RenderDevice& device);

// Culls, transforms, lights, clips and projects the mesh. Needs faceCount
// >= 1 and current face normals. One polygon per front-facing face in
// ascending face order (count 0 and no polygons when none faces the eye or
// a vertex lies beyond farPlane); a polygon that clipping emptied has
// pointCount 0. Reads the device, writes nothing in it.
ScreenPolygonList buildScreenPolygons(const RenderDevice& device, const Mesh& mesh);

// The same into scratch.list, reusing its memory: count and the first
// `count` polygons are the result.
void buildScreenPolygons(const RenderDevice& device, const Mesh& mesh, PipelineScratch& scratch);
