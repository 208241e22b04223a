// What tests control in the layer's core, whatever the backend: failures on
// cue (platform/core/failure_points.h), the clock, and a clean slate
// between tests. Nothing in a program uses these; without them the layer
// behaves as the platform does.
#pragma once

#include "platform/core/failure_points.h"
#include "platform/core/win32.h"

#include <functional>

namespace platform {

// The layer's millisecond clock source; tests may replace it (null restores
// the monotonic clock).
void setClockForTesting(std::function<DWORD()> clock);

// Returns the layer's state to what it is at process start: every window,
// class, queued message, module and GDI object, the capture, a pending quit
// and the test clock are forgotten, so one test cannot leak state into the
// next. Handles from before stay invalid. Does not touch the backend, the
// failure injector, nor the loaded font, which is not state a test can see.
void resetForTesting();

} // namespace platform
