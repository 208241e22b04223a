// Models in the program: opened from the command line, File > Open..., Ctrl+O
// and a drop; the title, the undistorted projection, a drag on the model and
// File > Reset; a file that cannot be opened told in a message box with what
// was shown kept; Render > Model Colors with and without a model's own
// colours. And the command line that carries a model's name to WinMain.
#include "app/model_scene.h"
#include "app/resource.h"
#include "app/winmain_command_line.h"
#include "app_harness.h"
#include "platform/core/win32_files.h"
#include "scene/scene_values.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
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

// View > Fit (F): a long thin model and a tiny one, in a wide and a tall
// window, fill the client area and stay inside it (the framing rule of
// geometry/framing.h for the model's bounding sphere); the wheel and a pan
// move the camera, and F puts it back where Fit put it. With the demo, F
// gives its start camera.
struct FitCase {
    const char* name;
    const char* text; // nullptr: the demo
    int width, height;
};

void PrintTo(const FitCase& c, std::ostream* os) {
    *os << c.name;
}

class FitView : public ModelScene, public ::testing::WithParamInterface<FitCase> {};

TEST_P(FitView, FillsTheWindowAndComesBackAfterTheWheelAndAPan) {
    const FitCase& c = GetParam();
    const std::string line = c.text == nullptr ? "" : quoteArgument(writeFile("fit.obj", c.text));
    Silhouette fitted;
    Vec3 eye, target, movedEye, movedTarget, refitEye, refitTarget;
    runWith(line, 13, [&](int pass) {
        if (pass == 0) {
            backend->resizeClient(appState.window, c.width, c.height);
        }
        if (pass == 1) {
            key('C'); // the demo's camera off its start
            key('F');
        }
        if (pass == 5) {
            fitted = silhouetteOf(screen());
            eye = appState.eye;
            target = appState.target;
            post(WM_MOUSEWHEEL, MAKEWPARAM(0, 240), MAKELPARAM(100, 100));
            post(WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(100, 100));
            post(WM_MOUSEMOVE, MK_MBUTTON, MAKELPARAM(130, 90));
            post(WM_MBUTTONUP, 0, MAKELPARAM(130, 90));
        }
        if (pass == 9) {
            movedEye = appState.eye;
            movedTarget = appState.target;
            key('F');
        }
        if (pass == 12) {
            refitEye = appState.eye;
            refitTarget = appState.target;
        }
    });
    const auto distance = [](const Vec3& a, const Vec3& b) {
        return length(Vec3{a.x - b.x, a.y - b.y, a.z - b.z});
    };
    EXPECT_GT(distance(movedEye, eye), 1.0f) << "the wheel and the pan moved nothing";
    EXPECT_GT(distance(movedTarget, target), 0.1f);
    for (const auto& [got, want] : {std::pair{refitEye, eye}, std::pair{refitTarget, target}}) {
        EXPECT_NEAR(got.x, want.x, 1e-3);
        EXPECT_NEAR(got.y, want.y, 1e-3);
        EXPECT_NEAR(got.z, want.z, 1e-3);
    }
    if (c.text == nullptr) {
        EXPECT_NEAR(eye.x, demo::kEye.x, 1e-6);
        EXPECT_NEAR(eye.z, demo::kEye.z, 1e-6);
        return;
    }
    // Inside the client area, and filling its shorter side (the spin turns
    // the model within its sphere, which fits with the rule's margin).
    ASSERT_GT(fitted.pixels, 0);
    EXPECT_GT(fitted.left, 0);
    EXPECT_LT(fitted.right, c.width / 4 * 4 - 1);
    EXPECT_LT(fitted.bottom, c.height / 4 * 4 - 1);
    const int shorter = std::min(c.width, c.height);
    const int extent = std::max(fitted.right - fitted.left, fitted.bottom - fitted.top) + 1;
    EXPECT_GE(extent * 5, shorter * 2)
        << fitted.left << "," << fitted.top << " - " << fitted.right << "," << fitted.bottom;
}

constexpr char kRod[] = "v 0 0 0\nv 1000 0 0\nv 1000 30 0\nv 0 30 0\nv 0 0 20\n"
                        "v 1000 0 20\nv 1000 30 20\nv 0 30 20\n"
                        "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 4 8 7 3\nf 1 5 8 4\nf 2 3 7 6\n";
constexpr char kTiny[] = "v 0 0 0\nv 0.0002 0 0\nv 0 0.0003 0\nv 0 0 0.0001\n"
                         "f 1 3 2\nf 1 2 4\nf 1 4 3\nf 2 3 4\n";

INSTANTIATE_TEST_SUITE_P(, FitView,
                         ::testing::Values(FitCase{"RodInAWideWindow", kRod, 632, 300},
                                           FitCase{"RodInATallWindow", kRod, 300, 500},
                                           FitCase{"TinyInAWideWindow", kTiny, 632, 300},
                                           FitCase{"TinyInATallWindow", kTiny, 260, 480},
                                           FitCase{"Demo", nullptr, 632, 432}),
                         [](const auto& info) { return std::string(info.param.name); });

// Render > Model Colors for each kind of thing shown: its greying, its
// check mark and the picture's colours, at opening and after the item is
// chosen once and twice. The coloured models are pure red, so with their
// colours every lit pixel is red alone; in the material's (51, 242, 51)
// every pixel has green.
struct ModelColorsCase {
    const char* name;
    const char* file; // nullptr: the demo
    const char* text;
    const char* title;
    bool hasColors;
};

void PrintTo(const ModelColorsCase& c, std::ostream* os) {
    *os << c.name;
}

class ModelColorsItem : public ModelScene, public ::testing::WithParamInterface<ModelColorsCase> {};

TEST_P(ModelColorsItem, GreysChecksAndSwitchesThePicturesColours) {
    const ModelColorsCase& c = GetParam();
    const std::string line = c.file == nullptr ? "" : quoteArgument(writeFile(c.file, c.text));
    struct Seen {
        bool grayed = false;
        bool checked = false;
        bool deviceOn = false;
        std::set<COLORREF> colors;
    };
    std::vector<Seen> seen;
    std::string shownTitle;
    runWith(line, 7, [&](int pass) {
        if (pass == 2 || pass == 4 || pass == 6) {
            const auto* bar = backend->menuBar(appState.window);
            ASSERT_NE(bar, nullptr);
            const platform::MenuItemView& item = (*bar)[1].items.back();
            ASSERT_EQ(item.id, static_cast<unsigned>(IDM_MODEL_COLORS));
            seen.push_back({item.grayed, item.checked, appState.device->modelColors,
                            silhouetteOf(screen()).colors});
            shownTitle = title();
            menu(IDM_MODEL_COLORS);
        }
    });
    EXPECT_EQ(shownTitle, c.title);
    ASSERT_EQ(seen.size(), 3u);
    for (std::size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE("choice " + std::to_string(i));
        // Opened in the file's colours; each choice flips them.
        const bool inFileColors = c.hasColors && i % 2 == 0;
        EXPECT_EQ(seen[i].grayed, !c.hasColors);
        EXPECT_EQ(seen[i].checked, inFileColors);
        if (c.hasColors) {
            EXPECT_EQ(seen[i].deviceOn, inFileColors);
        }
        ASSERT_FALSE(seen[i].colors.empty());
        for (COLORREF color : seen[i].colors) {
            const bool redOnly = GetGValue(color) == 0 && GetBValue(color) == 0;
            ASSERT_EQ(redOnly, inFileColors) << std::hex << color;
        }
    }
}

constexpr char kRedPly[] = "ply\nformat ascii 1.0\nelement vertex 4\nproperty float x\n"
                           "property float y\nproperty float z\nproperty uchar red\n"
                           "property uchar green\nproperty uchar blue\nelement face 2\n"
                           "property list uchar int vertex_indices\nend_header\n"
                           "-1 -1 0 255 0 0\n1 -1 0 255 0 0\n1 1 0 255 0 0\n-1 1 0 255 0 0\n"
                           "3 0 1 2\n3 0 2 3\n";
constexpr char kRedObj[] = "v -1 -1 0 1 0 0\nv 1 -1 0 1 0 0\nv 1 1 0 1 0 0\nv -1 1 0 1 0 0\n"
                           "f 1 2 3 4\n";
constexpr char kPlainObj[] = "v -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\nf 1 2 3 4\n";
constexpr char kMissingMtlObj[] = "mtllib gone.mtl\nv -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\n"
                                  "usemtl red\nf 1 2 3 4\n";

INSTANTIATE_TEST_SUITE_P(
    , ModelColorsItem,
    ::testing::Values(
        ModelColorsCase{"Demo", nullptr, "", "Windows Application", false},
        ModelColorsCase{"ColouredPly", "red.ply", kRedPly, "red.ply - Windows Application", true},
        ModelColorsCase{"ColouredObj", "red.obj", kRedObj, "red.obj - Windows Application", true},
        ModelColorsCase{"PlainObj", "plain.obj", kPlainObj, "plain.obj - Windows Application",
                        false},
        ModelColorsCase{"MissingMaterials", "nomtl.obj", kMissingMtlObj,
                        "nomtl.obj (materials file not found: gone.mtl) - Windows Application",
                        false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace apptest
