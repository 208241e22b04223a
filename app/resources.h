// The program's compiled-in resources: the main window's menu, the colour
// and About dialog templates, and the icon.
#pragma once

#include "platform/core/resource_module.h"

#include <array>
#include <cstdint>
#include <vector>

// Built on first use and kept for the life of the process (the platform
// layer keeps a pointer to it once registered).
const platform::ResourceModule& octaspinResources();

// The icon picture: a lit octahedron in 16 colours, drawn for a square of
// `size` pixels (1 to kMaxIconSize; any other size gives an empty picture).
// Palette index kIconBackground is the plain background around the solid.
struct IconPicture {
    int size = 0;
    std::array<COLORREF, 16> palette{};
    std::vector<std::uint8_t> pixels; // size x size indices, rows from the top
};
inline constexpr int kMaxIconSize = 1024;
inline constexpr std::uint8_t kIconBackground = 0;
IconPicture drawOctahedronIcon(int size);

// The window icon: the picture at 32 x 32 pixels.
platform::IconResource makeOctahedronIcon();
