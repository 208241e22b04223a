// --png names with a frame number: "frame-%d.png" names one file per
// presented frame, the frame's number (1 for the first) in place of the %d.
#pragma once

#include <string>

namespace headless {

// A '%' in a --png name makes it a pattern for one file per frame.
bool namesEveryFrame(const std::string& name);

// Why a --png name cannot be used, or an empty text when it can: a pattern
// holds exactly one '%', the one of its "%d".
std::string framePatternError(const std::string& name);

// The name of frame `frame` (from 1) of a valid pattern.
std::string frameFileName(const std::string& pattern, int frame);

} // namespace headless
