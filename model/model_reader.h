// The reader interface: one function per file format turns a file's bytes
// into a RawModel (positions, triangles, the file's normals and colours) or
// one ReadFailure. Each reader lives in a file of its own (obj_reader.cpp,
// ply_reader.cpp, stl_reader.cpp); model/load_model.h turns a RawModel into
// meshes.
//
// Every reader:
//  - fan-triangulates each face in file order: corners (c0, c1, ..., cn)
//    give (c0, ck, ck+1) for k = 1 .. n - 1; a face of fewer than three
//    corners is an error;
//  - checks every index against the vertices the file has and every
//    position for being finite, so a RawModel it returns never names a
//    vertex that does not exist;
//  - checks counts that a header declares against the bytes that follow
//    before it allocates for them, and charges every allocation that grows
//    with the file to a MemoryBudget, stopping with a failure when the
//    budget would be exceeded; so no input makes it allocate more than the
//    budget or run longer than in proportion to its size.
#pragma once

#include "math/vector_math.h"
#include "model/decimal.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace model {

// How the file's own normals, if any, belong to the triangles' corners.
enum class NormalBinding {
    None,        // the file has none (or not for every corner)
    PerPosition, // normals[i] belongs to positions[i] (PLY)
    PerCorner,   // cornerNormals[k] is the normal of corner k (OBJ)
};

// Where the file's colours come from (item 8 of model/load_model.h).
enum class ColorBinding {
    None,        // no colours (or not for every vertex)
    PerPosition, // colors[i] belongs to positions[i] (PLY, OBJ v x y z r g b)
    PerMaterial, // each triangle takes its material's colour (OBJ usemtl)
};

inline constexpr std::uint32_t kNoMaterial = UINT32_MAX;
// The colour of a face without a material colour in a model with material
// colours (item 8).
inline constexpr Vec3 kDefaultMaterialColor{0.8f, 0.8f, 0.8f};

// From triangle `firstTriangle` on, the triangles take `material` (an index
// into RawModel::materialNames, or kNoMaterial).
struct MaterialRun {
    std::uint64_t firstTriangle = 0;
    std::uint32_t material = kNoMaterial;
};

struct RawModel {
    std::vector<Vec3> positions; // as the file gives them: right-handed, y up
    std::vector<Vec3> normals;
    NormalBinding normalBinding = NormalBinding::None;
    std::vector<std::uint32_t> corners;       // three position indices per triangle
    std::vector<std::uint32_t> cornerNormals; // PerCorner: a normal index per corner
    // Corners that share no vertices (STL): vertices at exactly the same
    // position are one vertex.
    bool weldByPosition = false;

    // Colours: as read, each value already within 0 .. 1.
    ColorBinding colorBinding = ColorBinding::None;
    std::vector<Vec3> colors;                   // PerPosition: one per position
    std::vector<MaterialRun> materialRuns;      // OBJ: in triangle order
    std::vector<std::string> materialNames;     // usemtl names, first use first
    std::vector<std::string> materialLibraries; // mtllib words, in file order
    std::vector<Vec3> materialColors;           // PerMaterial: one per name

    std::size_t triangleCount() const { return corners.size() / 3; }
};

// Where a failure was found: a line of a text file, a byte offset of a
// binary one, or the file as a whole.
struct ReadFailure {
    enum class Where { File, Line, Byte };
    Where where = Where::File;
    std::uint64_t at = 0; // 1-based line, or 0-based byte offset
    std::string reason;
};

inline ReadFailure failAtLine(std::uint64_t line, std::string reason) {
    return ReadFailure{ReadFailure::Where::Line, line, std::move(reason)};
}
inline ReadFailure failAtByte(std::uint64_t offset, std::string reason) {
    return ReadFailure{ReadFailure::Where::Byte, offset, std::move(reason)};
}

// The memory a load may take: what is held now and the limit. Charges are
// made before the allocation they pay for.
class MemoryBudget {
  public:
    explicit MemoryBudget(std::uint64_t limit) : limit_(limit) {}
    // False, charging nothing, when `bytes` more would pass the limit.
    bool charge(std::uint64_t bytes) {
        if (bytes > limit_ - used_) {
            return false;
        }
        used_ += bytes;
        return true;
    }
    void release(std::uint64_t bytes) { used_ -= bytes < used_ ? bytes : used_; }
    std::uint64_t limit() const { return limit_; }
    std::uint64_t used() const { return used_; }

  private:
    std::uint64_t limit_;
    std::uint64_t used_ = 0;
};

// The reason a failed charge gives.
std::string tooLargeReason(const MemoryBudget& budget);

// Makes room for `more` elements in `v`, growing its capacity geometrically
// and charging the growth. False when the budget refuses.
template <typename T> bool makeRoom(std::vector<T>& v, std::size_t more, MemoryBudget& budget) {
    if (v.capacity() - v.size() >= more) {
        return true;
    }
    const std::size_t needed = v.size() + more;
    if (needed > std::numeric_limits<std::size_t>::max() / 2 / sizeof(T)) {
        return false;
    }
    const std::size_t grown = std::max<std::size_t>({needed, v.capacity() * 2, 64});
    if (!budget.charge(static_cast<std::uint64_t>(grown - v.capacity()) * sizeof(T))) {
        return false;
    }
    v.reserve(grown);
    return true;
}

// Empties `v` and gives its memory back (v = {} would keep the capacity:
// it assigns an empty list).
template <typename T> void freeAll(std::vector<T>& v) {
    std::vector<T>().swap(v);
}

// Gives back what `v` holds beyond its size (a list grown by doubling may
// hold twice what it needs), so what is built from it next finds the room.
template <typename T> void fitToSize(std::vector<T>& v, MemoryBudget& budget) {
    if (v.capacity() - v.size() > v.size() / 8) {
        const std::size_t spare = v.capacity() - v.size();
        v.shrink_to_fit();
        budget.release(static_cast<std::uint64_t>(spare) * sizeof(T));
    }
}

// Appends the fan of one face to `model.corners` (and, when `normals` is not
// empty, its normal indices to `model.cornerNormals`). The face has at least
// three corners. False when the budget refuses.
bool addFace(RawModel& model, std::span<const std::uint32_t> corners,
             std::span<const std::uint32_t> normals, MemoryBudget& budget);

// A colour value as item 8 takes it: rounded to float, clamped to 0 .. 1;
// NaN and the infinities give 0.
inline float colorValue(double value) {
    if (!std::isfinite(value) || value <= 0.0) {
        return 0.0f;
    }
    return value < 1.0 ? static_cast<float>(value) : 1.0f;
}

// Reads one format. On success `model` holds the file's model; on failure
// its contents are unspecified.
using ModelReader = bool (*)(std::span<const std::uint8_t> bytes, RawModel& model,
                             MemoryBudget& budget, ReadFailure& failure);

bool readObj(std::span<const std::uint8_t> bytes, RawModel& model, MemoryBudget& budget,
             ReadFailure& failure);
// ASCII, binary little-endian and binary big-endian.
bool readPly(std::span<const std::uint8_t> bytes, RawModel& model, MemoryBudget& budget,
             ReadFailure& failure);
// Binary when the size is 84 + 50 x the count at byte 80, whatever the
// header says; ASCII otherwise.
bool readStl(std::span<const std::uint8_t> bytes, RawModel& model, MemoryBudget& budget,
             ReadFailure& failure);

// STL recognition (item 1 of model/load_model.h): a binary file's size
// (84 + 50 x the little-endian count at byte 80; `head` holds at least the
// file's first 84 bytes), or "solid" as the first word.
bool hasBinaryStlSize(std::span<const std::uint8_t> head, std::uint64_t fileSize);
bool isStl(std::span<const std::uint8_t> bytes);

// A piece of the file as a message shows it: at most 32 bytes (then "..."),
// bytes outside printable ASCII as \xNN, in single quotes.
std::string quoted(std::string_view text);

// Why a number token was refused, as a message says it: the token quoted,
// then "is not a finite number", "is out of the range of a 32-bit float" or
// "is not a number".
std::string numberReason(NumberStatus status, std::string_view word);

} // namespace model
