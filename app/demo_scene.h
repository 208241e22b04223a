// The program's scene: the device bound to the main window, the demo's
// camera, lights and material (scene/demo_view.h) and the polyhedron, all
// owned by appState. The fill style is the device's until start-up selects
// the first one with its menu check mark (app/main_window.h).
#pragma once

// Builds the scene for appState.window. False when the device cannot be
// bound to the window (a message box has told the user).
bool setupScene();
