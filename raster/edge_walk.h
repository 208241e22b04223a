// Edge steppers of the scan fills: one polygon side into one edge table,
// one entry per screen row.
//
// Both steppers share the line drawer's error rule (the error term is
// raised before it is tested). In the steep case each row's x reaches the
// next column one row early; in the shallow case each row records the
// column where the row change happened, before moving on. The first and
// last rows are set from the end points themselves, so every recorded x
// lies between upper.x and lower.x.
//
// Values carried down the edge (depth, intensity, colour) are interpolated in
// double precision with steps rounded to 32-bit floats, and stored rounded
// to 32-bit floats.
#pragma once

#include "raster/screen_polygon.h"

#include <cstdint>

// Where one side of the current polygon crosses one screen row.
struct EdgeEntry {
    std::int32_t x = 0;
    float depth = 0.0f;
};

struct ShadedEdgeEntry {
    std::int32_t x = 0;
    float depth = 0.0f;
    float intensity = 0.0f;
};

// For the model's own colours in Gouraud: the lit colour's three channels
// (raster/screen_polygon.h, rule 3) in place of intensity.
struct ColoredEdgeEntry {
    std::int32_t x = 0;
    float depth = 0.0f;
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
};

// The entry of a polygon point itself: what the steppers write in the
// rows of an edge's two ends.
inline void setEntry(EdgeEntry& entry, const ScreenPoint& p) {
    entry = EdgeEntry{p.x, p.depth};
}
inline void setEntry(ShadedEdgeEntry& entry, const ScreenPoint& p) {
    entry = ShadedEdgeEntry{p.x, p.depth, p.intensity};
}
inline void setEntry(ColoredEdgeEntry& entry, const ColoredPoint& p) {
    entry = ColoredEdgeEntry{p.point.x, p.point.depth, p.color.r, p.color.g, p.color.b};
}

// Writes table[y] for every row y from upper.y to lower.y (upper.y <=
// lower.y); the table is indexed by screen row. A horizontal edge leaves
// its one row holding `lower`. Reads x, y and depth.
void walkEdge(EdgeEntry* table, const ScreenPoint& upper, const ScreenPoint& lower);

// The same stepping, carrying intensity beside depth; the recorded x are
// exactly those of walkEdge for the same two points.
void walkShadedEdge(ShadedEdgeEntry* table, const ScreenPoint& upper, const ScreenPoint& lower);

// The same stepping, carrying the three channels of the points' lit colours
// beside depth, each as intensity is carried; the recorded x are exactly
// those of walkEdge for the same two points.
void walkColoredEdge(ColoredEdgeEntry* table, const ColoredPoint& upper, const ColoredPoint& lower);
