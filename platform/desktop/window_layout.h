// Sizes and control choices of the desktop windows, free of toolkit types.
//
// A top-level window's toolkit window is its whole outer rectangle as the
// program asks for it; the window manager's frame and caption come on top.
// The menu bar takes the top kMenuBarHeight rows and the client area is
// the rest.
#pragma once

#include "platform/backend.h"

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

// The client rectangle (origin 0, 0) of a top-level window of this outer
// size; never negative.
PixelRect clientRectForOuter(int outerWidth, int outerHeight, bool hasMenu);

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
