// The vertex pass: every mesh vertex once per frame, whatever number of
// faces share it.
//
// With M = world x view (the fourth column is not used and nothing is
// divided), a model point (x, y, z) moves to view space as
// zv = x*m2 + y*m6 + z*m10 + m14 (and xv, yv likewise), in double, rounded
// to floats. In Gouraud mode with a directional light the vertex is lit:
// max(lightDirInObject . normal, 0), NaN giving 0. Then its outcode, and
// for a vertex inside all five planes its pixel, which is then the pixel
// of every face corner it makes (such a face is not clipped).
#include "geometry/pipeline.h"

bool transformVertices(const RenderDevice& device, const Mesh& mesh, std::size_t begin,
                       std::size_t end, VertexResults& results) {
    Matrix4 m;
    multiply(m, device.worldMatrix, device.viewMatrix);
    const bool lit = (device.renderMode & RenderMode::Gouraud) != 0 &&
                     (device.lightFlags & LightKind::Directional) != 0;
    const Vec3 light = device.lightDirInObject;
    const float farPlane = device.farPlane;
    ViewVertex* const view = results.view.data();
    std::uint8_t* const outcode = results.outcode.data();
    ScreenPoint* const pixel = results.pixel.data();
    for (std::size_t i = begin; i < end; ++i) {
        const Vertex& source = mesh.vertices[i];
        const double x = source.position.x;
        const double y = source.position.y;
        const double z = source.position.z;
        const auto zv = static_cast<float>(x * m[2] + y * m[6] + z * m[10] + m[14]);
        if (zv > farPlane) {
            return false;
        }
        ViewVertex& v = view[i];
        v.position.x = static_cast<float>(x * m[0] + y * m[4] + z * m[8] + m[12]);
        v.position.y = static_cast<float>(x * m[1] + y * m[5] + z * m[9] + m[13]);
        v.position.z = zv;
        v.intensity = 0.0f;
        if (lit) {
            const float intensity = dot(light, source.normal);
            v.intensity = intensity > 0.0f ? intensity : 0.0f;
        }
        std::uint8_t code = outsidePlanes(v.position);
        if (code == 0) {
            PixelPosition projected;
            if (projectToPixel(device, v.position, projected) && landsInFrame(device, projected)) {
                projected.intensity = v.intensity;
                pixel[i] = truncateToPixel(projected);
            } else {
                code = kNoPixel;
            }
        }
        outcode[i] = code;
    }
    return true;
}
