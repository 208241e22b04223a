// The file's own colours, one table: PLY colour properties of each scale,
// OBJ vertex colours, OBJ materials from a materials file that is there,
// missing, or outside the model's folder, and the mixed cases. Each row
// gives the colours of the mesh's vertices in order (none: the model has
// no colours) and the notes the load leaves.
#include "model/materials.h"
#include "tests/model/model_bytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>

namespace {

using modeltest::Bytes;
using modeltest::text;
using modeltest::Writer;

constexpr char kTriangle[] = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";

std::string plyHeader(const char* format, const char* colorType, const char* prefix = "") {
    const std::string type = colorType;
    return std::string("ply\nformat ") + format +
           " 1.0\nelement vertex 3\nproperty float x\nproperty float y\nproperty float z\n" +
           "property " + type + " " + prefix + "red\nproperty " + type + " " + prefix +
           "green\nproperty " + type + " " + prefix + "blue\nproperty " + type +
           " alpha\nelement face 1\nproperty list uchar int vertex_indices\nend_header\n";
}

// Three vertices with the colour values given (four each, alpha last).
template <typename T> Bytes binaryPly(const char* type, const char* prefix, const T (&rgba)[3][4]) {
    Writer w;
    w.raw(plyHeader("binary_little_endian", type, prefix));
    const float xyz[3][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    for (int v = 0; v < 3; ++v) {
        w.put(xyz[v][0]).put(xyz[v][1]).put(xyz[v][2]);
        for (const T value : rgba[v]) {
            w.put(value);
        }
    }
    w.put(std::uint8_t{3}).put(std::int32_t{0}).put(std::int32_t{1}).put(std::int32_t{2});
    return w.bytes;
}

struct ColorCase {
    const char* what;
    std::string name;
    Bytes bytes;
    std::map<std::string, std::string> siblings; // the files beside the model
    std::vector<Vec3> colors;                    // per mesh vertex; empty: none
    std::vector<std::string> notes;
};

std::vector<ColorCase> colorCases() {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float f128 = static_cast<float>(128.0 / 255.0);
    const std::string twoMaterials = "newmtl red\nKd 1 0 0\nnewmtl blue\nKd 0 0 1\nKd 0 0 0.5\n";
    // Two triangles sharing the edge 1-3: red, then blue.
    const std::string square = "mtllib m.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
                               "usemtl red\nf 1 2 3\nusemtl blue\nf 1 3 4\n";
    const Vec3 red{1, 0, 0};
    const Vec3 blue{0, 0, 0.5f};
    const Vec3 grey = model::kDefaultMaterialColor;
    return {
        {"PLY ASCII uchar",
         "a.ply",
         text(plyHeader("ascii", "uchar") + "0 0 0 255 0 0 7\n1 0 0 0 128 0 7\n0 1 0 0 0 51 7\n"
                                            "3 0 1 2\n"),
         {},
         {{1, 0, 0}, {0, f128, 0}, {0, 0, 0.2f}},
         {}},
        {"PLY binary uchar, diffuse_ names",
         "a.ply",
         binaryPly<std::uint8_t>("uchar", "diffuse_",
                                 {{255, 0, 0, 1}, {0, 128, 0, 1}, {0, 0, 51, 1}}),
         {},
         {{1, 0, 0}, {0, f128, 0}, {0, 0, 0.2f}},
         {}},
        {"PLY binary ushort",
         "a.ply",
         binaryPly<std::uint16_t>("ushort", "", {{65535, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}}),
         {},
         {{1, 0, 0}, {0, 0, 0}, {0, 0, 0}},
         {}},
        {"PLY float: clamped, NaN and infinities 0",
         "a.ply",
         binaryPly<float>("float", "",
                          {{0.25f, 1.5f, -0.5f, 9}, {nan, inf, -inf, 9}, {1, 0, 0.5f, 9}}),
         {},
         {{0.25f, 1, 0}, {0, 0, 0}, {1, 0, 0.5f}},
         {}},
        {"PLY double rounds to float",
         "a.ply",
         binaryPly<double>("double", "", {{0.1, 0.2, 0.3, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}}),
         {},
         {{0.1f, 0.2f, 0.3f}, {0, 0, 0}, {0, 0, 0}},
         {}},
        {"PLY red alone is no colour",
         "a.ply",
         text("ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
              "property float z\nproperty uchar red\nelement face 1\n"
              "property list uchar int vertex_indices\nend_header\n"
              "0 0 0 9\n1 0 0 9\n0 1 0 9\n3 0 1 2\n"),
         {},
         {},
         {}},
        {"OBJ v x y z r g b",
         "a.obj",
         text("v 0 0 0 1 0.5 0\nv 1 0 0 2 -1 nan\nv 0 1 0 0 0 1 1\nf 1 2 3\n"),
         {},
         {{1, 0.5f, 0}, {1, 0, 0}, {0, 0, 1}},
         {}},
        {"OBJ: a vertex without a colour: none",
         "a.obj",
         text("v 0 0 0 1 0 0\nv 1 0 0 1.0\nv 0 1 0 0 0 1\nf 1 2 3\n"),
         {},
         {},
         {}},
        {"OBJ: a word for a colour is no colour",
         "a.obj",
         text("v 0 0 0 1 0 0\nv 1 0 0 red green blue\nv 0 1 0 0 0 1\nf 1 2 3\n"),
         {},
         {},
         {}},
        {"OBJ materials: a shared vertex splits",
         "a.obj",
         text(square),
         {{"m.mtl", twoMaterials}},
         {red, red, red, blue, blue, blue},
         {}},
        {"OBJ vertex colours win over materials",
         "a.obj",
         text("mtllib m.mtl\nv 0 0 0 0 1 0\nv 1 0 0 0 1 0\nv 0 1 0 0 1 0\nusemtl red\nf 1 2 3\n"),
         {{"m.mtl", twoMaterials}},
         {{0, 1, 0}, {0, 1, 0}, {0, 1, 0}},
         {}},
        {"OBJ: faces before usemtl and a material without Kd are grey",
         "a.obj",
         text("mtllib m.mtl\n" + std::string(kTriangle) +
              "v 0 0 1\nf 1 2 3\nusemtl plain\nf 1 3 4\nusemtl red\nf 2 3 4\n"),
         {{"m.mtl", "newmtl plain\nKa 1 1 1\nnewmtl red\nKd 1 0 0\n"}},
         {grey, grey, grey, grey, grey, grey, red, red, red},
         {}},
        {"OBJ: Kd of one value; the first file to define a name wins",
         "a.obj",
         text("mtllib m.mtl n.mtl\n" + std::string(kTriangle) + "usemtl red\nf 1 2 3\n"),
         {{"m.mtl", "newmtl red\nKd 0.5\n"}, {"n.mtl", "newmtl red\nKd 1 0 0\n"}},
         {{0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f}},
         {}},
        {"OBJ: the materials file is missing",
         "a.obj",
         text(square),
         {},
         {},
         {"materials file not found: m.mtl"}},
        {"OBJ: materials files that leave the folder are not read",
         "a.obj",
         text("mtllib ../m.mtl /m.mtl sub/../../m.mtl C:m.mtl\n" + std::string(kTriangle) +
              "usemtl red\nf 1 2 3\n"),
         {{"../m.mtl", twoMaterials}, {"/m.mtl", twoMaterials}},
         {},
         {"materials file outside the model's folder: ../m.mtl",
          "materials file outside the model's folder: /m.mtl",
          "materials file outside the model's folder: sub/../../m.mtl",
          "materials file outside the model's folder: C:m.mtl"}},
        {"OBJ: a materials file in a subfolder",
         "a.obj",
         text("mtllib sub/m.mtl\n" + std::string(kTriangle) + "usemtl blue\nf 1 2 3\n"),
         {{"sub/m.mtl", twoMaterials}},
         {blue, blue, blue},
         {}},
        {"OBJ: no material has a Kd", "a.obj", text(square), {{"m.mtl", "newmtl red\n"}}, {}, {}},
    };
}

TEST(ModelColors, EachSourceAndRuleGivesItsColours) {
    for (const ColorCase& c : colorCases()) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> asked;
        model::LoadOptions options;
        options.readSibling = [&](const std::string& path, std::uint64_t,
                                  std::vector<std::uint8_t>& bytes) {
            asked.push_back(path);
            EXPECT_TRUE(model::isSiblingPath(path)) << path;
            const auto found = c.siblings.find(path);
            if (found == c.siblings.end()) {
                return model::SiblingStatus::Missing;
            }
            bytes.assign(found->second.begin(), found->second.end());
            return model::SiblingStatus::Read;
        };
        const model::LoadResult loaded = model::loadModel(c.bytes, c.name, options);
        ASSERT_TRUE(loaded.ok()) << loaded.error;
        EXPECT_EQ(loaded.model.notes, c.notes);
        EXPECT_EQ(loaded.model.fileColors, !c.colors.empty());
        ASSERT_EQ(loaded.model.meshes.size(), 1u);
        const Mesh& mesh = loaded.model.meshes[0];
        ASSERT_EQ(mesh.colors.size(), c.colors.size());
        if (!c.colors.empty()) {
            ASSERT_EQ(mesh.vertices.size(), c.colors.size());
        }
        for (std::size_t v = 0; v < c.colors.size(); ++v) {
            EXPECT_EQ(mesh.colors[v].x, c.colors[v].x) << "vertex " << v;
            EXPECT_EQ(mesh.colors[v].y, c.colors[v].y) << "vertex " << v;
            EXPECT_EQ(mesh.colors[v].z, c.colors[v].z) << "vertex " << v;
        }
        // Colours change no vertex but split them: positions stay the file's.
        if (c.colors.empty()) {
            EXPECT_EQ(loaded.model.vertexCount, mesh.vertices.size());
        }
    }
}

// A model without colours loads as it did: the same meshes as with every
// colour source taken out of the file.
TEST(ModelColors, AModelWithoutColoursIsUnchanged) {
    const std::string plain = std::string(kTriangle) + "v 0 0 1\nf 1 2 3\nf 1 3 4\n";
    const model::LoadResult a = model::loadModel(text(plain), "a.obj");
    const model::LoadResult b =
        model::loadModel(text("mtllib gone.mtl\nusemtl x\n" + plain), "a.obj");
    ASSERT_TRUE(a.ok() && b.ok());
    EXPECT_FALSE(b.model.fileColors);
    ASSERT_EQ(a.model.meshes.size(), b.model.meshes.size());
    const Mesh& x = a.model.meshes[0];
    const Mesh& y = b.model.meshes[0];
    ASSERT_EQ(x.vertices.size(), y.vertices.size());
    EXPECT_EQ(
        0, std::memcmp(x.vertices.data(), y.vertices.data(), x.vertices.size() * sizeof(Vertex)));
    EXPECT_EQ(0, std::memcmp(x.faces.data(), y.faces.data(), x.faces.size() * sizeof(Face)));
    EXPECT_TRUE(y.colors.empty());
}

// On disk: the materials file beside the model is read; one reached
// through a link that leads out of the folder is not.
TEST(ModelColors, MaterialsBesideAFileOnDisk) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "octaspin-model-colors";
    fs::remove_all(folder);
    fs::create_directories(folder / "model");
    std::ofstream(folder / "model" / "m.mtl") << "newmtl red\nKd 1 0 0\n";
    std::ofstream(folder / "outside.mtl") << "newmtl red\nKd 0 1 0\n";
    std::ofstream(folder / "model" / "a.obj") << "mtllib m.mtl\n"
                                              << kTriangle << "usemtl red\nf 1 2 3\n";
    std::ofstream(folder / "model" / "b.obj") << "mtllib link.mtl\n"
                                              << kTriangle << "usemtl red\nf 1 2 3\n";
    const model::LoadResult a = model::loadModelFile((folder / "model" / "a.obj").string());
    ASSERT_TRUE(a.ok()) << a.error;
    ASSERT_TRUE(a.model.fileColors);
    EXPECT_EQ(a.model.meshes[0].colors[0].x, 1.0f);
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
    fs::create_symlink(folder / "outside.mtl", folder / "model" / "link.mtl");
    const model::LoadResult b = model::loadModelFile((folder / "model" / "b.obj").string());
    ASSERT_TRUE(b.ok()) << b.error;
    EXPECT_FALSE(b.model.fileColors);
    EXPECT_EQ(b.model.notes, std::vector<std::string>{"materials file not read: link.mtl"});
#endif
    fs::remove_all(folder);
}

} // namespace
