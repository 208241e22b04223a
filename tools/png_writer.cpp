#include "tools/png_writer.h"

#include <png.h>

#include <cstdint>
#include <vector>

namespace headless {

bool writePng(const std::string& path, const platform::ImageView& image, std::string& error) {
    if (image.width <= 0 || image.height <= 0 || image.bgr == nullptr) {
        error = "no image to write";
        return false;
    }
    // The frame's bytes run blue, green, red; PNG wants red, green, blue.
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 3;
    std::vector<std::uint8_t> rgb(rowBytes * static_cast<std::size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* source = image.bgr + static_cast<std::ptrdiff_t>(y) * image.stride;
        std::uint8_t* dest = rgb.data() + static_cast<std::size_t>(y) * rowBytes;
        for (int x = 0; x < image.width; ++x) {
            dest[3 * x + 0] = source[3 * x + 2];
            dest[3 * x + 1] = source[3 * x + 1];
            dest[3 * x + 2] = source[3 * x + 0];
        }
    }

    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB; // 8 bits per channel, no alpha
    const int ok = png_image_write_to_file(&png, path.c_str(), 0, rgb.data(),
                                           static_cast<png_int_32>(rowBytes), nullptr);
    if (!ok) {
        error = path + ": " + png.message;
        png_image_free(&png);
        return false;
    }
    png_image_free(&png);
    return true;
}

} // namespace headless
