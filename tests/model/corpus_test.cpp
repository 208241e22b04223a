// Real files: every OBJ, PLY and STL file of Debian's corpus of model test
// files (where installed) gives a model that keeps the loader's promises or
// one clean line; some are known by their triangle counts. The Stanford
// bunny likewise. And the cut into meshes at 65 536 vertices.
#include "tests/model/model_bytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

namespace {

namespace fs = std::filesystem;

// What every loaded model promises: meshes within the 16-bit limit whose
// faces name their own vertices, positions within the radius-100 sphere,
// unit (or zero) normals, counts that add up.
void expectSoundModel(const model::LoadedModel& loaded) {
    std::uint64_t faces = 0;
    std::uint64_t vertices = 0;
    float farthest = 0.0f;
    for (const Mesh& mesh : loaded.meshes) {
        ASSERT_LE(mesh.vertices.size(), 65536u);
        ASSERT_EQ(mesh.faces.size(), static_cast<std::size_t>(mesh.faceCount));
        for (const Face& f : mesh.faces) {
            ASSERT_LT(std::max({f.i0, f.i1, f.i2}), mesh.vertices.size());
        }
        for (const Vertex& v : mesh.vertices) {
            const Vec3& p = v.position;
            const float distance = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
            ASSERT_LE(distance, 100.001f);
            farthest = std::max(farthest, distance);
            const Vec3& n = v.normal;
            const float length = n.x * n.x + n.y * n.y + n.z * n.z;
            ASSERT_TRUE(length == 0.0f || std::fabs(length - 1.0f) < 1e-5f) << length;
        }
        faces += mesh.faces.size();
        vertices += mesh.vertices.size();
    }
    EXPECT_EQ(faces, loaded.triangleCount);
    EXPECT_GE(vertices, loaded.vertexCount);
    EXPECT_GT(farthest, 99.999f) << "the farthest vertex lies on the sphere";
}

TEST(ModelCorpus, EveryFileGivesASoundModelOrOneCleanLine) {
    const fs::path corpus = OCTASPIN_MODEL_CORPUS;
    if (corpus.empty() || !fs::is_directory(corpus)) {
        GTEST_SKIP() << "the model test corpus is not installed (scripts/install-deps.sh)";
    }
    // Triangle counts of some, by their path under the corpus; the folder
    // "invalid" holds files that must be refused.
    const std::map<std::string, std::uint64_t> known = {
        {"OBJ/box.obj", 12},
        {"OBJ/spider.obj", 1368},
        {"OBJ/WusonOBJ.obj", 3732},
        {"PLY/cube.ply", 12},
        {"PLY/cube_binary.ply", 12},
        {"PLY/Wuson.ply", 3732},
        {"STL/Spider_ascii.stl", 1368},
        {"STL/Spider_binary.stl", 1368},
        {"STL/Wuson.stl", 3732},
        {"STL/triangle_with_two_solids.stl", 2},
    };
    int files = 0;
    int loaded = 0;
    int knownSeen = 0;
    for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (!entry.is_regular_file() ||
            (extension != ".obj" && extension != ".ply" && extension != ".stl")) {
            continue;
        }
        const std::string path = entry.path().string();
        const std::string relative = entry.path().lexically_relative(corpus).generic_string();
        SCOPED_TRACE(relative);
        ++files;
        const model::LoadResult result = model::loadModelFile(path);
        if (relative.rfind("invalid/", 0) == 0) {
            EXPECT_FALSE(result.ok());
        }
        if (!result.ok()) {
            EXPECT_EQ(result.error.rfind(path + ": ", 0), 0u) << result.error;
            EXPECT_EQ(result.error.find('\n'), std::string::npos) << result.error;
            continue;
        }
        ++loaded;
        expectSoundModel(result.model);
        if (const auto it = known.find(relative); it != known.end()) {
            ++knownSeen;
            EXPECT_EQ(result.model.triangleCount, it->second);
        }
    }
    EXPECT_GE(files, 40);
    EXPECT_GE(loaded, 28);
    EXPECT_EQ(knownSeen, static_cast<int>(known.size()));
}

TEST(ModelCorpus, TheStanfordBunny) {
    const fs::path bunny = OCTASPIN_BUNNY;
    if (bunny.empty() || !fs::is_regular_file(bunny)) {
        GTEST_SKIP() << "the bunny is not installed (scripts/install-deps.sh)";
    }
    const model::LoadResult result = model::loadModelFile(bunny.string());
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.model.vertexCount, 34835u);
    EXPECT_EQ(result.model.triangleCount, 69666u);
    EXPECT_EQ(result.model.meshes.size(), 1u);
    EXPECT_FALSE(result.model.fileNormals);
    expectSoundModel(result.model);
}

// A strip of triangles (k, k+1, k+2) over `count` vertices, as binary PLY.
modeltest::Bytes strip(std::uint32_t count) {
    modeltest::Writer w;
    w.raw("ply\nformat binary_little_endian 1.0\nelement vertex " + std::to_string(count) +
          "\nproperty float x\nproperty float y\nproperty float z\nelement face " +
          std::to_string(count - 2) + "\nproperty list uchar uint vertex_indices\nend_header\n");
    for (std::uint32_t k = 0; k < count; ++k) {
        w.put(static_cast<float>(k)).put(static_cast<float>(k % 2)).put(0.0f);
    }
    for (std::uint32_t k = 0; k + 2 < count; ++k) {
        w.put(std::uint8_t{3}).put(k).put(k + 1).put(k + 2);
    }
    return w.bytes;
}

TEST(ModelCorpus, AModelIsCutIntoMeshesOfAtMost65536Vertices) {
    const model::LoadResult fits = modeltest::load(strip(65536), "fits.ply");
    ASSERT_TRUE(fits.ok()) << fits.error;
    ASSERT_EQ(fits.model.meshes.size(), 1u);
    EXPECT_EQ(fits.model.meshes[0].vertexCount, 65536);

    // One vertex more: the face that names it starts a second mesh, which
    // takes its three vertices again.
    const model::LoadResult cut = modeltest::load(strip(65537), "cut.ply");
    ASSERT_TRUE(cut.ok()) << cut.error;
    EXPECT_EQ(cut.model.vertexCount, 65537u);
    EXPECT_EQ(cut.model.triangleCount, 65535u);
    ASSERT_EQ(cut.model.meshes.size(), 2u);
    const Mesh& first = cut.model.meshes[0];
    const Mesh& second = cut.model.meshes[1];
    EXPECT_EQ(first.vertexCount, 65536);
    EXPECT_EQ(first.faceCount, 65534);
    ASSERT_EQ(second.vertexCount, 3);
    ASSERT_EQ(second.faceCount, 1);
    // The second mesh's face is the strip's last, at the far end.
    EXPECT_EQ(second.vertices[second.faces[0].i2].position.x, 100.0f);
    EXPECT_EQ(first.vertices[first.faces[0].i0].position.x, -100.0f);
    expectSoundModel(cut.model);
}

} // namespace
