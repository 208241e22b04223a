// The load as a caller drives it: in steps, with progress and a cancel
// flag, from a file on disk or from bytes, and paths that are no regular
// file refused before anything is read.
#include "device/worker_pool.h"
#include "tests/model/model_bytes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>

#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

// A grid of quads in each format, big enough for many small steps.
std::string gridObj(int n, bool colored = false) {
    std::string obj;
    for (int y = 0; y <= n; ++y) {
        for (int x = 0; x <= n; ++x) {
            obj += "v " + std::to_string(x) + " " + std::to_string(y) + " " +
                   std::to_string((x * y) % 3) + (colored ? " 0.25 0.5 1\n" : "\n");
        }
    }
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const int a = y * (n + 1) + x + 1;
            obj += "f " + std::to_string(a) + " " + std::to_string(a + 1) + " " +
                   std::to_string(a + n + 2) + " " + std::to_string(a + n + 1) + "\n";
        }
    }
    return obj;
}

struct File {
    const char* name;
    modeltest::Bytes bytes;
};

std::vector<File> files() {
    const modeltest::Bytes obj = modeltest::text(gridObj(30));
    const model::LoadResult grid = model::loadModel(obj, "grid.obj");
    // The same grid as a binary PLY and a binary STL.
    modeltest::Writer ply;
    const Mesh& mesh = grid.model.meshes.at(0);
    ply.raw("ply\nformat binary_little_endian 1.0\nelement vertex " +
            std::to_string(mesh.vertices.size()) +
            "\nproperty float x\nproperty float y\nproperty float z\nelement face " +
            std::to_string(mesh.faces.size()) +
            "\nproperty list uchar int vertex_indices\nend_header\n");
    for (const Vertex& v : mesh.vertices) {
        ply.put(v.position.x).put(v.position.y).put(v.position.z);
    }
    std::vector<std::array<float, 9>> triangles;
    for (const Face& f : mesh.faces) {
        ply.put(std::uint8_t{3})
            .put(std::int32_t{f.i0})
            .put(std::int32_t{f.i1})
            .put(std::int32_t{f.i2});
        std::array<float, 9> t{};
        const std::uint16_t corners[3] = {f.i0, f.i1, f.i2};
        for (int c = 0; c < 3; ++c) {
            const Vec3& p = mesh.vertices[corners[c]].position;
            t[3 * c] = p.x;
            t[3 * c + 1] = p.y;
            t[3 * c + 2] = p.z;
        }
        triangles.push_back(t);
    }
    return {{"grid.obj", obj},
            {"grid.ply", ply.bytes},
            {"grid.stl", modeltest::binaryStl("grid", triangles)},
            {"bad.obj", modeltest::text(gridObj(20) + "f 1 2 x\n")}};
}

std::string writeFile(const File& file) {
    const fs::path path =
        fs::temp_directory_path() / ("octaspin-model-load-" + std::string(file.name));
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.bytes.data()),
               static_cast<std::streamsize>(file.bytes.size()));
    return path.string();
}

// From disk and from bytes, in steps of 256 bytes, with and without a
// pool: progress rises to exactly the file's size on success; the result
// is loadModel's; a cancel before any step ends it at once, cancelled,
// holding nothing (ASan sees anything left).
TEST(ModelLoadSteps, ProgressRisesToTheSizeAndCancelEndsAtEveryStep) {
    WorkerPool pool(2);
    for (const File& file : files()) {
        SCOPED_TRACE(file.name);
        const std::string path = writeFile(file);
        const model::LoadResult whole = model::loadModel(file.bytes, path);
        for (WorkerPool* p : {static_cast<WorkerPool*>(nullptr), &pool}) {
            for (const bool fromDisk : {true, false}) {
                std::vector<std::pair<std::uint64_t, std::uint64_t>> calls;
                model::LoadOptions options;
                options.pool = p;
                options.chunkBytes = 256;
                options.progress = [&](std::uint64_t done, std::uint64_t total) {
                    calls.emplace_back(done, total);
                };
                model::ModelLoad load = fromDisk ? model::ModelLoad(path, options)
                                                 : model::ModelLoad(file.bytes, path, options);
                int steps = 1;
                while (load.step()) {
                    ++steps;
                }
                const model::LoadResult result = load.result();
                EXPECT_EQ(result.error, whole.error);
                EXPECT_EQ(result.model.triangleCount, whole.model.triangleCount);
                EXPECT_GT(steps, 4);
                ASSERT_FALSE(calls.empty());
                for (std::size_t i = 1; i < calls.size(); ++i) {
                    EXPECT_LE(calls[i - 1].first, calls[i].first);
                    EXPECT_EQ(calls[i].second, file.bytes.size());
                }
                if (result.ok()) {
                    EXPECT_EQ(calls.back().first, file.bytes.size());
                    for (std::size_t i = 0; i + 1 < calls.size(); ++i) {
                        EXPECT_LT(calls[i].first, file.bytes.size());
                    }
                }
                // Cancelled before step k, for every k.
                for (int k = 0; k < steps; ++k) {
                    std::atomic<bool> cancel{false};
                    model::LoadOptions cancelling = options;
                    cancelling.progress = nullptr;
                    cancelling.cancel = &cancel;
                    model::ModelLoad stepped = fromDisk
                                                   ? model::ModelLoad(path, cancelling)
                                                   : model::ModelLoad(file.bytes, path, cancelling);
                    bool more = true;
                    for (int i = 0; i < k && more; ++i) {
                        more = stepped.step();
                    }
                    cancel = true;
                    if (!more) {
                        continue; // ended before it (a file refused early)
                    }
                    EXPECT_FALSE(stepped.step());
                    const model::LoadResult cancelled = stepped.result();
                    EXPECT_TRUE(cancelled.cancelled);
                    EXPECT_EQ(cancelled.error, path + ": the load was cancelled");
                    EXPECT_TRUE(cancelled.model.meshes.empty());
                }
            }
        }
        fs::remove(path);
    }
}

// With a pool, the text is parsed in pieces and the meshes are cut on
// several threads: the meshes are the same, bit for bit, with or without
// it (a model of two meshes and more, with vertex colours).
TEST(ModelLoadSteps, APoolGivesTheSameMeshes) {
    const modeltest::Bytes bytes = modeltest::text(gridObj(300, true));
    WorkerPool pool(3);
    model::LoadOptions options;
    options.pool = &pool;
    options.chunkBytes = 100000;
    const model::LoadResult alone = model::loadModel(bytes, "grid.obj");
    const model::LoadResult pooled = model::loadModel(bytes, "grid.obj", options);
    ASSERT_TRUE(alone.ok() && pooled.ok()) << alone.error << pooled.error;
    ASSERT_TRUE(alone.model.fileColors);
    ASSERT_GT(alone.model.meshes.size(), 1u);
    ASSERT_EQ(alone.model.meshes.size(), pooled.model.meshes.size());
    for (std::size_t m = 0; m < alone.model.meshes.size(); ++m) {
        const Mesh& a = alone.model.meshes[m];
        const Mesh& b = pooled.model.meshes[m];
        ASSERT_EQ(a.vertices.size(), b.vertices.size());
        ASSERT_EQ(a.faces.size(), b.faces.size());
        ASSERT_EQ(a.colors.size(), b.colors.size());
        EXPECT_EQ(0, std::memcmp(a.vertices.data(), b.vertices.data(),
                                 a.vertices.size() * sizeof(Vertex)));
        EXPECT_EQ(0, std::memcmp(a.faces.data(), b.faces.data(), a.faces.size() * sizeof(Face)));
        EXPECT_EQ(0, std::memcmp(a.faceNormals.data(), b.faceNormals.data(),
                                 a.faceNormals.size() * sizeof(Vec3)));
        EXPECT_EQ(0, std::memcmp(a.colors.data(), b.colors.data(), a.colors.size() * sizeof(Vec3)));
    }
}

// Paths that are not regular files get their line at once: nothing is
// read from a device that never ends, and a pipe without a writer is
// never opened (that would wait for one).
TEST(ModelLoadSteps, PathsThatAreNoRegularFileAreRefusedUnread) {
    struct Path {
        std::string path;
        std::string message;
    };
    std::vector<Path> paths = {
        {fs::temp_directory_path().string(), "cannot read: it is a folder, not a file"}};
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
    paths.push_back({"/dev/zero", "cannot read: it is a device, not a file"});
    const std::string fifo = (fs::temp_directory_path() / "octaspin-model-fifo.obj").string();
    fs::remove(fifo);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    paths.push_back({fifo, "cannot read: it is a pipe, not a file"});
#endif
    for (const Path& p : paths) {
        EXPECT_EQ(model::loadModelFile(p.path).error, p.path + ": " + p.message);
    }
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
    fs::remove(fifo);
#endif
}

// A file that grows while it is read is read to the size it had when the
// load opened it.
TEST(ModelLoadSteps, AFileThatGrowsIsReadToItsSizeWhenOpened) {
    const File file{"grows.obj", modeltest::text(gridObj(10))};
    const std::string path = writeFile(file);
    model::LoadOptions options;
    options.chunkBytes = 64;
    model::ModelLoad load(path, options);
    load.step(); // opened
    std::ofstream(path, std::ios::app) << "f 1 2 x\n";
    load.finish();
    const model::LoadResult result = load.result();
    EXPECT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.model.triangleCount, 200u);
    fs::remove(path);
}

} // namespace
