// Files that must be refused: each failure the loader knows, with the one
// line it answers. In an expected message {n} stands for any run of digits.
#include "tests/model/model_bytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

namespace {

using modeltest::Bytes;
using modeltest::text;
using modeltest::Writer;

constexpr char kTriangle[] = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";

std::string triangleWith(const char* face) {
    return std::string(kTriangle) + face;
}

// A PLY header for three vertices (x y z floats) and `faces` faces of
// `indexType` indices.
std::string plyHeader(const char* format, int faces, const char* indexType = "int") {
    return std::string("ply\nformat ") + format +
           " 1.0\nelement vertex 3\nproperty float x\nproperty float y\nproperty float z\n"
           "element face " +
           std::to_string(faces) + "\nproperty list uchar " + indexType +
           " vertex_indices\nend_header\n";
}

// Three vertices, then the faces' bytes as given.
Bytes binaryPly(float firstX, const Bytes& faces, int faceCount = 1) {
    Writer w;
    w.raw(plyHeader("binary_little_endian", faceCount));
    w.put(firstX).put(0.0f).put(0.0f).put(1.0f).put(0.0f).put(0.0f).put(0.0f).put(1.0f).put(0.0f);
    w.bytes.insert(w.bytes.end(), faces.begin(), faces.end());
    return w.bytes;
}

Bytes face(std::uint8_t count, std::initializer_list<std::int32_t> indices) {
    Writer w;
    w.put(count);
    for (std::int32_t i : indices) {
        w.put(i);
    }
    return w.bytes;
}

Bytes manyFaces(int count) {
    std::string obj = kTriangle;
    for (int i = 0; i < count; ++i) {
        obj += "f 1 2 3\n";
    }
    return text(obj);
}

struct Hostile {
    const char* what;
    const char* name;
    Bytes bytes;
    std::string message;
    std::uint64_t limit = model::kModelMemoryLimit;
};

bool matches(const std::string& actual, const std::string& pattern) {
    const std::size_t hole = pattern.find("{n}");
    if (hole == std::string::npos) {
        return actual == pattern;
    }
    std::size_t digits = hole;
    while (digits < actual.size() && actual[digits] >= '0' && actual[digits] <= '9') {
        ++digits;
    }
    return digits > hole && actual.compare(0, hole, pattern, 0, hole) == 0 &&
           actual.substr(digits) == pattern.substr(hole + 3);
}

std::vector<Hostile> hostileFiles() {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const std::string header = plyHeader("binary_little_endian", 1);
    const std::size_t vertices = header.size(); // where the first x is
    const std::size_t faces = vertices + 36;
    return {
        {"not a format", "notes.txt", text("hello world\n"),
         "notes.txt: not an OBJ, PLY or STL file"},
        {"OBJ: a word for a number", "a.obj", text("v 1 x 3\n"),
         "a.obj: line 1: 'x' is not a number"},
        {"OBJ: a malformed exponent", "a.obj", text("\n\nv 1 2 3.1+e2\n"),
         "a.obj: line 3: '3.1+e2' is not a number"},
        {"OBJ: two coordinates", "a.obj", text("v 1 2\n"),
         "a.obj: line 1: a vertex needs x, y and z"},
        {"OBJ: NaN", "a.obj", text("v nan 0 0\n"), "a.obj: line 1: 'nan' is not a finite number"},
        {"OBJ: infinity as some writers print it", "a.obj", text("vn 0 -1.#INF 0\n"),
         "a.obj: line 1: '-1.#INF' is not a finite number"},
        {"OBJ: beyond a float", "a.obj", text("v 0 0 3.5e38\n"),
         "a.obj: line 1: '3.5e38' is out of the range of a 32-bit float"},
        {"OBJ: a corner of four parts", "a.obj", text(triangleWith("f 1/2/3/4 2 3\n")),
         "a.obj: line 4: '1/2/3/4' is not a face corner (v, v/vt, v//vn or v/vt/vn of whole "
         "numbers)"},
        {"OBJ: index 0", "a.obj", text(triangleWith("f 0 1 2\n")),
         "a.obj: line 4: face corner '0': indices count from 1 (or back from -1), not 0"},
        {"OBJ: an index past the vertices", "a.obj",
         text(triangleWith("f 1 2 4\nv 0 0 1\nf 1 2 5\n")),
         "a.obj: line 6: index 5 is out of range: the file has 4 vertices"},
        {"OBJ: a relative index before the first vertex", "a.obj", text(triangleWith("f -4 1 2\n")),
         "a.obj: line 4: index -4 reaches before the first of the 3 vertices defined so far"},
        {"OBJ: an index beyond 64 bits", "a.obj",
         text(triangleWith("f 1 2 99999999999999999999\n")),
         "a.obj: line 4: index 99999999999999999999 is out of range: the file has 3 vertices"},
        {"OBJ: a normal index past the normals", "a.obj",
         text(triangleWith("vn 0 0 1\nf 1//1 2//1 3//2\n")),
         "a.obj: line 5: index 2 is out of range: the file has 1 normals"},
        {"OBJ: a texture index 0", "a.obj", text(triangleWith("f 1/0 2/1 3/1\n")),
         "a.obj: line 4: face corner '1/0': a texture index is a whole number other than 0"},
        {"OBJ: a face of two corners", "a.obj", text(triangleWith("f 1 \\\n 2\n")),
         "a.obj: line 5: a face needs at least three corners, this one has 2"},
        {"no faces", "points.obj", text(kTriangle), "points.obj: there are no faces to draw"},
        {"no extent", "dot.obj", text("v 1 1 1\nv 1 1 1\nf 1 2 1\n"),
         "dot.obj: all its vertices lie at one point: the model has no extent"},
        {"OBJ: faces beyond the memory limit", "big.obj", manyFaces(60000),
         "big.obj: line {n}: the model needs more than the 1 MiB of memory a model may take",
         1 << 20},
        {"a file larger than the memory limit", "big.obj", manyFaces(200),
         "big.obj: the model needs more than the 1000 bytes of memory a model may take", 1000},
        {"PLY: not PLY", "a.ply", text("hello\n"),
         "a.ply: line 1: not a PLY file: it does not begin with the line 'ply'"},
        {"PLY: no format", "a.ply", text("ply\nelement vertex 0\nend_header\n"),
         "a.ply: line 3: the header has no format line"},
        {"PLY: no end of the header", "a.ply", text("ply\nformat ascii 1.0\nelement vertex 0\n"),
         "a.ply: line 4: the header has no end_header line"},
        {"PLY: an unknown type", "a.ply",
         text("ply\nformat ascii 1.0\nelement vertex 1\nproperty float16 x\nend_header\n"),
         "a.ply: line 4: unknown property type 'float16'"},
        {"PLY: no coordinates", "a.ply",
         text("ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\nend_header\n1\n"),
         "a.ply: line 3: the vertex element has no x, y and z"},
        {"PLY: indices of a float type", "a.ply",
         text(plyHeader("ascii", 1, "float") + "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n"),
         "a.ply: line 7: the face indices are not whole numbers"},
        {"PLY: a count no file can hold", "a.ply",
         text("ply\nformat binary_little_endian 1.0\nelement vertex 1000000000\n"
              "property float x\nproperty float y\nproperty float z\nend_header\n0123456789ab"),
         "a.ply: line 3: the header declares 1000000000 'vertex' items, more than the 12 bytes "
         "after the header can hold"},
        {"PLY: a count beyond 64 bits", "a.ply",
         text("ply\nformat ascii 1.0\nelement vertex 99999999999999999999999\nend_header\n"),
         "a.ply: line 3: an element needs a name and a count, not 'vertex "
         "99999999999999999999999'"},
        {"PLY: an index past the vertices", "a.ply",
         text(plyHeader("ascii", 1) + "0 0 0\n1 0 0\n0 1 0\n3 0 1 3\n"),
         "a.ply: line 13: index 3 is out of range: the file has 3 vertices"},
        {"PLY: ASCII items cut short", "a.ply",
         text(plyHeader("ascii", 0) + "0 0 0\n1 0 0                          \n"),
         "a.ply: line 12: the file ends inside the 'vertex' items"},
        {"PLY: a negative index", "a.ply", binaryPly(0.0f, face(3, {0, -1, 2})),
         ("a.ply: byte " + std::to_string(faces + 5) +
          ": index -1 is out of range: the file has 3 "
          "vertices")},
        {"PLY: a NaN coordinate", "a.ply", binaryPly(nan, face(3, {0, 1, 2})),
         ("a.ply: byte " + std::to_string(vertices) +
          ": a vertex coordinate is not a finite number")},
        {"PLY: a list past the end of the file", "a.ply", binaryPly(0.0f, face(200, {0, 1, 2})),
         ("a.ply: byte " + std::to_string(faces) +
          ": a list of 200 items runs past the end of the file")},
        {"PLY: a face of two corners", "a.ply", binaryPly(0.0f, face(2, {0, 1})),
         ("a.ply: byte " + std::to_string(faces + 5) +
          ": a face needs at least three corners, this one has 2")},
        {"STL: neither ASCII nor binary", "a.stl", text("hello"),
         "a.stl: line 1: not an STL file: it neither begins with 'solid' nor has the size of a "
         "binary one"},
        {"STL: binary of the wrong size", "a.stl",
         [] {
             Bytes b = modeltest::binaryStl("solid but binary", {{0, 0, 0, 1, 0, 0, 0, 1, 0}});
             b[80] = 5;
             return b;
         }(),
         "a.stl: byte 80: a binary STL file of 5 triangles has 334 bytes, this one has 134"},
        {"STL: an infinite coordinate", "a.stl",
         modeltest::binaryStl("", {{0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 0, 0, 1, inf, 0, 0, 1, 0}}),
         "a.stl: byte 162: a vertex coordinate is not a finite number"},
        {"STL: more triangles than memory allows", "a.stl",
         modeltest::binaryStl("", std::vector<std::array<float, 9>>(15000)),
         "a.stl: byte 80: the model needs more than the 1 MiB of memory a model may take", 1 << 20},
        {"STL: a misspelt keyword", "a.stl", text("solid x\nfacet normal 0 0 1\n  outer lop\n"),
         "a.stl: line 3: expected 'loop', found 'lop'"},
        {"STL: a facet of two vertices", "a.stl",
         text("solid x\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nendloop\n"),
         "a.stl: line 6: a facet needs at least three vertices, this one has 2"},
        {"STL: a NaN vertex", "a.stl",
         text("solid x\nfacet normal 0 0 1\nouter loop\nvertex 0 nan 0\n"),
         "a.stl: line 4: 'nan' is not a finite number"},
        {"STL: no endsolid", "a.stl", text("solid x\n"),
         "a.stl: line 2: expected 'facet' or 'endsolid', found the end of the file"},
        {"STL: something after endsolid", "a.stl", text("solid x\nendsolid x\nsolid\xff\n"),
         "a.stl: line 3: expected 'solid' or the end of the file, found 'solid\\xff'"},
    };
}

TEST(ModelHostileFiles, EachIsRefusedWithOneLineThatSaysWhereAndWhy) {
    for (const Hostile& file : hostileFiles()) {
        SCOPED_TRACE(file.what);
        const model::LoadResult loaded = modeltest::load(file.bytes, file.name, file.limit);
        ASSERT_FALSE(loaded.ok());
        EXPECT_TRUE(matches(loaded.error, file.message))
            << "  actual: " << loaded.error << "\nexpected: " << file.message;
        EXPECT_TRUE(loaded.model.meshes.empty());
    }
}

TEST(ModelHostileFiles, FilesThatCannotBeOpenedOrRead) {
    const std::string missing = "no such folder/bunny.obj";
    EXPECT_EQ(model::loadModelFile(missing).error,
              missing + ": cannot open: No such file or directory");
    // A folder opens on some systems and not on others; it is never read.
    const std::string folder = std::filesystem::temp_directory_path().string();
    const model::LoadResult loaded = model::loadModelFile(folder);
    EXPECT_EQ(loaded.error.rfind(folder + ": cannot ", 0), 0u) << loaded.error;
}

} // namespace
