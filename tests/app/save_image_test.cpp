// File > Save Image... and Ctrl+S through the headless backend's scripted
// answers: the file holds the picture the window showed, without the
// overlay; a file that cannot be written is told and the old one stays.
#include "app_harness.h"

#include "app/resource.h"
#include "app/save_image.h"

#include <png.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace apptest {
namespace {

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The PNG at `path` as a picture (rows from the top, bytes blue, green,
// red), empty when it is not an 8-bit RGB PNG.
Picture readPng(const std::string& path) {
    const std::string bytes = contents(path);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
        return Picture{};
    }
    if (image.format != PNG_FORMAT_RGB) {
        png_image_free(&image);
        return Picture{};
    }
    image.format = PNG_FORMAT_BGR;
    Picture picture;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.bgr.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture.bgr.data(), 0, nullptr)) {
        return Picture{};
    }
    return picture;
}

class SaveImage : public AppScenario {
  protected:
    void SetUp() override {
        AppScenario::SetUp();
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        AppScenario::TearDown();
        std::filesystem::remove_all(folder_);
    }
    std::string file(const std::string& name) const { return (folder_ / name).string(); }
    std::filesystem::path folder_ =
        std::filesystem::temp_directory_path() / ("octaspin save " + std::to_string(::getpid()));
};

// The menu and Ctrl+S each write the picture of the pass before (the save
// is that pass's message): the window's picture but for the overlay's rows,
// where the saved one is black (the polyhedron never reaches them). A second save
// replaces the first file.
TEST_F(SaveImage, WritesTheShownPictureWithoutTheOverlay) {
    const std::string path = file("shot.png");
    std::ofstream(path) << "an older file";
    Picture shownAtMenu, shownAtKey, savedByMenu;
    run(6, [&](int pass) {
        if (pass == 2) {
            shownAtMenu = screen();
            backend->queueSaveFileAnswer(path);
            menu(IDM_SAVE_IMAGE);
        }
        if (pass == 3) {
            savedByMenu = readPng(path);
        }
        if (pass == 5) {
            // The WM_CHAR that TranslateMessage made of the key in pass 4.
            shownAtKey = screen();
        }
        if (pass == 4) {
            backend->queueSaveFileAnswer(path);
            platform::input::keyDown(reinterpret_cast<std::uintptr_t>(appState.window), 'S', false,
                                     false, true);
        }
    });
    const Picture savedByKey = readPng(path);
    for (const auto& [shown, saved] :
         {std::pair{shownAtMenu, savedByMenu}, std::pair{shownAtKey, savedByKey}}) {
        ASSERT_FALSE(saved.empty());
        // The frame: the client area rounded down to multiples of 4.
        ASSERT_EQ(saved.width, shown.width / 4 * 4);
        ASSERT_EQ(saved.height, shown.height / 4 * 4);
        int overlayWhite = 0;
        int differ = 0;
        for (int y = 0; y < saved.height; ++y) {
            for (int x = 0; x < saved.width; ++x) {
                if (y < kOverlayRows) {
                    overlayWhite += GetRValue(shown.at(x, y)) > 128 ? 1 : 0;
                    ASSERT_EQ(saved.at(x, y), RGB(0, 0, 0)) << x << "," << y;
                } else {
                    differ += saved.at(x, y) != shown.at(x, y) ? 1 : 0;
                }
            }
        }
        EXPECT_GT(overlayWhite, 30) << "the window shows the overlay";
        EXPECT_EQ(differ, 0);
        EXPECT_GT(silhouetteOf(saved).pixels, 2000);
    }
    EXPECT_NE(savedByMenu, savedByKey) << "the second save holds a later frame";
    ASSERT_EQ(backend->saveFileRequests().size(), 2u);
    const platform::SaveFileView& request = backend->saveFileRequests()[0];
    EXPECT_EQ(request.suggestedName, "octaspin.png");
    EXPECT_TRUE(request.overwritePrompt);
    ASSERT_EQ(request.filters.size(), 1u);
    EXPECT_EQ(request.filters[0].patterns, std::vector<std::string>{"*.png"});
    EXPECT_TRUE(backend->messageBoxes().empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary left";
}

// A cancelled dialog writes nothing; a write that fails is told in a box
// and leaves the old file as it was: a name so long that no temporary
// file fits beside it, and a folder where the file should be.
TEST_F(SaveImage, AFailureIsToldAndTheOldFileStays) {
    const std::string longName = file(std::string(240, 'n') + ".png");
    std::ofstream(longName) << "the old picture";
    const std::string folder = file("taken.png");
    std::filesystem::create_directories(folder);
    run(8, [&](int pass) {
        if (pass == 1) {
            backend->queueSaveFileAnswer(std::nullopt);
            menu(IDM_SAVE_IMAGE);
        }
        if (pass == 3) {
            backend->queueSaveFileAnswer(longName);
            menu(IDM_SAVE_IMAGE);
        }
        if (pass == 5) {
            backend->queueSaveFileAnswer(folder);
            menu(IDM_SAVE_IMAGE);
        }
    });
    EXPECT_EQ(backend->saveFileRequests().size(), 3u);
    EXPECT_EQ(contents(longName), "the old picture");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    ASSERT_EQ(backend->messageBoxes().size(), 2u);
    for (const auto& box : backend->messageBoxes()) {
        EXPECT_EQ(box.caption, "Application Message");
        EXPECT_NE(box.text.find("The image was not saved."), std::string::npos) << box.text;
    }
    EXPECT_EQ(backend->messageBoxes()[0].text.rfind(longName + ": ", 0), 0u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_),
                            std::filesystem::directory_iterator()),
              2)
        << "no temporary left";
}

} // namespace
} // namespace apptest
