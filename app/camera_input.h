// Keyboard camera and mouse-drag rotation of the polyhedron.
#pragma once

#include "device/render_device.h"
#include "geometry/mesh.h"
#include "platform/core/win32.h"

// Turn step of the arrow keys (radians), step of A and Z along the unit
// view direction, step of X and C along the camera's right axis, drag
// angle per pixel of pointer distance (radians).
inline constexpr float kTurnStep = 0.05f;
inline constexpr float kWalkStep = 4.0f;
inline constexpr float kPanStep = 5.0f;
inline constexpr float kDragRadiansPerPixel = 0.01f;
// A refuses a step that would leave the eye nearer than this to the
// target: the view direction must keep a length to be normalized.
inline constexpr float kMinEyeToTarget = 1.0f;

// WM_KEYDOWN: arrows turn the view direction about the world's Y and X
// axes through the eye, A and Z walk the eye towards or away from the
// target, X and C slide eye and target along the camera's right axis.
void handleCameraKey(WPARAM virtualKey);

// WM_LBUTTONDOWN at client (x, y): starts a drag when the point is on the
// polyhedron (or on the open model).
void handleLeftButtonDown(int x, int y);
// WM_MOUSEMOVE: while dragging with the left button held, rebuilds the drag
// rotation from the pointer's offset to the press point.
void handleMouseMove(WPARAM keyState, int x, int y);
// WM_LBUTTONUP: ends the drag and folds its rotation in (keeping the result
// a rotation, as the spin does).
void handleLeftButtonUp();

// True when client point (x, y) lies inside the screen projection of at
// least one face of the mesh under the device's current transforms (even-odd
// rule). Faces with a vertex at or behind the camera plane are left out:
// their projection is meaningless.
bool hitTestMesh(const RenderDevice& device, const Mesh& mesh, int x, int y);
