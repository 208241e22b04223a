// Small toolkit helpers shared by the desktop backend's windows.
//
// Like every file of the desktop backend that names toolkit types, this one
// stays clear of platform/core/win32.h: the toolkit's X11 headers define names
// (BOOL, Status, None) that clash with it.
#pragma once

#include "platform/core/backend.h"
#include "platform/desktop/image_copy.h"

#include <FL/Enumerations.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Window.H>

#include <memory>

namespace platform::desktop {

// A modal loop re-checks its end condition at least this often, even when
// no event arrives.
constexpr double kModalPollSeconds = 0.25;

// Draws `part` of the canvas, the canvas's origin at (x, y).
void drawCanvas(const RgbCanvas& canvas, const PixelRect& part, int x, int y);

// Fills what a canvas at (x, y) leaves uncovered of a w x h area.
void fillUncovered(const RgbCanvas& canvas, int x, int y, int w, int h, Fl_Color fill);

// A 24-bit icon as a toolkit image; null for an empty view. The image reads
// its pixels from `pixels`, which must outlive it.
std::unique_ptr<Fl_RGB_Image> iconImage(const ImageView& icon, RgbCanvas& pixels);

// Shows a top-level window with its top-left corner at (x, y).
void showAt(Fl_Window* window, int x, int y);

// Gives a shown top-level window the keyboard, as a window manager does for
// a window the user works with.
void giveKeyboardTo(Fl_Window* window);

} // namespace platform::desktop
