// The PNG the runner writes, read back with libpng.

#include "tools/png_writer.h"

#include <gtest/gtest.h>

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace headless {
namespace {

struct ReadBack {
    bool ok = false;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    std::vector<std::uint8_t> rgb;
};

// Reads with the classic interface, so the header's bit depth and colour
// type are seen as stored.
ReadBack readPng(const std::string& path) {
    ReadBack result;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return result;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        result.ok = false;
        return result;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    result.width = png_get_image_width(png, info);
    result.height = png_get_image_height(png, info);
    result.bitDepth = png_get_bit_depth(png, info);
    result.colorType = png_get_color_type(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    result.rgb.resize(rowBytes * result.height);
    for (png_uint_32 y = 0; y < result.height; ++y) {
        png_read_row(png, result.rgb.data() + y * rowBytes, nullptr);
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    result.ok = true;
    return result;
}

std::string tempPath(const char* name) {
    return (std::filesystem::temp_directory_path() /
            (std::string("octaspin-") + std::to_string(::getpid()) + "-" + name))
        .string();
}

struct SizeCase {
    int width;
    int height;
    int padding; // bytes at the end of each source row that must not be written
};

class PngWriter : public ::testing::TestWithParam<SizeCase> {};

TEST_P(PngWriter, WritesEightBitRgbWithChannelsSwapped) {
    const SizeCase& c = GetParam();
    const int stride = c.width * 3 + c.padding;
    std::vector<std::uint8_t> bgr(static_cast<std::size_t>(stride) * c.height, 0xEE);
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            std::uint8_t* p = &bgr[static_cast<std::size_t>(y) * stride + x * 3];
            p[0] = static_cast<std::uint8_t>(x);     // blue
            p[1] = static_cast<std::uint8_t>(y);     // green
            p[2] = static_cast<std::uint8_t>(x ^ y); // red
        }
    }
    const std::string path = tempPath("writer.png");
    std::string error;
    ASSERT_TRUE(writePng(path, platform::ImageView{c.width, c.height, stride, bgr.data()}, error))
        << error;
    const ReadBack back = readPng(path);
    std::filesystem::remove(path);
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.width, static_cast<png_uint_32>(c.width));
    EXPECT_EQ(back.height, static_cast<png_uint_32>(c.height));
    EXPECT_EQ(back.bitDepth, 8);
    EXPECT_EQ(back.colorType, PNG_COLOR_TYPE_RGB);
    ASSERT_EQ(back.rgb.size(), static_cast<std::size_t>(c.width) * c.height * 3);
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            const std::uint8_t* p = &back.rgb[(static_cast<std::size_t>(y) * c.width + x) * 3];
            ASSERT_EQ(p[0], static_cast<std::uint8_t>(x ^ y)) << x << "," << y;
            ASSERT_EQ(p[1], static_cast<std::uint8_t>(y)) << x << "," << y;
            ASSERT_EQ(p[2], static_cast<std::uint8_t>(x)) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(, PngWriter,
                         ::testing::Values(SizeCase{1, 1, 0}, SizeCase{7, 3, 0},
                                           SizeCase{632, 434, 0}, SizeCase{5, 9, 4}));

TEST(PngWriterErrors, ReportsWhatWentWrong) {
    std::vector<std::uint8_t> pixel(3, 0);
    std::string error;
    EXPECT_FALSE(writePng(tempPath("empty.png"), platform::ImageView{}, error));
    EXPECT_EQ(error, "no image to write");
    error.clear();
    EXPECT_FALSE(writePng("/nonexistent/octaspin/out.png",
                          platform::ImageView{1, 1, 3, pixel.data()}, error));
    EXPECT_EQ(error.rfind("/nonexistent/octaspin/out.png: ", 0), 0u) << error;
}

} // namespace
} // namespace headless
