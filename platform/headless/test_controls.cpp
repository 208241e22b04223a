// The layer's test controls that no program calls: the test clock and the
// clean slate between tests (platform/headless/test_controls.h). Failures on cue
// stay with the layer's core, whose calls ask for them.
#include "platform/headless/test_controls.h"
#include "platform/core/state.h"

#include <algorithm>
#include <iterator>

namespace platform {

void setClockForTesting(std::function<DWORD()> clock) {
    core::state().clock = std::move(clock);
}

void resetForTesting() {
    // Windows first: their surfaces and menus go with them; nothing is sent.
    core::State& s = core::state();
    s.windows.clear();
    s.classes.clear();
    s.menus.clear();
    s.bitmaps.clear();
    s.brushes.clear();
    s.contexts.clear();
    s.icons.clear();
    s.loadedIcons.clear();
    s.modules.clear();
    s.queue.clear();
    s.quitPosted = false;
    s.quitCode = 0;
    s.capture = 0;
    std::fill(std::begin(s.stockBrushes), std::end(s.stockBrushes), core::Handle{0});
    s.stockBitmap = 0;
    s.dialogBrush = 0;
    s.dialogResults.clear();
    s.drops.clear();
    s.systemIcon = 0;
    s.arrowCursor = 0;
    s.clock = nullptr;
}

} // namespace platform
