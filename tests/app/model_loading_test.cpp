// Models loaded in the background, on a loading thread and in steps of the
// frame loop: the window draws on with the progress in its title; Esc, File
// > Cancel Loading and a second open give a load up and leave what was
// shown; a failure is told in the message box; shut-down ends a load under
// way. A gate on the load's progress holds the loading thread back, so the
// load lasts as long as the test needs.
#include "app/model_loading.h"
#include "app/model_scene.h"
#include "app/resource.h"
#include "app_harness.h"

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace apptest {
namespace {

// Each progress call of the loading thread waits for a pass that grants it,
// for the gate to open, or for the watched load to be given up (at most
// ten seconds, so that a fault cannot hang the test).
class ProgressGate {
  public:
    void arrive() {
        std::unique_lock<std::mutex> lock(mutex_);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!open_ && grants_ == 0 && !(watched_ != nullptr && watched_->cancelled()) &&
               std::chrono::steady_clock::now() < until) {
            woken_.wait_for(lock, std::chrono::milliseconds(1));
        }
        if (grants_ > 0) {
            --grants_;
        }
    }
    void grant() {
        change([this] { ++grants_; });
    }
    void open(bool open) {
        change([this, open] { open_ = open, grants_ = 0; });
    }
    // The load lives until its thread is joined, and only its thread arrives.
    void watch(const BackgroundLoad* load) {
        change([this, load] { watched_ = load; });
    }

  private:
    template <typename F> void change(F f) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            f();
        }
        woken_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable woken_;
    bool open_ = false;
    int grants_ = 0;
    const BackgroundLoad* watched_ = nullptr;
};

// A binary STL of `count` triangles around a cylinder.
std::string cylinderStl(int count) {
    std::string bytes(80, ' ');
    auto put = [&bytes](const void* p, std::size_t n) {
        bytes.append(static_cast<const char*>(p), n);
    };
    const auto n = static_cast<std::uint32_t>(count);
    put(&n, 4);
    for (int i = 0; i < count; ++i) {
        const float a = 0.01f * static_cast<float>(i);
        const float h = 0.001f * static_cast<float>(i);
        const float v[12] = {0,           0,
                             0,           0,
                             h,           0,
                             std::cos(a), h + 1,
                             std::sin(a), std::cos(a + 0.5f),
                             h,           std::sin(a + 0.5f)};
        put(v, sizeof v);
        put("\0\0", 2);
    }
    return bytes;
}

class ModelLoading : public AppScenario, public ::testing::WithParamInterface<ModelLoadMode> {
  protected:
    void SetUp() override {
        AppScenario::SetUp();
        std::filesystem::create_directories(folder_);
        appState.loading.mode = GetParam();
        // Small chunks: many steps, many progress calls.
        appState.loading.options.chunkBytes = 4096;
        if (GetParam() == ModelLoadMode::Thread) {
            appState.loading.options.progress = [this](std::uint64_t, std::uint64_t) {
                gate_.arrive();
            };
        }
    }
    void TearDown() override {
        gate_.open(true);
        AppScenario::TearDown();
        std::filesystem::remove_all(folder_);
    }

    std::string writeFile(const std::string& name, const std::string& bytes) {
        const std::string path = (folder_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    // The percentage in a title "Loading NAME … P % - Windows Application",
    // -1 for any other title.
    int loadingPercent(const std::string& name) const {
        const std::string title = backend->title(appState.window);
        const std::string head = "Loading " + name + " \xE2\x80\xA6 ";
        const std::string tail = " % - Windows Application";
        if (title.rfind(head, 0) != 0 || title.size() < head.size() + tail.size() ||
            title.compare(title.size() - tail.size(), tail.size(), tail) != 0) {
            return -1;
        }
        return std::atoi(title.c_str() + head.size());
    }

    // Lets the load under way run to its end (the next pass installs it),
    // and the loads given up end too.
    void letLoadsEnd() {
        gate_.open(true);
        for (int i = 0; i < 10000 && appState.loading.pending && !appState.loading.pending->poll();
             ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        for (const auto& load : appState.loading.givenUp) {
            for (int i = 0; i < 10000 && !load->poll(); ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
    }

    ProgressGate gate_;
    std::filesystem::path folder_ =
        std::filesystem::temp_directory_path() / ("octaspin loading " + std::to_string(::getpid()));
};

TEST_P(ModelLoading, TheWindowDrawsOnWhileAModelLoadsAndALoadCanBeGivenUp) {
    const std::string big = writeFile("big.stl", cylinderStl(3000));
    const std::string tri = writeFile("tri.stl", cylinderStl(1));
    const std::string bad = writeFile("bad.stl", "solid x\nfacet normal 0 0 1\nouter lop\n");
    Picture last;
    int lastPercent = 0;
    int percents = 0;
    // Checks at each pass of the phase in which `path` loads.
    const auto loading = [&](int pass, const std::string& name) {
        const int percent = loadingPercent(name);
        EXPECT_TRUE(modelLoadPending()) << pass;
        EXPECT_GE(percent, lastPercent) << pass << ": " << backend->title(appState.window);
        percents += percent > lastPercent ? 1 : 0;
        lastPercent = percent;
        // The frame loop draws on: the polyhedron spins.
        const Picture now = screen();
        EXPECT_NE(now, last) << pass;
        last = now;
        EXPECT_EQ(shownMeshes().data(), appState.polyhedron.get()) << pass;
    };
    // Checks after a load was given up: the polyhedron and its title.
    const auto demoShown = [&](int pass) {
        EXPECT_FALSE(modelLoadPending()) << pass;
        EXPECT_EQ(backend->title(appState.window), "Windows Application") << pass;
        EXPECT_TRUE(appState.model.meshes.empty()) << pass;
        lastPercent = 0;
    };
    run(100, [&](int pass) {
        if (GetParam() == ModelLoadMode::Thread) {
            gate_.grant();
        }
        if (pass == 1 || pass == 20 || pass == 40) {
            backend->dropFiles(appState.window, {big});
        } else if (pass > 2 && pass < 15) {
            loading(pass, "big.stl");
        } else if (pass == 15) {
            key(VK_ESCAPE);
        } else if (pass == 25) {
            menu(IDM_CANCEL_LOADING);
        } else if (pass == 16 || pass == 26) {
            demoShown(pass);
            // The load given up ends on its own, and never shows.
            letLoadsEnd();
            gate_.open(false);
        } else if (pass == 18 || pass == 28) {
            EXPECT_TRUE(appState.loading.givenUp.empty()) << pass;
            demoShown(pass);
        } else if (pass == 45) {
            // A second open gives the first up.
            backend->dropFiles(appState.window, {tri});
        } else if (pass == 47 || pass == 57) {
            letLoadsEnd();
        } else if (pass == 49) {
            EXPECT_EQ(appState.modelPath, tri);
            EXPECT_EQ(appState.model.triangleCount, 1u);
            EXPECT_EQ(backend->title(appState.window), "tri.stl - Windows Application");
            backend->dropFiles(appState.window, {bad});
        } else if (pass == 59) {
            // A failure is told; the model shown stays, and so does its title.
            ASSERT_EQ(backend->messageBoxes().size(), 1u);
            EXPECT_EQ(backend->messageBoxes()[0].text,
                      bad + ": line 3: expected 'loop', found 'lop'");
            EXPECT_EQ(appState.modelPath, tri);
            EXPECT_EQ(backend->title(appState.window), "tri.stl - Windows Application");
            gate_.open(false);
            backend->dropFiles(appState.window, {big});
        } else if (pass == 70) {
            letLoadsEnd();
        } else if (pass == 72) {
            EXPECT_EQ(appState.modelPath, big);
            EXPECT_EQ(appState.model.triangleCount, 3000u);
            EXPECT_EQ(backend->title(appState.window), "big.stl - Windows Application");
            // Installed in pass 70, then spun in passes 70 and 71.
            EXPECT_TRUE(matricesNear(appState.modelRotation, spun(2), 0.0f));
            // Shut-down while the next load is under way gives it up.
            gate_.open(false);
            backend->dropFiles(appState.window, {big});
        } else if (pass == 74) {
            ASSERT_TRUE(modelLoadPending());
            gate_.watch(appState.loading.pending.get());
        }
    });
    EXPECT_GE(percents, 3);
    EXPECT_FALSE(modelLoadPending());
    EXPECT_TRUE(appState.loading.givenUp.empty());
    EXPECT_EQ(backend->messageBoxes().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Modes, ModelLoading,
                         ::testing::Values(ModelLoadMode::Thread, ModelLoadMode::Steps),
                         [](const ::testing::TestParamInfo<ModelLoadMode>& info) {
                             return info.param == ModelLoadMode::Thread ? "Thread" : "Steps";
                         });

// The page's files: bytes the program holds, and the materials beside them
// when they came along.
TEST_F(AppScenario, BytesHeldInMemoryLoadWithTheFilesThatCameAlong) {
    const std::string obj = "mtllib m.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl red\nf 1 2 3\n";
    const std::string mtl = "newmtl red\nKd 1 0 0\n";
    bool withMaterials = true;
    appState.loading.mode = ModelLoadMode::Steps;
    appState.loading.fileSource = [&](const std::string& path) -> std::optional<ModelBytes> {
        if (path != "/page/1/m.obj") {
            return std::nullopt;
        }
        ModelBytes bytes;
        bytes.data.reset(new std::uint8_t[obj.size()]);
        std::memcpy(bytes.data.get(), obj.data(), obj.size());
        bytes.size = obj.size();
        bytes.readSibling = [&](const std::string& name, std::uint64_t,
                                std::vector<std::uint8_t>& out) {
            if (!withMaterials || name != "m.mtl") {
                return model::SiblingStatus::Missing;
            }
            out.assign(mtl.begin(), mtl.end());
            return model::SiblingStatus::Read;
        };
        return bytes;
    };
    run(20, [&](int pass) {
        if (pass == 1 || pass == 10) {
            EXPECT_TRUE(openModel("/page/1/m.obj"));
        } else if (pass == 9) {
            EXPECT_TRUE(appState.model.fileColors);
            EXPECT_TRUE(appState.model.notes.empty());
            EXPECT_EQ(backend->title(appState.window), "m.obj - Windows Application");
            withMaterials = false;
        } else if (pass == 19) {
            EXPECT_FALSE(appState.model.fileColors);
            EXPECT_EQ(appState.model.notes,
                      std::vector<std::string>{"materials file not found: m.mtl"});
        }
    });
}

} // namespace
} // namespace apptest
