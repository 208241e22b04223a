#include "model/model_reader.h"

namespace model {

std::string tooLargeReason(const MemoryBudget& budget) {
    const std::uint64_t limit = budget.limit();
    const std::string amount = limit % (1u << 20) == 0 ? std::to_string(limit >> 20) + " MiB"
                                                       : std::to_string(limit) + " bytes";
    return "the model needs more than the " + amount + " of memory a model may take";
}

bool addFace(RawModel& model, std::span<const std::uint32_t> corners,
             std::span<const std::uint32_t> normals, MemoryBudget& budget) {
    const std::size_t triangles = corners.size() - 2;
    if (!makeRoom(model.corners, 3 * triangles, budget) ||
        (!normals.empty() && !makeRoom(model.cornerNormals, 3 * triangles, budget))) {
        return false;
    }
    for (std::size_t k = 1; k + 1 < corners.size(); ++k) {
        model.corners.insert(model.corners.end(), {corners[0], corners[k], corners[k + 1]});
        if (!normals.empty()) {
            model.cornerNormals.insert(model.cornerNormals.end(),
                                       {normals[0], normals[k], normals[k + 1]});
        }
    }
    return true;
}

std::string numberReason(NumberStatus status, std::string_view word) {
    switch (status) {
    case NumberStatus::NotFinite:
        return quoted(word) + " is not a finite number";
    case NumberStatus::OutOfRange:
        return quoted(word) + " is out of the range of a 32-bit float";
    default:
        return quoted(word) + " is not a number";
    }
}

std::string quoted(std::string_view text) {
    static const char kHex[] = "0123456789abcdef";
    constexpr std::size_t kShown = 32;
    std::string shown = "'";
    for (std::size_t i = 0; i < text.size() && i < kShown; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7f) {
            shown.push_back(static_cast<char>(c));
        } else {
            shown += "\\x";
            shown.push_back(kHex[c >> 4]);
            shown.push_back(kHex[c & 15]);
        }
    }
    if (text.size() > kShown) {
        shown += "...";
    }
    shown += "'";
    return shown;
}

} // namespace model
