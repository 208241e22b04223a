// File > Save Image... and Ctrl+S: the picture the window shows, without
// the frame-rate overlay, as a PNG file.
//
// The picture is the frame drawn again as the last pass drew it (same
// meshes, transforms, fill style and colours: input between passes is one
// message, and the save is that message), before any overlay is put on
// it; the window keeps showing the last presented frame until the next
// pass draws and presents as usual. The file is written through
// image::FileWrite::Replace: a new file under the name, renamed over what
// was there only once it is whole, so a failure leaves the old file as it
// was. Where the program has no files of its own (the page), the picture's
// bytes go where AppState::pictureSink hands them instead (a download).
// A failure is told in a message box (caption "Application Message")
// whose text is the writer's "PATH: reason" and that the image was not
// saved. Without a frame (a minimized window) there is no picture: the
// box says so and no dialog opens.
#pragma once

#include <string>

// The save-file dialog (GetSaveFileNameA: PNG pictures, a name suggested
// from the model's file or "octaspin.png", ".png" added to a name without
// an extension, asking before a file is replaced), then saveImage.
void saveImageFromDialog();

// Writes the picture to `path`: true when it is there; false after the
// message box.
bool saveImage(const std::string& path);

// Ctrl+S as WM_CHAR carries it (TranslateMessage's control character).
inline constexpr unsigned kControlS = 'S' - 'A' + 1;
