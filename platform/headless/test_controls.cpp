// The layer's test controls that no program calls: the test clock and the
// clean slate between tests (platform/headless/test_controls.h). Failures
// on cue stay with the layer's core, whose calls ask for them.
#include "platform/headless/test_controls.h"
#include "platform/core/state.h"

#include <utility>

namespace platform {

void setClockForTesting(std::function<DWORD()> clock) {
    core::state().clock = std::move(clock);
}

void resetForTesting() {
    // A fresh state, as at process start: whatever the state holds, a
    // field added later included, goes. Windows go with their surfaces and
    // menus; nothing is sent. The handle counter lives outside the state,
    // so handles from before stay invalid.
    core::state() = core::State{};
}

} // namespace platform
