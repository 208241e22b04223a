// What the window manager says about the frame it puts around top-level
// windows.
//
// Like every file of the desktop backend that names X11 types, this one
// stays clear of platform/core/win32.h.
#pragma once

#include "platform/desktop/window_layout.h"

#include <X11/Xlib.h>

#include <optional>

namespace platform::desktop {

// Asks the running window manager, before any window is shown, how wide its
// frame around a normal top-level window is on each side. Empty when no
// window manager runs, when it cannot tell (it does not offer
// _NET_REQUEST_FRAME_EXTENTS), or when it does not answer within three
// seconds.
std::optional<FrameExtents> askFrameExtents(Display* display);

} // namespace platform::desktop
