// Big meshes: a closed icosphere of radius 100 in the demo scene's camera,
// lights and spin, at 1920 x 1080, drawn with clear + drawMesh as a frame
// draws the polyhedron. Levels 3 to 8 of subdivision (1 280 to 1 310 720
// triangles); from level 7 on the sphere has more vertices than one Mesh
// addresses and is drawn as several meshes one after another
// (splitIntoMeshes). Flat, Gouraud and wireframe, and flat and Gouraud
// with a colour of its own at every vertex.
//
// Every iteration is one frame: a spin step, clear, and drawMesh of every
// mesh, with one thread or with all (the device's default: OCTASPIN_THREADS,
// else every core). Reported: frames per second ("fps") and nanoseconds of
// wall-clock time per submitted triangle ("ns_per_triangle"), back faces
// included; the label is "<triangles> <mode> <threads>".
// scripts/bench.sh runs these and draws docs/triangles.png.
#include "bench/bound_view.h"
#include "device/render_device.h"
#include "geometry/draw_mesh.h"
#include "geometry/mesh_split.h"
#include "math/vector_math.h"
#include "scene/demo_view.h"
#include "scene/polyhedron.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

constexpr float kRadius = 100.0f;
constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// A triangle list with 32-bit corners.
struct TriangleList {
    std::vector<Vertex> vertices;
    std::vector<std::uint32_t> corners;
};

Vertex sphereVertex(const Vec3& direction) {
    Vec3 unit;
    Vec3 d = direction;
    normalize(unit, d);
    const Vec3 position{unit.x * kRadius, unit.y * kRadius, unit.z * kRadius};
    return makeVertex(position, unit, 0.0f, 0.0f);
}

// The icosahedron split `level` times, each face into four in place (its
// children follow one another, so neighbouring faces stay close in the
// list), new vertices pushed out onto the sphere. Vertex normals point
// outwards; every face is wound so that its normal does too.
TriangleList icosphere(int level) {
    const float t = 1.618034f;
    const std::array<Vec3, 12> corners = {{{-1, t, 0},
                                           {1, t, 0},
                                           {-1, -t, 0},
                                           {1, -t, 0},
                                           {0, -1, t},
                                           {0, 1, t},
                                           {0, -1, -t},
                                           {0, 1, -t},
                                           {t, 0, -1},
                                           {t, 0, 1},
                                           {-t, 0, -1},
                                           {-t, 0, 1}}};
    TriangleList list;
    for (const Vec3& c : corners) {
        list.vertices.push_back(sphereVertex(c));
    }
    list.corners = {0, 11, 5,  0, 5,  1, 0, 1, 7, 0, 7,  10, 0, 10, 11, 1, 5, 9, 5, 11,
                    4, 11, 10, 2, 10, 7, 6, 7, 1, 8, 3,  9,  4, 3,  4,  2, 3, 2, 6, 3,
                    6, 8,  3,  8, 9,  4, 9, 5, 2, 4, 11, 6,  2, 10, 8,  6, 7, 9, 8, 1};
    for (int l = 0; l < level; ++l) {
        std::unordered_map<std::uint64_t, std::uint32_t> midpoints;
        midpoints.reserve(list.corners.size() / 2);
        const auto midpoint = [&](std::uint32_t a, std::uint32_t b) {
            const std::uint64_t key = std::uint64_t{std::min(a, b)} << 32 | std::max(a, b);
            const auto found = midpoints.find(key);
            if (found != midpoints.end()) {
                return found->second;
            }
            const Vec3& p = list.vertices[a].position;
            const Vec3& q = list.vertices[b].position;
            list.vertices.push_back(sphereVertex({p.x + q.x, p.y + q.y, p.z + q.z}));
            const auto index = static_cast<std::uint32_t>(list.vertices.size() - 1);
            midpoints.emplace(key, index);
            return index;
        };
        std::vector<std::uint32_t> next;
        next.reserve(4 * list.corners.size());
        for (std::size_t k = 0; k < list.corners.size(); k += 3) {
            const std::uint32_t a = list.corners[k];
            const std::uint32_t b = list.corners[k + 1];
            const std::uint32_t c = list.corners[k + 2];
            const std::uint32_t ab = midpoint(a, b);
            const std::uint32_t bc = midpoint(b, c);
            const std::uint32_t ca = midpoint(c, a);
            next.insert(next.end(), {a, ab, ca, b, bc, ab, c, ca, bc, ab, bc, ca});
        }
        list.corners = std::move(next);
    }
    // Wound outwards: the normal (p2 - p0) x (p1 - p0) along the position.
    for (std::size_t k = 0; k < list.corners.size(); k += 3) {
        const Vec3& p0 = list.vertices[list.corners[k]].position;
        const Vec3& p1 = list.vertices[list.corners[k + 1]].position;
        const Vec3& p2 = list.vertices[list.corners[k + 2]].position;
        const Vec3 e1{p2.x - p0.x, p2.y - p0.y, p2.z - p0.z};
        const Vec3 e2{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z};
        Vec3 normal;
        cross(normal, e1, e2);
        if (dot(normal, p0) < 0.0f) {
            std::swap(list.corners[k + 1], list.corners[k + 2]);
        }
    }
    return list;
}

// The icosphere of each level, split into meshes once per process; with
// `colors`, each vertex in a colour of its own, ((x, y, z) + r) / 2r.
const std::vector<Mesh>& sphereMeshes(int level, bool colors) {
    static std::map<std::pair<int, bool>, std::vector<Mesh>> made;
    auto found = made.find({level, colors});
    if (found == made.end()) {
        const TriangleList list = icosphere(level);
        std::vector<Vec3> vertexColors;
        if (colors) {
            for (const Vertex& v : list.vertices) {
                const Vec3& p = v.position;
                vertexColors.push_back(Vec3{(p.x + kRadius) / (2.0f * kRadius),
                                            (p.y + kRadius) / (2.0f * kRadius),
                                            (p.z + kRadius) / (2.0f * kRadius)});
            }
        }
        found =
            made.emplace(std::pair{level, colors}, splitIntoMeshes(list.vertices, list.corners,
                                                                   kMaxMeshVertices, vertexColors))
                .first;
    }
    return found->second;
}

const Mesh& meshOf(const Mesh& mesh) {
    return mesh;
}
const Mesh& meshOf(const Mesh* mesh) {
    return *mesh;
}

// A bound view drawing with `threads` threads (0: the device's default),
// spun as the demo spins.
class MeshScene : public BoundView {
  public:
    MeshScene(int width, int height, std::uint32_t renderMode, std::int32_t threads)
        : BoundView(width, height, renderMode) {
        device.setRenderThreads(threads);
        identity(rotation_);
    }

    // One frame: the demo's spin step, clear, every mesh.
    template <typename Meshes> void frame(const Meshes& meshes) {
        demo::spinStep(rotation_);
        device.setWorldMatrix(rotation_);
        device.clear();
        for (const auto& mesh : meshes) {
            drawMesh(device, meshOf(mesh));
        }
    }

  private:
    Matrix4 rotation_;
};

// The last two draw the sphere in its own colours (the demo has none).
const struct {
    const char* name;
    std::uint32_t renderMode;
    bool colors;
} kModes[] = {{"flat", RenderMode::Flat, false},
              {"gouraud", RenderMode::Gouraud, false},
              {"wireframe", RenderMode::Wireframe, false},
              {"flat-colors", RenderMode::Flat, true},
              {"gouraud-colors", RenderMode::Gouraud, true}};

// Arguments: subdivision level, mode (index into kModes), threads (0: all).
void BM_Sphere(benchmark::State& state) {
    const int level = static_cast<int>(state.range(0));
    const auto& mode = kModes[state.range(1)];
    const auto threads = static_cast<std::int32_t>(state.range(2));
    const std::vector<Mesh>& meshes = sphereMeshes(level, mode.colors);
    std::int64_t triangles = 0;
    for (const Mesh& mesh : meshes) {
        triangles += mesh.faceCount;
    }
    MeshScene scene(kWidth, kHeight, mode.renderMode, threads);
    if (!scene.ready(state)) {
        return;
    }
    for (int warm = 0; warm < 3; ++warm) {
        scene.frame(meshes);
    }
    for (auto _ : state) {
        scene.frame(meshes);
        benchmark::ClobberMemory();
    }
    const double frames = static_cast<double>(state.iterations());
    state.counters["triangles"] = static_cast<double>(triangles);
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    // Seconds per triangle over all frames, shown in nanoseconds.
    state.counters["ns_per_triangle"] =
        benchmark::Counter(frames * static_cast<double>(triangles) * 1e-9,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["threads"] = scene.device.renderThreads;
    state.SetLabel(std::to_string(triangles) + " " + mode.name + " " +
                   std::to_string(scene.device.renderThreads));
}
BENCHMARK(BM_Sphere)
    ->ArgsProduct({{3, 4, 5, 6, 7, 8}, {0, 1, 2, 3, 4}, {1, 0}})
    ->ArgNames({"level", "mode", "threads"})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The demo's polyhedron (eight faces) at a client size, as the sphere
// above: what two threads give on a frame of few, big triangles.
// Arguments: width, height, mode, threads (0: all).
void BM_Demo(benchmark::State& state) {
    const auto width = static_cast<int>(state.range(0));
    const auto height = static_cast<int>(state.range(1));
    const auto& mode = kModes[state.range(2)];
    const std::unique_ptr<Mesh> polyhedron = buildPolyhedron();
    const Mesh* const meshes[] = {polyhedron.get()};
    MeshScene scene(width, height, mode.renderMode, static_cast<std::int32_t>(state.range(3)));
    if (!scene.ready(state)) {
        return;
    }
    for (auto _ : state) {
        scene.frame(meshes);
        benchmark::ClobberMemory();
    }
    state.counters["fps"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["threads"] = scene.device.renderThreads;
    state.SetLabel(std::to_string(width) + "x" + std::to_string(height) + " " + mode.name + " " +
                   std::to_string(scene.device.renderThreads));
}
BENCHMARK(BM_Demo)
    ->ArgsProduct({{632}, {428}, {0, 1, 2}, {1, 0}})
    ->ArgsProduct({{3840}, {2160}, {0, 1, 2}, {1, 0}})
    ->ArgNames({"width", "height", "mode", "threads"})
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
