// The line stepper shared by drawLine and drawWireframe.
//
// A pen is the pixel a line continues from, held as a screen position
// rather than an address: along a wireframe side the pen can drift a few
// columns past the left or right border, and such pixels are skipped
// instead of being written onto a neighbouring row or outside the pixel
// memory. Only pixels inside the frame are ever addressed.
#pragma once

#include "raster/frame_access.h"
#include "raster/screen_polygon.h"

#include <cstdint>

struct LinePen {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// Steps one line from the pen's pixel in the direction from -> to and
// leaves the pen on the last pixel stepped (drawn, or skipped when outside
// the frame or outside rows firstRow .. endRow - 1, which another band
// draws). from and to must lie inside the frame; from.y <= to.y.
void stepLine(const FrameView& view, LinePen& pen, const ScreenPoint& from, const ScreenPoint& to,
              const PixelColor& color, std::int32_t firstRow, std::int32_t endRow);
inline void stepLine(const FrameView& view, LinePen& pen, const ScreenPoint& from,
                     const ScreenPoint& to, const PixelColor& color) {
    stepLine(view, pen, from, to, color, 0, view.height);
}

// The box of the pixels one stepLine call stepped on, from the pen before
// it to the pen after it: within one line x and y each move one way only.
// Not clipped to the frame.
inline FrameBox penBox(const LinePen& start, const LinePen& end) {
    return FrameBox{start.x < end.x ? start.x : end.x, start.y < end.y ? start.y : end.y,
                    (start.x > end.x ? start.x : end.x) + 1,
                    (start.y > end.y ? start.y : end.y) + 1};
}

// The line color: diffuseProduct as bytes, trunc(v * 255).
PixelColor lineColor(const RenderDevice& device);
// The same for another diffuse product (a model colour's).
PixelColor lineColor(const Color3& diffuse);
