// The headless runner end to end, in-process: arguments, scripts, the
// summary line and the PNG of the last presented frame.

#include "tools/runner.h"

#include "app/app_state.h"
#include "device/render_device.h"
#include "platform/headless/headless.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <unistd.h>

namespace headless {
namespace {

class Runner : public ::testing::Test {
  protected:
    void SetUp() override { fresh(); }
    void TearDown() override {
        fresh();
        for (const auto& path : files_) {
            std::filesystem::remove(path);
        }
    }
    static void fresh() {
        resetAppState();
        platform::resetForTesting();
        frameRate = FrameRateState{};
    }

    int run(std::vector<std::string> arguments) {
        out.str("");
        err.str("");
        return runHeadless(arguments, out, err);
    }

    std::string file(const std::string& name, const std::string& contents = {}) {
        const std::string path = (std::filesystem::temp_directory_path() /
                                  ("octaspin-runner-" + std::to_string(::getpid()) + "-" + name))
                                     .string();
        if (!contents.empty()) {
            std::ofstream(path) << contents;
        }
        files_.push_back(path);
        return path;
    }

    // The PNG read back as rows of RGB (8-bit RGB files only).
    struct Image {
        int width = 0;
        int height = 0;
        std::vector<std::uint8_t> rgb;
        std::uint32_t at(int x, int y) const {
            const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            return (p[0] << 16) | (p[1] << 8) | p[2];
        }
    };
    static Image readPng(const std::string& path) {
        png_image png{};
        png.version = PNG_IMAGE_VERSION;
        Image image;
        if (!png_image_begin_read_from_file(&png, path.c_str())) {
            return image;
        }
        EXPECT_EQ(png.format, static_cast<png_uint_32>(PNG_FORMAT_RGB));
        png.format = PNG_FORMAT_RGB;
        image.width = static_cast<int>(png.width);
        image.height = static_cast<int>(png.height);
        image.rgb.resize(PNG_IMAGE_SIZE(png));
        png_image_finish_read(&png, nullptr, image.rgb.data(), 0, nullptr);
        return image;
    }

    std::ostringstream out;
    std::ostringstream err;

  private:
    std::vector<std::string> files_;
};

struct BadArguments {
    std::vector<std::string> arguments;
    const char* reason;
};

class RunnerArguments : public Runner, public ::testing::WithParamInterface<BadArguments> {};

TEST_P(RunnerArguments, AreRefusedWithUsageAndExitCodeTwo) {
    EXPECT_EQ(run(GetParam().arguments), 2);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find(GetParam().reason), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("usage: octaspin-headless"), std::string::npos);
    // One short line says why, however long the offending word.
    EXPECT_LT(err.str().find('\n'), 120u) << err.str().substr(0, 200);
}

INSTANTIATE_TEST_SUITE_P(
    , RunnerArguments,
    ::testing::Values(
        BadArguments{{"--frames"}, "--frames needs a value"},
        BadArguments{{"--frames", "0"}, "--frames needs a whole number of at least 1, not '0'"},
        BadArguments{{"--frames", "ten"}, "not 'ten'"},
        BadArguments{{"--frames", "5x"}, "not '5x'"},
        BadArguments{{"--client", "640"}, "--client needs WxH"},
        BadArguments{{"--client", "0x10"}, "not '0x10'"},
        BadArguments{{"--client", "10x-4"}, "not '10x-4'"},
        BadArguments{{"--threads", "0"}, "--threads needs a whole number from 1 to 8, not '0'"},
        BadArguments{{"--threads", "9"}, "not '9'"},
        BadArguments{{"--threads", "two"}, "not 'two'"},
        BadArguments{{"--frames", "99999999999999999999"},
                     "--frames 99999999999999999999 is out of range 1..2147483647"},
        BadArguments{{"--frames", std::string(1 << 20, '7') + "x"}, "not '7777"},
        BadArguments{{"--png"}, "--png needs a value"},
        BadArguments{{"--png", "f%d%d.png"}, "only as a single %d"},
        BadArguments{{"--png", "f%s.png"}, "only as a single %d"},
        BadArguments{{"--png", "f%05d.png"}, "only as a single %d"},
        BadArguments{{"--png", "%d%n"}, "only as a single %d"},
        BadArguments{{"--png", "100%.png"}, "only as a single %d"},
        BadArguments{{"--png", ""}, "--png needs a file name"},
        BadArguments{{"--script", ""}, "--script needs a file name"},
        BadArguments{{"--mesh"}, "--mesh needs a value"},
        BadArguments{{"--mesh", ""}, "--mesh needs a file name"},
        BadArguments{{"--client", std::string(5000, 'x')}, "not 'xxxx"},
        BadArguments{{"--fast"}, "unknown option '--fast'"},
        BadArguments{{"frames", "3"}, "unknown option 'frames'"}));

// A script that is malformed, too long or cannot be read stops the runner
// before anything runs, with one line that says why.
struct BadScript {
    const char* name;
    std::string path; // empty: a temporary file holding `contents`
    std::string contents;
    std::string error; // after the path
};

class RunnerScripts : public Runner, public ::testing::WithParamInterface<BadScript> {};

TEST_P(RunnerScripts, StopBeforeStarting) {
    const BadScript& c = GetParam();
    const std::string script = c.path.empty() ? file(c.name, c.contents) : c.path;
    EXPECT_EQ(run({"--script", script, "--frames", "2"}), 2);
    EXPECT_EQ(err.str(), script + c.error + "\n");
    EXPECT_EQ(out.str(), "");
    // Nothing ran: no window was ever made.
    EXPECT_EQ(appState.window, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    , RunnerScripts,
    ::testing::Values(BadScript{"Malformed", "", "0 key A\n# fine so far\n3 press 10\n",
                                ":3: press: expected X Y"},
                      BadScript{"OutOfRange", "", "99999999999999999999 close\n",
                                ":1: frame 99999999999999999999 is out of range 0..2147483647"},
                      BadScript{"Directory", "/", "", ": cannot read"},
                      BadScript{"ProcessMemory", "/proc/self/mem", "", ": cannot read"},
                      BadScript{"EndlessLine", "/dev/zero", "", ":1: line longer than 4096 bytes"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Runner, PrintsTheSummaryLine) {
    EXPECT_EQ(run({"--frames", "3"}), 0);
    const std::string text = out.str();
    int frames = 0, cw = 0, ch = 0, fw = 0, fh = 0, consumed = 0;
    double fps = -1.0, ms = -1.0;
    ASSERT_EQ(std::sscanf(text.c_str(),
                          "frames: %d  client: %dx%d  frame: %dx%d  fps: %lf  ms/frame: %lf\n%n",
                          &frames, &cw, &ch, &fw, &fh, &fps, &ms, &consumed),
              7)
        << text;
    EXPECT_EQ(static_cast<std::size_t>(consumed), text.size()) << text;
    EXPECT_EQ(frames, 3);
    // The default client area is what a 640 x 480 window gets; the frame
    // is that rounded down to multiples of 4.
    EXPECT_GT(cw, 600);
    EXPECT_LT(cw, 640);
    EXPECT_GT(ch, 400);
    EXPECT_LT(ch, 480);
    EXPECT_EQ(fw, cw - cw % 4);
    EXPECT_EQ(fh, ch - ch % 4);
    EXPECT_GT(fps, 0.0);
    EXPECT_GT(ms, 0.0);
    EXPECT_EQ(err.str(), "");
}

// --mesh shows a model and names it with its counts; one that cannot be
// opened stops the runner before anything runs, as a bad script does.
TEST_F(Runner, MeshShowsTheModelOrStopsBeforeStarting) {
    const std::string model = file("pyr amid.obj", "v -1 0 -1\nv 1 0 -1\nv 1 0 1\nv -1 0 1\n"
                                                   "v 0 2 0\nf 1 2 3 4\nf 1 5 2\nf 2 5 3\n"
                                                   "f 3 5 4\nf 4 5 1\n");
    EXPECT_EQ(run({"--frames", "2", "--mesh", model}), 0);
    const std::string summary = out.str();
    const std::string named =
        "  model: " + model.substr(model.rfind('/') + 1) + "  vertices: 5  triangles: 6\n";
    ASSERT_GE(summary.size(), named.size());
    EXPECT_EQ(summary.substr(summary.size() - named.size()), named) << summary;
    EXPECT_EQ(summary.rfind("frames: 2  ", 0), 0u) << summary;

    fresh();
    const std::string bad = file("bad.ply", "ply\nformat ascii 1.0\nelement vertex x\n");
    EXPECT_EQ(run({"--frames", "2", "--mesh", bad}), 2);
    EXPECT_EQ(err.str(), bad + ": line 3: an element needs a name and a count, not 'vertex x'\n");
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(appState.window, nullptr);
}

TEST_F(Runner, QuietPrintsNothing) {
    EXPECT_EQ(run({"--frames", "2", "--quiet"}), 0);
    EXPECT_EQ(out.str(), "");
}

TEST_F(Runner, ClientSizeAppliesBeforeTheFirstFrame) {
    const std::string png = file("client.png");
    EXPECT_EQ(run({"--frames", "1", "--client", "401x303", "--png", png}), 0);
    EXPECT_NE(out.str().find("client: 401x303  frame: 400x300"), std::string::npos) << out.str();
    const Image image = readPng(png);
    EXPECT_EQ(image.width, 401);
    EXPECT_EQ(image.height, 303);
}

// The PNG is the window's picture as last presented: the polyhedron, the
// overlay, and the effect of the last scripted command.
TEST_F(Runner, PngHoldsTheLastPresentedFrame) {
    const std::string png = file("last.png");
    const std::string script = file("wire.txt", "2 menu 40006 # wireframe from the third frame\n");
    EXPECT_EQ(run({"--frames", "3", "--png", png, "--script", script}), 0);
    const Image image = readPng(png);
    // The whole client area, as the summary line gives it.
    EXPECT_NE(out.str().find("client: " + std::to_string(image.width) + "x" +
                             std::to_string(image.height) + " "),
              std::string::npos)
        << out.str();
    std::set<std::uint32_t> colours;
    int overlay = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t c = image.at(x, y);
            if (y < 32 && c != 0) {
                // The overlay text, top left.
                ++overlay;
            } else if (c != 0 && c != 0xFFFFFF) {
                // Not the window's white background past the frame's
                // rounded-down edge either.
                colours.insert(c);
            }
        }
    }
    EXPECT_GT(overlay, 20);
    // Wireframe: outlines in the diffuse colour only.
    EXPECT_EQ(colours, std::set<std::uint32_t>{0x33F233});
}

TEST_F(Runner, ScriptedFieldsReachTheColourDialogsInTheirOrder) {
    const std::string png = file("blue.png");
    // About first: it is confirmed and the texts wait for the colour
    // dialogs; the first takes red, the second blue.
    const std::string script = file("blue.txt", "0 fields 255 0 \"\"\n"
                                                "0 fields 0 0 255\n"
                                                "0 menu 40002\n"
                                                "0 menu 40008\n"
                                                "0 menu 40008\n");
    EXPECT_EQ(run({"--frames", "5", "--png", png, "--script", script}), 0);
    EXPECT_EQ(out.str().find("undelivered"), std::string::npos) << out.str();
    const Image image = readPng(png);
    ASSERT_GT(image.width, 400);
    // The upper front face, lit blue now.
    const std::uint32_t c = image.at(316, 160);
    EXPECT_GT(c & 0xff, 200u);
    EXPECT_LT((c >> 16) & 0xff, 30u);
    EXPECT_LT((c >> 8) & 0xff, 30u);
}

// --frames bounds the run whatever the backlog: one message per pass, then
// the rest is dropped, counted, and the program closes as usual.
TEST_F(Runner, BacklogEndsAfterTheGivenPasses) {
    std::string text;
    for (int i = 0; i < 1000; ++i) {
        text += "0 key LEFT\n";
    }
    text += "0 fields 1 2 3\n500 close\n";
    const std::string script = file("backlog.txt", text);
    EXPECT_EQ(run({"--frames", "10", "--script", script}), 0);
    // Ten keys went in; 990 keys, the texts and the close did not.
    EXPECT_EQ(out.str().rfind("frames: 10  ", 0), 0u) << out.str();
    EXPECT_NE(out.str().find("  undelivered: 992\n"), std::string::npos) << out.str();
    EXPECT_EQ(appState.device, nullptr); // shut down
}

TEST_F(Runner, ScriptedCloseEndsTheRunEarly) {
    const std::string script = file("close.txt", "2 close\n");
    EXPECT_EQ(run({"--frames", "100", "--script", script}), 0);
    // Passes 0, 1 and 2 drew frames; pass 3 found the quit message.
    EXPECT_EQ(out.str().rfind("frames: 3  ", 0), 0u) << out.str();
}

// A %d in the name writes every presented frame, numbered from 1: the
// last one is the picture a single --png file gets, and the spin shows
// from one to the next.
TEST_F(Runner, NumberedPngGetsEveryFrame) {
    const std::string single = file("single.png");
    ASSERT_EQ(run({"--frames", "3", "--png", single, "--quiet"}), 0);
    fresh();
    const std::string pattern = file("seq-%d.png");
    for (int n = 1; n <= 4; ++n) {
        file("seq-" + std::to_string(n) + ".png"); // removed after the test
    }
    ASSERT_EQ(run({"--frames", "3", "--png", pattern, "--quiet"}), 0) << err.str();
    EXPECT_FALSE(std::filesystem::exists(pattern));
    EXPECT_FALSE(std::filesystem::exists(file("seq-4.png")));
    std::vector<Image> frames;
    for (int n = 1; n <= 3; ++n) {
        frames.push_back(readPng(file("seq-" + std::to_string(n) + ".png")));
        ASSERT_GT(frames.back().width, 400) << "frame " << n;
    }
    EXPECT_NE(frames[0].rgb, frames[1].rgb);
    EXPECT_NE(frames[1].rgb, frames[2].rgb);
    EXPECT_EQ(frames[2].rgb, readPng(single).rgb);
}

TEST_F(Runner, UnwritablePngIsAFailure) {
    for (const char* png : {"/nonexistent/octaspin/x.png", "/nonexistent/octaspin/x-%d.png"}) {
        fresh();
        EXPECT_EQ(run({"--frames", "2", "--png", png, "--quiet"}), 1) << png;
        EXPECT_NE(err.str().find("cannot write the PNG"), std::string::npos) << err.str();
    }
}

} // namespace
} // namespace headless
