// Files between the desktop and the program, kept free of toolkit types so
// the translations can be tested on their own: the open-file dialog's
// filters in the toolkit's form, and the paths in a drop's text.
#pragma once

#include "platform/core/backend.h"

#include <string>
#include <vector>

namespace platform::desktop {

// The toolkit chooser's filter text: one "description<TAB>pattern" line per
// filter, the patterns of a filter as alternatives {a,b}. Its matching
// heeds case, so a pattern with letters also comes in upper case
// ("*.obj" -> "*.obj,*.OBJ"); tabs and line ends in a description become
// spaces.
std::string chooserFilter(const std::vector<FileFilterView>& filters);

// The local paths a drop carries: its text holds one URI per line
// ("file:///home/me/a%20b.obj", or "file://host/..."), percent-escapes
// decoded; lines that are plain absolute paths are taken as they stand, and
// anything else (other schemes, blank lines) is left out.
std::vector<std::string> droppedPaths(const std::string& text);

} // namespace platform::desktop
