// Failures on cue for tests: installed for the life of the plan, it makes
// the next given number of calls at a failure point fail.
#pragma once

#include "platform/headless/test_controls.h"

#include <array>
#include <cstddef>

namespace testsupport {

class FailurePlan final : public platform::FailureInjector {
  public:
    FailurePlan() { platform::setFailureInjector(this); }
    ~FailurePlan() override { platform::setFailureInjector(nullptr); }
    FailurePlan(const FailurePlan&) = delete;
    FailurePlan& operator=(const FailurePlan&) = delete;

    // The next `count` calls that reach `point` fail.
    void failNext(platform::FailurePoint point, int count = 1) { pending_[slot(point)] = count; }

    bool shouldFail(platform::FailurePoint point) override {
        int& pending = pending_[slot(point)];
        if (pending <= 0) {
            return false;
        }
        --pending;
        return true;
    }

  private:
    static std::size_t slot(platform::FailurePoint point) {
        return static_cast<std::size_t>(point);
    }
    std::array<int, 3> pending_{};
};

} // namespace testsupport
