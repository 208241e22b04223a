// The face pass: each kept face into its screen polygon.
//
// The corners' outcodes decide (classifyTriangle, geometry/clip.h):
//  - inside every plane, with a pixel at every corner: the polygon is the
//    corners' pixels from the vertex pass, i0, i1, i2. The stages would
//    have handed the corners on unchanged and projectToScreen would have
//    mapped them to those very pixels; a triangle is always convex, so the
//    repair never changes one;
//  - wholly outside the first plane any corner is outside of: empty;
//  - otherwise (or with a corner that has no pixel): the five stages and
//    projectToScreen, as for every face before.
#include "geometry/pipeline.h"

namespace {

Vertex workingVertex(const ViewVertex& v) {
    Vertex vertex;
    vertex.position = v.position;
    vertex.intensity = v.intensity;
    return vertex;
}

// The general path: near input -> output, left output -> input, right
// input -> output, top output -> input, bottom input -> output. Returns the
// number of points, left in worker.projected.
std::int32_t clipAndProject(const RenderDevice& device, const VertexResults& vertices,
                            const Face& face, FaceWorkerScratch& worker) {
    ClipPolygon& input = worker.clipInput;
    ClipPolygon& output = worker.clipOutput;
    input.vertexCount = 0;
    appendVertex(input, workingVertex(vertices.view[face.i0]));
    appendVertex(input, workingVertex(vertices.view[face.i1]));
    appendVertex(input, workingVertex(vertices.view[face.i2]));
    ClipPolygon* from = &input;
    ClipPolygon* to = &output;
    for (ClipStage stage : kClipStages) {
        clipPolygon(device, stage, *from, *to);
        std::swap(from, to);
    }
    return projectToScreen(device, *from, worker.projected, worker.projection);
}

} // namespace

void buildFacePolygons(const FacePass& pass, const std::uint32_t* faces, std::int32_t count,
                       std::int32_t firstPolygon, FaceWorkerScratch& worker) {
    const Mesh& mesh = *pass.mesh;
    const VertexResults& vertices = *pass.vertices;
    const std::uint8_t* const outcode = vertices.outcode.data();
    const ScreenPoint* const pixel = vertices.pixel.data();
    for (std::int32_t n = 0; n < count; ++n) {
        const std::uint32_t k = faces[n];
        const std::int32_t j = firstPolygon + n;
        const Face& face = mesh.faces[k];
        ScreenPolygon& polygon = pass.polygons[j];
        ScreenPoint* const places = pass.points + 3 * static_cast<std::ptrdiff_t>(j);
        polygon.firstPoint = 3 * j;
        const std::uint8_t a = outcode[face.i0];
        const std::uint8_t b = outcode[face.i1];
        const std::uint8_t c = outcode[face.i2];
        std::int32_t pointCount = 0;
        if ((a | b | c) == 0) {
            places[0] = pixel[face.i0];
            places[1] = pixel[face.i1];
            places[2] = pixel[face.i2];
            pointCount = 3;
        } else if (classifyTriangle(a, b, c) != TriangleClip::Outside) {
            pointCount = clipAndProject(*pass.device, vertices, face, worker);
            const ScreenPoint* projected = worker.projected.data();
            if (pointCount <= 3) {
                for (std::int32_t q = 0; q < pointCount; ++q) {
                    places[q] = projected[q];
                }
            } else {
                polygon.firstPoint = static_cast<std::int32_t>(worker.extraPoints.size());
                worker.extraPoints.insert(worker.extraPoints.end(), projected,
                                          projected + pointCount);
                worker.extraPolygons.push_back(j);
            }
        }
        polygon.pointCount = pointCount;
        polygon.normal = pointCount > 0 && pass.flat ? mesh.faceNormals[k] : Vec3{};
        if (pass.bandMasks != nullptr) {
            const ScreenPoint* own = pointCount <= 3 ? places : worker.projected.data();
            pass.bandMasks[j] = worker.bands.add(pass.layout, own, pointCount, pass.fillsOnly);
        }
    }
}
