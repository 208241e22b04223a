// Indexed triangle meshes.
//
// Winding: a face's normal is the unit vector of (p2 - p0) x (p1 - p0). A
// face is front-facing when the eye lies on the side the normal points to;
// seen from there its vertices i0, i1, i2 run counter-clockwise on the
// screen.
#pragma once

#include "math/vector_math.h"

#include <cstdint>
#include <vector>

struct Vertex {
    Vec3 position;     // model space (view space in the pipeline's working copies)
    Vec3 normal;       // model space, unit length, used as stored for Gouraud lighting
    float aux1 = 0.0f; // carried for the mesh's builder; no stage reads it
    float aux2 = 0.0f;
    float intensity = 0.0f; // diffuse lighting; written only in the pipeline's working copies
};

// The vertex builder: copies position and normal, stores aux1 and aux2
// unchanged, intensity 0. aux1 and aux2 are kept as the vertex has always
// had them, not left over: the builder's callers pass them and a mesh
// carries them, though no stage reads them.
Vertex makeVertex(const Vec3& position, const Vec3& normal, float aux1, float aux2);

struct Face {
    std::uint16_t i0 = 0;
    std::uint16_t i1 = 0;
    std::uint16_t i2 = 0;
};

struct Mesh {
    std::vector<Face> faces;       // faceCount faces; empty when faceCount is 0
    std::vector<Vertex> vertices;  // vertexCount vertices, positions and normals zero
    std::vector<Vec3> faceNormals; // one per face, zero until computeFaceNormals
    // The model's own colours, one per vertex (red, green, blue, each 0 to
    // 1), or empty: a mesh without them is drawn in the material's colours.
    // A face's flat colour is the mean of its three corners' colours.
    std::vector<Vec3> colors;
    std::int32_t vertexCount = 0;
    std::int32_t faceCount = 0; // 0: drawn as a polyline through the vertices

    Mesh(std::int32_t vertexCount, std::int32_t faceCount);
};

// Fills faceNormals from the current positions and faces. A degenerate face
// (collinear or coincident points) has no normal: it gets NaN, which fails
// the front-facing test, so such a face is never drawn.
void computeFaceNormals(Mesh& mesh);
