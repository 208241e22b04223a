// The integer error term shared by the line drawer and the edge steppers.
//
// From the upper point a to the lower point b (a.y <= b.y): dx is made
// absolute with its sign kept in sx, dy stays as it is. The error term
// starts at 2 * minor - major and, in every step, is raised by 2 * minor
// BEFORE it is tested (err >= 0 moves the minor coordinate and lowers it
// by 2 * major), so the minor coordinate changes one step earlier than on
// the ideal line.
#pragma once

#include "raster/screen_polygon.h"

#include <algorithm>
#include <cstdint>

struct ErrorTerm {
    std::int32_t dx = 0;
    std::int32_t dy = 0;
    std::int32_t sx = 1;
    std::int32_t major = 0;
    std::int32_t minor = 0;
    std::int32_t err = 0;

    // One step: raises the error term, then tests it. True when the minor
    // coordinate moves in this step.
    bool step() {
        err += 2 * minor;
        if (err >= 0) {
            err -= 2 * major;
            return true;
        }
        return false;
    }
};

inline ErrorTerm startErrorTerm(const ScreenPoint& a, const ScreenPoint& b) {
    ErrorTerm t;
    t.dx = b.x - a.x;
    t.dy = b.y - a.y;
    if (t.dx < 0) {
        t.sx = -1;
        t.dx = -t.dx;
    }
    t.major = std::max(t.dx, t.dy);
    t.minor = std::min(t.dx, t.dy);
    t.err = 2 * t.minor - t.major;
    return t;
}
