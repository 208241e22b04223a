#include "tools/png_writer.h"

#include <png.h>

#include <cstdint>
#include <vector>

namespace headless {

namespace {

bool writeFile(const std::string& path, int width, int height, png_uint_32 format,
               const std::uint8_t* pixels, std::size_t rowBytes, std::string& error) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(width);
    png.height = static_cast<png_uint_32>(height);
    png.format = format; // 8 bits per channel
    const int ok = png_image_write_to_file(&png, path.c_str(), 0, pixels,
                                           static_cast<png_int_32>(rowBytes), nullptr);
    if (!ok) {
        error = path + ": " + png.message;
    }
    png_image_free(&png);
    return ok != 0;
}

} // namespace

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

    return writeFile(path, image.width, image.height, PNG_FORMAT_RGB, rgb.data(), rowBytes, error);
}

bool writeRgbaPng(const std::string& path, int width, int height,
                  const std::vector<std::uint8_t>& rgba, std::string& error) {
    if (width <= 0 || height <= 0 ||
        rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4) {
        error = "no image to write";
        return false;
    }
    return writeFile(path, width, height, PNG_FORMAT_RGBA, rgba.data(),
                     static_cast<std::size_t>(width) * 4, error);
}

} // namespace headless
