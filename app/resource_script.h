// The program's resources in the platform's own formats, written from the
// same tables the Linux build compiles in (app/resources.cpp): a resource
// script with the menus and the dialog templates for the resource
// compiler, and an icon file for each icon it names. The Windows build
// writes them on the build machine and compiles them into the program, so
// each layout is defined once.
#pragma once

#include "platform/core/resource_module.h"

#include <cstdint>
#include <string>
#include <vector>

// The resource script of `module`. Each icon statement names the file
// iconFileName(icon), which the resource compiler finds along its include
// path.
std::string resourceScript(const platform::ResourceModule& module);

// The file name of an icon: its resource name in lower case (or its number)
// with ".ico".
std::string iconFileName(const platform::IconResource& icon);

// An icon file holding the one image of `icon`: 32 x 32 pixels at 4 bits
// per pixel with its 16-colour palette, every pixel opaque, as the layer
// shows it.
std::vector<std::uint8_t> iconFile(const platform::IconResource& icon);
