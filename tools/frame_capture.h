// What the window shows, taken at the start of each pass (the frame of the
// pass before): its client and frame sizes, the model it shows, and, when
// the run writes PNGs, a copy of its picture.
#pragma once

#include "platform/core/backend.h"
#include "platform/core/win32.h"
#include "platform/headless/headless.h"

#include <cstdint>
#include <string>
#include <vector>

namespace headless {

class FrameCapture {
  public:
    // `keepPictures`: copy the picture on every look (a run that writes
    // PNGs); otherwise only the sizes and the model are noted.
    FrameCapture(platform::HeadlessBackend& backend, bool keepPictures)
        : backend_(backend), keepPictures_(keepPictures) {}

    // Notes what the window shows, while it exists. True when it took the
    // window's picture.
    bool look(HWND window);

    int clientWidth() const { return clientWidth_; }
    int clientHeight() const { return clientHeight_; }
    int frameWidth() const { return frameWidth_; }
    int frameHeight() const { return frameHeight_; }
    // The model shown, as the summary line names it; empty: the polyhedron.
    std::string modelSummary() const;
    // The last picture taken, or an empty view.
    platform::ImageView lastFrame() const {
        return platform::ImageView{shownWidth_, shownHeight_, shownWidth_ * 3, shown_.data()};
    }

  private:
    platform::HeadlessBackend& backend_;
    bool keepPictures_;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    int frameWidth_ = 0;
    int frameHeight_ = 0;
    std::string modelName_;
    std::uint64_t modelVertices_ = 0;
    std::uint64_t modelTriangles_ = 0;
    int shownWidth_ = 0;
    int shownHeight_ = 0;
    std::vector<std::uint8_t> shown_;
};

} // namespace headless
