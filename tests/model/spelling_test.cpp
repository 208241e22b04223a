// One model, a square pyramid, written in every spelling of every format:
// within a group every file must give the same meshes, vertex for vertex
// and face for face (and so the same frames). The plain group has no usable
// normals of its own (computed ones), the other the file's normals.
#include "tests/model/model_bytes.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using modeltest::Bytes;
using modeltest::text;
using modeltest::Writer;

// Base corners (-1, 0, -1), (1, 0, -1), (1, 0, 1), (-1, 0, 1), apex
// (0, 2.1, 0); faces counter-clockwise seen from outside: the base quad
// 1 2 3 4, then the sides 1 5 2, 2 5 3, 3 5 4, 4 5 1.
constexpr char kPlainObj[] = "v -1 0 -1\nv 1 0 -1\nv 1 0 1\nv -1 0 1\nv 0 2.1 0\n"
                             "f 1 2 3 4\nf 1 5 2\nf 2 5 3\nf 3 5 4\nf 4 5 1\n";

// The file's normals, the same for every corner of a vertex (not unit).
constexpr char kNormalsObj[] = "v -1 0 -1\nv 1 0 -1\nv 1 0 1\nv -1 0 1\nv 0 2.1 0\n"
                               "vn -1 -1 -1\nvn 1 -1 -1\nvn 1 -1 1\nvn -1 -1 1\nvn 0 3 0\n"
                               "f 1//1 2//2 3//3 4//4\nf 1//1 5//5 2//2\nf 2//2 5//5 3//3\n"
                               "f 3//3 5//5 4//4\nf 4//4 5//5 1//1\n";

constexpr float kCorners[4][3] = {{-1, 0, -1}, {1, 0, -1}, {1, 0, 1}, {-1, 0, 1}};
constexpr int kFaces[5][4] = {
    {0, 1, 2, 3}, {0, 4, 1, -1}, {1, 4, 2, -1}, {2, 4, 3, -1}, {3, 4, 0, -1}};

// A binary PLY of the pyramid: coordinates as doubles, odd count and index
// types, an extra property and a list to pass over in the vertex element,
// an element of its own before the faces.
Bytes binaryPly(bool bigEndian, bool withNormals) {
    Writer w(bigEndian);
    w.raw("ply\nformat ");
    w.raw(bigEndian ? "binary_big_endian" : "binary_little_endian");
    w.raw(" 1.0\ncomment written by the test\nelement vertex 5\n"
          "property double x\nproperty uchar red\nproperty double y\nproperty double z\n");
    if (withNormals) {
        w.raw("property float nx\nproperty float ny\nproperty float nz\n");
    }
    w.raw("property list uchar short extra\nelement edge 2\nproperty int a\nproperty int b\n"
          "element face 5\nproperty list ushort uint vertex_indices\nend_header\n");
    const float normals[5][3] = {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}, {0, 3, 0}};
    for (int v = 0; v < 5; ++v) {
        const double p[3] = {v < 4 ? kCorners[v][0] : 0.0, v < 4 ? 0.0 : 2.1,
                             v < 4 ? kCorners[v][2] : 0.0};
        w.put(p[0]).put(std::uint8_t{200}).put(p[1]).put(p[2]);
        if (withNormals) {
            w.put(normals[v][0]).put(normals[v][1]).put(normals[v][2]);
        }
        w.put(std::uint8_t{2}).put(std::int16_t{-7}).put(std::int16_t{9});
    }
    w.put(std::int32_t{0}).put(std::int32_t{1}).put(std::int32_t{1}).put(std::int32_t{2});
    for (const auto& face : kFaces) {
        const std::uint16_t count = face[3] < 0 ? 3 : 4;
        w.put(count);
        for (int c = 0; c < count; ++c) {
            w.put(static_cast<std::uint32_t>(face[c]));
        }
    }
    return w.bytes;
}

// The pyramid's triangles as a binary STL whose header begins with
// "solid", as many writers' do.
Bytes binaryStl() {
    const float apex[3] = {0, 2.1f, 0};
    std::vector<std::array<float, 9>> triangles;
    auto corner = [&](int i) { return i == 4 ? apex : kCorners[i]; };
    auto add = [&](int a, int b, int c) {
        std::array<float, 9> t{};
        for (int k = 0; k < 3; ++k) {
            t[k] = corner(a)[k];
            t[3 + k] = corner(b)[k];
            t[6 + k] = corner(c)[k];
        }
        triangles.push_back(t);
    };
    add(0, 1, 2);
    add(0, 2, 3);
    add(0, 4, 1);
    add(1, 4, 2);
    add(2, 4, 3);
    add(3, 4, 0);
    return modeltest::binaryStl("solid pyramid, binary all the same", triangles);
}

constexpr char kAsciiStl[] = "solid pyramid\n"
                             "facet normal 0 -1 0\nouter loop\nvertex -1 0 -1\nvertex 1 0 -1\n"
                             "vertex 1 0 1\nvertex -1 0 1\nendloop\nendfacet\n"
                             "  FACET NORMAL 0 0 0\r\n    OUTER LOOP\r\n      VERTEX -1 0 -1\r\n"
                             "      VERTEX 0 2.1 0\r\n      VERTEX 1 0 -1\r\n    ENDLOOP\r\n"
                             "  ENDFACET\r\n"
                             "endsolid pyramid\nsolid second\n"
                             "facet normal 1 0 0 outer loop vertex 1 0 -1 vertex 0 2.1 0 "
                             "vertex 1 0 1 endloop endfacet\n"
                             "facet normal nan 0 0\nouter loop\nvertex 1 0 1\nvertex 0 2.1 0\n"
                             "vertex -1 0 1\nendloop\nendfacet\n"
                             "facet normal -1 0 0\nouter loop\nvertex -1 0 1\nvertex 0 2.1 0\n"
                             "vertex -1 0 -1\nendloop\nendfacet\nendsolid second";

struct Spelling {
    const char* what;
    const char* name; // picks the format by its extension
    Bytes bytes;
    bool fileNormals;
};

std::vector<Spelling> spellings() {
    return {
        {"OBJ, plain", "pyramid.obj", text(kPlainObj), false},
        {"OBJ, texture indices, negative indices, the quad as its fan", "a.OBJ",
         text("vt 0 0\nvt 1 0\nvt 1 1\n"
              "v -1 0 -1\nv 1 0 -1\nv 1 0 1\nv -1 0 1\nv 0 2.1 0\n"
              "f 1/1 2/2 3/3\nf -5/-3 3/3 -2/1\nf 1/1 5/2 2/3\nf 2 -1 3\nf 3 5 4\nf 4 5 1\n"),
         false},
        {"OBJ, number spellings, CRLF, continuation, comments, ignored statements",
         "weird name.obj",
         text("\xEF\xBB\xBF# a comment\r\nmtllib x.mtl\r\no pyramid\r\ng base\r\ns 1\r\n"
              "usemtl stone\r\nv -1.0 0.0 -1e0 1.0\r\nv +1 -0e5 \\\r\n  -10e-1\r\n"
              "v 1. .0 1 0.5 0.5 0.5\r\nv -.1e1 0 +1 #comment\r\nv 0 21e-1 0\r\n"
              "l 1 2\r\np 3\r\nvp 0.5\r\ncurv2 1 2\r\nfoo bar\r\n"
              "f 1 2 3 4 # base\r\nf 1 5 2\r\nf 2 5 \\\n3\r\nf\t3  5\t4\r\nf 4 5 1"),
         false},
        {"OBJ, faces before the vertices they name", "ahead.obj",
         text("f 1 2 3 4\nf 1 5 2\nf 2 5 3\nf 3 5 4\nf 4 5 1\n"
              "v -1 0 -1\nv 1 0 -1\nv 1 0 1\nv -1 0 1\nv 0 2.1 0\n"),
         false},
        {"OBJ, vertices listed in another order", "shuffled.obj",
         text("v 0 2.1 0\nv -1 0 1\nv 1 0 -1\nv -1 0 -1\nv 1 0 1\nv 7 7 7\n"
              "f 4 3 5 2\nf 4 1 3\nf 3 1 5\nf 5 1 2\nf 2 1 4\n"),
         false},
        {"OBJ, normals on some corners only", "some.obj",
         text("vn 0 1 0\nv -1 0 -1\nv 1 0 -1\nv 1 0 1\nv -1 0 1\nv 0 2.1 0\n"
              "f 1 2 3 4\nf 1//1 5//1 2//1\nf 2 5 3\nf 3 5 4\nf 4 5 1\n"),
         false},
        {"OBJ, a zero normal", "zero.obj",
         text("vn 0 1 0\nvn 0 0 0\nv -1 0 -1\nv 1 0 -1\nv 1 0 1\nv -1 0 1\nv 0 2.1 0\n"
              "f 1//1 2//1 3//1 4//1\nf 1//1 5//2 2//1\nf 2//1 5//1 3//1\nf 3//1 5//1 4//1\n"
              "f 4//1 5//1 1//1\n"),
         false},
        {"PLY, ASCII", "pyramid.ply",
         text("ply\r\nformat ascii 1.0\r\nFree text some writers put here\r\n"
              "element vertex 5\r\nproperty float32 x\r\nproperty float32 y\r\n"
              "property float32 z\r\nproperty uchar red\r\nproperty float nx\r\n"
              "element face 5\r\nproperty list uint8 int32 vertex_index\r\nend_header\r\n"
              "-1 0 -1 255 0\n1 0 -1 0 0\n1 0 1 0 0\n-1 0 1\n0 0 0 2.1 0 1 1\n"
              "4 0 1 2 3\n3 0 4 1\n3 1 4 2\n3 2 4 3\n3 3 4 0\n"),
         false},
        {"PLY, ASCII, a normal that is not a number", "nan.ply",
         text("ply\nformat ascii 1.0\nelement vertex 5\nproperty float x\nproperty float y\n"
              "property float z\nproperty float nx\nproperty float ny\nproperty float nz\n"
              "element face 5\nproperty list uchar uint vertex_indices\nend_header\n"
              "-1 0 -1 0 1 0\n1 0 -1 0 1 0\n1 0 1 nan 1 0\n-1 0 1 0 1 0\n0 2.1 0 0 1 0\n"
              "4 0 1 2 3\n3 0 4 1\n3 1 4 2\n3 2 4 3\n3 3 4 0\n"),
         false},
        {"PLY, binary little-endian", "le.bin", binaryPly(false, false), false},
        {"PLY, binary big-endian", "be.ply", binaryPly(true, false), false},
        {"STL, binary with a header that begins with solid", "pyramid.stl", binaryStl(), false},
        {"STL, ASCII, two solids, a quad facet, upper case, CRLF", "pyramid.STL", text(kAsciiStl),
         false},
        {"STL, ASCII, found by its first word", "pyramid.txt", text(kAsciiStl), false},
        {"STL, binary, found by its size", "pyramid", binaryStl(), false},

        {"OBJ, v//vn corners", "normals.obj", text(kNormalsObj), true},
        {"OBJ, v/vt/vn corners, scaled normals", "normals2.obj",
         text("v -1 0 -1\nv 1 0 -1\nv 1 0 1\nv -1 0 1\nv 0 2.1 0\n"
              "vn -2 -2 -2\nvn 1 -1 -1\nvn 1 -1 1\nvn -1 -1 1\nvn 0 0.5 0\nvt 0 0\n"
              "f 1/1/1 2/1/2 3/1/3 4/1/4\nf 1/1/1 5/1/5 2/1/2\nf 2/1/2 5/1/5 3/1/3\n"
              "f 3/1/3 5/1/5 4/1/4\nf 4/1/4 5/1/5 1/1/1\n"),
         true},
        {"PLY, ASCII with normals", "normals.ply",
         text("ply\nformat ascii 1.0\nelement vertex 5\nproperty float x\nproperty float y\n"
              "property float z\nproperty float nx\nproperty float ny\nproperty float nz\n"
              "element face 5\nproperty list uchar uint vertex_indices\nend_header\n"
              "-1 0 -1 -1 -1 -1\n1 0 -1 1 -1 -1\n1 0 1 1 -1 1\n-1 0 1 -1 -1 1\n0 2.1 0 0 3 0\n"
              "4 0 1 2 3\n3 0 4 1\n3 1 4 2\n3 2 4 3\n3 3 4 0\n"),
         true},
        {"PLY, binary big-endian with normals", "normals-be.ply", binaryPly(true, true), true},
    };
}

void expectSameMeshes(const model::LoadedModel& actual, const model::LoadedModel& expected) {
    ASSERT_EQ(actual.meshes.size(), expected.meshes.size());
    EXPECT_EQ(actual.vertexCount, expected.vertexCount);
    EXPECT_EQ(actual.triangleCount, expected.triangleCount);
    for (std::size_t m = 0; m < actual.meshes.size(); ++m) {
        const Mesh& a = actual.meshes[m];
        const Mesh& e = expected.meshes[m];
        ASSERT_EQ(a.vertexCount, e.vertexCount);
        ASSERT_EQ(a.faceCount, e.faceCount);
        for (std::size_t v = 0; v < a.vertices.size(); ++v) {
            SCOPED_TRACE("vertex " + std::to_string(v));
            const Vertex& x = a.vertices[v];
            const Vertex& y = e.vertices[v];
            EXPECT_EQ(x.position.x, y.position.x);
            EXPECT_EQ(x.position.y, y.position.y);
            EXPECT_EQ(x.position.z, y.position.z);
            EXPECT_EQ(x.normal.x, y.normal.x);
            EXPECT_EQ(x.normal.y, y.normal.y);
            EXPECT_EQ(x.normal.z, y.normal.z);
        }
        for (std::size_t f = 0; f < a.faces.size(); ++f) {
            EXPECT_EQ(a.faces[f].i0, e.faces[f].i0) << "face " << f;
            EXPECT_EQ(a.faces[f].i1, e.faces[f].i1) << "face " << f;
            EXPECT_EQ(a.faces[f].i2, e.faces[f].i2) << "face " << f;
        }
    }
}

TEST(ModelSpellings, EveryFormatAndSpellingGivesTheSameMeshes) {
    const std::vector<Spelling> all = spellings();
    const model::LoadResult plain = modeltest::load(all[0].bytes, all[0].name);
    ASSERT_TRUE(plain.ok()) << plain.error;
    const model::LoadResult withNormals = modeltest::load(text(kNormalsObj), "n.obj");
    ASSERT_TRUE(withNormals.ok()) << withNormals.error;
    for (const Spelling& spelling : all) {
        SCOPED_TRACE(spelling.what);
        const model::LoadResult loaded = modeltest::load(spelling.bytes, spelling.name);
        ASSERT_TRUE(loaded.ok()) << loaded.error;
        EXPECT_EQ(loaded.model.fileNormals, spelling.fileNormals);
        expectSameMeshes(loaded.model, spelling.fileNormals ? withNormals.model : plain.model);
    }
}

// The contract's numbers, worked out for the pyramid: y runs from 0 to
// 2.1f, so the centre is (0, cy, 0) with cy = (float)(2.1f / 2); the base
// corners are farthest from it, at sqrt(2 + cy^2); z is negated.
TEST(ModelSpellings, ThePyramidIsCentredScaledMirroredAndFacesOutwards) {
    const model::LoadResult loaded = modeltest::load(text(kPlainObj), "p.obj");
    ASSERT_TRUE(loaded.ok()) << loaded.error;
    ASSERT_EQ(loaded.model.meshes.size(), 1u);
    const Mesh& mesh = loaded.model.meshes[0];
    ASSERT_EQ(mesh.vertexCount, 5);
    ASSERT_EQ(mesh.faceCount, 6);
    const double cy = static_cast<float>(double{2.1f} / 2.0);
    const double scale = 100.0 / std::sqrt(2.0 + cy * cy);
    // (-1, 0, -1) -> (-scale, -cy * scale, +scale).
    EXPECT_EQ(mesh.vertices[0].position.x, static_cast<float>(-scale));
    EXPECT_EQ(mesh.vertices[0].position.y, static_cast<float>(-cy * scale));
    EXPECT_EQ(mesh.vertices[0].position.z, static_cast<float>(scale));
    EXPECT_EQ(mesh.vertices[4].position.y, static_cast<float>((double{2.1f} - cy) * scale));
    // The centre of a convex solid lies behind every face: each face
    // normal points away from it, and so does each computed vertex normal.
    for (std::int32_t k = 0; k < mesh.faceCount; ++k) {
        const Face& f = mesh.faces[static_cast<std::size_t>(k)];
        const Vec3& p = mesh.vertices[f.i0].position;
        const Vec3& n = mesh.faceNormals[static_cast<std::size_t>(k)];
        EXPECT_GT(n.x * p.x + n.y * p.y + n.z * p.z, 0.0f) << "face " << k;
    }
    for (const Vertex& v : mesh.vertices) {
        const Vec3& n = v.normal;
        EXPECT_NEAR(n.x * n.x + n.y * n.y + n.z * n.z, 1.0f, 1e-6f);
        EXPECT_GT(n.x * v.position.x + n.y * v.position.y + n.z * v.position.z, 0.0f);
    }
    // The apex's normal is straight up by symmetry.
    EXPECT_EQ(mesh.vertices[4].normal.x, 0.0f);
    EXPECT_EQ(mesh.vertices[4].normal.y, 1.0f);
    EXPECT_EQ(mesh.vertices[4].normal.z, 0.0f);
}

} // namespace
