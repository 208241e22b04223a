// The layer's millisecond clock: the monotonic clock cut to 32 bits, or the
// test clock when one is set (platform/headless/test_controls.h).
#include "platform/core/state.h"

#include <chrono>
#include <cstdint>

namespace platform::core {

DWORD now() {
    State& s = state();
    if (s.clock) {
        return s.clock();
    }
    // Milliseconds of the monotonic clock, cut to 32 bits: the count wraps
    // after about 49.7 days, as the platform's does.
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
    return static_cast<DWORD>(static_cast<std::uint64_t>(ms));
}

} // namespace platform::core

DWORD timeGetTime() {
    return platform::core::now();
}
