// Big triangle lists as meshes of the kind the pipeline draws.
//
// A Mesh addresses its vertices with 16-bit indices, so it holds at most
// 65 536 of them. splitIntoMeshes takes a triangle list with 32-bit indices
// (a model read from a file, a generated sphere) and cuts it into
// consecutive meshes, drawn one after another in the order returned:
//  - faces keep their order and their corner order; face k of the list is
//    the next face of the mesh that is current when k is reached;
//  - a mesh takes only the vertices its faces name, in the order they are
//    first named; a vertex no face names goes nowhere;
//  - when a face names vertices that the current mesh does not yet hold and
//    they would not fit, the face starts the next mesh (which again takes
//    every vertex it names, also those the previous mesh already held);
//  - every mesh gets its face normals (computeFaceNormals).
//  - `colors`, when not empty, holds one colour per vertex of `vertices`;
//    each mesh then gets the colours of the vertices it takes (Mesh::colors).
// A list that names at most maxVertices distinct vertices gives one mesh.
// The frames drawn from the meshes are the frames of one big mesh: the
// pipeline's output depends only on the faces, in order, and the values of
// the vertices they name.
#pragma once

#include "geometry/mesh.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

inline constexpr std::size_t kMaxMeshVertices = 65536;

// `corners` holds three vertex indices per triangle. Vertices are copied
// as they are (position, normal, aux1, aux2; intensity 0). maxVertices is
// taken within 3 .. kMaxMeshVertices. Returns no mesh when there is no
// whole triangle, or when the corner count is not a multiple of three or a
// corner names no vertex of `vertices`, or `colors` is neither empty nor one
// per vertex (the caller checks its input; this keeps a slip from addressing
// memory it should not).
std::vector<Mesh> splitIntoMeshes(std::span<const Vertex> vertices,
                                  std::span<const std::uint32_t> corners,
                                  std::size_t maxVertices = kMaxMeshVertices,
                                  std::span<const Vec3> colors = {});
