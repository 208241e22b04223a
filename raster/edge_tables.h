// The fills' edge tables, kept in the device's raster scratch between calls
// so that a frame allocates nothing.
//
// Each entry kind has one block holding both tables of a fill (left and
// right, one entry per screen row each). A block grows when a frame has
// more rows than it holds and is freed with the device's other working
// storage (release).
#pragma once

#include "device/render_device.h"
#include "raster/edge_walk.h"

#include <cstdint>

template <typename Entry> struct EdgeTables {
    Entry* left = nullptr;
    Entry* right = nullptr;
};

// Both tables for a frame of `rows` rows (rows >= 1), contents undefined.
// Both null, without throwing, when the memory cannot be had; the fill then
// draws nothing. Defined for EdgeEntry and ShadedEdgeEntry.
template <typename Entry> EdgeTables<Entry> edgeTables(RenderDevice& device, std::int32_t rows);
