#include "tools/frame_files.h"

#include "tools/png_writer.h"

#include <algorithm>

namespace headless {

bool namesEveryFrame(const std::string& name) {
    return name.find('%') != std::string::npos;
}

// The name is never used as a format string: the one %d is replaced by
// hand, so no other conversion can reach a formatting function.
std::string framePatternError(const std::string& name) {
    if (!namesEveryFrame(name)) {
        return {};
    }
    const std::size_t at = name.find("%d");
    if (at == std::string::npos || std::count(name.begin(), name.end(), '%') != 1) {
        return "--png takes a '%' only as a single %d (one file per frame), not '" + name + "'";
    }
    return {};
}

std::string frameFileName(const std::string& pattern, int frame) {
    std::string name = pattern;
    const std::size_t at = name.find("%d");
    if (at != std::string::npos) {
        name.replace(at, 2, std::to_string(frame));
    }
    return name;
}

void NumberedFrames::save(const platform::ImageView& frame) {
    if (!namesEveryFrame(name_) || !error_.empty()) {
        return;
    }
    std::string error;
    if (!writePng(frameFileName(name_, ++saved_), frame, error)) {
        error_ = error.empty() ? "cannot write" : error;
    }
}

} // namespace headless
