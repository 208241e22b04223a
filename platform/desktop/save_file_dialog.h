// The desktop backend's save-file dialog: the toolkit's native file
// chooser in its save mode, modal.
#pragma once

#include "platform/core/backend.h"

#include <optional>
#include <string>

namespace platform::desktop {

// The path the user named (confirmed, when the request asks, if the file
// exists), or nothing when they cancelled (or the chooser failed).
std::optional<std::string> runSaveFileDialog(const SaveFileView& request);

} // namespace platform::desktop
