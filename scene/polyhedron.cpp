#include "scene/polyhedron.h"

namespace {

// sin(pi/4) in single precision.
constexpr float s = 0.70710677f;

struct VertexRow {
    Vec3 position;
    Vec3 normal;
};

// Four equatorial vertices 50 * sqrt(2) from the axis, two poles 100 from
// the centre; the normals point straight out from the axis or along it.
constexpr VertexRow kVertices[6] = {
    {{-50, 0, -50}, {-s, 0, -s}}, {{-50, 0, 50}, {-s, 0, s}}, {{50, 0, -50}, {s, 0, -s}},
    {{50, 0, 50}, {s, 0, s}},     {{0, 100, 0}, {0, 1, 0}},   {{0, -100, 0}, {0, -1, 0}},
};

// Upper faces around the top pole (4), lower faces around the bottom pole (5).
constexpr Face kFaces[8] = {
    {4, 0, 2}, {4, 1, 0}, {4, 3, 1}, {4, 2, 3}, {5, 2, 0}, {5, 0, 1}, {5, 1, 3}, {5, 3, 2},
};

} // namespace

std::unique_ptr<Mesh> buildPolyhedron() {
    auto mesh = std::make_unique<Mesh>(6, 8);
    for (int i = 0; i < 6; ++i) {
        mesh->vertices[static_cast<std::size_t>(i)] =
            makeVertex(kVertices[i].position, kVertices[i].normal, 0.0f, 0.0f);
    }
    for (int k = 0; k < 8; ++k) {
        mesh->faces[static_cast<std::size_t>(k)] = kFaces[k];
    }
    computeFaceNormals(*mesh);
    return mesh;
}
