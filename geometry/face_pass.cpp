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
// Where the list carries the model's own colours, a polygon's points take
// their corners' lit colours (through the stages when clipped) and the
// polygon its face colour.
#include "geometry/pipeline.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace {

Vertex workingVertex(const ViewVertex& v) {
    Vertex vertex;
    vertex.position = v.position;
    vertex.intensity = v.intensity;
    return vertex;
}

// The general path: near input -> output, left output -> input, right
// input -> output, top output -> input, bottom input -> output. Returns the
// number of points, left in worker.projected; when `lit` is given (the
// points carry colours) the corners take their lit colours through the
// stages, and the points' colours are left in worker.projectedColors.
std::int32_t clipAndProject(const RenderDevice& device, const VertexResults& vertices,
                            const Face& face, const Color3* lit, FaceWorkerScratch& worker) {
    ClipPolygon& input = worker.clipInput;
    ClipPolygon& output = worker.clipOutput;
    input.vertexCount = 0;
    input.colored = lit != nullptr;
    for (const std::uint16_t corner : {face.i0, face.i1, face.i2}) {
        if (lit != nullptr) {
            appendVertex(input, workingVertex(vertices.view[corner]), lit[corner]);
        } else {
            appendVertex(input, workingVertex(vertices.view[corner]));
        }
    }
    ClipPolygon* from = &input;
    ClipPolygon* to = &output;
    for (Plane plane : kClipPlanes) {
        clipPolygon(device, plane, *from, *to);
        std::swap(from, to);
    }
    if (lit == nullptr) {
        return projectToScreen(device, *from, worker.projected, worker.projection);
    }
    const std::int32_t count =
        projectToScreen(device, *from, worker.coloredProjected, worker.projection);
    worker.projected.resize(static_cast<std::size_t>(count));
    worker.projectedColors.resize(static_cast<std::size_t>(count));
    for (std::size_t q = 0; q < static_cast<std::size_t>(count); ++q) {
        worker.projected[q] = worker.coloredProjected[q].point;
        worker.projectedColors[q] = worker.coloredProjected[q].color;
    }
    return count;
}

// Keeps polygon j's points (more than three), and their colours when the
// list carries point colours, among the worker's extra points, firstPoint
// counted there, when they fit in the room they were given; false, with the
// face counted as deferred, when they do not.
bool keepAside(FaceWorkerScratch& worker, const ScreenPoint* points, const Color3* colors,
               std::int32_t count, std::int32_t j, ScreenPolygon& polygon) {
    std::vector<ScreenPoint>& extra = worker.extraPoints;
    const auto n = static_cast<std::size_t>(count);
    if (extra.capacity() - extra.size() < n ||
        worker.extraPolygons.size() == worker.extraPolygons.capacity() ||
        (colors != nullptr && worker.extraColors.capacity() - worker.extraColors.size() < n)) {
        if (worker.deferredPolygons == 0) {
            worker.firstDeferred = j;
        }
        worker.lastDeferred = j;
        worker.deferredPolygons += 1;
        worker.deferredPoints += n;
        return false;
    }
    polygon.firstPoint = static_cast<std::int32_t>(extra.size());
    extra.insert(extra.end(), points, points + count);
    if (colors != nullptr) {
        worker.extraColors.insert(worker.extraColors.end(), colors, colors + count);
    }
    worker.extraPolygons.push_back(j);
    return true;
}

// Colored: the list carries the model's own colours (face colours, point
// colours or both); the colourless pass has none of their code.
template <bool Colored>
void buildFaces(const FacePass& pass, const std::uint32_t* faces, std::int32_t count,
                std::int32_t firstPolygon, FaceWorkerScratch& worker) {
    const Mesh& mesh = *pass.mesh;
    const VertexResults& vertices = *pass.vertices;
    const std::uint8_t* const outcode = vertices.outcode.data();
    const ScreenPoint* const pixel = vertices.pixel.data();
    const Color3* const lit =
        Colored && pass.pointColors != nullptr ? vertices.lit.data() : nullptr;
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
        Color3* const colorPlaces =
            lit != nullptr ? pass.pointColors + 3 * static_cast<std::ptrdiff_t>(j) : nullptr;
        if ((a | b | c) == 0) {
            places[0] = pixel[face.i0];
            places[1] = pixel[face.i1];
            places[2] = pixel[face.i2];
            pointCount = 3;
            if constexpr (Colored) {
                if (lit != nullptr) {
                    colorPlaces[0] = lit[face.i0];
                    colorPlaces[1] = lit[face.i1];
                    colorPlaces[2] = lit[face.i2];
                }
            }
        } else if (classifyTriangle(a, b, c) != TriangleClip::Outside) {
            pointCount = clipAndProject(*pass.device, vertices, face, lit, worker);
            const ScreenPoint* projected = worker.projected.data();
            const Color3* projectedColors = worker.projectedColors.data();
            if (pointCount <= 3) {
                for (std::int32_t q = 0; q < pointCount; ++q) {
                    places[q] = projected[q];
                    if constexpr (Colored) {
                        if (lit != nullptr) {
                            colorPlaces[q] = projectedColors[q];
                        }
                    }
                }
            } else if (!keepAside(worker, projected, lit != nullptr ? projectedColors : nullptr,
                                  pointCount, j, polygon)) {
                polygon.firstPoint = static_cast<std::int32_t>(k);
                polygon.pointCount = kDeferredPolygon;
                continue;
            }
        }
        polygon.pointCount = pointCount;
        polygon.normal = pointCount > 0 && pass.flat ? mesh.faceNormals[k] : Vec3{};
        if constexpr (Colored) {
            if (pass.faceColors != nullptr) {
                pass.faceColors[j] = faceColorOf(mesh, face);
            }
        }
        if (pass.bandMasks != nullptr) {
            const ScreenPoint* own = pointCount <= 3 ? places : worker.projected.data();
            pass.bandMasks[j] = worker.bands.add(pass.layout, own, pointCount, pass.fillsOnly);
        }
    }
}

} // namespace

void buildFacePolygons(const FacePass& pass, const std::uint32_t* faces, std::int32_t count,
                       std::int32_t firstPolygon, FaceWorkerScratch& worker) {
    if (pass.faceColors != nullptr || pass.pointColors != nullptr) {
        buildFaces<true>(pass, faces, count, firstPolygon, worker);
    } else {
        buildFaces<false>(pass, faces, count, firstPolygon, worker);
    }
}
