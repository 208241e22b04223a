// The page's input in the platform's terms: keys by their physical code
// (KeyboardEvent.code) to virtual-key codes, pointer events on the canvas
// and the wheel to the mouse messages at client pixels, and the open-file dialog's
// filter as the file picker's list of types. Free of browser calls, so it
// is tested in every build.
#pragma once

#include "platform/core/backend.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::web {

// The virtual-key code of a KeyboardEvent.code ("KeyA", "ArrowLeft",
// "Digit7", "F5", ...), or 0 for a key the program has no code for.
// Letters give 0x41 to 0x5A whatever the shift state or layout.
unsigned virtualKeyForCode(std::string_view code);

// The window's button for a pointer event's `button` (0 primary, 1 middle,
// 2 secondary), or nothing for another (-1 none, 3 back, 4 forward), whose
// presses and releases the window does not see. Every move is a move.
std::optional<input::MouseButton> mouseButtonFor(int button);

// The platform's held buttons and keys (input::kLeftButton and the others)
// from a pointer event's `buttons` mask (1 primary, 2 secondary, 4 middle)
// and its Shift and Ctrl keys.
unsigned mouseKeysFor(int buttons, bool shift, bool ctrl);

// The platform's wheel turn (120 a notch, positive away from the user, held
// to 16 bits) for a WheelEvent's deltaY (positive towards the user) in its
// deltaMode: 0 pixels (a notch is 100), 1 lines (a notch is 3), 2 pages
// (a page is a notch). Not a number, or another mode: 0.
int wheelDeltaFor(double deltaY, int deltaMode);

struct ClientPoint {
    int x = 0;
    int y = 0;
};

// The client pixel under a pointer at (offsetX, offsetY) CSS pixels from
// the canvas's top-left corner, the canvas being shown cssWidth x cssHeight
// CSS pixels for width x height pixels (zoom, high-density screens).
// Truncated toward minus infinity, so the pixel that holds the point counts
// even left of or above the canvas (a captured drag goes on outside it);
// held to the 16-bit range that mouse messages carry; a value that is not a
// number counts as 0, a size that is not positive as 1:1.
ClientPoint clientPointFor(double offsetX, double offsetY, double cssWidth, double cssHeight,
                           int width, int height);

// The file picker's `accept` list for a filter's patterns: "*.obj",
// "*.PLY" give ".obj,.PLY" (the picker ignores case). Empty, meaning any
// file, when a pattern is not a plain extension ("*", "*.*", "*.o?j",
// "name.obj"), or there is none: the picker must not hide a file the
// filter lets through.
std::string acceptForPatterns(const std::vector<std::string>& patterns);

} // namespace platform::web
