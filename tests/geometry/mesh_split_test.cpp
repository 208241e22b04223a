// Cutting triangle lists into meshes of at most so many vertices: the
// triangles survive in order, every mesh stays within its limit, and a new
// mesh starts exactly when the next face would not fit.
#include "geometry/mesh_split.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace {

// Vertex i sits at (i, 2i, 3i) with normal (0, 0, -1): its position names it.
std::vector<Vertex> numberedVertices(std::size_t count) {
    std::vector<Vertex> vertices(count);
    for (std::size_t i = 0; i < count; ++i) {
        const float f = static_cast<float>(i);
        vertices[i] = makeVertex(Vec3{f, 2 * f, 3 * f}, Vec3{0, 0, -1}, 0, 0);
    }
    return vertices;
}

std::uint32_t sourceOf(const Vertex& v) {
    return static_cast<std::uint32_t>(v.position.x);
}

// Checks the split against the list by an independent reading of the rule.
void expectFaithfulSplit(const std::vector<Mesh>& meshes, const std::vector<Vertex>& vertices,
                         const std::vector<std::uint32_t>& corners, std::size_t maxVertices) {
    std::vector<std::uint32_t> replayed;
    std::set<std::uint32_t> previousMesh;
    for (std::size_t m = 0; m < meshes.size(); ++m) {
        const Mesh& mesh = meshes[m];
        ASSERT_LE(mesh.vertices.size(), maxVertices);
        ASSERT_EQ(mesh.faceCount, static_cast<std::int32_t>(mesh.faces.size()));
        ASSERT_EQ(mesh.faceNormals.size(), mesh.faces.size());
        // Colours travel with their vertices: vertex i's colour is (i, 0, 1).
        ASSERT_EQ(mesh.colors.size(), mesh.vertices.size());
        std::set<std::uint32_t> held;
        for (std::size_t j = 0; j < mesh.vertices.size(); ++j) {
            const Vertex& v = mesh.vertices[j];
            EXPECT_TRUE(held.insert(sourceOf(v)).second) << "vertex twice in mesh " << m;
            EXPECT_EQ(v.normal.z, vertices[sourceOf(v)].normal.z);
            EXPECT_EQ(mesh.colors[j].x, static_cast<float>(sourceOf(v)));
        }
        // A mesh after the first starts because its first face did not fit.
        if (m > 0) {
            const Face& first = mesh.faces.front();
            std::set<std::uint32_t> grown = previousMesh;
            for (std::uint16_t i : {first.i0, first.i1, first.i2}) {
                grown.insert(sourceOf(mesh.vertices[i]));
            }
            EXPECT_GT(grown.size(), maxVertices) << "mesh " << m << " started early";
        }
        for (const Face& face : mesh.faces) {
            for (std::uint16_t i : {face.i0, face.i1, face.i2}) {
                replayed.push_back(sourceOf(mesh.vertices[i]));
            }
        }
        previousMesh = held;
    }
    EXPECT_EQ(replayed, corners);
}

struct SplitCase {
    std::string name;
    std::size_t vertexCount;
    std::vector<std::uint32_t> corners;
    std::size_t maxVertices;
    std::vector<std::size_t> meshVertexCounts;
};

class SplitIntoMeshes : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitIntoMeshes, KeepsEveryTriangleInOrderWithinTheLimit) {
    const SplitCase& c = GetParam();
    const std::vector<Vertex> vertices = numberedVertices(c.vertexCount);
    std::vector<Vec3> colors(c.vertexCount);
    for (std::size_t i = 0; i < c.vertexCount; ++i) {
        colors[i] = Vec3{static_cast<float>(i), 0, 1};
    }
    const std::vector<Mesh> meshes = splitIntoMeshes(vertices, c.corners, c.maxVertices, colors);
    std::vector<std::size_t> sizes;
    for (const Mesh& mesh : meshes) {
        sizes.push_back(mesh.vertices.size());
    }
    EXPECT_EQ(sizes, c.meshVertexCounts);
    expectFaithfulSplit(meshes, vertices, c.corners, c.maxVertices);
}

// A strip of n triangles over vertices 0 .. n + 1: (k, k + 1, k + 2).
std::vector<std::uint32_t> strip(std::uint32_t triangles) {
    std::vector<std::uint32_t> corners;
    for (std::uint32_t k = 0; k < triangles; ++k) {
        corners.insert(corners.end(), {k, k + 1, k + 2});
    }
    return corners;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitIntoMeshes,
    ::testing::Values(
        // Vertices 1 and 3 are named by no face and go nowhere; the mesh
        // holds the others in the order they are first named.
        SplitCase{"UnnamedVerticesDropped", 6, {4, 0, 2, 5, 2, 0}, 65536, {4}},
        // Four vertices fit, the fifth starts a new mesh, which takes the
        // two shared corners again.
        SplitCase{"StripOverFour", 7, strip(5), 4, {4, 4, 3}},
        // A face that adds nothing new never starts a mesh.
        SplitCase{"RepeatedFaceFits", 4, {0, 1, 2, 0, 1, 3, 0, 1, 3}, 4, {4}},
        // A degenerate face counts its vertex once.
        SplitCase{"DegenerateFaceCountsOnce", 4, {0, 1, 2, 3, 3, 3}, 4, {4}},
        SplitCase{"AtTheRealLimit", 65536, strip(65534), 65536, {65536}},
        SplitCase{"OneBeyondTheRealLimit", 65537, strip(65535), 65536, {65536, 3}}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return info.param.name; });

TEST(SplitIntoMeshesRefuses, InputThatIsNotWholeTrianglesOfKnownVertices) {
    const std::vector<Vertex> vertices = numberedVertices(3);
    const std::vector<std::vector<std::uint32_t>> bad = {{}, {0, 1}, {0, 1, 3}, {0, 1, 2, 0}};
    for (const std::vector<std::uint32_t>& corners : bad) {
        EXPECT_TRUE(splitIntoMeshes(vertices, corners).empty());
    }
    // Colours, when given, are one per vertex.
    const std::vector<std::uint32_t> triangle{0, 1, 2};
    const std::vector<Vec3> twoColors(2);
    EXPECT_TRUE(splitIntoMeshes(vertices, triangle, kMaxMeshVertices, twoColors).empty());
    EXPECT_TRUE(splitIntoMeshes(vertices, triangle).front().colors.empty());
}

} // namespace
