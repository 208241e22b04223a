// The web backend: the program in a browser page. A top-level window is a
// canvas under an HTML menu bar; dialogs and message boxes are HTML over
// the page; the frame loop yields to the browser once per pass. The page's
// side lives in platform/web/page/.
#pragma once

#include "platform/core/backend.h"

#include <memory>

namespace platform {

std::unique_ptr<Backend> createWebBackend();

namespace web {

// Tells the page that the program ended with this exit code.
void programEnded(int exitCode);

} // namespace web

} // namespace platform
