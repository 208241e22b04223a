// Fuzz target: the model readers and the loader.
//
// Bytes -> each reader (OBJ, PLY, STL) and the format rule -> either meshes
// that keep the loader's promises (at most 65 536 vertices each, faces that
// name their own vertices, positions finite and within the radius-100
// sphere, normals finite, counts that add up) or one short line naming the
// file. The memory limit is small, so a header that promises much is
// refused rather than honoured.

#include "model/load_model.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

constexpr std::uint64_t kLimit = std::uint64_t{64} << 20;

bool finite(const Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

void check(const model::LoadResult& result, const std::string& name) {
    if (!result.ok()) {
        if (!result.model.meshes.empty() || result.error.rfind(name + ": ", 0) != 0 ||
            result.error.find('\n') != std::string::npos || result.error.size() > 300) {
            std::abort();
        }
        return;
    }
    const model::LoadedModel& model = result.model;
    std::uint64_t faces = 0;
    for (const Mesh& mesh : model.meshes) {
        if (mesh.vertices.size() > 65536 || mesh.faces.empty() ||
            mesh.faces.size() != mesh.faceNormals.size()) {
            std::abort();
        }
        for (const Face& f : mesh.faces) {
            const std::size_t n = mesh.vertices.size();
            if (f.i0 >= n || f.i1 >= n || f.i2 >= n) {
                std::abort();
            }
        }
        for (const Vertex& v : mesh.vertices) {
            const Vec3& p = v.position;
            if (!finite(p) || !finite(v.normal) ||
                p.x * p.x + p.y * p.y + p.z * p.z > 100.01f * 100.01f) {
                std::abort();
            }
        }
        faces += mesh.faces.size();
    }
    if (model.meshes.empty() || faces != model.triangleCount || model.vertexCount == 0) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    check(model::loadModelAs(model::Format::Obj, bytes, "fuzz.obj", kLimit), "fuzz.obj");
    check(model::loadModelAs(model::Format::Ply, bytes, "fuzz.ply", kLimit), "fuzz.ply");
    check(model::loadModelAs(model::Format::Stl, bytes, "fuzz.stl", kLimit), "fuzz.stl");
    check(model::loadModel(bytes, "fuzz", kLimit), "fuzz");
    return 0;
}
