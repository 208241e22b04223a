// A model opened from a file (OBJ, PLY or STL; model/load_model.h), shown
// instead of the polyhedron with the demo's camera, lights, material and
// spin. What differs from the demo:
//  - the projection is undistorted: the demo's perspective with aspect =
//    frame height / frame width (as float), set again whenever the frame's
//    size changes (the demo keeps aspect 1 whatever the window's shape);
//  - the window's title names the file: "NAME - Windows Application";
//  - its meshes are drawn one after another, and a drag starts on any.
// A model comes from the command line (WinMain), File > Open... or Ctrl+O
// (the open-file dialog) and files dropped on the window. Opening resets
// the rotation as File > Reset does; the camera, the colours and the fill
// style stay. A file that cannot be opened is reported in a message box
// (caption "Application Message") and what was shown stays.
#pragma once

#include "geometry/mesh.h"
#include "platform/core/win32_files.h"

#include <span>
#include <string>

// Opens the model at `path`: true when it is now shown; false after the
// message box.
bool openModel(const std::string& path);

// File > Open... and Ctrl+O: the open-file dialog, then openModel.
void openModelFromDialog();

// WM_DROPFILES: opens the first file dropped and gives the drop back.
void openDroppedModel(HDROP drop);

// After the frame's size changed: the model's projection for the new size.
// Nothing while the polyhedron is shown, or while the frame has no size.
void fitModelProjection();

// The meshes a frame draws, in order: the model's, or the polyhedron.
std::span<const Mesh> shownMeshes();

// Ctrl+O as WM_CHAR carries it (TranslateMessage's control character).
inline constexpr unsigned kControlO = 'O' - 'A' + 1;
