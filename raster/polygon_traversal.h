// The polygon traversal shared by the wireframe and both fills.
//
// Every polygon is walked from its top point down both of its sides to its
// bottom point. The top is the point with the smallest y and the bottom the
// one with the largest; on ties point 0 wins if it is among them, otherwise
// the highest-numbered point does (points are visited from the last down,
// and only a strictly smaller or larger y replaces the current choice).
#pragma once

#include "raster/screen_polygon.h"

#include <cstdint>

struct PolygonEnds {
    std::int32_t top = 0;    // point index
    std::int32_t bottom = 0; // point index
};

inline PolygonEnds findPolygonEnds(const ScreenPoint* points, std::int32_t count) {
    PolygonEnds ends;
    for (std::int32_t i = count - 1; i >= 1; --i) {
        if (points[i].y < points[ends.top].y) {
            ends.top = i;
        }
        if (points[i].y > points[ends.bottom].y) {
            ends.bottom = i;
        }
    }
    return ends;
}

// The neighbours of point i around a polygon of `count` points.
inline std::int32_t nextPoint(std::int32_t i, std::int32_t count) {
    return i + 1 == count ? 0 : i + 1;
}
inline std::int32_t previousPoint(std::int32_t i, std::int32_t count) {
    return i == 0 ? count - 1 : i - 1;
}
