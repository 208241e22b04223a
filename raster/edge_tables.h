// The fills' edge tables, kept in the device's raster scratch between calls
// so that a frame allocates nothing.
//
// Each drawing thread has, per entry kind, one block holding both tables of
// a fill (left and right, one entry per screen row each): threads drawing
// different bands step whole edges, so they cannot share tables. A block
// grows when a frame has more rows than it holds and is freed with the
// device's other working storage (release) or with the frame.
#pragma once

#include "device/render_device.h"
#include "raster/edge_walk.h"

#include <cstdint>

template <typename Entry> struct EdgeTables {
    Entry* left = nullptr;
    Entry* right = nullptr;
};

// Both tables of drawing thread `worker` (0 .. kMaxRenderThreads - 1) for a
// frame of `rows` rows (rows >= 1), contents undefined. Both null, without
// throwing, when the memory cannot be had; the fill then draws nothing.
// Called on the device's own thread (it may allocate), before the tables
// are handed to the threads. Defined for EdgeEntry, ShadedEdgeEntry and
// ColoredEdgeEntry.
template <typename Entry>
EdgeTables<Entry> edgeTables(RenderDevice& device, std::int32_t rows, std::int32_t worker);
