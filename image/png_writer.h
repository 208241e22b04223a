// PNG pictures of 8-bit pixels: RGB from rows of blue, green, red (the
// frame's order) or of red, green, blue, and RGBA from rows of red, green,
// blue, alpha (straight, not premultiplied).
//
// One encoder for every build (stb_image_write, its compression level 8
// and its per-row filter choice), so that the same pixels give the same
// file bytes on every system.
#pragma once

#include "image/file_write.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace image {

enum class PixelOrder { Bgr, Rgb, Rgba };

// width x height pixels, rows from the top: row y starts at
// first + y * stride (stride may exceed the row's bytes; never negative).
struct ImageRows {
    const std::uint8_t* first = nullptr;
    std::ptrdiff_t stride = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    PixelOrder order = PixelOrder::Rgb;
};

// The picture's largest side: larger ones are refused.
inline constexpr std::int32_t kMaxPngSide = 16384;

// The PNG file's bytes into `png`. False, with "no image to write", for an
// empty image, a null pointer, a stride shorter than a row or a side over
// kMaxPngSide, and with a reason when the encoder fails (out of memory).
bool encodePng(const ImageRows& image, std::vector<std::uint8_t>& png, std::string& error);

// encodePng, then writeFileBytes to `path` in the given way.
bool writePng(const std::string& path, const ImageRows& image, FileWrite mode, std::string& error);

} // namespace image
