// Mouse translation: the toolkit's buttons, held state and wheel steps as
// the platform's mouse input (platform::input).
#pragma once

#include "platform/core/backend.h"

#include <optional>

namespace platform::desktop {

// The buttons and keys held in a toolkit event state (Fl::event_state()):
// its first three buttons (left, middle, right), Shift and Ctrl as the
// platform's bits (input::kLeftButton and the others).
unsigned mouseKeysFor(int toolkitState);

// The button of a toolkit button number (Fl::event_button(): 1 left,
// 2 middle, 3 right), or nothing for another.
std::optional<input::MouseButton> mouseButtonFor(int toolkitButton);

// The platform's wheel turn for the toolkit's vertical wheel steps
// (Fl::event_dy(): positive towards the user): 120 a step, positive away
// from the user, held to the 16-bit range a wheel message carries.
int wheelDeltaFor(int toolkitSteps);

} // namespace platform::desktop
