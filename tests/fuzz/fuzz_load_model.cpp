// Fuzz target: the model readers and the loader.
//
// Bytes -> each reader (OBJ, PLY, STL) and the format rule -> either meshes
// that keep the loader's promises (at most 65 536 vertices each, faces that
// name their own vertices, positions finite and within the radius-100
// sphere, normals finite, colours none or one per vertex within 0 .. 1,
// counts that add up) or one short line naming the file. The memory limit
// is small, so a header that promises much is refused rather than
// honoured. The OBJ loads read the input itself as their materials file.
// Each fast reader, in chunks of a size the input picks, either gives the
// general reader's model to the bit or gives the file up.

#include "model/chunked_reader.h"
#include "model/load_model.h"

#include <cstring>

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
        if (!mesh.colors.empty() && mesh.colors.size() != mesh.vertices.size()) {
            std::abort();
        }
        for (const Vec3& c : mesh.colors) {
            if (!(c.x >= 0.0f && c.x <= 1.0f && c.y >= 0.0f && c.y <= 1.0f && c.z >= 0.0f &&
                  c.z <= 1.0f)) {
                std::abort();
            }
        }
        if (mesh.colors.empty() == model.fileColors) {
            std::abort();
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

// The fast reader of `format` against the general one.
void compareReaders(model::Format format, std::span<const std::uint8_t> bytes,
                    std::size_t chunkBytes) {
    static constexpr model::ModelReader kGeneral[] = {model::readObj, model::readPly,
                                                      model::readStl};
    model::RawModel general;
    model::MemoryBudget generalBudget(kLimit);
    model::ReadFailure failure;
    const bool generalOk =
        kGeneral[static_cast<int>(format)](bytes, general, generalBudget, failure);
    std::unique_ptr<model::ChunkedReader> fast =
        format == model::Format::Obj   ? model::chunkedObjReader(chunkBytes)
        : format == model::Format::Ply ? model::chunkedPlyReader(chunkBytes)
                                       : model::chunkedStlReader(chunkBytes);
    model::MemoryBudget budget(kLimit);
    model::ChunkedReader::Status status = model::ChunkedReader::Status::More;
    while (status == model::ChunkedReader::Status::More) {
        status = fast->step(bytes, nullptr, budget);
    }
    if (status == model::ChunkedReader::Status::General) {
        return;
    }
    if (!generalOk) {
        std::abort(); // a model from a file the general reader refuses
    }
    const model::RawModel taken = fast->take();
    if (format == model::Format::Stl) {
        // Welded as read: each corner at the general reader's position.
        if (taken.corners.size() != general.corners.size()) {
            std::abort();
        }
        for (std::size_t k = 0; k < taken.corners.size(); ++k) {
            const Vec3& a = taken.positions[taken.corners[k]];
            const Vec3& b = general.positions[general.corners[k]];
            if (a.x != b.x || a.y != b.y || a.z != b.z) {
                std::abort();
            }
        }
        return;
    }
    if (!sameBits(taken.positions, general.positions) ||
        !sameBits(taken.normals, general.normals) || !sameBits(taken.colors, general.colors) ||
        taken.corners != general.corners || taken.normalBinding != general.normalBinding ||
        taken.colorBinding != general.colorBinding ||
        taken.materialNames != general.materialNames ||
        taken.materialLibraries != general.materialLibraries ||
        taken.materialRuns.size() != general.materialRuns.size() ||
        (general.normalBinding == model::NormalBinding::PerCorner &&
         taken.cornerNormals != general.cornerNormals)) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    model::LoadOptions options;
    options.memoryLimit = kLimit;
    options.readSibling = [bytes](const std::string&, std::uint64_t maxBytes,
                                  std::vector<std::uint8_t>& into) {
        if (bytes.size() > maxBytes) {
            return model::SiblingStatus::Unreadable;
        }
        into.assign(bytes.begin(), bytes.end());
        return model::SiblingStatus::Read;
    };
    check(model::loadModelAs(model::Format::Obj, bytes, "fuzz.obj", options), "fuzz.obj");
    check(model::loadModelAs(model::Format::Ply, bytes, "fuzz.ply", kLimit), "fuzz.ply");
    check(model::loadModelAs(model::Format::Stl, bytes, "fuzz.stl", kLimit), "fuzz.stl");
    check(model::loadModel(bytes, "fuzz", kLimit), "fuzz");
    const std::size_t chunk = size > 0 ? 1 + data[size - 1] % 97 : 1;
    compareReaders(model::Format::Obj, bytes, chunk);
    compareReaders(model::Format::Ply, bytes, chunk);
    compareReaders(model::Format::Stl, bytes, chunk);
    return 0;
}
