// What the two OBJ readers (obj_reader.cpp, the general one, and
// obj_chunks.cpp, the fast one) share, so both read these statements alike:
// a vertex's colour, usemtl, and what the whole file's corners and
// vertices decide at its end.
#pragma once

#include "model/model_reader.h"

#include <string>
#include <string_view>
#include <unordered_map>

namespace model {

// Words four to six of a v statement as its colour: false when one of them
// is not a number (or missing); a number that is not finite gives 0.
bool vertexColor(std::string_view red, std::string_view green, std::string_view blue, Vec3& color);

// The material names of a file, numbered in the order they are first used.
class MaterialNames {
  public:
    // usemtl `name` before triangle `triangle`: adds a run to `model`
    // (replacing one that starts at the same triangle). False when the
    // budget refuses.
    bool use(RawModel& model, std::uint64_t triangle, std::string_view name, MemoryBudget& budget);

  private:
    std::unordered_map<std::string, std::uint32_t> numbers_;
};

// mtllib: one more materials file. False when the budget refuses.
bool addLibrary(RawModel& model, std::string_view name, MemoryBudget& budget);

// The end of the file: the normals and the colours bound as the whole file
// allows (normals when every corner has one, vertex colours when every
// vertex has one, else materials where any are used).
void bindObjModel(RawModel& model, bool everyCornerHasNormal, bool everyVertexHasColor);

} // namespace model
