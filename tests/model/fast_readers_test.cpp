// The fast readers against the general ones: on generated files of every
// layout they take (cut into many small chunks, parsed on a pool) and on
// the model corpus, a fast reader either gives the general reader's model
// to the bit or gives the file up; it never gives a model for a file the
// general reader refuses.
#include "device/worker_pool.h"
#include "model/chunked_reader.h"
#include "tests/model/model_bytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

using modeltest::Bytes;
using modeltest::Writer;

// The same bits, or NaN in both (a NaN's bits may change on the way
// through a double, and a NaN normal is never used).
bool sameBits(const std::vector<Vec3>& a, const std::vector<Vec3>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const float x[3] = {a[i].x, a[i].y, a[i].z};
        const float y[3] = {b[i].x, b[i].y, b[i].z};
        for (int c = 0; c < 3; ++c) {
            if (std::memcmp(&x[c], &y[c], sizeof(float)) != 0 &&
                !(std::isnan(x[c]) && std::isnan(y[c]))) {
                return false;
            }
        }
    }
    return true;
}

void expectSameRaw(const model::RawModel& fast, const model::RawModel& general) {
    // The STL fast reader welds as it reads; the general one leaves that to
    // the loader: compare the welded corners' positions instead.
    if (general.weldByPosition && !fast.weldByPosition) {
        ASSERT_EQ(fast.corners.size(), general.corners.size());
        for (std::size_t k = 0; k < fast.corners.size(); ++k) {
            const Vec3& f = fast.positions[fast.corners[k]];
            const Vec3& g = general.positions[general.corners[k]];
            ASSERT_TRUE(f.x == g.x && f.y == g.y && f.z == g.z) << "corner " << k;
        }
        return;
    }
    EXPECT_TRUE(sameBits(fast.positions, general.positions));
    EXPECT_TRUE(sameBits(fast.normals, general.normals));
    EXPECT_TRUE(sameBits(fast.colors, general.colors));
    EXPECT_EQ(fast.corners, general.corners);
    EXPECT_EQ(fast.normalBinding, general.normalBinding);
    if (general.normalBinding == model::NormalBinding::PerCorner) {
        EXPECT_EQ(fast.cornerNormals, general.cornerNormals);
    }
    EXPECT_EQ(fast.colorBinding, general.colorBinding);
    ASSERT_EQ(fast.materialRuns.size(), general.materialRuns.size());
    for (std::size_t r = 0; r < fast.materialRuns.size(); ++r) {
        EXPECT_EQ(fast.materialRuns[r].firstTriangle, general.materialRuns[r].firstTriangle);
        EXPECT_EQ(fast.materialRuns[r].material, general.materialRuns[r].material);
    }
    EXPECT_EQ(fast.materialNames, general.materialNames);
    EXPECT_EQ(fast.materialLibraries, general.materialLibraries);
}

// Runs both readers; returns whether the fast one took the file.
bool compare(model::Format format, const Bytes& bytes, std::size_t chunkBytes, WorkerPool* pool) {
    static constexpr model::ModelReader kGeneral[] = {model::readObj, model::readPly,
                                                      model::readStl};
    model::RawModel general;
    model::MemoryBudget generalBudget(model::kModelMemoryLimit);
    model::ReadFailure failure;
    const bool generalOk =
        kGeneral[static_cast<int>(format)](bytes, general, generalBudget, failure);

    std::unique_ptr<model::ChunkedReader> fast =
        format == model::Format::Obj   ? model::chunkedObjReader(chunkBytes)
        : format == model::Format::Ply ? model::chunkedPlyReader(chunkBytes)
                                       : model::chunkedStlReader(chunkBytes);
    model::MemoryBudget budget(model::kModelMemoryLimit);
    model::ChunkedReader::Status status = model::ChunkedReader::Status::More;
    std::uint64_t parsed = 0;
    while (status == model::ChunkedReader::Status::More) {
        status = fast->step(bytes, pool, budget);
        EXPECT_GE(fast->parsed(), parsed);
        parsed = fast->parsed();
    }
    if (status == model::ChunkedReader::Status::General) {
        return false;
    }
    EXPECT_TRUE(generalOk) << "the fast reader took a file the general one refuses: "
                           << failure.reason;
    if (generalOk) {
        expectSameRaw(fast->take(), general);
    }
    return true;
}

std::string number(std::mt19937& random) {
    static const char* kSpellings[] = {"%.6f", "%g", "%.3e", "%.9g"};
    std::uniform_real_distribution<double> value(-5.0, 5.0);
    char text[48];
    std::snprintf(text, sizeof text, kSpellings[random() % 4], value(random));
    return text;
}

// An OBJ of random statements: vertices (some coloured), normals, faces of
// every corner form with absolute and relative indices, materials,
// comments, blank and CRLF lines.
Bytes randomObj(std::mt19937& random, bool colored, bool withNormals) {
    std::string obj = "# generated\nmtllib a.mtl b.mtl\n";
    int vertices = 0;
    int normals = 0;
    for (int line = 0; line < 600; ++line) {
        const unsigned kind = random() % 10;
        if (kind < 4 || vertices < 3) {
            obj += "v " + number(random) + " " + number(random) + "\t" + number(random);
            if (colored) {
                obj += " 0." + std::to_string(random() % 1000) + " 1 " + number(random);
            } else if (random() % 4 == 0) {
                obj += " 1.0"; // a w
            }
            obj += random() % 5 == 0 ? "\r\n" : "\n";
            ++vertices;
        } else if (kind == 4) {
            obj += "vn " + number(random) + " " + number(random) + " " + number(random) + "\n";
            ++normals;
        } else if (kind == 5) {
            obj += "usemtl ";
            obj += random() % 2 ? "red" : "m";
            obj += std::to_string(random() % 4) + "\n";
        } else if (kind == 6) {
            obj += random() % 2 ? "\n" : "g part # a group\n";
        } else {
            const int corners = 3 + static_cast<int>(random() % 3);
            obj += "f";
            for (int c = 0; c < corners; ++c) {
                const int v = 1 + static_cast<int>(random() % vertices);
                const std::string index =
                    random() % 3 == 0 ? std::to_string(v - vertices - 1) : std::to_string(v);
                obj += " " + index;
                if (withNormals && normals > 0) {
                    obj += random() % 2 ? "/1/" : "//";
                    obj += std::to_string(1 + static_cast<int>(random() % normals));
                } else if (random() % 3 == 0) {
                    obj += '/';
                    obj += std::to_string(1 + random() % 9);
                }
            }
            obj += "\n";
        }
    }
    return modeltest::text(obj);
}

// A binary PLY of one of the fast layouts: float x y z, maybe normals and
// uchar or float colours, maybe a property to pass over, triangles and
// quads of int or uint indices after a uchar count, either byte order.
Bytes randomPly(std::mt19937& random, bool bigEndian) {
    const bool normals = random() % 2;
    const int colors = static_cast<int>(random() % 3); // none, uchar, float
    const bool extra = random() % 2;
    const bool uintIndices = random() % 2;
    const int vertexCount = 50 + static_cast<int>(random() % 50);
    const int faceCount = 80 + static_cast<int>(random() % 40);
    Writer w(bigEndian);
    w.raw(std::string("ply\nformat ") + (bigEndian ? "binary_big_endian" : "binary_little_endian") +
          " 1.0\nelement vertex " + std::to_string(vertexCount) +
          "\nproperty float x\nproperty float y\nproperty float z\n");
    if (extra) {
        w.raw("property ushort quality\n");
    }
    if (normals) {
        w.raw("property float nx\nproperty float ny\nproperty float nz\n");
    }
    const char* colorType = colors == 1 ? "uchar" : "float";
    if (colors != 0) {
        w.raw(std::string("property ") + colorType + " red\nproperty " + colorType +
              " green\nproperty " + colorType + " blue\nproperty " + colorType + " alpha\n");
    }
    w.raw("element face " + std::to_string(faceCount) + "\nproperty list uchar " +
          (uintIndices ? "uint" : "int") + " vertex_indices\nend_header\n");
    std::uniform_real_distribution<float> value(-3.0f, 3.0f);
    for (int v = 0; v < vertexCount; ++v) {
        w.put(value(random)).put(value(random)).put(v % 7 == 0 ? -0.0f : value(random));
        if (extra) {
            w.put(static_cast<std::uint16_t>(random()));
        }
        if (normals) {
            w.put(value(random)).put(value(random)).put(value(random));
        }
        for (int c = 0; c < 4 && colors != 0; ++c) {
            if (colors == 1) {
                w.put(static_cast<std::uint8_t>(random()));
            } else {
                w.put(value(random)); // out of range on both sides
            }
        }
    }
    for (int f = 0; f < faceCount; ++f) {
        const std::uint8_t corners = random() % 4 == 0 ? 4 : 3;
        w.put(corners);
        for (int c = 0; c < corners; ++c) {
            w.put(static_cast<std::int32_t>(random() % vertexCount));
        }
    }
    return w.bytes;
}

// A binary STL whose triangles share corners (and -0 with +0).
Bytes randomStl(std::mt19937& random) {
    std::vector<std::array<float, 3>> points;
    for (int p = 0; p < 40; ++p) {
        points.push_back({static_cast<float>(random() % 5), p % 3 == 0 ? -0.0f : 0.0f,
                          static_cast<float>(random() % 7) * 0.25f});
    }
    std::vector<std::array<float, 9>> triangles;
    for (int t = 0; t < 150; ++t) {
        std::array<float, 9> triangle{};
        for (int c = 0; c < 9; ++c) {
            triangle[c] = points[random() % points.size()][c % 3];
        }
        triangles.push_back(triangle);
    }
    return modeltest::binaryStl("solid generated", triangles);
}

const std::string kAsciiHeader =
    "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\n"
    "property float z\nelement face 1\nproperty list uchar int vertex_indices\nend_header\n";

// Appends the parts to `s` (no temporaries: GCC 12 warns falsely about
// chains of string additions).
template <typename... Parts> void append(std::string& s, const Parts&... parts) {
    (s.append(parts), ...);
}

// An ASCII PLY of the common layout, an item a line: coordinates in every
// spelling, maybe normals (some not finite), colours, a property to pass
// over; blanks and CRLF line ends; maybe text after the last item.
Bytes randomAsciiPly(std::mt19937& random) {
    const bool normals = random() % 2;
    const bool colors = random() % 2;
    const int vertexCount = 30 + static_cast<int>(random() % 30);
    const int faceCount = 40 + static_cast<int>(random() % 20);
    std::string ply;
    append(ply, "ply\nformat ascii 1.0\ncomment generated\nelement vertex ",
           std::to_string(vertexCount),
           "\nproperty float x\nproperty double y\nproperty float z\nproperty int flags\n");
    append(ply, normals ? "property float nx\nproperty float ny\nproperty float nz\n" : "");
    append(ply, colors ? "property uchar red\nproperty uchar green\nproperty uchar blue\n" : "");
    append(ply, "element face ", std::to_string(faceCount),
           "\nproperty list uchar uint vertex_indices\nend_header\n");
    for (int v = 0; v < vertexCount; ++v) {
        append(ply, number(random), " ", number(random), "\t", number(random), " x7");
        if (normals) {
            append(ply, " ", v % 9 == 0 ? std::string("nan") : number(random), " ", number(random),
                   " ", number(random));
        }
        if (colors) {
            append(ply, " ", std::to_string(random() % 256), " 0 255");
        }
        append(ply, random() % 4 == 0 ? "  \r\n" : "\n");
    }
    for (int f = 0; f < faceCount; ++f) {
        const int corners = random() % 3 == 0 ? 4 : 3;
        append(ply, std::to_string(corners));
        for (int c = 0; c < corners; ++c) {
            append(ply, " ", std::to_string(random() % vertexCount));
        }
        append(ply, f + 1 < faceCount || random() % 2 ? "\n" : ""); // maybe no last line end
    }
    append(ply, random() % 3 == 0 ? "trailing words\n" : "");
    return modeltest::text(ply);
}

// An ASCII STL: several solids, keywords in any case, polygons of three
// and four vertices, normals as writers leave them, CRLF lines.
Bytes randomAsciiStl(std::mt19937& random) {
    std::string stl;
    for (int solid = 0; solid < 2; ++solid) {
        append(stl, solid % 2 ? "SOLID part two\r\n" : "solid part\n");
        for (int f = 0; f < 60; ++f) {
            append(stl, random() % 2 ? "facet normal " : "  FACET Normal ",
                   random() % 5 == 0 ? std::string("nan") : number(random), " 0 ", number(random),
                   "\n    outer loop\n");
            const int vertices = random() % 4 == 0 ? 4 : 3;
            for (int v = 0; v < vertices; ++v) {
                append(stl, "      vertex ", std::to_string(random() % 4), " ", number(random), " ",
                       v % 2 ? "-0" : "0.5", random() % 6 == 0 ? "\r\n" : "\n");
            }
            append(stl, "    endloop\n  endfacet\n");
        }
        append(stl, solid % 2 ? "endsolid part two\n" : "EndSolid\n");
    }
    return modeltest::text(stl);
}

TEST(ModelFastReaders, GiveTheGeneralReadersModelOnGeneratedFiles) {
    WorkerPool pool(2);
    std::mt19937 random(20261209);
    struct Case {
        const char* what;
        model::Format format;
        Bytes bytes;
        bool taken; // the fast reader must take it
    };
    std::vector<Case> cases;
    for (int i = 0; i < 6; ++i) {
        cases.push_back({"OBJ", model::Format::Obj, randomObj(random, i % 2 == 0, i >= 3), true});
        cases.push_back({"PLY", model::Format::Ply, randomPly(random, i % 2 == 1), true});
        cases.push_back({"STL", model::Format::Stl, randomStl(random), true});
        cases.push_back({"ASCII PLY", model::Format::Ply, randomAsciiPly(random), true});
        cases.push_back({"ASCII STL", model::Format::Stl, randomAsciiStl(random), true});
    }
    // Files the fast readers give up, or the general reader refuses.
    const std::vector<std::pair<model::Format, std::string>> others = {
        {model::Format::Obj, "v 0 0 0\nv 1 0 0\nv 0 1 \\\n 0\nf 1 2 3\n"}, // continued line
        {model::Format::Obj, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf +1 2 3\n"},
        {model::Format::Obj, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 4\n"},
        {model::Format::Obj, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -4 2 3\n"},
        {model::Format::Obj, "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2\n"},
        {model::Format::Obj, "v 0 0 nan\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"},
        {model::Format::Ply, kAsciiHeader + "0 0 0 1 0\n0 0 0 1 0\n3 0 1 2\n"},  // 2 a line
        {model::Format::Ply, kAsciiHeader + "0 0 0\n\n1 0 0\n0 1 0\n3 0 1 2\n"}, // blank
        {model::Format::Ply, kAsciiHeader + "0 0 0\n1 0 0\n0 1 0\n3 0 1 3\n"},
        {model::Format::Ply, kAsciiHeader + "0 0 0\n1 0 0\n0 1 0\n"},
        {model::Format::Stl, "solid x\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\n"
                             "vertex 1 0 0\nvertex 0 1 0\nendloop\nendfacet\n"}, // no endsolid
        {model::Format::Stl, "solid x\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\n"
                             "vertex 1 0 0\nendloop\nendfacet\nendsolid x\n"},
        {model::Format::Stl, "solid x\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\n"
                             "vertex 1 0 0\nvertex 0 1 0\nendloop\nendfacet\nendsolid\nfacet\n"},
    };
    for (const auto& [format, text] : others) {
        cases.push_back({"given up", format, modeltest::text(text), false});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const std::size_t chunk : {std::size_t{7}, std::size_t{300}, model::kChunkBytes}) {
            for (WorkerPool* p : {static_cast<WorkerPool*>(nullptr), &pool}) {
                EXPECT_EQ(compare(c.format, c.bytes, chunk, p), c.taken) << "chunk " << chunk;
            }
        }
    }
    // A fast PLY cut anywhere is given up, never read past its end.
    const Bytes ply = randomPly(random, false);
    for (std::size_t size = ply.size() - 200; size < ply.size(); size += 7) {
        compare(model::Format::Ply, Bytes(ply.begin(), ply.begin() + size), 64, nullptr);
    }
}

TEST(ModelFastReaders, GiveTheGeneralReadersModelOnTheCorpus) {
    const std::filesystem::path corpus = OCTASPIN_MODEL_CORPUS;
    if (corpus.empty() || !std::filesystem::is_directory(corpus)) {
        GTEST_SKIP() << "the model test corpus is not installed (scripts/install-deps.sh)";
    }
    WorkerPool pool(2);
    int taken = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
        std::string extension = entry.path().extension().string();
        for (char& c : extension) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        const model::Format format = extension == ".obj"   ? model::Format::Obj
                                     : extension == ".ply" ? model::Format::Ply
                                                           : model::Format::Stl;
        if (!entry.is_regular_file() ||
            (extension != ".obj" && extension != ".ply" && extension != ".stl")) {
            continue;
        }
        SCOPED_TRACE(entry.path().string());
        std::ifstream in(entry.path(), std::ios::binary);
        const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        taken += compare(format, bytes, 4096, &pool) ? 1 : 0;
    }
    EXPECT_GT(taken, 20);
}

#if !defined(_WIN32)
// Plain decimals (no exponent) take a short way to their float: it must
// give the C library's correctly rounded value, at the edges of the short
// way (2^24, ten digits after the point) and past them.
TEST(ModelFastReaders, PlainDecimalsGiveTheNearestFloat) {
    std::mt19937_64 random(24);
    std::vector<std::string> tokens = {"16777216",    "16777217", "1677721.6",    "-0",
                                       "0.",          ".5",       "-.0000000001", "0.00000000001",
                                       "9999999.999", "1.6777216"};
    for (int i = 0; i < 300000; ++i) {
        std::string token = random() % 2 ? "-" : "";
        const int digits = 1 + static_cast<int>(random() % 12);
        const int point = static_cast<int>(random() % (digits + 2));
        for (int d = 0; d < digits; ++d) {
            token += d == point ? "." : "";
            token += static_cast<char>('0' + random() % 10);
        }
        tokens.push_back(token);
    }
    for (const std::string& token : tokens) {
        float value = 0.0f;
        ASSERT_EQ(model::parseFloat(token, value), model::NumberStatus::Ok) << token;
        const float expected = std::strtof(token.c_str(), nullptr);
        ASSERT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << token;
    }
}
#endif

} // namespace
