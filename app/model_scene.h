// A model opened from a file (OBJ, PLY or STL; model/load_model.h), shown
// instead of the polyhedron with the demo's lights, material and spin.
// What differs from the demo:
//  - the projection is undistorted: the demo's perspective with aspect =
//    frame height / frame width (as float), set again whenever the frame's
//    size changes (the demo keeps aspect 1 whatever the window's shape);
//  - the camera frames it (app/camera_framing.h) when it opens, on View >
//    Fit and on File > Reset;
//  - the window's title names the file, and what the loader left out of
//    it (its notes, "; " between them): "NAME - Windows Application",
//    "NAME (materials file not found: a.mtl) - Windows Application";
//  - its meshes are drawn one after another, and a drag starts on any.
// A model comes from the command line (WinMain), File > Open... or Ctrl+O
// (the open-file dialog) and files dropped on the window. Opening resets
// the rotation as File > Reset does and frames the camera; the colours
// and the fill style stay, and a model with colours of its own is drawn
// in them (Render > Model Colors, app/model_colors_item.h). A file that
// cannot be opened is reported in a message box (caption "Application
// Message") and what was shown stays. The window programs load in the
// background (app/model_loading.h).
#pragma once

#include "geometry/mesh.h"
#include "model/load_model.h"
#include "platform/core/win32_files.h"

#include <span>
#include <string>
#include <vector>

// Opens the model at `path`. Loading now (ModelLoadMode::Now,
// app/model_loading.h): true when it is shown; false after the message
// box. In the background: starts the load and returns true.
bool openModel(const std::string& path);

// Shows `loaded`, read from `path`, in place of what was shown: the model,
// its path, the rotation reset, its projection, the framed camera and the
// title. The one place where a model is installed, whichever way it was
// loaded.
void installLoadedModel(model::LoadedModel loaded, const std::string& path);

// The window's title for a model read from `path` with the loader's notes:
// "NAME - Windows Application", or "NAME (NOTE; NOTE) - Windows Application".
std::string modelTitle(const std::string& path, const std::vector<std::string>& notes);

// The window's title for what is shown: modelTitle for a model, "Windows
// Application" for the polyhedron.
std::string shownTitle();

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
