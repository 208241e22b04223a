// The GPU-free path other thumbnailers fall back to, as a peer for the
// picture benchmark: the same job as octaspin-render (read the model with
// the same loader, frame it the same way, draw it at N x N samples, gather
// the samples, write the PNG with the same encoder), the drawing done by
// Mesa's llvmpipe through an off-screen OSMesa context: fixed-function
// lighting, vertex arrays uploaded at each draw, the frame read from the
// context's buffer.
//
//   octaspin_osmesa_picture [--size N] [--samples N] [--timings] MODEL OUT.png
#include "geometry/framing.h"
#include "image/png_writer.h"
#include "model/load_model.h"
#include "tools/octaspin-render/picture.h"

#include <GL/gl.h>
#include <GL/osmesa.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

// Wall and processor time of a stage (processor time of all threads).
struct Stage {
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    std::clock_t cpu = std::clock();
    double wallMs() const {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wall)
            .count();
    }
    double cpuMs() const {
        return 1000.0 * static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
    }
};

} // namespace

int main(int argc, char** argv) {
    int size = 256;
    int samples = 2;
    bool timings = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            size = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--samples") == 0 && i + 1 < argc) {
            samples = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--timings") == 0) {
            timings = true;
        } else {
            files.emplace_back(argv[i]);
        }
    }
    if (files.size() != 2 || size < 1 || size > 4096 || samples < 1 || samples > 4) {
        std::fprintf(stderr, "usage: octaspin_osmesa_picture [--size N] [--samples N] "
                             "[--timings] MODEL OUT.png\n");
        return 2;
    }
    const Stage reading;
    model::LoadResult loaded = model::loadModelFile(files[0]);
    if (!loaded.ok()) {
        std::fprintf(stderr, "%s\n", loaded.error.c_str());
        return 2;
    }
    const double readMs = reading.wallMs();
    const double readCpuMs = reading.cpuMs();

    const Stage drawing;
    const int side = size * samples;
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(side) * side * 4);
    OSMesaContext context = OSMesaCreateContextExt(OSMESA_RGBA, 24, 0, 0, nullptr);
    if (context == nullptr ||
        !OSMesaMakeCurrent(context, frame.data(), GL_UNSIGNED_BYTE, side, side)) {
        std::fprintf(stderr, "no OSMesa context\n");
        return 1;
    }
    OSMesaPixelStore(OSMESA_Y_UP, 0); // rows from the top, as the PNG wants them

    // The same camera: the demo's 90-degree perspective, framed.
    Matrix4 projection;
    perspective(projection, DefaultProjection::kHalfAngle, DefaultProjection::kHalfAngle, 1.0f,
                DefaultProjection::kNear, DefaultProjection::kFar);
    const render::ViewDirection from = render::viewDirection(render::View::Iso);
    framing::FramedView framed;
    framing::frameSphere(Vec3{}, 100.0f, from.direction, from.up, projection, framed);
    RenderDevice camera;
    camera.lookAt(framed.eye, framed.target, framed.up);

    glViewport(0, 0, side, side);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double near = DefaultProjection::kNear;
    const double extent = near * std::tan(static_cast<double>(DefaultProjection::kHalfAngle));
    glFrustum(-extent, extent, -extent, extent, near, DefaultProjection::kFar);
    // Light over the viewer's shoulder (up and towards the eye), a tenth of
    // ambient light, the demo's green.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat light[4] = {0.0f, 0.70710677f, 0.70710677f, 0.0f};
    const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat ambient[4] = {0.1f, 0.1f, 0.1f, 1.0f};
    const Color3 c = render::defaultModelColor();
    const GLfloat diffuse[4] = {c.r, c.g, c.b, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, white);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glShadeModel(GL_SMOOTH);
    // Model space is left-handed (z away from the eye); the view matrix is
    // applied to row vectors, which is the transpose OpenGL loads.
    glScalef(1.0f, 1.0f, -1.0f);
    glMultMatrixf(camera.viewMatrix.m);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    for (const Mesh& mesh : loaded.model.meshes) {
        glVertexPointer(3, GL_FLOAT, sizeof(Vertex), &mesh.vertices[0].position);
        glNormalPointer(GL_FLOAT, sizeof(Vertex), &mesh.vertices[0].normal);
        glDrawElements(GL_TRIANGLES, 3 * mesh.faceCount, GL_UNSIGNED_SHORT, mesh.faces.data());
    }
    glFinish();
    const double drawMs = drawing.wallMs();
    const double drawCpuMs = drawing.cpuMs();

    // Gathered as octaspin-render gathers: alpha the covered share, colour
    // the covered samples' mean.
    const Stage writing;
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(size) * size * 4);
    const unsigned all = static_cast<unsigned>(samples * samples);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            unsigned covered = 0;
            unsigned sum[3] = {0, 0, 0};
            for (int sy = 0; sy < samples; ++sy) {
                const std::uint8_t* row =
                    frame.data() + (static_cast<std::size_t>(y * samples + sy) * side) * 4;
                for (int sx = 0; sx < samples; ++sx) {
                    const std::uint8_t* p = row + static_cast<std::size_t>(x * samples + sx) * 4;
                    if (p[3] != 0) {
                        ++covered;
                        sum[0] += p[0];
                        sum[1] += p[1];
                        sum[2] += p[2];
                    }
                }
            }
            std::uint8_t* o = rgba.data() + (static_cast<std::size_t>(y) * size + x) * 4;
            for (int k = 0; k < 3; ++k) {
                o[k] =
                    static_cast<std::uint8_t>(covered == 0 ? 0 : (sum[k] + covered / 2) / covered);
            }
            o[3] = static_cast<std::uint8_t>((covered * 255 + all / 2) / all);
        }
    }
    std::string error;
    if (!image::writePng(files[1],
                         image::ImageRows{rgba.data(), static_cast<std::ptrdiff_t>(size) * 4, size,
                                          size, image::PixelOrder::Rgba},
                         image::FileWrite::Atomic, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    OSMesaDestroyContext(context);
    if (timings) {
        std::fprintf(stderr,
                     "%s: read %.1f ms (cpu %.1f), draw %.1f ms (cpu %.1f), encode and write %.1f "
                     "ms (cpu %.1f)\n",
                     files[0].c_str(), readMs, readCpuMs, drawMs, drawCpuMs, writing.wallMs(),
                     writing.cpuMs());
    }
    return 0;
}
