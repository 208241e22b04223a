// Wavefront OBJ: the statements v (x y z, then r g b when the next three
// words are numbers; anything else after x y z is ignored: a w), vn
// (x y z), f (corners v, v/vt, v//vn or v/vt/vn; indices from 1, or back
// from -1 as the vertices defined so far), usemtl NAME (the material of the
// faces that follow) and mtllib (the materials files, read by the loader).
// Every other statement (vt, o, g, s, l, p and any unknown one) is passed
// over. A positive index may name a vertex defined later in the
// file; it is checked once the whole file is read. Texture indices must be
// whole numbers other than 0; what they name is not read.
#include "model/decimal.h"
#include "model/model_reader.h"
#include "model/obj_statements.h"
#include "model/text_scanner.h"

#include <string>

namespace model {

namespace {

// The largest positive index that named something not yet defined, and
// where it was.
struct Ahead {
    std::uint64_t index = 0;
    std::uint64_t line = 0;
};

class ObjReader {
  public:
    ObjReader(std::span<const std::uint8_t> bytes, RawModel& model, MemoryBudget& budget,
              ReadFailure& failure)
        : scan_(bytes, afterByteOrderMark(bytes), 1, true), model_(model), budget_(budget),
          failure_(failure) {}

    bool read() {
        while (!scan_.atEnd()) {
            const std::string_view keyword = scan_.word();
            bool ok = true;
            if (keyword == "v") {
                ok = readVector(model_.positions, "a vertex") && readVertexColor();
            } else if (keyword == "usemtl") {
                ok = useMaterial(scan_.word());
            } else if (keyword == "mtllib") {
                ok = addLibraries();
            } else if (keyword == "vn") {
                ok = readVector(model_.normals, "a normal");
            } else if (keyword == "f") {
                ok = readFace();
            }
            if (!ok) {
                return false;
            }
            scan_.nextLine();
        }
        if (positionsAhead_.index > model_.positions.size()) {
            return fail(positionsAhead_.line,
                        outOfRange(positionsAhead_.index, model_.positions.size(), "vertices"));
        }
        if (normalsAhead_.index > model_.normals.size()) {
            return fail(normalsAhead_.line,
                        outOfRange(normalsAhead_.index, model_.normals.size(), "normals"));
        }
        bindObjModel(model_, everyCornerHasNormal_, everyVertexHasColor_);
        return true;
    }

  private:
    bool fail(std::uint64_t line, std::string reason) {
        failure_ = failAtLine(line, std::move(reason));
        return false;
    }

    bool tooLarge() { return fail(scan_.line(), tooLargeReason(budget_)); }

    static std::string notACorner(std::string_view word) {
        return quoted(word) + " is not a face corner (v, v/vt, v//vn or v/vt/vn of whole numbers)";
    }

    static std::string outOfRange(std::uint64_t index, std::size_t defined, const char* what) {
        return "index " + std::to_string(index) + " is out of range: the file has " +
               std::to_string(defined) + " " + what;
    }

    // x, y and z; the rest of the line is left.
    bool readVector(std::vector<Vec3>& into, const char* what) {
        float xyz[3];
        for (float& value : xyz) {
            const std::string_view word = scan_.word();
            if (word.empty()) {
                return fail(scan_.line(), std::string(what) + " needs x, y and z");
            }
            const NumberStatus status = parseFloat(word, value);
            if (status != NumberStatus::Ok) {
                return fail(scan_.line(), numberReason(status, word));
            }
        }
        if (into.size() >= UINT32_MAX || !makeRoom(into, 1, budget_)) {
            return tooLarge();
        }
        into.push_back(Vec3{xyz[0], xyz[1], xyz[2]});
        return true;
    }

    // Words four to six of a v statement: the vertex's colour when all
    // three are numbers.
    bool readVertexColor() {
        const std::string_view red = scan_.word();
        const std::string_view green = scan_.word();
        const std::string_view blue = scan_.word();
        Vec3 color;
        everyVertexHasColor_ = everyVertexHasColor_ && vertexColor(red, green, blue, color);
        if (!everyVertexHasColor_) {
            if (model_.colors.capacity() != 0) {
                budget_.release(model_.colors.capacity() * sizeof(Vec3));
                freeAll(model_.colors);
            }
            return true;
        }
        if (!makeRoom(model_.colors, 1, budget_)) {
            return tooLarge();
        }
        model_.colors.push_back(color);
        return true;
    }

    bool useMaterial(std::string_view name) {
        return materials_.use(model_, model_.triangleCount(), name, budget_) || tooLarge();
    }

    bool addLibraries() {
        for (std::string_view word = scan_.word(); !word.empty(); word = scan_.word()) {
            if (!addLibrary(model_, word, budget_)) {
                return tooLarge();
            }
        }
        return true;
    }

    // One index of a corner into a list of `defined` items, 0-based in
    // `index`.
    bool resolve(std::string_view word, std::string_view text, std::size_t defined,
                 const char* what, Ahead& ahead, std::uint32_t& index) {
        std::int64_t value = 0;
        const NumberStatus status = parseInteger(text, value);
        if (status == NumberStatus::Malformed) {
            return fail(scan_.line(), notACorner(word));
        }
        if (status == NumberStatus::OutOfRange || value > INT64_C(0xffffffff) ||
            value < -INT64_C(0xffffffff)) {
            return fail(scan_.line(), "index " + std::string(text.substr(0, 32)) +
                                          " is out of range: the file has " +
                                          std::to_string(defined) + " " + what);
        }
        if (value == 0) {
            return fail(scan_.line(), "face corner " + quoted(word) +
                                          ": indices count from 1 (or back from -1), not 0");
        }
        if (value < 0) {
            const auto back = static_cast<std::uint64_t>(-value);
            if (back > defined) {
                return fail(scan_.line(),
                            "index " + std::to_string(value) + " reaches before the first of the " +
                                std::to_string(defined) + " " + what + " defined so far");
            }
            index = static_cast<std::uint32_t>(defined - back);
            return true;
        }
        const auto forward = static_cast<std::uint64_t>(value);
        if (forward > defined && forward > ahead.index) {
            ahead = Ahead{forward, scan_.line()};
        }
        index = static_cast<std::uint32_t>(forward - 1);
        return true;
    }

    bool readCorner(std::string_view word) {
        // Up to three parts separated by '/': v, v/vt, v//vn, v/vt/vn.
        std::string_view parts[3];
        std::size_t count = 0;
        std::size_t start = 0;
        for (;;) {
            const std::size_t slash = word.find('/', start);
            if (count == 3) {
                count = 4; // too many parts
                break;
            }
            parts[count++] = word.substr(start, slash - start);
            if (slash == std::string_view::npos) {
                break;
            }
            start = slash + 1;
        }
        const bool wellFormed = count <= 3 && !parts[0].empty() &&
                                (count < 2 || !parts[1].empty() || count == 3) &&
                                (count < 3 || !parts[2].empty());
        if (!wellFormed) {
            return fail(scan_.line(), notACorner(word));
        }
        std::uint32_t position = 0;
        if (!resolve(word, parts[0], model_.positions.size(), "vertices", positionsAhead_,
                     position)) {
            return false;
        }
        if (count >= 2 && !parts[1].empty()) {
            std::int64_t texture = 0;
            if (parseInteger(parts[1], texture) == NumberStatus::Malformed || texture == 0) {
                return fail(scan_.line(), "face corner " + quoted(word) +
                                              ": a texture index is a whole number other than 0");
            }
        }
        std::uint32_t normal = 0;
        const bool hasNormal = count == 3;
        if (hasNormal &&
            !resolve(word, parts[2], model_.normals.size(), "normals", normalsAhead_, normal)) {
            return false;
        }
        if (!makeRoom(corners_, 1, budget_) || !makeRoom(normals_, 1, budget_)) {
            return tooLarge();
        }
        corners_.push_back(position);
        everyCornerHasNormal_ = everyCornerHasNormal_ && hasNormal;
        if (everyCornerHasNormal_) {
            normals_.push_back(normal);
        }
        return true;
    }

    bool readFace() {
        corners_.clear();
        normals_.clear();
        for (std::string_view word = scan_.word(); !word.empty(); word = scan_.word()) {
            if (!readCorner(word)) {
                return false;
            }
        }
        if (corners_.size() < 3) {
            return fail(scan_.line(), "a face needs at least three corners, this one has " +
                                          std::to_string(corners_.size()));
        }
        if (!everyCornerHasNormal_ && !model_.cornerNormals.empty()) {
            // Normals cannot be used for this model: give their room back.
            budget_.release(model_.cornerNormals.capacity() * sizeof(std::uint32_t));
            freeAll(model_.cornerNormals);
        }
        if (!addFace(model_, corners_,
                     everyCornerHasNormal_ ? std::span<const std::uint32_t>(normals_)
                                           : std::span<const std::uint32_t>(),
                     budget_)) {
            return tooLarge();
        }
        return true;
    }

    TextScanner scan_;
    RawModel& model_;
    MemoryBudget& budget_;
    ReadFailure& failure_;
    std::vector<std::uint32_t> corners_; // of the face being read
    std::vector<std::uint32_t> normals_;
    bool everyCornerHasNormal_ = true;
    bool everyVertexHasColor_ = true;
    MaterialNames materials_;
    Ahead positionsAhead_;
    Ahead normalsAhead_;
};

} // namespace

bool readObj(std::span<const std::uint8_t> bytes, RawModel& model, MemoryBudget& budget,
             ReadFailure& failure) {
    model = RawModel{};
    return ObjReader(bytes, model, budget, failure).read();
}

} // namespace model
