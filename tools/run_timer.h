// The runner's clock: a run is timed from the start of its first pass to
// the press of the close box after N passes, or, for a run that ended
// before, to the end of WinMain, over the passes that drew a frame.
#pragma once

#include <chrono>

namespace headless {

class RunTimer {
  public:
    // The first pass starts.
    void start() { start_ = Clock::now(); }
    // N passes are done: the run is timed over `frames` of them.
    void stop(int frames) {
        end_ = Clock::now();
        frames_ = frames;
    }
    // WinMain has returned after `passes` passes; a run not stopped before
    // is timed up to here, over the passes that drew a frame (the last one
    // ended the loop).
    void finish(int passes) {
        if (frames_ < 0) {
            stop(passes > 0 ? passes - 1 : 0);
        }
    }
    int frames() const { return frames_; }
    double seconds() const { return std::chrono::duration<double>(end_ - start_).count(); }

  private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point start_{};
    Clock::time_point end_{};
    int frames_ = -1;
};

} // namespace headless
