#include "model/build_meshes.h"

#include "device/worker_pool.h"
#include "geometry/mesh_split.h"
#include "math/bit_cast.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>

namespace model {

namespace {

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

std::uint64_t mix(std::uint64_t x) {
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9u;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebu;
    x ^= x >> 31;
    return x;
}

// A coordinate's bits, with -0 taken as +0 (equal positions weld).
std::uint32_t bitsOf(float value) {
    if (value == 0.0f) {
        return 0;
    }
    return bitCast<std::uint32_t>(value);
}

bool samePosition(const Vec3& a, const Vec3& b) {
    return bitsOf(a.x) == bitsOf(b.x) && bitsOf(a.y) == bitsOf(b.y) && bitsOf(a.z) == bitsOf(b.z);
}

std::uint64_t positionHash(const Vec3& p) {
    return mix((std::uint64_t{bitsOf(p.x)} << 32 | bitsOf(p.y)) ^ mix(bitsOf(p.z)));
}

// A usable normal: finite and not zero.
bool usable(const Vec3& n) {
    return std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z) &&
           (n.x != 0.0f || n.y != 0.0f || n.z != 0.0f);
}

Vec3 unit(double x, double y, double z) {
    const double length = std::sqrt(x * x + y * y + z * z);
    if (!(length > 0.0) || !std::isfinite(length)) {
        return Vec3{};
    }
    return Vec3{static_cast<float>(x / length), static_cast<float>(y / length),
                static_cast<float>(z / length)};
}

// The mesh's vertices as sources in the file: a position and, with the
// file's normals, a normal index.
struct Sources {
    std::vector<std::uint32_t> position;
    std::vector<std::uint32_t> normal;
    std::vector<std::uint32_t> material; // under materials only
};

// The meshes splitIntoMeshes gives, each made on a task of its own: the
// first face of each mesh and each face's local corners found as
// splitIntoMeshes finds them, then each mesh's vertices (in the order its
// faces first name them) and faces handed to splitIntoMeshes alone, which
// gives that one mesh. False when memory runs out on a task.
bool cutIntoMeshes(std::span<const Vertex> vertices, std::span<const std::uint32_t> corners,
                   std::span<const Vec3> colors, WorkerPool& pool, std::vector<Mesh>& meshes) {
    constexpr std::uint32_t kNoMesh = UINT32_MAX;
    std::vector<std::uint32_t> ownerOf(vertices.size(), kNoMesh);
    std::vector<std::uint16_t> slotOf(vertices.size());
    std::vector<std::uint16_t> local(corners.size()); // each corner's local vertex
    std::vector<std::uint32_t> sources;               // each mesh's vertices, mesh after mesh
    struct Part {
        std::size_t firstCorner;
        std::size_t firstSource;
    };
    std::vector<Part> parts{{0, 0}};
    std::uint32_t current = 0;
    for (std::size_t k = 0; k < corners.size(); k += 3) {
        std::size_t added = 0;
        for (std::size_t c = 0; c < 3; ++c) {
            const bool repeated = (c > 0 && corners[k + c] == corners[k]) ||
                                  (c > 1 && corners[k + c] == corners[k + 1]);
            added += ownerOf[corners[k + c]] != current && !repeated ? 1 : 0;
        }
        if (sources.size() - parts.back().firstSource + added > kMaxMeshVertices) {
            parts.push_back(Part{k, sources.size()});
            ++current;
        }
        for (std::size_t c = 0; c < 3; ++c) {
            const std::uint32_t v = corners[k + c];
            if (ownerOf[v] != current) {
                ownerOf[v] = current;
                slotOf[v] = static_cast<std::uint16_t>(sources.size() - parts.back().firstSource);
                sources.push_back(v);
            }
            local[k + c] = slotOf[v];
        }
    }
    parts.push_back(Part{corners.size(), sources.size()});
    freeAll(ownerOf);
    freeAll(slotOf);
    std::vector<std::vector<Mesh>> made(parts.size() - 1);
    std::atomic<bool> failed{false};
    auto job = [&](std::int32_t task, std::int32_t) {
        const auto m = static_cast<std::size_t>(task);
        try {
            const Part& part = parts[m];
            const Part& next = parts[m + 1];
            std::vector<Vertex> meshVertices;
            std::vector<Vec3> meshColors;
            meshVertices.reserve(next.firstSource - part.firstSource);
            for (std::size_t i = part.firstSource; i < next.firstSource; ++i) {
                meshVertices.push_back(vertices[sources[i]]);
                if (!colors.empty()) {
                    meshColors.push_back(colors[sources[i]]);
                }
            }
            const std::vector<std::uint32_t> meshCorners(
                local.begin() + static_cast<std::ptrdiff_t>(part.firstCorner),
                local.begin() + static_cast<std::ptrdiff_t>(next.firstCorner));
            made[m] = splitIntoMeshes(meshVertices, meshCorners, kMaxMeshVertices, meshColors);
        } catch (...) {
            failed = true;
        }
    };
    pool.run(static_cast<std::int32_t>(made.size()), job);
    if (failed) {
        return false;
    }
    for (std::vector<Mesh>& part : made) {
        for (Mesh& mesh : part) {
            meshes.push_back(std::move(mesh));
        }
    }
    return true;
}

class Builder {
  public:
    Builder(RawModel& raw, MemoryBudget& budget, WorkerPool* pool, std::string& reason)
        : raw_(raw), budget_(budget), pool_(pool), reason_(reason) {}

    bool build(LoadedModel& out) {
        const std::size_t triangles = raw_.triangleCount();
        if (triangles == 0) {
            reason_ = "there are no faces to draw";
            return false;
        }
        keepFileNormalsIfUsable();
        if (!identifyVertices()) {
            return false;
        }
        std::vector<Vec3> positions;
        if (!placeVertices(positions)) {
            return false;
        }
        std::vector<Vec3> normals;
        if (!normalsFor(positions, normals)) {
            return false;
        }
        const std::size_t count = positions.size();
        std::vector<Vertex> vertices;
        if (!charge(std::uint64_t{sizeof(Vertex)} * count)) {
            return false;
        }
        vertices.reserve(count);
        for (std::size_t v = 0; v < count; ++v) {
            vertices.push_back(makeVertex(positions[v], normals[v], 0.0f, 0.0f));
        }
        free(positions);
        free(normals);
        std::vector<Vec3> colors;
        if (!colorsFor(colors)) {
            return false;
        }
        free(sources_.position);
        free(sources_.normal);
        free(sources_.material);

        // What splitIntoMeshes takes: its bookkeeping (6 bytes a vertex)
        // and the meshes. One mesh when the vertices fit in one; otherwise
        // a vertex may come again in later meshes, at most once per corner.
        const std::uint64_t meshVertices = count <= kMaxMeshVertices ? count : 3 * triangles;
        const std::uint64_t vertexBytes = sizeof(Vertex) + (colors.empty() ? 0 : sizeof(Vec3));
        const std::uint64_t splitBytes = 6 * std::uint64_t{count} + meshVertices * vertexBytes +
                                         triangles * (2 * sizeof(Face) + sizeof(Vec3));
        if (!charge(splitBytes)) {
            return false;
        }
        if (pool_ == nullptr || pool_->size() < 2 || count <= kMaxMeshVertices) {
            out.meshes = splitIntoMeshes(vertices, raw_.corners, kMaxMeshVertices, colors);
        } else if (!charge(2 * std::uint64_t{raw_.corners.size()} + 4 * meshVertices) ||
                   !cutIntoMeshes(vertices, raw_.corners, colors, *pool_, out.meshes)) {
            out.meshes.clear();
            reason_ = tooLargeReason(budget_);
            return false;
        }
        out.vertexCount = count;
        out.triangleCount = triangles;
        out.fileNormals = raw_.normalBinding != NormalBinding::None;
        out.fileColors = !colors.empty();
        return true;
    }

  private:
    bool charge(std::uint64_t bytes) {
        if (!budget_.charge(bytes)) {
            reason_ = tooLargeReason(budget_);
            return false;
        }
        return true;
    }

    template <typename T> void free(std::vector<T>& v) {
        budget_.release(std::uint64_t{v.capacity()} * sizeof(T));
        freeAll(v);
    }

    Vec3 fileNormalOf(std::size_t corner) const {
        const std::uint32_t index = raw_.normalBinding == NormalBinding::PerCorner
                                        ? raw_.cornerNormals[corner]
                                        : raw_.corners[corner];
        return raw_.normals[index];
    }

    // The file's normals serve only when every one that a corner names can
    // be normalised.
    void keepFileNormalsIfUsable() {
        if (raw_.normalBinding == NormalBinding::None) {
            return;
        }
        for (std::size_t k = 0; k < raw_.corners.size(); ++k) {
            if (!usable(fileNormalOf(k))) {
                raw_.normalBinding = NormalBinding::None;
                return;
            }
        }
    }

    // Numbers the vertices in the order the corners first name them and
    // turns raw_.corners into vertex numbers.
    bool identifyVertices() {
        const bool byMaterial = raw_.colorBinding == ColorBinding::PerMaterial;
        const bool byPair = raw_.normalBinding == NormalBinding::PerCorner || byMaterial;
        const bool byPosition = raw_.weldByPosition && !byPair;
        if (!byPair && !byPosition) {
            return identifyByIndex();
        }
        const bool perCorner = raw_.normalBinding == NormalBinding::PerCorner;
        std::size_t run = 0;            // the material run of the current triangle
        std::uint32_t material = kNone; // under materials: that run's material
        // Open addressing over vertex numbers + 1 (0: empty), at most half
        // full.
        std::size_t size = 16;
        while (size < 2 * raw_.corners.size()) {
            size *= 2;
        }
        if (!charge(std::uint64_t{size} * sizeof(std::uint32_t))) {
            return false;
        }
        std::vector<std::uint32_t> slots(size, 0);
        const std::size_t mask = size - 1;
        for (std::size_t k = 0; k < raw_.corners.size(); ++k) {
            if (byMaterial) {
                const std::vector<MaterialRun>& runs = raw_.materialRuns;
                while (run < runs.size() && runs[run].firstTriangle <= k / 3) {
                    material = runs[run].material;
                    ++run;
                }
            }
            const std::uint32_t position = raw_.corners[k];
            const std::uint32_t normal = perCorner ? raw_.cornerNormals[k] : kNone;
            const Vec3& p = raw_.positions[position];
            std::size_t slot =
                (byPair ? mix((std::uint64_t{position} << 32 | normal) ^ mix(material))
                        : positionHash(p)) &
                mask;
            for (;; slot = (slot + 1) & mask) {
                const std::uint32_t held = slots[slot];
                if (held == 0) {
                    if (!addVertex(position, normal) || (byMaterial && !addMaterial(material))) {
                        return false;
                    }
                    slots[slot] = static_cast<std::uint32_t>(sources_.position.size());
                    raw_.corners[k] = slots[slot] - 1;
                    break;
                }
                const std::uint32_t v = held - 1;
                const bool same = byPair ? sources_.position[v] == position &&
                                               sources_.normal[v] == normal &&
                                               (!byMaterial || sources_.material[v] == material)
                                         : samePosition(raw_.positions[sources_.position[v]], p);
                if (same) {
                    raw_.corners[k] = v;
                    break;
                }
            }
        }
        free(slots);
        free(raw_.cornerNormals);
        return true;
    }

    bool identifyByIndex() {
        if (!charge(std::uint64_t{raw_.positions.size()} * sizeof(std::uint32_t))) {
            return false;
        }
        std::vector<std::uint32_t> vertexOf(raw_.positions.size(), kNone);
        for (std::uint32_t& corner : raw_.corners) {
            std::uint32_t& v = vertexOf[corner];
            if (v == kNone) {
                // PLY normals belong to the position.
                const std::uint32_t normal =
                    raw_.normalBinding == NormalBinding::PerPosition ? corner : kNone;
                if (!addVertex(corner, normal)) {
                    return false;
                }
                v = static_cast<std::uint32_t>(sources_.position.size() - 1);
            }
            corner = v;
        }
        free(vertexOf);
        return true;
    }

    bool addMaterial(std::uint32_t material) {
        if (!makeRoom(sources_.material, 1, budget_)) {
            reason_ = tooLargeReason(budget_);
            return false;
        }
        sources_.material.push_back(material);
        return true;
    }

    // Item 8: the colour of each vertex, or none.
    bool colorsFor(std::vector<Vec3>& colors) {
        const std::size_t count = sources_.position.size();
        const bool perPosition = raw_.colorBinding == ColorBinding::PerPosition;
        const bool perMaterial = raw_.colorBinding == ColorBinding::PerMaterial;
        if (!perPosition && !perMaterial) {
            return true;
        }
        if (!charge(std::uint64_t{count} * sizeof(Vec3))) {
            return false;
        }
        colors.reserve(count);
        for (std::size_t v = 0; v < count; ++v) {
            if (perPosition) {
                colors.push_back(raw_.colors[sources_.position[v]]);
            } else {
                const std::uint32_t material = sources_.material[v];
                colors.push_back(material < raw_.materialColors.size()
                                     ? raw_.materialColors[material]
                                     : kDefaultMaterialColor);
            }
        }
        free(raw_.colors);
        free(sources_.material);
        return true;
    }

    bool addVertex(std::uint32_t position, std::uint32_t normal) {
        if (!makeRoom(sources_.position, 1, budget_) || !makeRoom(sources_.normal, 1, budget_)) {
            reason_ = tooLargeReason(budget_);
            return false;
        }
        sources_.position.push_back(position);
        sources_.normal.push_back(normal);
        return true;
    }

    // Centre, scale and mirror (items 4 and 5).
    bool placeVertices(std::vector<Vec3>& positions) {
        double low[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
        double high[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
        for (const std::uint32_t source : sources_.position) {
            const Vec3& p = raw_.positions[source];
            const double xyz[3] = {p.x, p.y, p.z};
            for (int a = 0; a < 3; ++a) {
                low[a] = std::min(low[a], xyz[a]);
                high[a] = std::max(high[a], xyz[a]);
            }
        }
        double centre[3];
        for (int a = 0; a < 3; ++a) {
            centre[a] = static_cast<float>((low[a] + high[a]) / 2.0);
        }
        double radiusSquared = 0.0;
        for (const std::uint32_t source : sources_.position) {
            const Vec3& p = raw_.positions[source];
            const double dx = p.x - centre[0];
            const double dy = p.y - centre[1];
            const double dz = p.z - centre[2];
            radiusSquared = std::max(radiusSquared, dx * dx + dy * dy + dz * dz);
        }
        const double radius = std::sqrt(radiusSquared);
        if (!(radius > 0.0)) {
            reason_ = "all its vertices lie at one point: the model has no extent";
            return false;
        }
        const double scale = kModelRadius / radius;
        if (!charge(std::uint64_t{sources_.position.size()} * sizeof(Vec3))) {
            return false;
        }
        positions.reserve(sources_.position.size());
        for (const std::uint32_t source : sources_.position) {
            const Vec3& p = raw_.positions[source];
            positions.push_back(Vec3{static_cast<float>((p.x - centre[0]) * scale),
                                     static_cast<float>((p.y - centre[1]) * scale),
                                     -static_cast<float>((p.z - centre[2]) * scale)});
        }
        free(raw_.positions);
        return true;
    }

    // Item 6.
    bool normalsFor(const std::vector<Vec3>& positions, std::vector<Vec3>& normals) {
        const std::size_t count = positions.size();
        if (!charge(std::uint64_t{count} * sizeof(Vec3))) {
            return false;
        }
        normals.reserve(count);
        if (raw_.normalBinding != NormalBinding::None) {
            for (const std::uint32_t source : sources_.normal) {
                const Vec3& n = raw_.normals[source];
                normals.push_back(unit(n.x, n.y, -static_cast<double>(n.z)));
            }
            free(raw_.normals);
            return true;
        }
        struct Sum {
            double x = 0.0;
            double y = 0.0;
            double z = 0.0;
        };
        if (!charge(std::uint64_t{count} * sizeof(Sum))) {
            return false;
        }
        std::vector<Sum> sums(count);
        const std::vector<std::uint32_t>& corners = raw_.corners;
        for (std::size_t k = 0; k < corners.size(); k += 3) {
            const Vec3& p0 = positions[corners[k]];
            const Vec3& p1 = positions[corners[k + 1]];
            const Vec3& p2 = positions[corners[k + 2]];
            const double e1[3] = {double{p2.x} - p0.x, double{p2.y} - p0.y, double{p2.z} - p0.z};
            const double e2[3] = {double{p1.x} - p0.x, double{p1.y} - p0.y, double{p1.z} - p0.z};
            const double n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
                                 e1[0] * e2[1] - e1[1] * e2[0]};
            for (std::size_t c = 0; c < 3; ++c) {
                Sum& sum = sums[corners[k + c]];
                sum.x += n[0];
                sum.y += n[1];
                sum.z += n[2];
            }
        }
        for (const Sum& sum : sums) {
            normals.push_back(unit(sum.x, sum.y, sum.z));
        }
        free(sums);
        free(raw_.normals);
        return true;
    }

    RawModel& raw_;
    MemoryBudget& budget_;
    WorkerPool* pool_;
    std::string& reason_;
    Sources sources_;
};

} // namespace

bool buildMeshes(RawModel& raw, MemoryBudget& budget, WorkerPool* pool, LoadedModel& out,
                 std::string& reason) {
    return Builder(raw, budget, pool, reason).build(out);
}

} // namespace model
