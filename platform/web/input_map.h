// The page's input in the platform's terms: keys by their physical code
// (KeyboardEvent.code) to virtual-key codes, pointer events on the canvas
// to the left-button messages at client pixels, and the open-file dialog's
// filter as the file picker's list of types. Free of browser calls, so it
// is tested in every build.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform::web {

// The virtual-key code of a KeyboardEvent.code ("KeyA", "ArrowLeft",
// "Digit7", "F5", ...), or 0 for a key the program has no code for.
// Letters give 0x41 to 0x5A whatever the shift state or layout.
unsigned virtualKeyForCode(std::string_view code);

// What a pointer event on the canvas means to the window.
enum class PointerKind { Down, Move, Up };
enum class PointerAction { None, LeftDown, Move, LeftUp };

// `button`: the event's button (0 primary, 1 middle, 2 secondary, -1 none).
// Only the primary button presses and releases; every move is a move.
PointerAction pointerActionFor(PointerKind kind, int button);

// Whether the primary button is held, from the event's `buttons` mask.
bool leftButtonHeld(int buttons);

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
