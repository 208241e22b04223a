// PLY, ASCII and binary (little- and big-endian). The header declares
// elements in file order, each with a count and its properties; of them:
//  - vertex: x, y and z (any numeric type) and, when all three are there,
//    nx, ny and nz, and red, green and blue (else diffuse_red,
//    diffuse_green and diffuse_blue); every other property is passed over
//    by its type;
//  - face: the list vertex_indices (or vertex_index) of any integer count
//    and index types; indices count from 0;
//  - every other element is passed over whole.
// Header lines other than ply, format, comment, obj_info, element, property
// and end_header are taken as comments, as some writers put free text
// there. Before anything is allocated, the counts are checked against the
// bytes after the header: each value of an ASCII item takes at least two
// bytes (a digit and a separator), each value of a binary one its type's
// size (a list at least its count).
#include "model/bytes.h"
#include "model/chunked_reader.h"
#include "model/decimal.h"
#include "model/model_reader.h"
#include "model/text_scanner.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <utility>

namespace model {

namespace {

enum class Type { Int8, UInt8, Int16, UInt16, Int32, UInt32, Float32, Float64 };

struct TypeName {
    const char* name;
    Type type;
};
constexpr TypeName kTypeNames[] = {
    {"char", Type::Int8},       {"int8", Type::Int8},       {"uchar", Type::UInt8},
    {"uint8", Type::UInt8},     {"short", Type::Int16},     {"int16", Type::Int16},
    {"ushort", Type::UInt16},   {"uint16", Type::UInt16},   {"int", Type::Int32},
    {"int32", Type::Int32},     {"uint", Type::UInt32},     {"uint32", Type::UInt32},
    {"float", Type::Float32},   {"float32", Type::Float32}, {"double", Type::Float64},
    {"float64", Type::Float64},
};

bool typeNamed(std::string_view name, Type& type) {
    for (const TypeName& t : kTypeNames) {
        if (name == t.name) {
            type = t.type;
            return true;
        }
    }
    return false;
}

std::size_t sizeOf(Type type) {
    switch (type) {
    case Type::Int8:
    case Type::UInt8:
        return 1;
    case Type::Int16:
    case Type::UInt16:
        return 2;
    case Type::Float64:
        return 8;
    default:
        return 4;
    }
}

bool isInteger(Type type) {
    return type != Type::Float32 && type != Type::Float64;
}

// What the reader does with a property's values.
enum class Role { Skip, X, Y, Z, NX, NY, NZ, Red, Green, Blue, Indices };

struct Property {
    std::string name;
    Type type = Type::Float32;
    bool list = false;
    Type countType = Type::UInt8;
    Role role = Role::Skip;
};

struct Element {
    std::string name;
    std::uint64_t count = 0;
    std::uint64_t line = 0;
    std::vector<Property> properties;
};

enum class Encoding { Ascii, LittleEndian, BigEndian };

std::uint64_t saturatingMultiply(std::uint64_t a, std::uint64_t b) {
    if (a != 0 && b > UINT64_MAX / a) {
        return UINT64_MAX;
    }
    return a * b;
}

std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
    return b > UINT64_MAX - a ? UINT64_MAX : a + b;
}

class PlyReader {
  public:
    PlyReader(std::span<const std::uint8_t> bytes, RawModel& model, MemoryBudget& budget,
              ReadFailure& failure)
        : bytes_(bytes), model_(model), budget_(budget), failure_(failure) {}

    bool read() {
        if (!prepare()) {
            return false;
        }
        for (const Element& element : elements_) {
            // An element without properties has nothing to read, however
            // many items it declares (so no count makes the loop long).
            if (element.properties.empty()) {
                continue;
            }
            if (!(encoding_ == Encoding::Ascii ? readAscii(element) : readBinary(element))) {
                return false;
            }
        }
        finish();
        return true;
    }

    // The header, checked, and the vertices allocated.
    bool prepare() { return readHeader() && checkElements() && checkSize() && allocate(); }

    void finish() {
        model_.normalBinding = hasNormals_ && !model_.corners.empty() ? NormalBinding::PerPosition
                                                                      : NormalBinding::None;
        model_.colorBinding = hasColors_ ? ColorBinding::PerPosition : ColorBinding::None;
    }

    // --- ASCII, fast ---------------------------------------------------------
    // For files of a vertex element without lists and then a face element
    // of the index list alone, each item on a line of its own (the common
    // layout): the lines after the header are the items in order, so a
    // piece of lines can be read knowing only its first line's number.

    bool asciiLayout() const {
        std::uint64_t ignored = 0;
        return encoding_ == Encoding::Ascii && elements_.size() == 2 &&
               elements_[0].name == "vertex" && fixedItem(elements_[0], ignored) &&
               elements_[1].name == "face" && elements_[1].properties.size() == 1 &&
               elements_[1].properties[0].role == Role::Indices;
    }

    std::size_t bodyStart() const { return bodyStart_; }
    std::uint64_t itemCount() const { return elements_[0].count + elements_[1].count; }

    // Lines [begin, end) of the body, the first being item `item`: stores
    // the vertices and appends the faces' triangles to `corners`. False to
    // give up: a line that is not one item as readAscii would read it.
    bool asciiLines(std::size_t begin, std::size_t end, std::uint64_t item,
                    std::vector<std::uint32_t>& corners, std::vector<std::uint32_t>& face) {
        const char* p = reinterpret_cast<const char*>(bytes_.data()) + begin;
        const char* const stop = reinterpret_cast<const char*>(bytes_.data()) + end;
        const Element& vertices = elements_[0];
        for (; p < stop && item < itemCount(); ++item) {
            if (item < vertices.count) {
                for (const Property& property : vertices.properties) {
                    const std::string_view word = nextWordOfLine(p, stop);
                    if (word.empty() || !asciiValue(property, item, word)) {
                        return false;
                    }
                }
            } else {
                std::int64_t count = 0;
                if (parseInteger(nextWordOfLine(p, stop), count) != NumberStatus::Ok || count < 3 ||
                    static_cast<std::uint64_t>(count) > bytes_.size()) {
                    return false;
                }
                face.clear();
                for (std::int64_t k = 0; k < count; ++k) {
                    std::int64_t index = 0;
                    if (parseInteger(nextWordOfLine(p, stop), index) != NumberStatus::Ok ||
                        index < 0 || static_cast<std::uint64_t>(index) >= vertexCount_) {
                        return false;
                    }
                    face.push_back(static_cast<std::uint32_t>(index));
                }
                for (std::size_t k = 1; k + 1 < face.size(); ++k) {
                    corners.push_back(face[0]);
                    corners.push_back(face[k]);
                    corners.push_back(face[k + 1]);
                }
            }
            // Nothing more on the line.
            if (!nextWordOfLine(p, stop).empty()) {
                return false;
            }
            p += p < stop ? 1 : 0;
        }
        // Every line of the piece is an item (what follows the last item is
        // not read, as readAscii does not).
        return p >= stop || item >= itemCount();
    }

    // One vertex value as readAscii takes it.
    bool asciiValue(const Property& property, std::uint64_t item, std::string_view word) {
        if (property.role == Role::Skip) {
            return true;
        }
        float value = 0.0f;
        const NumberStatus status = parseFloat(word, value);
        if (property.role >= Role::Red && property.role <= Role::Blue) {
            storeColor(property.role, item, property.type,
                       status == NumberStatus::Ok ? value : 0.0);
            return true;
        }
        if (property.role <= Role::Z) {
            if (status != NumberStatus::Ok) {
                return false;
            }
            (property.role == Role::X   ? model_.positions[item].x
             : property.role == Role::Y ? model_.positions[item].y
                                        : model_.positions[item].z) = value;
            return true;
        }
        if (status == NumberStatus::Malformed) {
            return false;
        }
        Vec3& n = model_.normals[item];
        (property.role == Role::NX   ? n.x
         : property.role == Role::NY ? n.y
                                     : n.z) = status == NumberStatus::Ok ? value : NAN;
        return true;
    }

    // --- the fast binary path ------------------------------------------------
    // The same values as readBinary, item by item, for binary files whose
    // vertex element has no lists and float x, y, z (and nx, ny, nz), and
    // whose face element is the index list alone. False where it gives up
    // (another layout, or anything readBinary would refuse); `next` is the
    // next item of element `element` to read, up to `items` more of them.

    bool binary() const { return encoding_ != Encoding::Ascii; }
    const std::vector<Element>& elements() const { return elements_; }
    std::size_t offset() const { return offset_; }

    static bool fixedItem(const Element& element, std::uint64_t& itemSize) {
        itemSize = 0;
        for (const Property& property : element.properties) {
            if (property.list) {
                return false;
            }
            itemSize += sizeOf(property.type);
        }
        return true;
    }

    bool fastElement(const Element& element, std::uint64_t& next, std::uint64_t items) {
        std::uint64_t itemSize = 0;
        const bool fixed = fixedItem(element, itemSize);
        if (element.properties.empty() || (fixed && element.name != "vertex")) {
            if (saturatingMultiply(element.count, itemSize) > bytes_.size() - offset_) {
                return false;
            }
            offset_ += element.count * itemSize;
            next = element.count;
            return true;
        }
        if (element.name == "vertex" && fixed) {
            return fastVertices(element, itemSize, next, items);
        }
        if (element.name == "face" && element.properties.size() == 1) {
            return fastFaces(element.properties[0], next, items);
        }
        return false;
    }

    bool fastVertices(const Element& element, std::uint64_t itemSize, std::uint64_t& next,
                      std::uint64_t items) {
        struct Field {
            std::size_t at;
            Role role;
            Type type;
        };
        // The coordinates apart (every vertex has them); the normals and
        // colours, where there are any, field by field.
        std::size_t xyz[3] = {};
        Field fields[9];
        std::size_t fieldCount = 0;
        std::size_t at = 0;
        for (const Property& property : element.properties) {
            if (property.role != Role::Skip) {
                const bool color = property.role >= Role::Red && property.role <= Role::Blue;
                if (!color && property.type != Type::Float32) {
                    return false;
                }
                if (property.role <= Role::Z) {
                    xyz[static_cast<int>(property.role) - 1] = at;
                } else {
                    fields[fieldCount++] = Field{at, property.role, property.type};
                }
            }
            at += sizeOf(property.type);
        }
        const std::uint64_t end = std::min(element.count, next + items);
        if (saturatingMultiply(end - next, itemSize) > bytes_.size() - offset_) {
            return false;
        }
        const bool big = encoding_ == Encoding::BigEndian;
        for (; next < end; ++next, offset_ += itemSize) {
            const std::uint8_t* item = bytes_.data() + offset_;
            const Vec3 p{loadFloat(item + xyz[0], big), loadFloat(item + xyz[1], big),
                         loadFloat(item + xyz[2], big)};
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
                return false;
            }
            model_.positions[next] = p;
            for (std::size_t f = 0; f < fieldCount; ++f) {
                const Field& field = fields[f];
                const std::uint8_t* value = item + field.at;
                if (field.role >= Role::Red && field.role <= Role::Blue) {
                    storeColor(field.role, next, field.type, valueOf(value, field.type, big));
                    continue;
                }
                Vec3& n = model_.normals[next];
                (field.role == Role::NX   ? n.x
                 : field.role == Role::NY ? n.y
                                          : n.z) = loadFloat(value, big);
            }
        }
        return true;
    }

    bool fastFaces(const Property& property, std::uint64_t& next, std::uint64_t items) {
        if (property.role != Role::Indices) {
            return false;
        }
        const bool big = encoding_ == Encoding::BigEndian;
        const std::size_t countSize = sizeOf(property.countType);
        const std::size_t indexSize = sizeOf(property.type);
        const Element& faces = *std::find_if(elements_.begin(), elements_.end(),
                                             [](const Element& e) { return e.name == "face"; });
        const std::uint64_t end = std::min(faces.count, next + items);
        if (countSize == 1 && indexSize == 4 && !smallFaces(property, next, end)) {
            return false;
        }
        std::uint32_t corners[3];
        for (; next < end; ++next) {
            if (countSize > bytes_.size() - offset_) {
                return false;
            }
            const double count = valueOf(bytes_.data() + offset_, property.countType, big);
            if (!(count >= 3.0) || count * static_cast<double>(indexSize) >
                                       static_cast<double>(bytes_.size() - offset_ - countSize)) {
                return false;
            }
            offset_ += countSize;
            const auto n = static_cast<std::uint64_t>(count);
            if (!makeRoom(model_.corners, 3 * (n - 2), budget_)) {
                return false;
            }
            for (std::uint64_t k = 0; k < n; ++k, offset_ += indexSize) {
                const double value = valueOf(bytes_.data() + offset_, property.type, big);
                if (!(value >= 0.0) || value >= static_cast<double>(vertexCount_)) {
                    return false;
                }
                const auto index = static_cast<std::uint32_t>(value);
                if (k < 2) {
                    corners[k] = index;
                    continue;
                }
                corners[2] = index;
                model_.corners.insert(model_.corners.end(), {corners[0], corners[1], corners[2]});
                corners[1] = index;
            }
        }
        return true;
    }

    // Faces of 32-bit indices after a one-byte count, the common layout,
    // up to `end` or the first face of fewer than three corners (left for
    // the general loop, which gives up on it).
    bool smallFaces(const Property& property, std::uint64_t& next, std::uint64_t end) {
        const bool big = encoding_ == Encoding::BigEndian;
        const std::uint32_t signBit = property.type == Type::Int32 ? 0x80000000u : 0;
        std::vector<std::uint32_t>& corners = model_.corners;
        // Room for faces like the first; others grow the list as needed.
        const std::uint64_t firstCount = offset_ < bytes_.size() ? bytes_[offset_] : 3;
        if (next < end && firstCount >= 3 &&
            !makeRoom(corners, 3 * (firstCount - 2) * (end - next), budget_)) {
            return false;
        }
        for (; next < end && offset_ < bytes_.size(); ++next) {
            const std::uint32_t count = bytes_[offset_];
            if (count < 3 || bytes_.size() - offset_ - 1 < 4 * std::size_t{count}) {
                return true;
            }
            if (corners.capacity() - corners.size() < 3 * (count - 2) &&
                !makeRoom(corners, 3 * (count - 2), budget_)) {
                return false;
            }
            const std::uint8_t* p = bytes_.data() + offset_ + 1;
            const std::uint32_t first = load32(p, big);
            std::uint32_t previous = load32(p + 4, big);
            std::uint32_t all = first | previous;
            bool inRange = first < vertexCount_ && previous < vertexCount_;
            for (std::uint32_t k = 2; k < count; ++k) {
                const std::uint32_t index = load32(p + 4 * k, big);
                all |= index;
                inRange = inRange && index < vertexCount_;
                corners.push_back(first);
                corners.push_back(previous);
                corners.push_back(index);
                previous = index;
            }
            if ((all & signBit) != 0 || !inRange) {
                return false;
            }
            offset_ += 1 + 4 * std::size_t{count};
        }
        return true;
    }

    // A value of `type` at `p`, widened as take() widens it.
    static double valueOf(const std::uint8_t* p, Type type, bool big) {
        switch (type) {
        case Type::Int8:
            return static_cast<std::int8_t>(p[0]);
        case Type::UInt8:
            return p[0];
        case Type::Int16:
            return static_cast<std::int16_t>(load16(p, big));
        case Type::UInt16:
            return load16(p, big);
        case Type::Int32:
            return static_cast<std::int32_t>(load32(p, big));
        case Type::UInt32:
            return load32(p, big);
        case Type::Float32:
            return loadFloat(p, big);
        case Type::Float64:
            return loadDouble(p, big);
        }
        return 0.0;
    }

  private:
    bool failLine(std::uint64_t line, std::string reason) {
        failure_ = failAtLine(line, std::move(reason));
        return false;
    }
    bool failByte(std::uint64_t offset, std::string reason) {
        failure_ = failAtByte(offset, std::move(reason));
        return false;
    }
    bool failHere(std::string reason) {
        return encoding_ == Encoding::Ascii ? failLine(ascii_.line(), std::move(reason))
                                            : failByte(valueAt_, std::move(reason));
    }

    // --- the header ----------------------------------------------------------

    bool readHeader() {
        TextScanner scan(bytes_, 0, 1, false);
        if (scan.word() != "ply" || !scan.word().empty()) {
            return failLine(1, "not a PLY file: it does not begin with the line 'ply'");
        }
        scan.nextLine();
        bool formatSeen = false;
        while (!scan.atEnd()) {
            const std::string_view keyword = scan.word();
            const std::uint64_t line = scan.line();
            if (keyword == "end_header") {
                if (!formatSeen) {
                    return failLine(line, "the header has no format line");
                }
                scan.nextLine();
                bodyStart_ = scan.offset();
                bodyLine_ = scan.currentLine();
                return true;
            }
            if (keyword == "format") {
                const std::string_view encoding = scan.word();
                if (encoding == "ascii") {
                    encoding_ = Encoding::Ascii;
                } else if (encoding == "binary_little_endian") {
                    encoding_ = Encoding::LittleEndian;
                } else if (encoding == "binary_big_endian") {
                    encoding_ = Encoding::BigEndian;
                } else {
                    return failLine(line, "unknown format " + quoted(encoding));
                }
                formatSeen = true;
            } else if (keyword == "element") {
                if (!readElement(scan, line)) {
                    return false;
                }
            } else if (keyword == "property") {
                if (!readProperty(scan, line)) {
                    return false;
                }
            }
            // comment, obj_info and free text: nothing to read.
            scan.nextLine();
        }
        return failLine(scan.currentLine(), "the header has no end_header line");
    }

    bool readElement(TextScanner& scan, std::uint64_t line) {
        Element element;
        element.name = std::string(scan.word());
        element.line = line;
        const std::string_view countWord = scan.word();
        std::int64_t count = 0;
        const NumberStatus status = parseInteger(countWord, count);
        if (element.name.empty() || status != NumberStatus::Ok || count < 0) {
            return failLine(line, "an element needs a name and a count, not " +
                                      quoted(element.name + " " + std::string(countWord)));
        }
        element.count = static_cast<std::uint64_t>(count);
        if (!makeRoom(elements_, 1, budget_)) {
            return failLine(line, tooLargeReason(budget_));
        }
        elements_.push_back(std::move(element));
        return true;
    }

    bool readProperty(TextScanner& scan, std::uint64_t line) {
        if (elements_.empty()) {
            return failLine(line, "a property before any element");
        }
        Property property;
        std::string_view typeWord = scan.word();
        if (typeWord == "list") {
            property.list = true;
            const std::string_view countWord = scan.word();
            if (!typeNamed(countWord, property.countType)) {
                return failLine(line, "unknown property type " + quoted(countWord));
            }
            if (!isInteger(property.countType)) {
                return failLine(line, "a list length must have a whole-number type, not " +
                                          quoted(countWord));
            }
            typeWord = scan.word();
        }
        if (!typeNamed(typeWord, property.type)) {
            return failLine(line, "unknown property type " + quoted(typeWord));
        }
        property.name = std::string(scan.word());
        if (property.name.empty()) {
            return failLine(line, "a property needs a name");
        }
        std::vector<Property>& properties = elements_.back().properties;
        if (!makeRoom(properties, 1, budget_)) {
            return failLine(line, tooLargeReason(budget_));
        }
        properties.push_back(std::move(property));
        return true;
    }

    // Gives the properties their roles and checks what the model needs.
    bool checkElements() {
        bool vertexSeen = false;
        bool faceSeen = false;
        for (Element& element : elements_) {
            if (element.name == "vertex") {
                if (vertexSeen) {
                    return failLine(element.line, "a second vertex element");
                }
                vertexSeen = true;
                if (!assignVertexRoles(element)) {
                    return false;
                }
                vertexCount_ = element.count;
            } else if (element.name == "face") {
                if (faceSeen) {
                    return failLine(element.line, "a second face element");
                }
                faceSeen = true;
                if (!assignFaceRole(element)) {
                    return false;
                }
            }
        }
        if (vertexCount_ > UINT32_MAX) {
            return failLine(lineOf("vertex"), "more than 4294967295 vertices");
        }
        return true;
    }

    std::uint64_t lineOf(const char* name) const {
        for (const Element& element : elements_) {
            if (element.name == name) {
                return element.line;
            }
        }
        return 1;
    }

    bool assignVertexRoles(Element& element) {
        constexpr std::pair<const char*, Role> kRoles[] = {
            {"x", Role::X},   {"y", Role::Y},   {"z", Role::Z},
            {"nx", Role::NX}, {"ny", Role::NY}, {"nz", Role::NZ},
        };
        int found[6] = {};
        for (Property& property : element.properties) {
            for (std::size_t r = 0; r < 6; ++r) {
                if (property.name == kRoles[r].first && !property.list && found[r] == 0) {
                    property.role = kRoles[r].second;
                    found[r] = 1;
                }
            }
        }
        if (found[0] + found[1] + found[2] != 3) {
            return failLine(element.line, "the vertex element has no x, y and z");
        }
        hasNormals_ = found[3] + found[4] + found[5] == 3;
        if (!hasNormals_) {
            for (Property& property : element.properties) {
                if (property.role == Role::NX || property.role == Role::NY ||
                    property.role == Role::NZ) {
                    property.role = Role::Skip;
                }
            }
        }
        hasColors_ = assignColorRoles(element, "") || assignColorRoles(element, "diffuse_");
        return true;
    }

    // red, green and blue with the prefix, all three or none.
    static bool assignColorRoles(Element& element, const std::string& prefix) {
        const std::string names[3] = {prefix + "red", prefix + "green", prefix + "blue"};
        constexpr Role kRoles[3] = {Role::Red, Role::Green, Role::Blue};
        Property* found[3] = {};
        for (Property& property : element.properties) {
            for (std::size_t c = 0; c < 3; ++c) {
                if (property.name == names[c] && !property.list && property.role == Role::Skip &&
                    found[c] == nullptr) {
                    found[c] = &property;
                }
            }
        }
        if (found[0] == nullptr || found[1] == nullptr || found[2] == nullptr) {
            return false;
        }
        for (std::size_t c = 0; c < 3; ++c) {
            found[c]->role = kRoles[c];
        }
        return true;
    }

    bool assignFaceRole(Element& element) {
        for (Property& property : element.properties) {
            if (property.list &&
                (property.name == "vertex_indices" || property.name == "vertex_index")) {
                if (!isInteger(property.type) || !isInteger(property.countType)) {
                    return failLine(element.line, "the face indices are not whole numbers");
                }
                property.role = Role::Indices;
                return true;
            }
        }
        return failLine(element.line, "the face element has no vertex_indices list");
    }

    // Counts against the bytes that follow the header, before any allocation.
    bool checkSize() {
        const std::uint64_t available = bytes_.size() - bodyStart_;
        std::uint64_t needed = 0;
        for (const Element& element : elements_) {
            std::uint64_t item = 0;
            for (const Property& property : element.properties) {
                item += encoding_ == Encoding::Ascii
                            ? 2
                            : sizeOf(property.list ? property.countType : property.type);
            }
            needed = saturatingAdd(needed, saturatingMultiply(element.count, item));
            // The last ASCII value needs no separator after it.
            const std::uint64_t least =
                encoding_ == Encoding::Ascii && needed > 0 ? needed - 1 : needed;
            if (least > available) {
                return failLine(element.line,
                                "the header declares " + std::to_string(element.count) + " " +
                                    quoted(element.name) + " items, more than the " +
                                    std::to_string(available) + " bytes after the header can hold");
            }
        }
        return true;
    }

    bool allocate() {
        const std::uint64_t perVertex =
            sizeof(Vec3) * (1 + (hasNormals_ ? 1 : 0) + (hasColors_ ? 1 : 0));
        if (!budget_.charge(saturatingMultiply(vertexCount_, perVertex))) {
            return failLine(lineOf("vertex"), tooLargeReason(budget_));
        }
        model_.positions.resize(vertexCount_);
        if (hasNormals_) {
            model_.normals.resize(vertexCount_);
        }
        if (hasColors_) {
            model_.colors.resize(vertexCount_);
        }
        ascii_ = TextScanner(bytes_, bodyStart_, bodyLine_, false);
        offset_ = bodyStart_;
        return true;
    }

    // --- values --------------------------------------------------------------

    // Stores a colour value of `type` (item 8's scales).
    void storeColor(Role role, std::uint64_t item, Type type, double value) {
        const double scale = type == Type::UInt16 ? 65535.0 : isInteger(type) ? 255.0 : 1.0;
        Vec3& c = model_.colors[item];
        (role == Role::Red ? c.x : role == Role::Green ? c.y : c.z) = colorValue(value / scale);
    }

    // Stores a vertex value; positions must be finite.
    bool store(Role role, std::uint64_t item, float value) {
        if (role >= Role::X && role <= Role::Z) {
            if (!std::isfinite(value)) {
                return failHere("a vertex coordinate is not a finite number");
            }
            Vec3& p = model_.positions[item];
            (role == Role::X ? p.x : role == Role::Y ? p.y : p.z) = value;
        } else if (role >= Role::NX && role <= Role::NZ) {
            // A normal that is not finite is kept: the loader then computes
            // the model's normals instead.
            Vec3& n = model_.normals[item];
            (role == Role::NX ? n.x : role == Role::NY ? n.y : n.z) = value;
        }
        return true;
    }

    bool addCorner(std::int64_t index) {
        if (index < 0 || static_cast<std::uint64_t>(index) >= vertexCount_) {
            return failHere("index " + std::to_string(index) + " is out of range: the file has " +
                            std::to_string(vertexCount_) + " vertices");
        }
        if (!makeRoom(corners_, 1, budget_)) {
            return failHere(tooLargeReason(budget_));
        }
        corners_.push_back(static_cast<std::uint32_t>(index));
        return true;
    }

    bool finishFace() {
        if (corners_.size() < 3) {
            return failHere("a face needs at least three corners, this one has " +
                            std::to_string(corners_.size()));
        }
        if (!addFace(model_, corners_, {}, budget_)) {
            return failHere(tooLargeReason(budget_));
        }
        return true;
    }

    // --- ASCII ---------------------------------------------------------------

    bool nextWord(const Element& element, std::string_view& word) {
        word = ascii_.anyWord();
        if (word.empty()) {
            return failLine(ascii_.line(),
                            "the file ends inside the " + quoted(element.name) + " items");
        }
        return true;
    }

    bool readAscii(const Element& element) {
        const bool isVertex = element.name == "vertex";
        for (std::uint64_t item = 0; item < element.count; ++item) {
            for (const Property& property : element.properties) {
                std::string_view word;
                if (!nextWord(element, word)) {
                    return false;
                }
                if (property.list) {
                    std::int64_t count = 0;
                    if (parseInteger(word, count) != NumberStatus::Ok || count < 0 ||
                        static_cast<std::uint64_t>(count) > bytes_.size()) {
                        return failLine(ascii_.line(), quoted(word) + " is not a list length");
                    }
                    corners_.clear();
                    for (std::int64_t k = 0; k < count; ++k) {
                        if (!nextWord(element, word)) {
                            return false;
                        }
                        if (property.role == Role::Indices) {
                            std::int64_t index = 0;
                            if (parseInteger(word, index) != NumberStatus::Ok) {
                                return failLine(ascii_.line(),
                                                quoted(word) + " is not a vertex index");
                            }
                            if (!addCorner(index)) {
                                return false;
                            }
                        }
                    }
                    if (property.role == Role::Indices && !finishFace()) {
                        return false;
                    }
                } else if (isVertex && property.role >= Role::Red && property.role <= Role::Blue) {
                    float value = 0.0f;
                    const bool number = parseFloat(word, value) == NumberStatus::Ok;
                    storeColor(property.role, item, property.type, number ? value : 0.0);
                } else if (isVertex && property.role != Role::Skip) {
                    float value = 0.0f;
                    const NumberStatus status = parseFloat(word, value);
                    const bool normal = property.role >= Role::NX;
                    if (status == NumberStatus::Malformed ||
                        (!normal && status != NumberStatus::Ok)) {
                        return failLine(ascii_.line(), numberReason(status, word));
                    }
                    if (status != NumberStatus::Ok) {
                        value = NAN;
                    }
                    if (!store(property.role, item, value)) {
                        return false;
                    }
                }
            }
        }
        return true;
    }

    // --- binary --------------------------------------------------------------

    // The next value of `type`, widened; fails at the end of the file.
    bool take(Type type, const Element& element, double& value) {
        const std::size_t size = sizeOf(type);
        valueAt_ = offset_;
        if (size > bytes_.size() - offset_) {
            return failByte(offset_, "the file ends inside the " + quoted(element.name) + " items");
        }
        const std::uint8_t* p = bytes_.data() + offset_;
        offset_ += size;
        const bool big = encoding_ == Encoding::BigEndian;
        switch (type) {
        case Type::Int8:
            value = static_cast<std::int8_t>(p[0]);
            break;
        case Type::UInt8:
            value = p[0];
            break;
        case Type::Int16:
            value = static_cast<std::int16_t>(load16(p, big));
            break;
        case Type::UInt16:
            value = load16(p, big);
            break;
        case Type::Int32:
            value = static_cast<std::int32_t>(load32(p, big));
            break;
        case Type::UInt32:
            value = load32(p, big);
            break;
        case Type::Float32:
            value = loadFloat(p, big);
            break;
        case Type::Float64:
            value = loadDouble(p, big);
            break;
        }
        return true;
    }

    bool readBinary(const Element& element) {
        bool fixedSize = true;
        std::uint64_t itemSize = 0;
        for (const Property& property : element.properties) {
            fixedSize = fixedSize && !property.list;
            itemSize += sizeOf(property.type);
        }
        if (fixedSize && element.name != "vertex") {
            // Nothing to read: pass the items whole.
            if (saturatingMultiply(element.count, itemSize) > bytes_.size() - offset_) {
                return failByte(offset_,
                                "the file ends inside the " + quoted(element.name) + " items");
            }
            offset_ += element.count * itemSize;
            return true;
        }
        for (std::uint64_t item = 0; item < element.count; ++item) {
            for (const Property& property : element.properties) {
                double value = 0.0;
                if (!property.list) {
                    if (!take(property.type, element, value)) {
                        return false;
                    }
                    if (property.role >= Role::Red && property.role <= Role::Blue) {
                        storeColor(property.role, item, property.type, value);
                        continue;
                    }
                    // Doubles and 32-bit integers round to the nearest float.
                    if (property.role != Role::Skip &&
                        !store(property.role, item, static_cast<float>(value))) {
                        return false;
                    }
                    continue;
                }
                if (!take(property.countType, element, value)) {
                    return false;
                }
                const std::size_t itemBytes = sizeOf(property.type);
                // (List lengths have whole-number types, so value is one.)
                if (value < 0 || value * static_cast<double>(itemBytes) >
                                     static_cast<double>(bytes_.size() - offset_)) {
                    return failByte(valueAt_, "a list of " +
                                                  std::to_string(static_cast<std::int64_t>(value)) +
                                                  " items runs past the end of the file");
                }
                const auto count = static_cast<std::uint64_t>(value);
                if (property.role != Role::Indices) {
                    offset_ += count * itemBytes;
                    continue;
                }
                corners_.clear();
                for (std::uint64_t k = 0; k < count; ++k) {
                    if (!take(property.type, element, value) ||
                        !addCorner(static_cast<std::int64_t>(value))) {
                        return false;
                    }
                }
                if (!finishFace()) {
                    return false;
                }
            }
        }
        return true;
    }

    std::span<const std::uint8_t> bytes_;
    RawModel& model_;
    MemoryBudget& budget_;
    ReadFailure& failure_;
    Encoding encoding_ = Encoding::Ascii;
    std::vector<Element> elements_;
    std::size_t bodyStart_ = 0;
    std::uint64_t bodyLine_ = 1;
    std::uint64_t vertexCount_ = 0;
    bool hasNormals_ = false;
    bool hasColors_ = false;
    TextScanner ascii_{{}, 0, 1, false};
    std::size_t offset_ = 0;  // binary: the next byte to read
    std::size_t valueAt_ = 0; // binary: where the value read last began
    std::vector<std::uint32_t> corners_;
};

// The fast binary path in chunks: the header as the general reader reads
// it, then each element in runs of items.
class PlyChunks final : public ChunkedReader {
  public:
    explicit PlyChunks(std::size_t chunkBytes)
        : chunkBytes_(std::max<std::size_t>(chunkBytes, 1)) {}

    Status step(std::span<const std::uint8_t> bytes, WorkerPool* pool,
                MemoryBudget& budget) override {
        if (!reader_) {
            reader_ = std::make_unique<PlyReader>(bytes, model_, budget, failure_);
            if (!reader_->prepare() || !(reader_->binary() || reader_->asciiLayout())) {
                return Status::General;
            }
            asciiAt_ = reader_->bodyStart();
        }
        if (!reader_->binary()) {
            return asciiStep(bytes, pool, budget);
        }
        // A step reads what is left of the current element, at most about
        // chunkBytes_ of it (16 bytes an item, a small vertex or face).
        const std::vector<Element>& elements = reader_->elements();
        for (; element_ < elements.size(); ++element_, next_ = 0) {
            if (!reader_->fastElement(elements[element_], next_, (chunkBytes_ + 15) / 16)) {
                return Status::General;
            }
            if (next_ < elements[element_].count) {
                return Status::More;
            }
        }
        reader_->finish();
        parsedAll_ = true;
        return Status::Done;
    }

    std::uint64_t parsed() const override {
        return parsedAll_                      ? UINT64_MAX
               : reader_ && !reader_->binary() ? asciiAt_
               : reader_                       ? reader_->offset()
                                               : 0;
    }
    RawModel take() override { return std::move(model_); }

  private:
    // Pieces of lines, two for every thread: their lines counted, then
    // read at once, each knowing its first item; the faces merged in order.
    Status asciiStep(std::span<const std::uint8_t> bytes, WorkerPool* pool, MemoryBudget& budget) {
        const std::size_t threads = pool != nullptr ? static_cast<std::size_t>(pool->size()) : 1;
        const std::size_t count = std::max<std::size_t>(2 * threads, 4);
        const std::vector<LinePiece> pieces =
            cutAtLines(bytes, asciiAt_, count, std::max<std::size_t>(chunkBytes_ / count, 1));
        struct Read {
            std::uint64_t lines = 0;
            bool ok = false;
            std::vector<std::uint32_t> corners;
        };
        std::vector<Read> reads(pieces.size());
        auto countLines = [&](std::size_t i) {
            reads[i].lines = static_cast<std::uint64_t>(
                std::count(bytes.begin() + static_cast<std::ptrdiff_t>(pieces[i].begin),
                           bytes.begin() + static_cast<std::ptrdiff_t>(pieces[i].end), '\n'));
        };
        runPieces(pool, pieces.size(), countLines);
        std::vector<std::uint64_t> firstItem(pieces.size());
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            firstItem[i] = item_;
            item_ += reads[i].lines;
        }
        auto readLines = [&](std::size_t i) {
            try {
                std::vector<std::uint32_t> face;
                reads[i].ok = firstItem[i] >= reader_->itemCount() ||
                              reader_->asciiLines(pieces[i].begin, pieces[i].end, firstItem[i],
                                                  reads[i].corners, face);
            } catch (...) {
                reads[i].ok = false;
            }
        };
        runPieces(pool, pieces.size(), readLines);
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            if (!reads[i].ok || !makeRoom(model_.corners, reads[i].corners.size(), budget)) {
                return Status::General;
            }
            model_.corners.insert(model_.corners.end(), reads[i].corners.begin(),
                                  reads[i].corners.end());
            asciiAt_ = pieces[i].end;
        }
        // A last line without its line end is an item too.
        const bool ended = asciiAt_ >= bytes.size();
        if (!ended && item_ < reader_->itemCount()) {
            return Status::More;
        }
        const std::uint64_t items = item_ + (ended && bytes.back() != '\n' ? 1 : 0);
        if (items < reader_->itemCount()) {
            return Status::General; // the file ends inside the items
        }
        reader_->finish();
        parsedAll_ = true;
        return Status::Done;
    }

    std::size_t asciiAt_ = 0; // ASCII: the next byte to read
    std::uint64_t item_ = 0;  // ASCII: the item of the line at asciiAt_

    std::size_t chunkBytes_;
    RawModel model_;
    ReadFailure failure_;
    std::unique_ptr<PlyReader> reader_;
    std::size_t element_ = 0;
    std::uint64_t next_ = 0;
    bool parsedAll_ = false;
};

} // namespace

std::unique_ptr<ChunkedReader> chunkedPlyReader(std::size_t chunkBytes) {
    return std::make_unique<PlyChunks>(chunkBytes);
}

bool readPly(std::span<const std::uint8_t> bytes, RawModel& model, MemoryBudget& budget,
             ReadFailure& failure) {
    model = RawModel{};
    return PlyReader(bytes, model, budget, failure).read();
}

} // namespace model
