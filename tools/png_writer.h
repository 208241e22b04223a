// Writes a 24-bit image (rows from the top, bytes blue, green, red) as an
// 8-bit RGB PNG file.
#pragma once

#include "platform/backend.h"

#include <string>

namespace headless {

// False, with the reason in `error`, when the image is empty or the file
// cannot be written.
bool writePng(const std::string& path, const platform::ImageView& image, std::string& error);

} // namespace headless
