// The backend's own copy of what a window shows. A presented frame lives
// only for the duration of the call, and the toolkit draws in red, green,
// blue order, so the changed part is copied and reordered here.
#pragma once

#include "platform/core/backend.h"

#include <cstdint>
#include <vector>

namespace platform::desktop {

// Tightly packed 24-bit image, rows from the top, bytes red, green, blue.
struct RgbCanvas {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    int stride() const { return width * 3; }
};

// `r` clipped to 0 <= x < width, 0 <= y < height; an empty rectangle
// (all zero) when nothing of it is left.
PixelRect clipRect(const PixelRect& r, int width, int height);

// The smallest rectangle holding both; an empty one does not count.
PixelRect uniteRects(const PixelRect& a, const PixelRect& b);

// Copies the `dirty` part of `frame` into the canvas. A frame of another
// size (the window was resized) replaces the whole canvas. Returns the part
// of the canvas that changed; empty when nothing did, also for a frame that
// is malformed (no pixels, negative size, rows shorter than the width).
PixelRect takeFrame(RgbCanvas& canvas, const ImageView& frame, const PixelRect& dirty);

} // namespace platform::desktop
