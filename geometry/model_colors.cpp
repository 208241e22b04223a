// A model's own colours in the polygon pipeline: which colours a list
// gets, and the lighting of the colours at the vertices for Gouraud
// (raster/screen_polygon.h states the rule).
#include "geometry/pipeline.h"

ListColoring listColoringOf(const RenderDevice& device, const Mesh& mesh) {
    ListColoring coloring;
    if (!device.modelColors || mesh.colors.empty() || mesh.colors.size() != mesh.vertices.size()) {
        return coloring;
    }
    coloring.faces = (device.renderMode & (RenderMode::Flat | RenderMode::Wireframe)) != 0;
    coloring.points = (device.renderMode & RenderMode::Gouraud) != 0;
    return coloring;
}

// Per channel v = I x diffuse + ambient in double, rounded to a float, not
// clamped: the rasterizers clamp each pixel's value, as they clamp the
// material's.
void lightVertexColors(const RenderDevice& device, const Mesh& mesh, std::size_t begin,
                       std::size_t end, VertexResults& results) {
    const Vec3* const colors = mesh.colors.data();
    const ViewVertex* const view = results.view.data();
    Color3* const lit = results.lit.data();
    for (std::size_t i = begin; i < end; ++i) {
        const Vec3& c = colors[i];
        const ColorProducts p = device.colorProducts(Color3{c.x, c.y, c.z});
        const double intensity = view[i].intensity;
        lit[i] = Color3{static_cast<float>(intensity * p.diffuse.r + p.ambient.r),
                        static_cast<float>(intensity * p.diffuse.g + p.ambient.g),
                        static_cast<float>(intensity * p.diffuse.b + p.ambient.b)};
    }
}
