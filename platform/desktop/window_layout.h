// Sizes, places and control choices of the desktop windows, free of toolkit
// types.
//
// A top-level window's outer rectangle, as the program asks for it, holds
// the window manager's frame (caption and borders) around the toolkit
// window; the menu bar takes the toolkit window's top kMenuBarHeight rows
// and the client area is the rest. When the window manager does not tell
// its frame size the frame counts as zero on every side: the toolkit
// window is then the whole outer rectangle.
#pragma once

#include "platform/core/backend.h"

#include <cstdint>

namespace platform::desktop {

constexpr int kMenuBarHeight = 25;
// Smallest outer size a user can drag the main window to; keeps a client
// area of at least one row under the menu bar.
constexpr int kMinWindowWidth = 120;
constexpr int kMinWindowHeight = kMenuBarHeight + 40;
// Label and field text size in dialogs and message boxes. The dialogs are
// laid out for a classic 8-point dialog font (13 pixels from line to line);
// the toolkit's sans-serif face at this size has the same line height and
// fits the templates' text boxes.
constexpr int kDialogFontSize = 10;

// Pixels of the window manager's frame on each side of a toolkit window.
struct FrameExtents {
    int left = 0;
    int right = 0;
    int top = 0;
    int bottom = 0;
};

struct PixelPoint {
    int x = 0;
    int y = 0;
};

// The toolkit window of a top-level window with this outer rectangle: the
// outer rectangle less the frame, at least 1 x 1 pixels.
PixelRect windowRectInFrame(const PixelRect& outer, const FrameExtents& frame);

// The outer rectangle of a toolkit window at `window`: the frame added.
PixelRect frameAround(const PixelRect& window, const FrameExtents& frame);

// The client rectangle (origin 0, 0) of a toolkit window of this size;
// never negative.
PixelRect clientRectForWindow(int windowWidth, int windowHeight, bool hasMenu);

// The top-left corner that centres an outer rectangle of this size over
// `area`.
PixelPoint centredOver(const PixelRect& area, int outerWidth, int outerHeight);

// Where the toolkit window (width x height) of a dialog or message box
// goes for its frame's top-left corner to be at `outerTopLeft`, moved as
// little as needed for the whole frame to lie on `screen`. A frame larger
// than the screen keeps its top-left corner, and so its caption, on it.
PixelPoint placeOnScreen(PixelPoint outerTopLeft, int width, int height, const FrameExtents& frame,
                         const PixelRect& screen);

enum class ControlKind { Edit, Text, Icon, PushButton, DefaultPushButton, Unsupported };

ControlKind controlKindOf(const ControlView& control);

enum class TextAlign { Left, Center, Right };

// Horizontal placement of a static control's text; other static kinds
// (SS_ICON) are not text.
TextAlign textAlignOf(std::uint32_t style);

// WS_VISIBLE: the control is shown when the dialog opens.
bool isVisible(const ControlView& control);

// A sunken edge (WS_EX_STATICEDGE or WS_EX_CLIENTEDGE) around the control.
bool hasSunkenEdge(const ControlView& control);

// Whether Tab and the initial focus stop at the control: a visible,
// enabled edit field or push button with WS_TABSTOP.
bool isTabStop(const ControlView& control);

} // namespace platform::desktop
