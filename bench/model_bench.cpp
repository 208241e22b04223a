// Load speed of model files, in megabytes of file per second: reading the
// file, parsing it and building the meshes (model::loadModelFile with a
// worker pool of the machine's cores), for a generated model of a million
// triangles in each format and the Stanford bunny where it is installed.
// Rates are of wall-clock time, reading the file included, so they are
// worth quoting from an idle machine.
//
// The model is a torus of 1000 x 500 vertices, written once per run into
// the system's temporary folder: OBJ text (quads, six decimals), binary PLY
// (float coordinates, int indices), binary STL (every triangle on its own,
// so the loader welds 3 million corners back into 500 000 vertices), and
// ASCII PLY and STL of the same numbers.
#include "device/worker_pool.h"
#include "model/load_model.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kRings = 1000;
constexpr int kSides = 500;

struct Torus {
    std::vector<float> xyz;
    std::vector<int> quads; // four corners each, 0-based
};

Torus torus() {
    Torus t;
    for (int i = 0; i < kRings; ++i) {
        const double a = 2.0 * M_PI * i / kRings;
        for (int j = 0; j < kSides; ++j) {
            const double b = 2.0 * M_PI * j / kSides;
            const double r = 3.0 + std::cos(b);
            t.xyz.insert(t.xyz.end(),
                         {static_cast<float>(r * std::cos(a)), static_cast<float>(std::sin(b)),
                          static_cast<float>(r * std::sin(a))});
            const int i1 = (i + 1) % kRings;
            const int j1 = (j + 1) % kSides;
            t.quads.insert(t.quads.end(),
                           {i * kSides + j, i * kSides + j1, i1 * kSides + j1, i1 * kSides + j});
        }
    }
    return t;
}

std::string folder() {
    return (std::filesystem::temp_directory_path() / "octaspin-model-bench").string();
}

// Writes the three files once; returns the path of `name`.
std::string modelFile(const std::string& name) {
    static const bool written = [] {
        const Torus t = torus();
        std::filesystem::create_directories(folder());
        std::ofstream obj(folder() + "/torus.obj");
        char line[96];
        for (std::size_t v = 0; v < t.xyz.size(); v += 3) {
            std::snprintf(line, sizeof line, "v %.6f %.6f %.6f\n", t.xyz[v], t.xyz[v + 1],
                          t.xyz[v + 2]);
            obj << line;
        }
        for (std::size_t q = 0; q < t.quads.size(); q += 4) {
            std::snprintf(line, sizeof line, "f %d %d %d %d\n", t.quads[q] + 1, t.quads[q + 1] + 1,
                          t.quads[q + 2] + 1, t.quads[q + 3] + 1);
            obj << line;
        }
        std::ofstream ply(folder() + "/torus.ply", std::ios::binary);
        ply << "ply\nformat binary_little_endian 1.0\nelement vertex " << t.xyz.size() / 3
            << "\nproperty float x\nproperty float y\nproperty float z\nelement face "
            << t.quads.size() / 4 << "\nproperty list uchar int vertex_indices\nend_header\n";
        ply.write(reinterpret_cast<const char*>(t.xyz.data()),
                  static_cast<std::streamsize>(t.xyz.size() * sizeof(float)));
        for (std::size_t q = 0; q < t.quads.size(); q += 4) {
            const unsigned char four = 4;
            ply.write(reinterpret_cast<const char*>(&four), 1);
            ply.write(reinterpret_cast<const char*>(&t.quads[q]), 4 * sizeof(int));
        }
        std::ofstream asciiPly(folder() + "/torus_ascii.ply", std::ios::binary);
        asciiPly << "ply\nformat ascii 1.0\nelement vertex " << t.xyz.size() / 3
                 << "\nproperty float x\nproperty float y\nproperty float z\nelement face "
                 << t.quads.size() / 4 << "\nproperty list uchar int vertex_indices\nend_header\n";
        for (std::size_t v = 0; v < t.xyz.size(); v += 3) {
            std::snprintf(line, sizeof line, "%.6f %.6f %.6f\n", t.xyz[v], t.xyz[v + 1],
                          t.xyz[v + 2]);
            asciiPly << line;
        }
        for (std::size_t q = 0; q < t.quads.size(); q += 4) {
            std::snprintf(line, sizeof line, "4 %d %d %d %d\n", t.quads[q], t.quads[q + 1],
                          t.quads[q + 2], t.quads[q + 3]);
            asciiPly << line;
        }
        std::ofstream asciiStl(folder() + "/torus_ascii.stl", std::ios::binary);
        asciiStl << "solid torus\n";
        std::ofstream stl(folder() + "/torus.stl", std::ios::binary);
        const std::string header(80, ' ');
        stl.write(header.data(), 80);
        const std::uint32_t count = static_cast<std::uint32_t>(t.quads.size() / 2);
        stl.write(reinterpret_cast<const char*>(&count), 4);
        for (std::size_t q = 0; q < t.quads.size(); q += 4) {
            for (const std::array<int, 3>& corners :
                 {std::array<int, 3>{0, 1, 2}, std::array<int, 3>{0, 2, 3}}) {
                float facet[12] = {};
                for (int c = 0; c < 3; ++c) {
                    for (int k = 0; k < 3; ++k) {
                        facet[3 + 3 * c + k] = t.xyz[3 * t.quads[q + corners[c]] + k];
                    }
                }
                stl.write(reinterpret_cast<const char*>(facet), sizeof facet);
                stl.write("\0\0", 2);
                asciiStl << "facet normal 0 0 0\n outer loop\n";
                for (int c = 0; c < 3; ++c) {
                    std::snprintf(line, sizeof line, "  vertex %.6f %.6f %.6f\n", facet[3 + 3 * c],
                                  facet[4 + 3 * c], facet[5 + 3 * c]);
                    asciiStl << line;
                }
                asciiStl << " endloop\nendfacet\n";
            }
        }
        asciiStl << "endsolid torus\n";
        return true;
    }();
    (void)written;
    return folder() + "/" + name;
}

void load(benchmark::State& state, const std::string& path) {
    std::error_code error;
    const auto bytes = std::filesystem::file_size(path, error);
    if (error) {
        state.SkipWithError(("no file " + path).c_str());
        return;
    }
    static WorkerPool pool(defaultRenderThreads());
    model::LoadOptions options;
    options.pool = &pool;
    std::uint64_t triangles = 0;
    for (auto _ : state) {
        const model::LoadResult result = model::loadModelFile(path, options);
        if (!result.ok()) {
            state.SkipWithError(result.error.c_str());
            return;
        }
        triangles = result.model.triangleCount;
        benchmark::DoNotOptimize(result.model.meshes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["triangles"] = static_cast<double>(triangles);
}

void BM_LoadObj(benchmark::State& state) {
    load(state, modelFile("torus.obj"));
}
void BM_LoadPly(benchmark::State& state) {
    load(state, modelFile("torus.ply"));
}
void BM_LoadStl(benchmark::State& state) {
    load(state, modelFile("torus.stl"));
}
void BM_LoadAsciiPly(benchmark::State& state) {
    load(state, modelFile("torus_ascii.ply"));
}
void BM_LoadAsciiStl(benchmark::State& state) {
    load(state, modelFile("torus_ascii.stl"));
}
void BM_LoadBunny(benchmark::State& state) {
    load(state, "/usr/share/glmark2/models/bunny.obj");
}

BENCHMARK(BM_LoadObj)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_LoadPly)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_LoadStl)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_LoadAsciiPly)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_LoadAsciiStl)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_LoadBunny)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
