#include "geometry/mesh.h"

#include <limits>

Vertex makeVertex(const Vec3& position, const Vec3& normal, float aux1, float aux2) {
    Vertex v;
    v.position = position;
    v.normal = normal;
    v.aux1 = aux1;
    v.aux2 = aux2;
    v.intensity = 0.0f;
    return v;
}

Mesh::Mesh(std::int32_t vertices_, std::int32_t faces_)
    : vertices(static_cast<std::size_t>(vertices_ > 0 ? vertices_ : 0)),
      vertexCount(vertices_ > 0 ? vertices_ : 0), faceCount(faces_ > 0 ? faces_ : 0) {
    if (faceCount > 0) {
        faces.resize(static_cast<std::size_t>(faceCount));
        faceNormals.resize(static_cast<std::size_t>(faceCount));
    }
}

void computeFaceNormals(Mesh& mesh) {
    for (std::int32_t k = 0; k < mesh.faceCount; ++k) {
        const Face& face = mesh.faces[static_cast<std::size_t>(k)];
        const Vec3& p0 = mesh.vertices[face.i0].position;
        const Vec3& p1 = mesh.vertices[face.i1].position;
        const Vec3& p2 = mesh.vertices[face.i2].position;
        Vec3 e1{p2.x - p0.x, p2.y - p0.y, p2.z - p0.z};
        Vec3 e2{p1.x - p0.x, p1.y - p0.y, p1.z - p0.z};
        Vec3 w;
        cross(w, e1, e2);
        Vec3& normal = mesh.faceNormals[static_cast<std::size_t>(k)];
        if (w.x == 0.0f && w.y == 0.0f && w.z == 0.0f) {
            const float nan = std::numeric_limits<float>::quiet_NaN();
            normal = Vec3{nan, nan, nan};
            continue;
        }
        normalize(normal, w);
    }
}
