// The desktop backend's open-file and save-file dialogs: the toolkit's
// native file chooser, modal.
#pragma once

#include "platform/core/backend.h"

#include <optional>
#include <string>

namespace platform::desktop {

// The path the user chose, or nothing when they cancelled (or the chooser
// failed).
std::optional<std::string> runOpenFileDialog(const OpenFileView& request);

// The path the user named (confirmed, when the request asks, if the file
// exists), or nothing when they cancelled (or the chooser failed).
std::optional<std::string> runSaveFileDialog(const SaveFileView& request);

} // namespace platform::desktop
