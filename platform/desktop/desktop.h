// The desktop window backend: real top-level windows, menus, dialogs and
// message boxes on the local display.
//
// This header is free of toolkit and X11 names, so the program's entry point
// can include it beside platform/core/win32.h.
#pragma once

#include "platform/core/backend.h"

#include <memory>

namespace platform {

// Opens the display and returns a backend drawing on it, or null when no
// display can be opened (no DISPLAY, server unreachable or refusing us).
std::unique_ptr<Backend> createDesktopBackend();

} // namespace platform
