// --png names with a frame number: "frame-%d.png" names one file per
// presented frame, the frame's number (1 for the first) in place of the %d;
// and the writing of those files.
#pragma once

#include "platform/core/backend.h"

#include <string>
#include <utility>

namespace headless {

// A '%' in a --png name makes it a pattern for one file per frame.
bool namesEveryFrame(const std::string& name);

// Why a --png name cannot be used, or an empty text when it can: a pattern
// holds exactly one '%', the one of its "%d".
std::string framePatternError(const std::string& name);

// The name of frame `frame` (from 1) of a valid pattern.
std::string frameFileName(const std::string& pattern, int frame);

// Every frame saved to its own numbered PNG file, for a --png pattern; for
// a plain name (or none) nothing is written here.
class NumberedFrames {
  public:
    explicit NumberedFrames(std::string name) : name_(std::move(name)) {}

    // Writes `frame` to the next numbered file. The first failure stops
    // the writing.
    void save(const platform::ImageView& frame);

    // The first failure to write a numbered frame's file, or empty.
    const std::string& error() const { return error_; }

  private:
    std::string name_;
    int saved_ = 0;
    std::string error_;
};

} // namespace headless
