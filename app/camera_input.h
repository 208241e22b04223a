// Keyboard camera, mouse-drag rotation of the polyhedron, and the camera's
// wheel walk and pan.
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
// A wheel turn with Shift held walks this many times as far.
inline constexpr float kShiftWheelFactor = 5.0f;

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

// WM_MOUSEWHEEL: walks the eye towards the target (a turn away from the
// user, delta > 0) or away from it, kWalkStep for each notch of WHEEL_DELTA
// and in proportion for a part of one, kShiftWheelFactor times as far with
// MK_SHIFT; a step that would leave the eye nearer than kMinEyeToTarget to
// the target is refused, as A's is. So one notch is one A or Z.
void handleMouseWheel(WPARAM wParam);

// WM_MBUTTONDOWN and WM_RBUTTONDOWN at client (x, y): `button` (MK_MBUTTON
// or MK_RBUTTON) starts a pan, on the model or beside it.
void handlePanButtonDown(unsigned button, int x, int y);
// WM_MOUSEMOVE: while the pan's button is held, slides eye and target in
// the camera's plane (along its right and up axes) so that the point under
// the pointer at the target's depth stays under the pointer: a move of
// (dx, dy) pixels moves the camera by -dx * 2z / (sx * maxX) along its
// right axis and dy * 2z / (sy * maxY) along its up axis, z = |target -
// eye| and sx, sy the projection's scales (elements 0 and 5), in double,
// from the camera as it stands.
void handlePanMove(WPARAM keyState, int x, int y);
// WM_MBUTTONUP and WM_RBUTTONUP: the release of the pan's button ends it.
void handlePanButtonUp(unsigned button);

// True when client point (x, y) lies inside the screen projection of at
// least one face of the mesh under the device's current transforms (even-odd
// rule). Faces with a vertex at or behind the camera plane are left out:
// their projection is meaningless.
bool hitTestMesh(const RenderDevice& device, const Mesh& mesh, int x, int y);
