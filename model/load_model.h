// Opening a model file: OBJ, PLY or STL in, meshes of the renderer's kind
// out, or one message that says what is wrong.
//
// The contract, which makes a model's frames the same on every system (and
// for anyone who reads this):
//  1. Format. A file that begins with the line "ply" is PLY. Otherwise the
//     extension decides (.obj, .ply, .stl, in any case); a file with another
//     extension is binary STL when its size says so (84 + 50 x the count at
//     byte 80), ASCII STL when it begins with "solid", and OBJ when its
//     first statement is one of OBJ's. See model_reader.h for the readers.
//  2. Faces are fan-triangulated in file order: (v0, v1, ..., vn) gives
//     (v0, vk, vk+1) for k = 1 .. n - 1, keeping the file's corner order.
//  3. Vertices. Only vertices that some face names count. A vertex of the
//     mesh is a position of the file, or for OBJ with normals a (position,
//     normal) pair of a corner; STL corners at exactly the same position
//     (-0 and +0 alike) are one vertex. They are numbered in the order the
//     faces first name them.
//  4. Centre and size. Per axis, the centre c is the midpoint of the
//     vertices' smallest and largest coordinate, (min + max) / 2 in double,
//     rounded to float; r is the largest distance from c to a vertex (in
//     double); each coordinate becomes (float)((p - c) * s) with
//     s = 100 / r in double. The model then fits a sphere of radius 100
//     about the origin, as the demo polyhedron does.
//  5. Handedness. OBJ, PLY and STL are right-handed with y up and faces
//     counter-clockwise seen from outside; model space is left-handed, so z
//     is negated (positions and the file's normals). The picture is then not
//     mirrored and the face normals (p2 - p0) x (p1 - p0) point outwards.
//  6. Vertex normals. The file's own, z negated and normalised in double,
//     when every corner of every face has one and each of them is finite
//     and not zero (OBJ vn, PLY nx ny nz). Otherwise computed: the sum over
//     the triangles around the vertex of (p2 - p0) x (p1 - p0) from the
//     scaled positions (twice each triangle's area, outwards), in double,
//     in triangle order, normalised; a vertex whose sum is zero gets a zero
//     normal (it takes no diffuse light). No hard edges are kept: every
//     vertex has one normal, smoothed across every edge at any angle, so
//     Gouraud shows curved surfaces smooth, the vertex count stays the
//     file's, and the work stays linear in the model's size. Flat fill
//     shows the facets; a file that wants hard edges in Gouraud gives its
//     own normals (OBJ corners with different vn at one position become
//     different vertices).
//  7. Meshes. The triangles, in order, are cut into consecutive meshes of at
//     most 65 536 vertices each by splitIntoMeshes (geometry/mesh_split.h),
//     drawn one after another in that order.
//
// Failures, each one message "NAME: line N: reason", "NAME: byte N:
// reason" or, for what concerns the whole model, "NAME: reason" (NAME as
// the caller gave it): a file that cannot be opened or read; one that is
// none of the formats; a syntax error; an index that is 0 (OBJ), out of
// range, or reaches before the first vertex; a count that the bytes after a
// header cannot hold (checked before anything is allocated for it); a
// coordinate that is not a finite number or out of a float's range; no
// faces; all vertices at one point (no extent); more memory than the limit
// (the file's bytes, what is read and the meshes built, all counted; 2 GiB
// unless the caller says otherwise).
#pragma once

#include "geometry/mesh.h"
#include "model/model_reader.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace model {

inline constexpr std::uint64_t kModelMemoryLimit = std::uint64_t{2} << 30;

enum class Format { Obj, Ply, Stl };

struct LoadedModel {
    std::vector<Mesh> meshes;        // drawn in this order
    std::uint64_t vertexCount = 0;   // distinct vertices, before the cut
    std::uint64_t triangleCount = 0; // degenerate ones included
    bool fileNormals = false;        // the file's normals are used
};

struct LoadResult {
    LoadedModel model;
    std::string error; // empty on success
    bool ok() const { return error.empty(); }
};

// Reads the file at `path`; messages name it as given.
LoadResult loadModelFile(const std::string& path, std::uint64_t memoryLimit = kModelMemoryLimit);

// A file's bytes, read already; `name` picks the format by its extension
// and names the file in messages.
LoadResult loadModel(std::span<const std::uint8_t> bytes, const std::string& name,
                     std::uint64_t memoryLimit = kModelMemoryLimit);

// The same with the format given.
LoadResult loadModelAs(Format format, std::span<const std::uint8_t> bytes, const std::string& name,
                       std::uint64_t memoryLimit = kModelMemoryLimit);

// The format rule of item 1: false, with the reason, when it is none.
bool detectFormat(std::span<const std::uint8_t> bytes, const std::string& name, Format& format,
                  std::string& reason);

// The last component of a path ('/' or '\\' separated).
std::string baseName(const std::string& path);

} // namespace model
