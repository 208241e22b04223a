// Drives one run of the program from the backend's poll hook. Every
// PeekMessageA of the frame loop calls atPassStart once, at the start of a
// pass, so the calls count passes. At each pass the driver takes the frame
// of the pass before (FrameCapture) and writes it to its numbered file
// (NumberedFrames); at the first it starts the clock (RunTimer), sets the
// drawing threads and the client size; then it delivers the script's
// events due (InputSchedule). After N passes it stops the clock, drops the
// input still waiting and presses the close box.
#pragma once

#include "platform/headless/headless.h"
#include "tools/frame_capture.h"
#include "tools/frame_files.h"
#include "tools/input_schedule.h"
#include "tools/run_timer.h"
#include "tools/runner_options.h"
#include "tools/script.h"

#include <vector>

namespace headless {

class PassDriver {
  public:
    // The options, events and backend must outlive the driver.
    PassDriver(const RunnerOptions& options, const std::vector<ScriptEvent>& events,
               platform::HeadlessBackend& backend);

    void atPassStart();

    // After WinMain returned.
    void finish() { timer_.finish(passes_); }

    const RunTimer& timer() const { return timer_; }
    const FrameCapture& capture() const { return capture_; }
    const NumberedFrames& numberedFrames() const { return numbered_; }
    const InputSchedule& input() const { return input_; }

  private:
    const RunnerOptions& options_;
    platform::HeadlessBackend& backend_;
    InputSchedule input_;
    FrameCapture capture_;
    NumberedFrames numbered_;
    RunTimer timer_;
    int passes_ = 0;
    bool closed_ = false;
};

} // namespace headless
