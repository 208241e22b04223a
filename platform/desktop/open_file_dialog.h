// The desktop backend's open-file dialog: the toolkit's native file
// chooser, modal.
#pragma once

#include "platform/core/backend.h"

#include <optional>
#include <string>

namespace platform::desktop {

// The path the user chose, or nothing when they cancelled (or the chooser
// failed).
std::optional<std::string> runOpenFileDialog(const OpenFileView& request);

} // namespace platform::desktop
