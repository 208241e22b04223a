// The PNG writer read back with libpng (a second implementation of the
// format), and the file write's two ways: direct, and atomic with its one
// exception (a file that exists is overwritten in place).

#include "image/png_writer.h"

#include <gtest/gtest.h>

#include <png.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace image {
namespace {

struct ReadBack {
    bool ok = false;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int bitDepth = 0;
    int colorType = 0;
    std::vector<std::uint8_t> pixels;
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
    result.pixels.resize(rowBytes * result.height);
    for (png_uint_32 y = 0; y < result.height; ++y) {
        png_read_row(png, result.pixels.data() + y * rowBytes, nullptr);
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    result.ok = true;
    return result;
}

class TempFolder {
  public:
    TempFolder()
        : path_(std::filesystem::temp_directory_path() /
                ("octaspin-image-" + std::to_string(::getpid()))) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    std::string file(const char* name) const { return (path_ / name).string(); }
    // Every name in the folder (a temporary file left behind shows here).
    std::vector<std::string> names() const {
        std::vector<std::string> all;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            all.push_back(entry.path().filename().string());
        }
        return all;
    }

  private:
    std::filesystem::path path_;
};

struct SizeCase {
    int width;
    int height;
    int padding; // bytes at the end of each source row that must not be written
    PixelOrder order;
};

class PngWriter : public ::testing::TestWithParam<SizeCase> {};

// A pattern in which every channel of every pixel differs from its
// neighbours, in the source order; read back in PNG order (RGB or RGBA).
TEST_P(PngWriter, ReadsBackTheSamePixels) {
    const SizeCase& c = GetParam();
    const int channels = c.order == PixelOrder::Rgba ? 4 : 3;
    const int stride = c.width * channels + c.padding;
    std::vector<std::uint8_t> source(static_cast<std::size_t>(stride) * c.height, 0xEE);
    auto expected = [](int x, int y, int channel) {
        return static_cast<std::uint8_t>(channel == 0   ? x ^ y
                                         : channel == 1 ? y
                                         : channel == 2 ? x
                                                        : x + 3 * y);
    };
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            std::uint8_t* p = &source[static_cast<std::size_t>(y) * stride + x * channels];
            for (int k = 0; k < channels; ++k) {
                // Bgr keeps red third.
                const int channel = c.order == PixelOrder::Bgr && k != 1 ? 2 - k : k;
                p[k] = expected(x, y, channel);
            }
        }
    }
    TempFolder folder;
    const std::string path = folder.file("writer.png");
    std::string error;
    ASSERT_TRUE(writePng(path, ImageRows{source.data(), stride, c.width, c.height, c.order},
                         FileWrite::Atomic, error))
        << error;
    const ReadBack back = readPng(path);
    ASSERT_TRUE(back.ok);
    EXPECT_EQ(back.width, static_cast<png_uint_32>(c.width));
    EXPECT_EQ(back.height, static_cast<png_uint_32>(c.height));
    EXPECT_EQ(back.bitDepth, 8);
    EXPECT_EQ(back.colorType, channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB);
    ASSERT_EQ(back.pixels.size(), static_cast<std::size_t>(c.width) * c.height * channels);
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            for (int k = 0; k < channels; ++k) {
                ASSERT_EQ(back.pixels[(static_cast<std::size_t>(y) * c.width + x) * channels + k],
                          expected(x, y, k))
                    << x << "," << y << " channel " << k;
            }
        }
    }
    EXPECT_EQ(folder.names(), std::vector<std::string>{"writer.png"});
}

INSTANTIATE_TEST_SUITE_P(
    , PngWriter,
    ::testing::Values(SizeCase{1, 1, 0, PixelOrder::Bgr}, SizeCase{7, 3, 0, PixelOrder::Bgr},
                      SizeCase{632, 434, 0, PixelOrder::Bgr}, SizeCase{5, 9, 4, PixelOrder::Bgr},
                      SizeCase{5, 9, 3, PixelOrder::Rgb}, SizeCase{1, 1, 0, PixelOrder::Rgba},
                      SizeCase{33, 17, 8, PixelOrder::Rgba}));

std::vector<std::uint8_t> contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The atomic write's exception: a file that exists keeps its identity (a
// thumbnail service reads back the file it made), while a new one appears
// whole under its name, with nothing left beside it.
TEST(FileWrite, AtomicWriteKeepsAnExistingFileAndLeavesNoTemporary) {
    TempFolder folder;
    const std::string path = folder.file("out.png");
    const std::vector<std::uint8_t> first{1, 2, 3, 4, 5, 6, 7, 8};
    const std::vector<std::uint8_t> second{9, 9};
    std::string error;
    ASSERT_TRUE(writeFileBytes(path, first, FileWrite::Atomic, error)) << error;
    EXPECT_EQ(contents(path), first);
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    ASSERT_TRUE(writeFileBytes(path, second, FileWrite::Atomic, error)) << error;
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "an existing file was replaced, not overwritten";
    EXPECT_EQ(contents(path), second) << "not truncated";
    EXPECT_EQ(folder.names(), std::vector<std::string>{"out.png"});
}

TEST(FileWrite, FailuresSayWhereAndLeaveNothing) {
    TempFolder folder;
    std::vector<std::uint8_t> pixel(3, 0);
    const std::string missing = folder.file("no-such-folder/out.png");
    std::string error;
    for (FileWrite mode : {FileWrite::Direct, FileWrite::Atomic}) {
        error.clear();
        EXPECT_FALSE(
            writePng(missing, ImageRows{pixel.data(), 3, 1, 1, PixelOrder::Bgr}, mode, error));
        EXPECT_EQ(error.rfind(missing + ": ", 0), 0u) << error;
    }
    // A folder where the file should be: refused, the folder left alone.
    const std::string taken = folder.file("taken");
    std::filesystem::create_directory(taken);
    EXPECT_FALSE(writeFileBytes(taken, pixel, FileWrite::Atomic, error));
    EXPECT_TRUE(std::filesystem::is_directory(taken));
    EXPECT_EQ(folder.names(), std::vector<std::string>{"taken"});
    // Nothing to encode.
    for (const ImageRows& rows :
         {ImageRows{}, ImageRows{pixel.data(), 2, 1, 1, PixelOrder::Rgb},
          ImageRows{pixel.data(), 3, 0, 1, PixelOrder::Rgb},
          ImageRows{pixel.data(), 3, 1, kMaxPngSide + 1, PixelOrder::Rgb}}) {
        error.clear();
        EXPECT_FALSE(writePng(folder.file("empty.png"), rows, FileWrite::Direct, error));
        EXPECT_EQ(error, "no image to write");
    }
    EXPECT_EQ(folder.names(), std::vector<std::string>{"taken"});
}

} // namespace
} // namespace image
