// The demo polyhedron: an octahedron stretched along the vertical axis,
// six vertices and eight triangular faces, with outward vertex normals for
// Gouraud shading and computed face normals.
#pragma once

#include "geometry/mesh.h"

#include <memory>

std::unique_ptr<Mesh> buildPolyhedron();
