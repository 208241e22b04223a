// Models in the program: opened from the command line, File > Open..., Ctrl+O
// and a drop; the title, the undistorted projection, a drag on the model and
// File > Reset; a file that cannot be opened told in a message box with what
// was shown kept. And the command line that carries a model's name to WinMain.
#include "app/model_scene.h"
#include "app/winmain_command_line.h"
#include "app/resource.h"
#include "app_harness.h"
#include "platform/core/win32_files.h"
#include "scene/scene_values.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

namespace apptest {
namespace {

TEST(ProgramArguments, TheFirstArgumentByThePlatformsRulesAndBack) {
    const struct {
        const char* line;
        const char* first;
    } cases[] = {
        {nullptr, ""},
        {"", ""},
        {" \t a.obj  b.obj", "a.obj"},
        {"\"C:\\My Models\\bunny.obj\" --x", "C:\\My Models\\bunny.obj"},
        {"\\\\server\\share\\x.obj", "\\\\server\\share\\x.obj"},
        {"a\\\\\"b c\" d", "a\\b c"},
        {"say\\\"hi\\\"", "say\"hi\""},
        {"\"\"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(firstArgument(c.line), c.first) << (c.line != nullptr ? c.line : "(null)");
    }
    // Any text but a zero byte comes back as it went.
    std::mt19937 random(15);
    const std::string alphabet = " \t\"\\ab/.x\xe9";
    for (int i = 0; i < 20000; ++i) {
        std::string argument(random() % 9, ' ');
        for (char& c : argument) {
            c = alphabet[random() % alphabet.size()];
        }
        ASSERT_EQ(firstArgument((quoteArgument(argument) + " more").c_str()), argument)
            << quoteArgument(argument);
    }
}

class ModelScene : public AppScenario {
  protected:
    void TearDown() override {
        AppScenario::TearDown();
        std::filesystem::remove_all(folder_);
    }

    // A file of the given text in a folder of this test's own, whose name
    // has a blank (the command line must quote it).
    std::string writeFile(const std::string& name, const std::string& text) {
        std::filesystem::create_directories(folder_);
        const std::string path = (folder_ / name).string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    std::string pyramid() {
        return writeFile("pyr amid.obj", "v -1 0 -1\nv 1 0 -1\nv 1 0 1\nv -1 0 1\nv 0 2.1 0\n"
                                         "f 1 2 3 4\nf 1 5 2\nf 2 5 3\nf 3 5 4\nf 4 5 1\n");
    }

    // run() with a command line.
    int runWith(const std::string& commandLine, int passes, std::function<void(int)> atPass) {
        passesSeen = 0;
        backend->setPollHook([&, passes] {
            const int pass = passesSeen++;
            if (pass < passes) {
                atPass(pass);
            } else if (pass == passes) {
                PostMessageA(appState.window, WM_CLOSE, 0, 0);
            }
        });
        std::vector<char> line(commandLine.begin(), commandLine.end());
        line.push_back('\0');
        const int code = WinMain(instance, nullptr, line.data(), SW_SHOWNORMAL);
        backend->setPollHook(nullptr);
        return code;
    }

    std::string title() const { return backend->title(appState.window); }

    // The projection a model gets on a frame of this size.
    static Matrix4 modelProjection(int width, int height) {
        Matrix4 m;
        perspective(m, demo::kHalfAngle, demo::kHalfAngle,
                    static_cast<float>(height) / static_cast<float>(width), demo::kNear,
                    demo::kFar);
        return m;
    }

    std::filesystem::path folder_ =
        std::filesystem::temp_directory_path() / ("octaspin models " + std::to_string(::getpid()));
};

TEST_F(ModelScene, TheCommandLineOpensAModelSeenUndistortedDraggableAndReset) {
    const std::string path = pyramid();
    Silhouette first;
    EXPECT_EQ(runWith(quoteArgument(path), 10,
                      [&](int pass) {
                          RenderDevice& device = *appState.device;
                          if (pass == 1) {
                              ASSERT_EQ(appState.model.meshes.size(), 1u);
                              EXPECT_EQ(appState.model.triangleCount, 6u);
                              EXPECT_EQ(title(), "pyr amid.obj - Windows Application");
                              EXPECT_TRUE(matricesNear(device.projectionMatrix,
                                                       modelProjection(device.width, device.height),
                                                       0.0f));
                              EXPECT_TRUE(platform::input::acceptsDroppedFiles(
                                  reinterpret_cast<std::uintptr_t>(appState.window)));
                              first = silhouetteOf(screen());
                              // The pyramid is as wide as it is high on the
                              // screen: no stretching to the frame's shape.
                              EXPECT_GT(first.pixels, 2000);
                              backend->resizeClient(appState.window, 300, 500);
                          }
                          if (pass == 2) {
                              EXPECT_TRUE(matricesNear(device.projectionMatrix,
                                                       modelProjection(300, 500), 0.0f));
                              press(150, 250);
                          }
                          if (pass == 4) {
                              EXPECT_TRUE(appState.dragging) << "the press missed the model";
                              drag(190, 250);
                              release(190, 250);
                          }
                          if (pass == 7) {
                              menu(IDM_RESET);
                          }
                          if (pass == 9) {
                              // Reset in pass 7, then the spin of passes 7 and 8.
                              EXPECT_TRUE(matricesNear(appState.modelRotation, spun(2), 0.0f));
                              EXPECT_FALSE(appState.dragging);
                              EXPECT_EQ(appState.model.triangleCount, 6u);
                          }
                      }),
              0);
    EXPECT_TRUE(platform::liveObjects().none());
}

TEST_F(ModelScene, AFileThatCannotBeOpenedIsToldAndTheDemoGoesOn) {
    const std::string missing = (folder_ / "no such.obj").string();
    EXPECT_EQ(runWith(quoteArgument(missing), 3,
                      [&](int pass) {
                          if (pass == 2) {
                              EXPECT_TRUE(appState.model.meshes.empty());
                              EXPECT_EQ(shownMeshes().size(), 1u);
                              EXPECT_EQ(title(), "Windows Application");
                              EXPECT_GT(silhouetteOf(screen()).pixels, 2000);
                          }
                      }),
              0);
    ASSERT_EQ(backend->messageBoxes().size(), 1u);
    EXPECT_EQ(backend->messageBoxes()[0].text,
              missing + ": cannot open: No such file or directory");
    EXPECT_EQ(backend->messageBoxes()[0].caption, "Application Message");
}

// The menu and Ctrl+O open the dialog; a bad file keeps the model shown;
// a drop opens the first file dropped.
TEST_F(ModelScene, MenuCtrlOAndDropsOpenModelsAndBadFilesKeepWhatIsShown) {
    const std::string good = pyramid();
    const std::string bad = writeFile("bad.stl", "solid x\nfacet normal 0 0 1\nouter lop\n");
    const std::string stl = writeFile("tri.stl", "solid t\nfacet normal 0 0 1\nouter loop\n"
                                                 "vertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\n"
                                                 "endloop\nendfacet\nendsolid t\n");
    const auto window = [] { return reinterpret_cast<std::uintptr_t>(appState.window); };
    run(12, [&](int pass) {
        switch (pass) {
        case 1:
            backend->queueOpenFileAnswer(good);
            menu(IDM_OPEN);
            break;
        case 3:
            EXPECT_EQ(appState.modelPath, good);
            backend->queueOpenFileAnswer(bad);
            platform::input::keyDown(window(), 'O', false, false, true);
            break;
        case 6:
            // Cancelled: nothing happens.
            platform::input::keyDown(window(), 'O', false, false, true);
            break;
        case 8:
            EXPECT_EQ(appState.modelPath, good);
            EXPECT_EQ(title(), "pyr amid.obj - Windows Application");
            backend->dropFiles(appState.window, {stl, good});
            break;
        case 10:
            EXPECT_EQ(appState.modelPath, stl);
            EXPECT_EQ(appState.model.vertexCount, 3u);
            EXPECT_EQ(title(), "tri.stl - Windows Application");
            break;
        default:
            break;
        }
    });
    ASSERT_EQ(backend->openFileRequests().size(), 3u);
    const platform::OpenFileView& request = backend->openFileRequests()[0];
    ASSERT_EQ(request.filters.size(), 2u);
    EXPECT_EQ(request.filters[0].patterns, (std::vector<std::string>{"*.obj", "*.ply", "*.stl"}));
    ASSERT_EQ(backend->messageBoxes().size(), 1u);
    EXPECT_EQ(backend->messageBoxes()[0].text, bad + ": line 3: expected 'loop', found 'lop'");
    EXPECT_EQ(platform::liveObjects().drops, 0u);
}

} // namespace
} // namespace apptest
