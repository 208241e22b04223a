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
//  8. Colours. A model has colours of its own (LoadedModel::fileColors, one
//     per mesh vertex in Mesh::colors: red, green, blue, each 0 to 1) from
//     one of these sources, else none (Mesh::colors empty):
//      - PLY: the vertex element has red, green and blue, or diffuse_red,
//        diffuse_green and diffuse_blue (all three; alpha is ignored). A
//        uchar value v is v / 255 (in double, rounded to float), a ushort
//        one v / 65535; any other whole-number type is taken on the uchar
//        scale; float and double values are taken as they are.
//      - OBJ vertex colours: "v x y z r g b". Words four to six of a v
//        statement give a colour when all three are numbers; the file's
//        vertex colours are used when every v statement has one (like the
//        normals: a file where some vertices lack one is drawn without
//        them).
//      - OBJ materials, when the file has no vertex colours: "mtllib a.mtl
//        b.mtl" names materials files beside the model, "usemtl NAME" gives
//        the faces that follow the material NAME (the rest of the line,
//        blanks at both ends trimmed; "newmtl NAME" likewise). A
//        material's colour is its Kd ("Kd r g b", or "Kd v" for v v v; the
//        last Kd of its block); where several files define a name, the
//        first file in mtllib order wins. The model has material colours
//        when some face's material has a Kd; then every face takes its
//        material's Kd, and a face before any usemtl, or whose material
//        is undefined or has no Kd, takes the default grey 0.8 0.8 0.8.
//        A materials file is named by a relative path: one that is
//        absolute or has a ".." component, or that resolves outside the
//        model's folder, is never read. A materials file that is refused,
//        missing or unreadable is not an error: the model is drawn without
//        it and LoadedModel::notes says so in one short line ("materials
//        file not found: a.mtl").
//     Every value is then clamped to 0 .. 1; a value that is not a finite
//     number (NaN, an infinity, an OBJ word beyond a float's range) gives
//     0. Under materials a mesh vertex is a (position, material) pair (a
//     (position, normal, material) triple with the file's normals): a
//     position whose faces have different materials becomes several
//     vertices, as OBJ corners with different vn do. Vertex colours belong
//     to the position and split nothing. A face's flat colour is the mean
//     of its corners' colours (the renderer's work), so a face of one
//     material keeps exactly its Kd. A model without colours loads as if
//     this item did not exist.
//
// Failures, each one message "NAME: line N: reason", "NAME: byte N:
// reason" or, for what concerns the whole model, "NAME: reason" (NAME as
// the caller gave it): a file that cannot be opened or read, or a path
// that is not a regular file (a folder, a device such as /dev/zero, a pipe,
// a socket: refused before any byte is read); one that is none of the
// formats; a syntax error; an index that is 0 (OBJ), out of range, or
// reaches before the first vertex; a count that the bytes after a header
// cannot hold (checked before anything is allocated for it); a coordinate
// that is not a finite number or out of a float's range; no faces; all
// vertices at one point (no extent); more memory than the limit. The limit
// (2 GiB unless the caller says otherwise) bounds the most that is charged
// at once: the file's bytes, what is read from them and the meshes built;
// the file's bytes are given back before the meshes are built. A binary
// STL is welded as it is read, so it holds its distinct positions only,
// but it is charged a position a corner while it is read, as the general
// reader takes, so a file is refused for its size alike on every path.
// A file that grows while it is read is read to the size it had when it
// was opened. A load that is cancelled (LoadOptions::cancel) ends with
// LoadResult::cancelled and "NAME: the load was cancelled", holding
// nothing.
#pragma once

#include "geometry/mesh.h"
#include "model/model_reader.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class WorkerPool;

namespace model {

inline constexpr std::uint64_t kModelMemoryLimit = std::uint64_t{2} << 30;

// The radius of the sphere about the origin that every model fits (item 4).
inline constexpr float kModelRadius = 100.0f;

enum class Format { Obj, Ply, Stl };

struct LoadedModel {
    std::vector<Mesh> meshes;        // drawn in this order
    std::uint64_t vertexCount = 0;   // distinct vertices, before the cut
    std::uint64_t triangleCount = 0; // degenerate ones included
    bool fileNormals = false;        // the file's normals are used
    bool fileColors = false;         // the file's colours are used (item 8)
    // Short lines for the title about what was left out (a materials file
    // not found); empty for most files.
    std::vector<std::string> notes;
};

struct LoadResult {
    LoadedModel model;
    std::string error;      // empty on success
    bool cancelled = false; // the caller's cancel flag ended the load
    bool ok() const { return error.empty(); }
};

// What reading a file beside the model gave.
enum class SiblingStatus { Read, Missing, Unreadable };

// Reads the file `relativePath` beside the model (already checked to be a
// relative path without ".." components) into `bytes`, at most `maxBytes`
// of them (a larger file is Unreadable).
using SiblingReader = std::function<SiblingStatus(
    const std::string& relativePath, std::uint64_t maxBytes, std::vector<std::uint8_t>& bytes)>;

// Reads siblings from the folder of the model at `modelPath` on disk: the
// path is joined to the model's folder, must resolve to a regular file
// inside it (links that lead out are refused), and is read whole.
SiblingReader siblingsOnDisk(const std::string& modelPath);

struct LoadOptions {
    std::uint64_t memoryLimit = kModelMemoryLimit;
    // Called at chunk boundaries with the bytes of the file consumed so far
    // and the file's size: monotone, the last call is (size, size) on
    // success. It runs on the loading thread, inside the reader, and should
    // be cheap; it must not hand control to the browser (the web page's
    // reader is not instrumented for that: it yields between steps).
    std::function<void(std::uint64_t done, std::uint64_t total)> progress;
    // Checked at chunk boundaries; when it reads true the load ends
    // cancelled and frees everything it held.
    const std::atomic<bool>* cancel = nullptr;
    // Threads for parsing text in parallel and cutting the meshes; none:
    // everything on the loading thread. The result is the same either way.
    WorkerPool* pool = nullptr;
    // Bytes of the file a step reads or parses, about; 0: 8 MiB read and
    // 4 MiB parsed a step. Smaller steps return sooner (and report progress
    // more often); the result is the same.
    std::size_t chunkBytes = 0;
    // The materials files of an OBJ. Not set: loadModelFile reads them
    // beside the path (siblingsOnDisk); a load from bytes has none to read
    // (each named file is "not found").
    SiblingReader readSibling;
};

// A load driven in steps, for a caller that must return to its own loop
// between chunks (a single-threaded web page yields to the browser, with
// no instrumentation of the reader): each step() opens the file, reads a
// piece of it (LoadOptions::chunkBytes), parses a chunk of it, or builds
// the meshes, and returns. The fast readers (model/chunked_reader.h) take
// the common layouts chunk by chunk: binary PLY and STL, OBJ, ASCII PLY of
// an item a line and ASCII STL. Two steps are not bounded by the chunk
// size: a file that the fast readers give up (another layout, a line
// continued with a backslash, any file with a fault, whose message must
// say where) is read by the general reader in one step, and the meshes
// are built in one step. Progress and cancel work as in loadModelFile,
// checked before each step.
class ModelLoad {
  public:
    // From the file at `path`; messages name it as given.
    ModelLoad(const std::string& path, LoadOptions options);
    // From bytes the caller keeps alive until the load ends; `name` picks
    // the format by its extension (item 1) and names the file in messages.
    ModelLoad(std::span<const std::uint8_t> bytes, const std::string& name, LoadOptions options);
    // The same with the format given.
    ModelLoad(Format format, std::span<const std::uint8_t> bytes, const std::string& name,
              LoadOptions options);
    ~ModelLoad();
    ModelLoad(ModelLoad&&) noexcept;
    ModelLoad& operator=(ModelLoad&&) noexcept;

    // Does one chunk; false once the load has ended (result() is ready).
    bool step();
    // Steps to the end.
    void finish();
    // The outcome (moved out); a load that has not ended is stepped to its
    // end first.
    LoadResult result();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// Reads the file at `path`; messages name it as given.
LoadResult loadModelFile(const std::string& path, const LoadOptions& options);
LoadResult loadModelFile(const std::string& path, std::uint64_t memoryLimit = kModelMemoryLimit);

// A file's bytes, read already; `name` picks the format by its extension
// and names the file in messages.
LoadResult loadModel(std::span<const std::uint8_t> bytes, const std::string& name,
                     const LoadOptions& options);
LoadResult loadModel(std::span<const std::uint8_t> bytes, const std::string& name,
                     std::uint64_t memoryLimit = kModelMemoryLimit);

// The same with the format given.
LoadResult loadModelAs(Format format, std::span<const std::uint8_t> bytes, const std::string& name,
                       const LoadOptions& options);
LoadResult loadModelAs(Format format, std::span<const std::uint8_t> bytes, const std::string& name,
                       std::uint64_t memoryLimit = kModelMemoryLimit);

// The format rule of item 1: false, with the reason, when it is none.
bool detectFormat(std::span<const std::uint8_t> bytes, const std::string& name, Format& format,
                  std::string& reason);

// The last component of a path ('/' or '\\' separated).
std::string baseName(const std::string& path);

} // namespace model
