// The frame as a pass of the frame loop draws it, before it is presented.
#pragma once

// Clears the device's frame and draws the polyhedron (or the open model's
// meshes, in order) into it: the picture without the frame-rate overlay,
// which presenting puts on. False when there is no device or nothing to
// draw (the frame is then untouched).
bool drawShownMeshes();
