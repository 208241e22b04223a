// What tests control in the layer's core, whatever the backend: failures on
// cue, the clock, and a clean slate between tests. Nothing in a program
// uses these; without them the layer behaves as the platform does.
#pragma once

#include "platform/win32.h"

#include <functional>

namespace platform {

// The calls that can fail on the platform for want of resources (a class,
// a window, a bitmap) fail when an installed injector says so, so that
// tests reach the program's failure paths.
enum class FailurePoint { RegisterClass, CreateWindow, CreateDIBSection };

class FailureInjector {
  public:
    virtual ~FailureInjector() = default;
    // Asked once per call that reaches `point`; true makes that call fail.
    virtual bool shouldFail(FailurePoint point) = 0;
};

// Installs the injector the layer asks from now on (not owned; must outlive
// its use). Null, the default: no call fails on cue.
void setFailureInjector(FailureInjector* injector);

// True when the installed injector fails this call of `point`.
bool failsOnCue(FailurePoint point);

// The layer's millisecond clock source; tests may replace it (null restores
// the monotonic clock).
void setClockForTesting(std::function<DWORD()> clock);

// Forgets every window, class, queued message, module and GDI object, the
// capture, a pending quit and the test clock, so one test cannot leak state
// into the next. Handles from before stay invalid. Does not touch the
// backend, the failure injector, nor the loaded font, which is not state a
// test can see.
void resetForTesting();

} // namespace platform
