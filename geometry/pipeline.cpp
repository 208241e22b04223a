// buildScreenPolygons: back-face culling and lighting in model space, the
// view transform, then clipping and projection face by face.
#include "geometry/pipeline.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>

namespace {

void freePipelineScratch(PipelineScratch* scratch) {
    delete scratch;
}

// Step 1: the faces whose front side the eye sees, in ascending order.
// s = (eyeInObject - p0) . normal >= 0 keeps the face; an edge-on face
// (s = 0) is kept, a face whose normal is NaN (degenerate) is not. The list
// grows with the mesh; there is no fixed limit. A face that names a vertex
// the mesh does not have is never drawn.
void cullBackFaces(const RenderDevice& device, const Mesh& mesh, std::vector<KeptFace>& kept) {
    kept.clear();
    const Vec3& eye = device.eyeInObject;
    const std::size_t vertexCount = mesh.vertices.size();
    const std::size_t faceCount = std::min({static_cast<std::size_t>(std::max(mesh.faceCount, 0)),
                                            mesh.faces.size(), mesh.faceNormals.size()});
    for (std::size_t k = 0; k < faceCount; ++k) {
        const Face& face = mesh.faces[k];
        if (face.i0 >= vertexCount || face.i1 >= vertexCount || face.i2 >= vertexCount) {
            continue;
        }
        const Vec3& p0 = mesh.vertices[face.i0].position;
        const Vec3 toEye{eye.x - p0.x, eye.y - p0.y, eye.z - p0.z};
        const float s = dot(toEye, mesh.faceNormals[k]);
        if (s >= 0.0f) {
            kept.push_back(KeptFace{k, face.i0, face.i1, face.i2});
        }
    }
}

// Step 2: every vertex into view space with M = world x view (no division:
// the fourth column is not used), lit for Gouraud against lightDirInObject.
// Returns false as soon as a vertex lies beyond farPlane: the whole mesh is
// then dropped, faces in front of the far distance included.
bool transformVertices(const RenderDevice& device, const Mesh& mesh, std::vector<Vertex>& out) {
    Matrix4 m;
    multiply(m, device.worldMatrix, device.viewMatrix);
    const bool lit = (device.renderMode & RenderMode::Gouraud) != 0 &&
                     (device.lightFlags & LightKind::Directional) != 0;
    out.resize(mesh.vertices.size());
    for (std::size_t i = 0; i < mesh.vertices.size(); ++i) {
        const Vertex& source = mesh.vertices[i];
        const double x = source.position.x;
        const double y = source.position.y;
        const double z = source.position.z;
        const float zv = static_cast<float>(x * m[2] + y * m[6] + z * m[10] + m[14]);
        if (zv > device.farPlane) {
            return false;
        }
        Vertex& v = out[i];
        v.position.x = static_cast<float>(x * m[0] + y * m[4] + z * m[8] + m[12]);
        v.position.y = static_cast<float>(x * m[1] + y * m[5] + z * m[9] + m[13]);
        v.position.z = zv;
        v.intensity = 0.0f;
        if (lit) {
            const float intensity = dot(device.lightDirInObject, source.normal);
            v.intensity = intensity > 0.0f ? intensity : 0.0f;
        }
    }
    return true;
}

} // namespace

PipelineScratch& pipelineScratchOf(RenderDevice& device) {
    if (!device.pipelineScratch) {
        device.pipelineScratch =
            ScratchSlot<PipelineScratch>(new PipelineScratch, freePipelineScratch);
    }
    return *device.pipelineScratch;
}

ScreenPolygonList buildScreenPolygons(const RenderDevice& device, const Mesh& mesh) {
    PipelineScratch scratch;
    buildScreenPolygons(device, mesh, scratch);
    return std::move(scratch.list);
}

void buildScreenPolygons(const RenderDevice& device, const Mesh& mesh, PipelineScratch& scratch) {
    ScreenPolygonList& list = scratch.list;
    list.count = 0;
    std::vector<KeptFace>& kept = scratch.kept;
    cullBackFaces(device, mesh, kept);
    if (kept.empty()) {
        return;
    }
    std::vector<Vertex>& view = scratch.view;
    if (!transformVertices(device, mesh, view)) {
        return;
    }

    const bool flat = (device.renderMode & RenderMode::Flat) != 0;
    list.count = static_cast<std::int32_t>(kept.size());
    if (list.polygons.size() < kept.size()) {
        list.polygons.resize(kept.size());
    }
    // Two buffers for the whole call, alternating through the five stages:
    // near A -> B, left B -> A, right A -> B, top B -> A, bottom A -> B.
    ClipPolygon& a = scratch.a;
    ClipPolygon& b = scratch.b;
    for (std::size_t j = 0; j < kept.size(); ++j) {
        const KeptFace& face = kept[j];
        a.vertexCount = 0;
        appendVertex(a, view[face.i0]);
        appendVertex(a, view[face.i1]);
        appendVertex(a, view[face.i2]);
        ClipPolygon* from = &a;
        ClipPolygon* to = &b;
        for (ClipStage stage : kClipStages) {
            clipPolygon(device, stage, *from, *to);
            std::swap(from, to);
        }
        // After an odd number of stages the result sits in `from` (= B).
        ScreenPolygon& polygon = list.polygons[j];
        polygon.pointCount = projectToScreen(device, *from, polygon.points, scratch.projection);
        polygon.normal = polygon.pointCount > 0 && flat ? mesh.faceNormals[face.face] : Vec3{};
    }
}
