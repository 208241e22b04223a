// octaspin-render's pictures: framing, coverage as alpha, supersampling,
// bands and threads, each against an independent way to the same pixels.

#include "geometry/draw_mesh.h"
#include "geometry/framing.h"
#include "image/png_writer.h"
#include "model/load_model.h"
#include "scene/demo_view.h"
#include "scene/scene_values.h"
#include "tests/geometry/render_fixture.h"
#include "tools/octaspin-render/picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace render {
namespace {

model::LoadedModel loadObj(const std::string& text, const char* name = "test.obj") {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    model::LoadResult result = model::loadModel({bytes, text.size()}, name);
    EXPECT_TRUE(result.ok()) << result.error;
    return std::move(result.model);
}

// A closed box of the given size, faces counter-clockwise from outside.
model::LoadedModel box(double sx, double sy, double sz) {
    std::string obj;
    for (int i = 0; i < 8; ++i) {
        obj += "v " + std::to_string((i & 1) ? sx : 0.0) + " " +
               std::to_string((i & 2) ? sy : 0.0) + " " + std::to_string((i & 4) ? sz : 0.0) + "\n";
    }
    obj += "f 1 3 4 2\nf 5 6 8 7\nf 1 2 6 5\nf 3 7 8 4\nf 1 5 7 3\nf 2 4 8 6\n";
    return loadObj(obj);
}

model::LoadedModel knot() {
    model::LoadResult result = model::loadModelFile(OCTASPIN_KNOT_MODEL);
    EXPECT_TRUE(result.ok()) << result.error;
    return std::move(result.model);
}

Picture draw(const model::LoadedModel& loaded, const PictureOptions& options) {
    Picture picture;
    std::string error;
    EXPECT_TRUE(drawPicture(loaded.meshes, modelColor(options, loaded), options, picture, error))
        << error;
    return picture;
}

const std::uint8_t* at(const Picture& p, int x, int y) {
    return p.pixels.data() + (static_cast<std::size_t>(y) * p.width + x) * p.channels;
}

// The box around the pixels with alpha.
struct Covered {
    int left = 1 << 30;
    int top = 1 << 30;
    int right = -1;
    int bottom = -1;
};
Covered coveredBox(const Picture& p) {
    Covered box;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            if (at(p, x, y)[3] != 0) {
                box = Covered{std::min(box.left, x), std::min(box.top, y), std::max(box.right, x),
                              std::max(box.bottom, y)};
            }
        }
    }
    return box;
}

struct FramingCase {
    const char* model;
    double sx, sy, sz;
    View view;
    int width;
    int height;
};

class Framing : public ::testing::TestWithParam<FramingCase> {};

// A long thin model and a tiny one fill the picture (45% of its shorter
// side at least; their spheres 95%) and never touch its border, in every
// shape of picture and from every side.
TEST_P(Framing, FillsThePictureAndKeepsOffTheBorder) {
    const FramingCase& c = GetParam();
    PictureOptions options;
    options.width = c.width;
    options.height = c.height;
    options.samples = 1;
    options.view = c.view;
    const Picture p = draw(box(c.sx, c.sy, c.sz), options);
    const Covered box = coveredBox(p);
    ASSERT_GE(box.right, 0) << "nothing drawn";
    EXPECT_GT(box.left, 0);
    EXPECT_GT(box.top, 0);
    EXPECT_LT(box.right, c.width - 1);
    EXPECT_LT(box.bottom, c.height - 1);
    const int shorter = std::min(c.width, c.height);
    const int extent = std::max(box.right - box.left, box.bottom - box.top) + 1;
    EXPECT_GE(extent * 20, shorter * 9)
        << "box " << box.left << "," << box.top << " - " << box.right << "," << box.bottom;
}

INSTANTIATE_TEST_SUITE_P(
    , Framing,
    ::testing::Values(FramingCase{"rod", 1000, 100, 80, View::Front, 64, 64},
                      FramingCase{"rod", 1000, 100, 80, View::Iso, 64, 64},
                      FramingCase{"rod", 1000, 100, 80, View::Top, 96, 40},
                      FramingCase{"rod", 100, 1000, 80, View::Right, 40, 96},
                      FramingCase{"rod", 100, 80, 1000, View::Iso, 40, 96},
                      FramingCase{"rod", 100, 1000, 80, View::Iso, 96, 40},
                      FramingCase{"tiny", 2e-4, 1e-4, 3e-4, View::Iso, 64, 64},
                      FramingCase{"tiny", 2e-4, 1e-4, 3e-4, View::Bottom, 33, 17},
                      FramingCase{"tiny", 2e-4, 1e-4, 3e-4, View::Back, 17, 33},
                      FramingCase{"tiny", 2e-4, 1e-4, 3e-4, View::Left, 128, 20}));

// The rule itself, from many directions and picture shapes: the sphere's
// outline lands within 1 - margin of the centre on both axes, and reaches
// it on the shorter side.
TEST(FramingRule, TheSphereJustFitsTheShorterSide) {
    for (const float aspect : {1.0f, 0.5f, 2.0f, 0.75f, 1.7f}) {
        Matrix4 projection;
        perspective(projection, demo::kHalfAngle, demo::kHalfAngle, aspect, demo::kNear,
                    demo::kFar);
        for (int v = 0; v < 7; ++v) {
            const ViewDirection from = viewDirection(static_cast<View>(v));
            const Vec3 centre{3.0f, -2.0f, 5.0f};
            const float radius = 37.0f;
            framing::FramedView framed;
            ASSERT_TRUE(
                framing::frameSphere(centre, radius, from.direction, from.up, projection, framed));
            RenderDevice device;
            device.lookAt(framed.eye, framed.target, framed.up);
            double reachX = 0.0;
            double reachY = 0.0;
            // Points of the sphere on a fine grid of angles.
            for (int i = 0; i <= 360; ++i) {
                for (int j = 0; j <= 180; ++j) {
                    const double a = i * 3.14159265358979 / 180.0;
                    const double b = j * 3.14159265358979 / 180.0;
                    const Vec3 p{static_cast<float>(centre.x + radius * std::sin(b) * std::cos(a)),
                                 static_cast<float>(centre.y + radius * std::sin(b) * std::sin(a)),
                                 static_cast<float>(centre.z + radius * std::cos(b))};
                    Vec3 view;
                    transformPoint(view, device.viewMatrix, p);
                    ASSERT_GT(view.z, 0.0f);
                    Vec3 clip;
                    transformPoint(clip, projection, view);
                    reachX = std::max(reachX, std::fabs(static_cast<double>(clip.x)));
                    reachY = std::max(reachY, std::fabs(static_cast<double>(clip.y)));
                }
            }
            const double limit = 1.0 - framing::kMargin;
            EXPECT_LE(reachX, limit + 1e-4) << "aspect " << aspect << " view " << v;
            EXPECT_LE(reachY, limit + 1e-4) << "aspect " << aspect << " view " << v;
            EXPECT_GE(std::max(reachX, reachY), limit - 2e-3) << "aspect " << aspect;
        }
    }
    Matrix4 flat{};
    framing::FramedView untouched;
    EXPECT_FALSE(framing::frameSphere(Vec3{}, 1.0f, Vec3{0, 0, 1}, Vec3{0, 1, 0}, flat, untouched));
    EXPECT_EQ(framing::distance(0.0f, demo::projection()), 0.0);
    EXPECT_EQ(framing::distance(NAN, demo::projection()), 0.0);
}

// One sample a pixel seen from the front is the demo's own frame with the
// camera moved to the framing distance (the front view's light is the
// demo's light): alpha 255 exactly where the frame was drawn, 0 elsewhere,
// and the frame's colours.
TEST(Samples, OneSampleIsThePlainFrame) {
    const model::LoadedModel loaded = knot();
    for (const std::uint32_t mode :
         {RenderMode::Flat, RenderMode::Gouraud, RenderMode::Wireframe}) {
        PictureOptions options;
        options.width = 72;
        options.height = 56;
        options.samples = 1;
        options.view = View::Front;
        options.renderMode = mode;
        const Picture picture = draw(loaded, options);

        RenderDevice device;
        testing_frame::MemoryFrame frame(device, options.width, options.height);
        Light ambient{};
        Light directional{};
        Material material{};
        demo::setUpView(device, ambient, directional, material);
        Matrix4 projection;
        perspective(projection, demo::kHalfAngle, demo::kHalfAngle, 56.0f / 72.0f, demo::kNear,
                    demo::kFar);
        device.setProjection(projection);
        const double d = framing::distance(100.0f, projection);
        device.lookAt(Vec3{0.0f, 0.0f, static_cast<float>(-d)}, Vec3{}, Vec3{0.0f, 1.0f, 0.0f});
        device.renderMode = mode;
        device.clear();
        for (const Mesh& mesh : loaded.meshes) {
            drawMesh(device, mesh);
        }
        int drawn = 0;
        for (int y = 0; y < options.height; ++y) {
            for (int x = 0; x < options.width; ++x) {
                const testing_frame::Rgb rgb = frame.pixel(x, y);
                const bool lit = frame.depth(x, y) != 0.0f || !(rgb == testing_frame::Rgb{});
                const std::uint8_t* p = at(picture, x, y);
                ASSERT_EQ(p[3], lit ? 255 : 0) << x << "," << y << " mode " << mode;
                ASSERT_EQ((testing_frame::Rgb{p[0], p[1], p[2]}), rgb) << x << "," << y;
                drawn += lit ? 1 : 0;
            }
        }
        EXPECT_GT(drawn, 100) << "mode " << mode;
    }
}

// N x N samples at W x H are the pixels of one sample at NW x NH, gathered:
// alpha the rounded share of covered samples, colour their rounded mean (on
// a background: with the background's samples). Edges get values between.
TEST(Samples, SamplesAreTheLargerFrameGathered) {
    const model::LoadedModel loaded = knot();
    for (const int n : {2, 3, 4}) {
        for (const bool transparent : {true, false}) {
            PictureOptions options;
            options.width = 40;
            options.height = 30;
            options.samples = n;
            options.transparent = transparent;
            options.background = Rgb8{10, 200, 30};
            const Picture small = draw(loaded, options);
            PictureOptions large = options;
            large.width *= n;
            large.height *= n;
            large.samples = 1;
            large.transparent = true;
            const Picture big = draw(loaded, large);
            const unsigned all = static_cast<unsigned>(n * n);
            int between = 0;
            for (int y = 0; y < options.height; ++y) {
                for (int x = 0; x < options.width; ++x) {
                    unsigned covered = 0;
                    unsigned sum[3] = {0, 0, 0};
                    for (int sy = 0; sy < n; ++sy) {
                        for (int sx = 0; sx < n; ++sx) {
                            const std::uint8_t* s = at(big, x * n + sx, y * n + sy);
                            covered += s[3] != 0 ? 1 : 0;
                            const std::uint8_t* bg = &options.background.red;
                            for (int k = 0; k < 3; ++k) {
                                sum[k] += s[3] != 0 ? s[k] : transparent ? 0 : bg[k];
                            }
                        }
                    }
                    const std::uint8_t* p = at(small, x, y);
                    const unsigned divisor = transparent ? (covered == 0 ? 1 : covered) : all;
                    for (int k = 0; k < 3; ++k) {
                        ASSERT_EQ(p[k], (sum[k] + divisor / 2) / divisor) << x << "," << y;
                    }
                    if (transparent) {
                        ASSERT_EQ(p[3], (covered * 255 + all / 2) / all) << x << "," << y;
                        ASSERT_EQ(p[3] == 0, covered == 0);
                        between += p[3] > 0 && p[3] < 255 ? 1 : 0;
                    }
                }
            }
            if (transparent) {
                EXPECT_GT(between, 20) << "no anti-aliased edge at " << n << " samples";
            }
        }
    }
}

// Bands (forced small here) put every row where the whole frame puts it.
// A polygon cut at a band's border is walked from the cut, so a few edge
// pixels move by a sample; nothing else changes, and no line runs along a
// border. The bands are the same for every thread count, byte for byte.
TEST(Bands, MatchTheWholeFrameAndEveryThreadCount) {
    const model::LoadedModel loaded = knot();
    for (const std::uint32_t mode : {RenderMode::Gouraud, RenderMode::Wireframe}) {
        PictureOptions options;
        options.width = 96;
        options.height = 80;
        options.samples = 2;
        options.renderMode = mode;
        const Picture whole = draw(loaded, options);
        options.bandSamples = 192 * 2 * 20; // bands of 20 picture rows
        std::vector<std::uint8_t> banded;
        for (const int threads : {1, 2, 3}) {
            options.threads = threads;
            const Picture p = draw(loaded, options);
            if (banded.empty()) {
                banded = p.pixels;
            }
            EXPECT_EQ(p.pixels, banded) << "threads " << threads;
        }
        int differ = 0;
        for (int y = 0; y < options.height; ++y) {
            int inRow = 0;
            for (int x = 0; x < options.width; ++x) {
                const std::size_t i = (static_cast<std::size_t>(y) * options.width + x) * 4;
                int most = 0;
                for (std::size_t k = 0; k < 4; ++k) {
                    most = std::max(most, std::abs(banded[i + k] - whole.pixels[i + k]));
                }
                inRow += most > 64 ? 1 : 0;
            }
            EXPECT_LE(inRow, options.width / 8) << "row " << y << " mode " << mode;
            differ += inRow;
        }
        EXPECT_LE(differ, options.width * options.height / 100) << "mode " << mode;
    }
}

// Pictures one pixel wide or high, or both, in every mode: drawn within
// their buffers (the sanitizer builds watch), and their alpha still the
// larger frame's coverage gathered. (The model fits the shorter side, so
// in a picture one pixel wide it is about one pixel across.)
TEST(Samples, ExtremeShapesGatherTheLargerFrame) {
    const model::LoadedModel loaded = knot();
    for (const auto& [width, height] : {std::pair{1, 1}, {1, 300}, {300, 1}, {3, 2}}) {
        for (const std::uint32_t mode :
             {RenderMode::Flat, RenderMode::Gouraud, RenderMode::Wireframe}) {
            const int n = 4;
            PictureOptions options;
            options.width = width;
            options.height = height;
            options.samples = n;
            options.renderMode = mode;
            const Picture p = draw(loaded, options);
            options.width *= n;
            options.height *= n;
            options.samples = 1;
            const Picture big = draw(loaded, options);
            ASSERT_EQ(p.pixels.size(), static_cast<std::size_t>(width) * height * 4);
            int covered = 0;
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x) {
                    unsigned samples = 0;
                    for (int s = 0; s < n * n; ++s) {
                        samples += at(big, x * n + s % n, y * n + s / n)[3] != 0 ? 1 : 0;
                    }
                    ASSERT_EQ(at(p, x, y)[3], (samples * 255 + 8) / 16)
                        << width << "x" << height << " mode " << mode << " at " << x << "," << y;
                    covered += samples;
                }
            }
            if (std::min(width, height) > 1) {
                EXPECT_GT(covered, 0) << width << "x" << height << " mode " << mode;
            }
        }
    }
}

// A black wireframe on a transparent background still shows: its lines are
// found, and they are black.
TEST(Samples, BlackLinesAreCovered) {
    PictureOptions options;
    options.width = 48;
    options.height = 48;
    options.renderMode = RenderMode::Wireframe;
    options.colorGiven = true;
    options.color = Rgb8{0, 0, 0};
    const Picture p = draw(knot(), options);
    int covered = 0;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            const std::uint8_t* q = at(p, x, y);
            covered += q[3] != 0 ? 1 : 0;
            ASSERT_EQ(q[0] | q[1] | q[2], 0);
        }
    }
    EXPECT_GT(covered, 100);
}

// The same bytes on every system: a frame checksum (FNV-1a) of the default
// picture of the knot, and of its PNG file, the same numbers in the Linux
// build and under Wine.
std::uint64_t fnv1a(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t h = 14695981039346656037ull;
    for (std::uint8_t b : bytes) {
        h = (h ^ b) * 1099511628211ull;
    }
    return h;
}

TEST(Golden, TheKnotsPictureAndFile) {
    PictureOptions options;
    options.width = 64;
    options.height = 48;
    const Picture p = draw(knot(), options);
    std::vector<std::uint8_t> png;
    std::string error;
    ASSERT_TRUE(image::encodePng(
        image::ImageRows{p.pixels.data(), 64 * 4, 64, 48, image::PixelOrder::Rgba}, png, error))
        << error;
    EXPECT_EQ(fnv1a(p.pixels), 3039414179373721979ull);
    EXPECT_EQ(fnv1a(png), 2697325077593579507ull);
}

// A model with colours of its own is drawn in them in every fill style,
// unless a colour is given: a pure red box shows red alone; the same box
// with --color #0000ff shows blue over the material's grey ambient (grey
// alone where a vertex is turned from the light).
TEST(Colours, TheFilesColoursUnlessAColourIsGiven) {
    std::string obj;
    for (int i = 0; i < 8; ++i) {
        obj += "v " + std::to_string(i & 1) + " " + std::to_string((i >> 1) & 1) + " " +
               std::to_string((i >> 2) & 1) + " 1 0 0\n";
    }
    obj += "f 1 3 4 2\nf 5 6 8 7\nf 1 2 6 5\nf 3 7 8 4\nf 1 5 7 3\nf 2 4 8 6\n";
    const model::LoadedModel red = loadObj(obj);
    ASSERT_TRUE(red.fileColors);
    for (const std::uint32_t mode :
         {RenderMode::Flat, RenderMode::Gouraud, RenderMode::Wireframe}) {
        for (const bool given : {false, true}) {
            SCOPED_TRACE(std::to_string(mode) + (given ? ", --color #0000ff" : ""));
            PictureOptions options;
            options.width = 48;
            options.height = 40;
            options.renderMode = mode;
            options.colorGiven = given;
            options.color = Rgb8{0, 0, 255};
            EXPECT_EQ(modelColor(options, red).fileColors, !given);
            const Picture p = draw(red, options);
            int covered = 0;
            int blue = 0;
            for (int y = 0; y < p.height; ++y) {
                for (int x = 0; x < p.width; ++x) {
                    const std::uint8_t* px = at(p, x, y);
                    if (px[3] == 0) {
                        continue;
                    }
                    ++covered;
                    if (given) {
                        // The material's white ambient adds a grey.
                        ASSERT_EQ(px[0], px[1]) << x << "," << y;
                        ASSERT_GE(px[2], px[0]) << x << "," << y;
                        blue += px[2] > px[0] ? 1 : 0;
                    } else {
                        ASSERT_EQ(px[1] | px[2], 0) << x << "," << y;
                        ASSERT_GT(px[0], 0) << x << "," << y;
                    }
                }
            }
            EXPECT_GT(covered, 20);
            EXPECT_EQ(blue > covered / 2, given);
        }
    }
}

} // namespace
} // namespace render
