// The program's compiled-in resources: the main window's menu, the colour
// and About dialog templates, and the icon.
#pragma once

#include "platform/resources.h"

// Built on first use and kept for the life of the process (the platform
// layer keeps a pointer to it once registered).
const platform::ResourceModule& octaspinResources();

// The icon picture: a lit octahedron, 32 x 32 pixels in 16 colours.
platform::IconResource makeOctahedronIcon();
