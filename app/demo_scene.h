// The demo scene: device, camera, projection, lights, material, fill style
// and the polyhedron, all owned by appState.
#pragma once

// Builds the scene for appState.window. False when the device cannot be
// bound to the window (a message box has told the user).
bool setupScene();
