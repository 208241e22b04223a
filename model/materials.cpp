#include "model/materials.h"

#include "model/decimal.h"
#include "model/input_file.h"
#include "model/text_scanner.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

namespace model {

namespace {

// Materials files larger than this are not read: no real one comes near.
constexpr std::uint64_t kMaxMaterialsFile = std::uint64_t{64} << 20;

template <typename T> void freeVector(std::vector<T>& v, MemoryBudget& budget) {
    budget.release(std::uint64_t{v.capacity()} * sizeof(T));
    freeAll(v);
}

// Gives `colors[i]` the Kd of material `names[i]` where this file defines
// it first; `found` marks those set.
void readMaterials(std::span<const std::uint8_t> bytes,
                   const std::unordered_map<std::string_view, std::uint32_t>& index,
                   std::vector<Vec3>& colors, std::vector<bool>& found) {
    TextScanner scan(bytes, afterByteOrderMark(bytes), 1, true);
    std::uint32_t current = kNoMaterial; // the block's material, if one used
    std::vector<bool> definedHere(found.size(), false);
    while (!scan.atEnd()) {
        const std::string_view keyword = scan.word();
        if (keyword == "newmtl") {
            const auto it = index.find(scan.word());
            current = it != index.end() && !found[it->second] ? it->second : kNoMaterial;
        } else if (keyword == "Kd" && current != kNoMaterial) {
            float rgb[3] = {};
            std::size_t count = 0;
            for (std::string_view word = scan.word(); !word.empty() && count < 3;
                 word = scan.word()) {
                float value = 0.0f;
                const NumberStatus status = parseFloat(word, value);
                if (status == NumberStatus::Malformed) {
                    break; // "Kd spectral file" and the like: not a colour
                }
                rgb[count++] = status == NumberStatus::Ok ? colorValue(value) : 0.0f;
            }
            if (count == 1 || count == 3) {
                colors[current] =
                    count == 1 ? Vec3{rgb[0], rgb[0], rgb[0]} : Vec3{rgb[0], rgb[1], rgb[2]};
                definedHere[current] = true;
            }
        }
        scan.nextLine();
    }
    for (std::size_t m = 0; m < found.size(); ++m) {
        found[m] = found[m] || definedHere[m];
    }
}

} // namespace

bool isSiblingPath(std::string_view path) {
    if (path.empty() || path.find('\0') != std::string_view::npos || path[0] == '/' ||
        path[0] == '\\' || (path.size() >= 2 && path[1] == ':')) {
        return false;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = path.find_first_of("/\\", start);
        if (path.substr(start, end - start) == "..") {
            return false;
        }
        if (end == std::string_view::npos) {
            return true;
        }
        start = end + 1;
    }
}

void resolveMaterials(RawModel& raw, const SiblingReader& readSibling, MemoryBudget& budget,
                      std::vector<std::string>& notes) {
    if (raw.colorBinding == ColorBinding::PerMaterial) {
        std::unordered_map<std::string_view, std::uint32_t> index;
        for (std::uint32_t m = 0; m < raw.materialNames.size(); ++m) {
            index.emplace(raw.materialNames[m], m);
        }
        std::vector<Vec3> colors(raw.materialNames.size(), kDefaultMaterialColor);
        std::vector<bool> found(raw.materialNames.size(), false);
        for (const std::string& library : raw.materialLibraries) {
            std::vector<std::uint8_t> bytes;
            SiblingStatus status = SiblingStatus::Missing;
            if (!isSiblingPath(library)) {
                notes.push_back("materials file outside the model's folder: " + library);
                continue;
            }
            const std::uint64_t room = std::min(kMaxMaterialsFile, budget.limit() - budget.used());
            if (readSibling) {
                status = readSibling(library, room, bytes);
            }
            if (status == SiblingStatus::Missing) {
                notes.push_back("materials file not found: " + library);
            } else if (status == SiblingStatus::Unreadable || bytes.size() > room) {
                notes.push_back("materials file not read: " + library);
            } else {
                readMaterials(bytes, index, colors, found);
            }
        }
        bool anyFound = false;
        for (const bool f : found) {
            anyFound = anyFound || f;
        }
        if (anyFound && budget.charge(colors.size() * sizeof(Vec3))) {
            raw.materialColors = std::move(colors);
        } else {
            raw.colorBinding = ColorBinding::None;
        }
    }
    if (raw.colorBinding != ColorBinding::PerMaterial) {
        freeVector(raw.materialRuns, budget);
    }
    freeVector(raw.materialNames, budget);
    freeVector(raw.materialLibraries, budget);
}

SiblingReader siblingsOnDisk(const std::string& modelPath) {
    const std::string folder = folderOf(modelPath);
    return [folder](const std::string& relativePath, std::uint64_t maxBytes,
                    std::vector<std::uint8_t>& bytes) {
        std::string path = folder + relativePath;
#if !defined(_WIN32)
        for (char& c : path) {
            c = c == '\\' ? '/' : c;
        }
#endif
        InputFile file;
        std::string reason;
        if (!file.open(path, reason)) {
            return reason.rfind("cannot open", 0) == 0 ? SiblingStatus::Missing
                                                       : SiblingStatus::Unreadable;
        }
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
        // A link may lead out of the model's folder: what the path resolves
        // to must lie inside what the folder resolves to.
        char* resolvedFile = realpath(path.c_str(), nullptr);
        char* resolvedFolder = realpath(folder.empty() ? "." : folder.c_str(), nullptr);
        std::string inside = resolvedFolder != nullptr ? resolvedFolder : "";
        if (inside.empty() || inside.back() != '/') {
            inside += '/';
        }
        const bool within = resolvedFile != nullptr && resolvedFolder != nullptr &&
                            std::string(resolvedFile).rfind(inside, 0) == 0;
        std::free(resolvedFile);
        std::free(resolvedFolder);
        if (!within) {
            return SiblingStatus::Unreadable;
        }
#endif
        if (file.size() > maxBytes) {
            return SiblingStatus::Unreadable;
        }
        bytes.resize(static_cast<std::size_t>(file.size()));
        std::size_t got = 0;
        if (!file.read(bytes.data(), bytes.size(), got)) {
            return SiblingStatus::Unreadable;
        }
        bytes.resize(got);
        return SiblingStatus::Read;
    };
}

} // namespace model
