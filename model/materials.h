// OBJ materials (item 8 of model/load_model.h): the materials files an OBJ
// names with mtllib, read through a SiblingReader, give each material name
// its Kd.
#pragma once

#include "model/load_model.h"
#include "model/model_reader.h"

#include <string>
#include <string_view>
#include <vector>

namespace model {

// A path that may be read beside the model: relative, with no ".."
// component, no zero byte, not empty.
bool isSiblingPath(std::string_view path);

// Reads the materials of a model whose colours are bound to materials
// (raw.colorBinding == PerMaterial): fills raw.materialColors, one per
// material name. When no face's material has a Kd, the model has no
// colours: the binding becomes None and the material runs are dropped.
// Files that are refused, missing or unreadable add a line to `notes`.
// Every model's material lists are freed when they serve no more.
void resolveMaterials(RawModel& raw, const SiblingReader& readSibling, MemoryBudget& budget,
                      std::vector<std::string>& notes);

} // namespace model
