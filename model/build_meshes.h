// Items 3 to 7 of the loader's contract (model/load_model.h): a read model
// becomes its vertices, centred and scaled, z negated, with normals, cut
// into meshes.
#pragma once

#include "model/load_model.h"
#include "model/model_reader.h"

#include <string>

namespace model {

// Empties `raw` as it goes. False, with the reason, when the model has no
// faces, no extent, or needs more memory than `budget` allows. `pool`
// (may be null) computes the normals and cuts the meshes in parallel; the
// meshes are the same either way.
bool buildMeshes(RawModel& raw, MemoryBudget& budget, WorkerPool* pool, LoadedModel& out,
                 std::string& reason);

} // namespace model
