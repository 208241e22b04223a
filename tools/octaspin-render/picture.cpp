#include "tools/octaspin-render/picture.h"

#include "geometry/draw_mesh.h"
#include "geometry/framing.h"
#include "raster/line_stepper.h"
#include "scene/scene_values.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

namespace render {

namespace {

// Rows drawn beyond each side of a band and thrown away: a polygon cut at
// the band's border gets an outline along it (wireframe) and its edges a
// walk from another start; both stay in these rows.
constexpr std::int32_t kBandOverlap = 2;

Color3 toColor(const Rgb8& c) {
    return Color3{static_cast<float>(c.red / 255.0), static_cast<float>(c.green / 255.0),
                  static_cast<float>(c.blue / 255.0)};
}

// The window's projection for a picture of this shape.
Matrix4 pictureProjection(std::int32_t width, std::int32_t height) {
    const float aspect = static_cast<float>(height) / static_cast<float>(width);
    Matrix4 m;
    perspective(m, demo::kHalfAngle, demo::kHalfAngle, aspect, demo::kNear, demo::kFar);
    return m;
}

// The projection that puts rows first .. first + rows - 1 of a frame of
// frameRows rows into a frame of `rows` rows: the frame's row
// (1 - yp) * (frameRows - 1) / 2 becomes that minus `first`, by
// yp' = yp * k + c with k = (frameRows - 1) / (rows - 1) and
// c = 1 - (frameRows - 1 - 2 * first) / (rows - 1), folded into the matrix's
// y column (in double, rounded to float).
Matrix4 bandProjection(const Matrix4& frame, std::int32_t frameRows, std::int32_t first,
                       std::int32_t rows) {
    const double maxY = frameRows - 1;
    const double bandMaxY = rows - 1;
    const double k = maxY / bandMaxY;
    const double c = 1.0 - (maxY - 2.0 * first) / bandMaxY;
    Matrix4 m = frame;
    for (int row = 0; row < 4; ++row) {
        m[4 * row + 1] = static_cast<float>(static_cast<double>(frame[4 * row + 1]) * k +
                                            static_cast<double>(frame[4 * row + 3]) * c);
    }
    return m;
}

// The device's frame as plain memory, laid out as a bound bitmap is
// (bottom-up rows, negative pitch): `rows` rows of `width` samples.
void attachFrame(RenderDevice& device, std::uint8_t* colour, std::int32_t width,
                 std::int32_t rows) {
    device.width = width;
    device.height = rows;
    device.maxX = width - 1;
    device.maxY = rows - 1;
    device.bytesPerPixel = 3;
    device.pitch = -3 * width;
    device.colorBits = colour;
    device.rowStart = colour + static_cast<std::size_t>(rows - 1) * width * 3;
    device.frameBytes = static_cast<std::uint32_t>(static_cast<std::size_t>(width) * rows * 3);
}

// Sums of one output pixel's samples.
struct Gather {
    std::uint32_t covered = 0;
    std::uint32_t red = 0;
    std::uint32_t green = 0;
    std::uint32_t blue = 0;
};

// Folds the band's sample rows first .. first + samples * pictureRows - 1
// (band rows) into picture rows from `pictureRow` on.
void foldRows(const RenderDevice& device, const PictureOptions& options, bool blackLines,
              std::int32_t first, std::int32_t pictureRow, std::int32_t pictureRows,
              Picture& picture) {
    const std::int32_t n = options.samples;
    const std::uint32_t all = static_cast<std::uint32_t>(n * n);
    const std::size_t sampleWidth = static_cast<std::size_t>(device.width);
    std::vector<Gather> row(static_cast<std::size_t>(picture.width));
    for (std::int32_t py = 0; py < pictureRows; ++py) {
        std::fill(row.begin(), row.end(), Gather{});
        for (std::int32_t sy = 0; sy < n; ++sy) {
            const std::int32_t y = first + py * n + sy;
            const std::uint8_t* colour =
                device.rowStart + static_cast<std::ptrdiff_t>(y) * device.pitch;
            const float* depth =
                device.depthBuffer.get() + static_cast<std::size_t>(y) * sampleWidth;
            for (std::int32_t x = 0; x < picture.width; ++x) {
                Gather& g = row[static_cast<std::size_t>(x)];
                for (std::int32_t sx = x * n; sx < x * n + n; ++sx) {
                    const std::uint8_t* p = colour + 3 * sx;
                    const bool drawn = depth[sx] != 0.0f || p[0] != 0 || p[1] != 0 || p[2] != 0;
                    if (drawn) {
                        ++g.covered;
                        if (!blackLines) {
                            g.blue += p[0];
                            g.green += p[1];
                            g.red += p[2];
                        }
                    }
                }
            }
        }
        std::uint8_t* out = picture.pixels.data() + static_cast<std::size_t>(pictureRow + py) *
                                                        picture.width * picture.channels;
        for (std::int32_t x = 0; x < picture.width; ++x) {
            const Gather& g = row[static_cast<std::size_t>(x)];
            std::uint8_t* o = out + static_cast<std::size_t>(x) * picture.channels;
            if (options.transparent) {
                const std::uint32_t c = g.covered;
                o[0] = static_cast<std::uint8_t>(c == 0 ? 0 : (g.red + c / 2) / c);
                o[1] = static_cast<std::uint8_t>(c == 0 ? 0 : (g.green + c / 2) / c);
                o[2] = static_cast<std::uint8_t>(c == 0 ? 0 : (g.blue + c / 2) / c);
                o[3] = static_cast<std::uint8_t>((c * 255 + all / 2) / all);
            } else {
                const std::uint32_t empty = all - g.covered;
                o[0] = static_cast<std::uint8_t>(
                    (g.red + empty * options.background.red + all / 2) / all);
                o[1] = static_cast<std::uint8_t>(
                    (g.green + empty * options.background.green + all / 2) / all);
                o[2] = static_cast<std::uint8_t>(
                    (g.blue + empty * options.background.blue + all / 2) / all);
            }
        }
    }
}

} // namespace

ViewDirection viewDirection(View view) {
    switch (view) {
    case View::Iso:
        return {Vec3{1.0f, 1.0f, -1.0f}, Vec3{0.0f, 1.0f, 0.0f}};
    case View::Front:
        return {Vec3{0.0f, 0.0f, -1.0f}, Vec3{0.0f, 1.0f, 0.0f}};
    case View::Back:
        return {Vec3{0.0f, 0.0f, 1.0f}, Vec3{0.0f, 1.0f, 0.0f}};
    case View::Left:
        return {Vec3{-1.0f, 0.0f, 0.0f}, Vec3{0.0f, 1.0f, 0.0f}};
    case View::Right:
        return {Vec3{1.0f, 0.0f, 0.0f}, Vec3{0.0f, 1.0f, 0.0f}};
    case View::Top:
        return {Vec3{0.0f, 1.0f, 0.0f}, Vec3{0.0f, 0.0f, 1.0f}};
    case View::Bottom:
        return {Vec3{0.0f, -1.0f, 0.0f}, Vec3{0.0f, 0.0f, -1.0f}};
    }
    return {Vec3{1.0f, 1.0f, -1.0f}, Vec3{0.0f, 1.0f, 0.0f}};
}

Color3 defaultModelColor() {
    return demo::kMaterialDiffuse;
}

ModelColoring modelColor(const PictureOptions& options, const model::LoadedModel& loaded) {
    return ModelColoring{options.colorGiven ? toColor(options.color) : defaultModelColor(),
                         loaded.fileColors && !options.colorGiven};
}

bool drawPicture(std::span<const Mesh> meshes, const ModelColoring& coloring,
                 const PictureOptions& options, Picture& picture, std::string& error) {
    const std::int32_t n = options.samples;
    if (options.width < 1 || options.height < 1 || options.width > 4096 || options.height > 4096 ||
        n < 1 || n > 4) {
        error = "picture size or samples out of range";
        return false;
    }
    const std::int32_t frameWidth = options.width * n;
    const std::int32_t frameRows = options.height * n;

    // Bands of whole picture rows, as even as they come.
    const std::int64_t rowsPerBand =
        std::max<std::int64_t>(1, options.bandSamples / frameWidth / n); // picture rows
    const std::int32_t bands =
        static_cast<std::int32_t>((options.height + rowsPerBand - 1) / rowsPerBand);
    const std::int32_t overlap = bands > 1 ? kBandOverlap : 0;
    const std::int32_t largestBand =
        static_cast<std::int32_t>((options.height + bands - 1) / bands) * n + 2 * overlap;

    RenderDevice device;
    if (options.threads > 0) {
        device.setRenderThreads(options.threads);
    }
    std::unique_ptr<std::uint8_t[]> colour;
    try {
        picture.width = options.width;
        picture.height = options.height;
        picture.channels = options.transparent ? 4 : 3;
        picture.pixels.assign(
            static_cast<std::size_t>(picture.width) * picture.height * picture.channels, 0);
        const std::size_t samples = static_cast<std::size_t>(frameWidth) * largestBand;
        colour.reset(new std::uint8_t[samples * 3]);
        device.depthBuffer.reset(new float[samples]);
    } catch (const std::bad_alloc&) {
        error = "out of memory for a picture of " + std::to_string(options.width) + " x " +
                std::to_string(options.height);
        return false;
    }

    // The scene: framed camera, lights over the viewer's shoulder, material.
    const Matrix4 projection = pictureProjection(options.width, options.height);
    const ViewDirection from = viewDirection(options.view);
    framing::FramedView framed;
    if (!framing::frameSphere(Vec3{}, model::kModelRadius, from.direction, from.up, projection,
                              framed)) {
        error = "no view to frame";
        return false;
    }
    Matrix4 world;
    identity(world);
    device.setWorldMatrix(world);
    device.lookAt(framed.eye, framed.target, framed.up);
    // The view matrix's columns are the camera's axes in world space: the
    // light's view-space direction (0, 1, -1) is up minus forward.
    const Matrix4& v = device.viewMatrix;
    Light ambient{};
    Light directional{};
    Material material{};
    ambient.color = demo::kAmbientColor;
    directional.color = demo::kLightColor;
    directional.direction = Vec3{v[1] - v[2], v[5] - v[6], v[9] - v[10]};
    Vec3 unit;
    normalize(unit, directional.direction); // writes the unit vector back too
    material.ambient = demo::kMaterialAmbient;
    material.diffuse = coloring.material;
    device.setModelColors(coloring.fileColors);
    device.setLight(LightKind::Ambient, &ambient);
    device.setLight(LightKind::Directional, &directional);
    device.setMaterial(&material);
    device.primitiveMode = PrimitiveMode::FaceList;
    device.renderMode = options.renderMode;

    // Lines in black leave no trace in a cleared frame: they are drawn in
    // white to find them, and their samples count as black.
    const PixelColor line = lineColor(device);
    const bool blackLines = (options.renderMode & RenderMode::Wireframe) != 0 &&
                            (options.renderMode & (RenderMode::Flat | RenderMode::Gouraud)) == 0 &&
                            line.red == 0 && line.green == 0 && line.blue == 0;
    if (blackLines) {
        material.diffuse = Color3{1.0f, 1.0f, 1.0f};
        device.setMaterial(&material);
    }

    for (std::int32_t b = 0; b < bands; ++b) {
        const std::int32_t pictureFirst =
            static_cast<std::int32_t>(static_cast<std::int64_t>(options.height) * b / bands);
        const std::int32_t pictureEnd =
            static_cast<std::int32_t>(static_cast<std::int64_t>(options.height) * (b + 1) / bands);
        const std::int32_t first = std::max(0, pictureFirst * n - overlap);
        const std::int32_t end = std::min(frameRows, pictureEnd * n + overlap);
        attachFrame(device, colour.get(), frameWidth, end - first);
        device.setProjection(
            bands == 1 ? projection : bandProjection(projection, frameRows, first, end - first));
        device.clear();
        for (const Mesh& mesh : meshes) {
            drawMesh(device, mesh);
        }
        foldRows(device, options, blackLines, pictureFirst * n - first, pictureFirst,
                 pictureEnd - pictureFirst, picture);
    }
    device.colorBits = nullptr;
    device.rowStart = nullptr;
    return true;
}

} // namespace render
