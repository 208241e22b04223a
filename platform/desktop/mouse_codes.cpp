#include "platform/desktop/mouse_codes.h"

#include <FL/Enumerations.H>

#include <algorithm>

namespace platform::desktop {

namespace {

// A wheel step of the toolkit is one notch of the platform's.
constexpr long long kNotch = 120;

} // namespace

unsigned mouseKeysFor(int toolkitState) {
    struct Bit {
        int toolkit;
        unsigned platform;
    };
    constexpr Bit kBits[] = {{FL_BUTTON1, input::kLeftButton},
                             {FL_BUTTON2, input::kMiddleButton},
                             {FL_BUTTON3, input::kRightButton},
                             {FL_SHIFT, input::kShiftKey},
                             {FL_CTRL, input::kControlKey}};
    unsigned keys = 0;
    for (const Bit& bit : kBits) {
        if ((toolkitState & bit.toolkit) != 0) {
            keys |= bit.platform;
        }
    }
    return keys;
}

std::optional<input::MouseButton> mouseButtonFor(int toolkitButton) {
    switch (toolkitButton) {
    case FL_LEFT_MOUSE:
        return input::MouseButton::Left;
    case FL_MIDDLE_MOUSE:
        return input::MouseButton::Middle;
    case FL_RIGHT_MOUSE:
        return input::MouseButton::Right;
    default:
        return std::nullopt;
    }
}

int wheelDeltaFor(int toolkitSteps) {
    return static_cast<int>(std::clamp(-kNotch * toolkitSteps, -32768LL, 32767LL));
}

} // namespace platform::desktop
