// One picture of a model: framed, lit from over the viewer's shoulder,
// supersampled and, on a transparent background, with the coverage as
// alpha. What octaspin-render draws for each model.
//
// How a picture is made (the manual page says the same):
//  - Camera. The camera looks at the model's centre (the origin: the loader
//    centres every model) from the named direction, at the distance where
//    the model's bounding sphere (radius 100: the loader scales every model
//    to it) fills the shorter side of the picture less a margin of 5% on
//    each side (geometry/framing.h). The projection is the window's: the
//    demo's 90-degree perspective with aspect height / width, near 1, far
//    1000. The model is never cut at the border.
//  - Light. The demo's ambient light and a white directional light that
//    comes from above and behind the eye, as the demo's light does for the
//    demo's camera: in view space the direction (0, 1, -1), normalised. The
//    side the viewer sees is lit.
//  - Material. The demo's: ambient (1, 1, 1) and the model's colour as the
//    diffuse colour; a model with colours of its own (the file's vertex or
//    material colours) is drawn in those instead, unless a colour is given
//    (modelColor() below).
//  - Samples. The frame is drawn at samples x samples times the picture's
//    size; output pixel (x, y) gathers the samples of columns
//    x * samples .. x * samples + samples - 1 and the same rows. A sample is
//    covered when the draw wrote it (its depth or its colour is not zero).
//    On a transparent background alpha = (covered * 255 + n / 2) / n and the
//    colour is the rounded mean (sum + covered / 2) / covered of the covered
//    samples (0 where none is), n = samples^2; on a coloured background the
//    uncovered samples take the background colour and the colour is
//    (sum + n / 2) / n. All integer, so the result is the same everywhere.
//  - Memory. The frame is drawn in bands of whole picture rows of at most
//    kBandSamples samples each (colour and depth: 7 bytes a sample, 112 MiB
//    at most), each with the rows of the whole frame it covers projected
//    exactly where the whole frame would put them (its own projection, the
//    frame's shifted and scaled in y) and two rows more on each side, drawn
//    and thrown away, so that no band's border shows. A frame of up to
//    kBandSamples samples is one band: the plain frame.
//  - Threads. The device's worker threads draw; the picture is the same for
//    every thread count.
#pragma once

#include "device/render_device.h"
#include "geometry/mesh.h"
#include "math/vector_math.h"
#include "model/load_model.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace render {

enum class View { Iso, Front, Back, Left, Right, Top, Bottom };

// Where the eye is seen from the model's centre, and the up vector.
//  iso    (1, 1, -1): from the front, the right and above; up +y
//  front  (0, 0, -1), back (0, 0, 1), left (-1, 0, 0), right (1, 0, 0): up +y
//  top    (0, 1, 0): up +z, the model's front at the picture's bottom
//  bottom (0, -1, 0): up -z, the model's front at the picture's top
// (model space: x right, y up, z away from the front; the loader negates the
// files' z).
struct ViewDirection {
    Vec3 direction;
    Vec3 up;
};
ViewDirection viewDirection(View view);

inline constexpr std::int64_t kBandSamples = std::int64_t{1} << 24;

struct Rgb8 {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Rgb8&) const = default;
};

struct PictureOptions {
    std::int32_t width = 256;
    std::int32_t height = 256;
    std::int32_t samples = 2; // per side of a pixel
    View view = View::Iso;
    std::uint32_t renderMode = RenderMode::Gouraud;
    bool colorGiven = false; // --color
    Rgb8 color;
    bool transparent = true;
    Rgb8 background;
    std::int32_t threads = 0; // 0: the device's default
    // Samples a band holds at most (the tests draw in small bands).
    std::int64_t bandSamples = kBandSamples;
};

// The demo's green, (0.2, 0.95, 0.2).
Color3 defaultModelColor();

// How the model is coloured: the material's diffuse colour (the one given,
// else the demo's green), and whether the meshes' own colours are drawn in
// its place (the file has colours and no colour is given).
struct ModelColoring {
    Color3 material;
    bool fileColors = false;
};
ModelColoring modelColor(const PictureOptions& options, const model::LoadedModel& loaded);

// A picture: width x height pixels, rows from the top; 4 bytes a pixel
// (red, green, blue, alpha) on a transparent background, else 3.
struct Picture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t channels = 0;
    std::vector<std::uint8_t> pixels;
};

// Draws the meshes as the header says. False, with the reason, when the
// options are out of range (the command line checks them first) or the
// memory cannot be had.
bool drawPicture(std::span<const Mesh> meshes, const ModelColoring& coloring,
                 const PictureOptions& options, Picture& picture, std::string& error);

} // namespace render
