// The runner's frames and pictures as PNG files (image/png_writer.h): a
// frame of the platform's bitmap (rows from the top, bytes blue, green,
// red) as an 8-bit RGB file, or red, green, blue, alpha pixels as an RGBA
// one.
#pragma once

#include "platform/core/backend.h"

#include <cstdint>
#include <string>
#include <vector>

namespace headless {

// False, with the reason in `error`, when the image is empty or the file
// cannot be written.
bool writePng(const std::string& path, const platform::ImageView& image, std::string& error);

// `rgba` holds width x height pixels of 4 bytes, rows from the top with no
// gaps. False, with the reason, for a size that does not match or a file
// that cannot be written.
bool writeRgbaPng(const std::string& path, int width, int height,
                  const std::vector<std::uint8_t>& rgba, std::string& error);

} // namespace headless
