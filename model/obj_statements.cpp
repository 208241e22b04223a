#include "model/obj_statements.h"

#include "model/decimal.h"

namespace model {

bool vertexColor(std::string_view red, std::string_view green, std::string_view blue, Vec3& color) {
    const std::string_view words[3] = {red, green, blue};
    float rgb[3] = {};
    for (int c = 0; c < 3; ++c) {
        const NumberStatus status = parseFloat(words[c], rgb[c]);
        if (status == NumberStatus::Malformed) {
            return false;
        }
        rgb[c] = status == NumberStatus::Ok ? colorValue(rgb[c]) : 0.0f;
    }
    color = Vec3{rgb[0], rgb[1], rgb[2]};
    return true;
}

bool MaterialNames::use(RawModel& model, std::uint64_t triangle, std::string_view name,
                        MemoryBudget& budget) {
    const std::string key(name);
    auto found = numbers_.find(key);
    if (found == numbers_.end()) {
        // The name twice (list and index) and the index's node.
        if (!makeRoom(model.materialNames, 1, budget) || !budget.charge(2 * name.size() + 64)) {
            return false;
        }
        const auto number = static_cast<std::uint32_t>(model.materialNames.size());
        model.materialNames.push_back(key);
        found = numbers_.emplace(key, number).first;
    }
    std::vector<MaterialRun>& runs = model.materialRuns;
    if (!runs.empty() && runs.back().firstTriangle == triangle) {
        runs.back().material = found->second;
        return true;
    }
    if (!makeRoom(runs, 1, budget)) {
        return false;
    }
    runs.push_back(MaterialRun{triangle, found->second});
    return true;
}

bool addLibrary(RawModel& model, std::string_view name, MemoryBudget& budget) {
    if (!makeRoom(model.materialLibraries, 1, budget) || !budget.charge(name.size())) {
        return false;
    }
    model.materialLibraries.emplace_back(name);
    return true;
}

void bindObjModel(RawModel& model, bool everyCornerHasNormal, bool everyVertexHasColor) {
    model.normalBinding = everyCornerHasNormal && !model.corners.empty() ? NormalBinding::PerCorner
                                                                         : NormalBinding::None;
    if (model.normalBinding == NormalBinding::None) {
        model.cornerNormals.clear();
    }
    if (everyVertexHasColor && !model.positions.empty()) {
        model.colorBinding = ColorBinding::PerPosition;
    } else if (!model.materialRuns.empty()) {
        model.colorBinding = ColorBinding::PerMaterial; // if the loader finds a Kd
    }
}

} // namespace model
