// The entry point's helpers: start-up, one pass of the frame loop, the main
// window procedure, the per-frame model update and render, and shut-down.
// (WinMain itself is declared by platform/core/win32.h; the window's class
// and title are in app/resource.h.)
#pragma once

#include "platform/core/win32.h"

// The main window's outer size at start-up, pixels.
inline constexpr int kWindowWidth = 640;
inline constexpr int kWindowHeight = 480;

// Start-up: registers the window class, creates and shows the main window
// (appState.window), sets up the scene, selects the first fill style (Flat,
// with its check mark in the Render menu) and has the window take dropped
// files (WM_DROPFILES). False when any step fails (the scene's failure has
// told the user); shutdown() then releases what was built. Allocation
// failures surface as std::bad_alloc.
bool startProgram(HINSTANCE instance, int showCommand);

// One pass of the frame loop, which never waits: removes and dispatches at
// most one message, then updates the model rotation and renders a frame.
// False when the message removed was the quit message (nothing is drawn
// then); `message` holds the last message removed.
bool runFramePass(MSG& message);

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// World matrix of the next frame: the drag in progress on top of the
// accumulated rotation, or the accumulated rotation spun one more step
// (restored to a rotation once rounding has made it drift; see
// scene/rigid_rotation.h).
void updateModelRotation();

// Clears, draws the polyhedron (or the open model's meshes, in order) and
// presents one frame.
void renderFrame();

// Releases everything setupScene created: the device (its frame first),
// then the lights, the material and the mesh, and an open model. Safe on a
// partial scene.
void shutdown();
