// Back-face culling in model space, against the eye carried into the mesh's
// model space (eyeInObject), before anything is transformed.
#include "geometry/pipeline.h"

void cullFaces(const RenderDevice& device, const Mesh& mesh, std::size_t begin, std::size_t end,
               KeptFaces& kept) {
    const Vec3 eye = device.eyeInObject;
    const std::size_t vertexCount = mesh.vertices.size();
    const Face* const faces = mesh.faces.data();
    const Vertex* const vertices = mesh.vertices.data();
    const Vec3* const normals = mesh.faceNormals.data();
    // Every face number is written and the count moves on only for a kept
    // face: no branch to mispredict on half the faces of a closed mesh.
    std::uint32_t* const out = kept.numbers.data();
    std::size_t count = 0;
    for (std::size_t k = begin; k < end; ++k) {
        const Face face = faces[k];
        if (face.i0 >= vertexCount || face.i1 >= vertexCount || face.i2 >= vertexCount) {
            continue;
        }
        const Vec3& p0 = vertices[face.i0].position;
        const Vec3 toEye{eye.x - p0.x, eye.y - p0.y, eye.z - p0.z};
        out[count] = static_cast<std::uint32_t>(k);
        count += dot(toEye, normals[k]) >= 0.0f ? 1 : 0;
    }
    kept.count = count;
}
