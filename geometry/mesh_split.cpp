#include "geometry/mesh_split.h"

#include <algorithm>
#include <array>

namespace {

// The mesh being filled: the source index of each of its vertices, and its
// faces in local indices. slotOf[v] is v's local index, valid only where
// ownerOf[v] is the current mesh's number (so nothing is cleared between
// meshes).
struct MeshUnderConstruction {
    std::vector<std::uint32_t> sources;
    std::vector<Face> faces;
};

Mesh finish(std::span<const Vertex> vertices, std::span<const Vec3> colors,
            const MeshUnderConstruction& part) {
    // The vertices and faces are written once, as they are copied (not
    // cleared first by the sizing constructor): a big model's meshes are
    // tens of megabytes.
    Mesh mesh(0, 0);
    mesh.vertexCount = static_cast<std::int32_t>(part.sources.size());
    mesh.faceCount = static_cast<std::int32_t>(part.faces.size());
    mesh.vertices.reserve(part.sources.size());
    for (const std::uint32_t source : part.sources) {
        Vertex v = vertices[source];
        v.intensity = 0.0f;
        mesh.vertices.push_back(v);
    }
    mesh.faces.assign(part.faces.begin(), part.faces.end());
    mesh.faceNormals.resize(part.faces.size());
    if (!colors.empty()) {
        mesh.colors.resize(part.sources.size());
        for (std::size_t i = 0; i < part.sources.size(); ++i) {
            mesh.colors[i] = colors[part.sources[i]];
        }
    }
    computeFaceNormals(mesh);
    return mesh;
}

} // namespace

std::vector<Mesh> splitIntoMeshes(std::span<const Vertex> vertices,
                                  std::span<const std::uint32_t> corners, std::size_t maxVertices,
                                  std::span<const Vec3> colors) {
    std::vector<Mesh> meshes;
    if (corners.size() % 3 != 0 || corners.empty() ||
        (!colors.empty() && colors.size() != vertices.size())) {
        return meshes;
    }
    for (const std::uint32_t corner : corners) {
        if (corner >= vertices.size()) {
            return meshes;
        }
    }
    maxVertices = std::clamp<std::size_t>(maxVertices, 3, kMaxMeshVertices);

    constexpr std::uint32_t kNoMesh = UINT32_MAX;
    std::vector<std::uint32_t> ownerOf(vertices.size(), kNoMesh);
    std::vector<std::uint16_t> slotOf(vertices.size());
    std::uint32_t current = 0;
    MeshUnderConstruction part;

    for (std::size_t k = 0; k < corners.size(); k += 3) {
        const std::array<std::uint32_t, 3> face{corners[k], corners[k + 1], corners[k + 2]};
        // The distinct vertices this face would add (a degenerate face may
        // name one vertex twice).
        std::size_t added = 0;
        for (std::size_t c = 0; c < 3; ++c) {
            const bool repeated = (c > 0 && face[c] == face[0]) || (c > 1 && face[c] == face[1]);
            added += ownerOf[face[c]] != current && !repeated ? 1 : 0;
        }
        if (part.sources.size() + added > maxVertices) {
            meshes.push_back(finish(vertices, colors, part));
            part.sources.clear();
            part.faces.clear();
            ++current;
        }
        std::array<std::uint16_t, 3> local{};
        for (std::size_t c = 0; c < 3; ++c) {
            const std::uint32_t v = face[c];
            if (ownerOf[v] != current) {
                ownerOf[v] = current;
                slotOf[v] = static_cast<std::uint16_t>(part.sources.size());
                part.sources.push_back(v);
            }
            local[c] = slotOf[v];
        }
        part.faces.push_back(Face{local[0], local[1], local[2]});
    }
    meshes.push_back(finish(vertices, colors, part));
    return meshes;
}
