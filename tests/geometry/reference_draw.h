// The face path as it was before meshes got big, kept as the oracle of the
// differential test: one face at a time, every corner copied and lit and
// moved into view space again for each face, every face through all five
// clip stages and projected with transformPoint, each polygon with points
// of its own, and the fills and the wireframe one column and one polygon
// at a time over the whole frame on one thread. Slow and plain on purpose;
// only the clip stages, the frame cut, the convex repair and colorByte are
// shared with the program (their own tests pin them down).
#pragma once

#include "device/render_device.h"
#include "geometry/mesh.h"

// drawMesh's face path on the device's frame (FaceList mode, a mesh with
// faces); the device hears of the whole frame as drawn.
void referenceDrawMesh(RenderDevice& device, const Mesh& mesh);
