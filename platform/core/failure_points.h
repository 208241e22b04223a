// Failures on cue: the calls that can fail on the platform for want of
// resources (a class, a window, a bitmap) fail when an installed injector
// says so, so that tests reach the program's failure paths. No injector is
// installed unless a test installs one; the layer then behaves as the
// platform does.
#pragma once

namespace platform {

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

} // namespace platform
