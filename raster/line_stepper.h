// The line stepper shared by drawLine and drawWireframe.
//
// A pen is the pixel a line continues from, held as a screen position
// rather than an address: along a wireframe side the pen can drift a few
// columns past the left or right border, and such pixels are skipped
// instead of being written onto a neighbouring row or outside the pixel
// memory. Only pixels inside the frame are ever addressed.
#pragma once

#include "geometry/screen_polygon.h"
#include "raster/frame_access.h"

#include <cstdint>

struct LinePen {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// Steps one line from the pen's pixel in the direction from -> to and
// leaves the pen on the last pixel stepped (drawn, or skipped when outside
// the frame). from and to must lie inside the frame; from.y <= to.y.
void stepLine(const FrameView& view, LinePen& pen, const ScreenPoint& from, const ScreenPoint& to,
              const PixelColor& color);

// The line colour: diffuseProduct as bytes, trunc(v * 255).
PixelColor lineColor(const RenderDevice& device);
