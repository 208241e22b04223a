// The program's scene: the device bound to the main window, the demo's
// camera, lights and material (scene/demo_view.h), the Flat fill style with
// its menu check mark, and the polyhedron, all owned by appState.
#pragma once

// Builds the scene for appState.window. False when the device cannot be
// bound to the window (a message box has told the user).
bool setupScene();
