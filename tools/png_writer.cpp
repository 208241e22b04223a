#include "tools/png_writer.h"

#include "image/png_writer.h"

namespace headless {

bool writePng(const std::string& path, const platform::ImageView& image, std::string& error) {
    return image::writePng(path,
                           image::ImageRows{image.bgr, image.stride, image.width, image.height,
                                            image::PixelOrder::Bgr},
                           image::FileWrite::Direct, error);
}

bool writeRgbaPng(const std::string& path, int width, int height,
                  const std::vector<std::uint8_t>& rgba, std::string& error) {
    if (width <= 0 || height <= 0 ||
        rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4) {
        error = "no image to write";
        return false;
    }
    return image::writePng(path,
                           image::ImageRows{rgba.data(), static_cast<std::ptrdiff_t>(width) * 4,
                                            width, height, image::PixelOrder::Rgba},
                           image::FileWrite::Direct, error);
}

} // namespace headless
