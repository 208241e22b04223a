#include "image/png_writer.h"

#include <new>

// The encoder's code, private to this file: no file functions (the bytes
// go to memory, and the file is written by writeFileBytes).
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace image {

namespace {

int channelsOf(PixelOrder order) {
    return order == PixelOrder::Rgba ? 4 : 3;
}

bool usable(const ImageRows& image) {
    if (image.first == nullptr || image.width <= 0 || image.height <= 0 ||
        image.width > kMaxPngSide || image.height > kMaxPngSide) {
        return false;
    }
    return image.stride >= static_cast<std::ptrdiff_t>(image.width) * channelsOf(image.order);
}

// The encoder hands its output over in pieces; they are appended. An
// allocation that fails is remembered, and the result refused.
struct Sink {
    std::vector<std::uint8_t>* bytes;
    bool failed = false;
};

void append(void* context, void* data, int size) {
    auto* sink = static_cast<Sink*>(context);
    if (sink->failed || size <= 0) {
        return;
    }
    const auto* first = static_cast<const std::uint8_t*>(data);
    try {
        sink->bytes->insert(sink->bytes->end(), first, first + size);
    } catch (const std::bad_alloc&) {
        sink->failed = true;
    }
}

} // namespace

bool encodePng(const ImageRows& image, std::vector<std::uint8_t>& png, std::string& error) {
    png.clear();
    if (!usable(image)) {
        error = "no image to write";
        return false;
    }
    const int channels = channelsOf(image.order);
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * channels;
    const std::uint8_t* pixels = image.first;
    std::ptrdiff_t stride = image.stride;
    std::vector<std::uint8_t> rgb;
    if (image.order == PixelOrder::Bgr) {
        // The frame's bytes run blue, green, red; PNG wants red, green, blue.
        try {
            rgb.resize(rowBytes * static_cast<std::size_t>(image.height));
        } catch (const std::bad_alloc&) {
            error = "out of memory";
            return false;
        }
        for (std::int32_t y = 0; y < image.height; ++y) {
            const std::uint8_t* source = image.first + y * image.stride;
            std::uint8_t* dest = rgb.data() + static_cast<std::size_t>(y) * rowBytes;
            for (std::int32_t x = 0; x < image.width; ++x) {
                dest[3 * x + 0] = source[3 * x + 2];
                dest[3 * x + 1] = source[3 * x + 1];
                dest[3 * x + 2] = source[3 * x + 0];
            }
        }
        pixels = rgb.data();
        stride = static_cast<std::ptrdiff_t>(rowBytes);
    }
    Sink sink{&png};
    const int ok = stbi_write_png_to_func(append, &sink, image.width, image.height, channels,
                                          pixels, static_cast<int>(stride));
    if (ok == 0 || sink.failed) {
        png.clear();
        error = "out of memory";
        return false;
    }
    return true;
}

bool writePng(const std::string& path, const ImageRows& image, FileWrite mode, std::string& error) {
    std::vector<std::uint8_t> png;
    if (!encodePng(image, png, error)) {
        if (error != "no image to write") {
            error = path + ": " + error;
        }
        return false;
    }
    return writeFileBytes(path, png, mode, error);
}

} // namespace image
