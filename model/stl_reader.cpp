// STL, binary and ASCII. A file whose size is 84 + 50 x N, N being the
// little-endian count at byte 80, is binary, whatever its 80-byte header
// says (binary files whose header begins with "solid" are common). Any
// other file is ASCII: one or more "solid [name] ... endsolid [name]"
// blocks of "facet normal nx ny nz / outer loop / vertex x y z (three or
// more) / endloop / endfacet", keywords in any case. A file that begins
// with "solid" but has a zero byte early on is a binary one of the wrong
// size and is reported so.
//
// The facet normals are read (an ASCII one must be a number) but not used:
// many writers leave them zero, and the loader computes vertex normals
// after welding the corners by position.
#include "model/decimal.h"
#include "model/model_reader.h"
#include "model/text_scanner.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace model {

namespace {

constexpr std::size_t kHeaderBytes = 80;
constexpr std::size_t kFirstTriangle = 84;
constexpr std::size_t kTriangleBytes = 50;

std::uint32_t littleEndian32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

float littleEndianFloat(const std::uint8_t* p) {
    const std::uint32_t bits = littleEndian32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool sameWord(std::string_view word, std::string_view keyword) {
    if (word.size() != keyword.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        char c = word[i];
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        if (c != keyword[i]) {
            return false;
        }
    }
    return true;
}

bool readBinary(std::span<const std::uint8_t> bytes, std::uint32_t count, RawModel& model,
                MemoryBudget& budget, ReadFailure& failure) {
    const std::uint64_t corners = std::uint64_t{3} * count;
    if (!budget.charge(corners * (sizeof(Vec3) + sizeof(std::uint32_t)))) {
        failure = failAtByte(kHeaderBytes, tooLargeReason(budget));
        return false;
    }
    model.positions.resize(corners);
    model.corners.resize(corners);
    for (std::uint64_t k = 0; k < corners; ++k) {
        model.corners[k] = static_cast<std::uint32_t>(k);
    }
    for (std::uint64_t t = 0; t < count; ++t) {
        // A normal (ignored), three vertices, a 16-bit attribute (ignored).
        const std::size_t base = kFirstTriangle + t * kTriangleBytes;
        for (std::size_t v = 0; v < 3; ++v) {
            float xyz[3];
            for (std::size_t a = 0; a < 3; ++a) {
                const std::size_t at = base + 12 + v * 12 + a * 4;
                xyz[a] = littleEndianFloat(&bytes[at]);
                if (!std::isfinite(xyz[a])) {
                    failure = failAtByte(at, "a vertex coordinate is not a finite number");
                    return false;
                }
            }
            model.positions[3 * t + v] = Vec3{xyz[0], xyz[1], xyz[2]};
        }
    }
    return true;
}

class AsciiStlReader {
  public:
    AsciiStlReader(std::span<const std::uint8_t> bytes, RawModel& model, MemoryBudget& budget,
                   ReadFailure& failure)
        : scan_(bytes, afterByteOrderMark(bytes), 1, false), model_(model), budget_(budget),
          failure_(failure) {}

    bool read() {
        if (!sameWord(scan_.anyWord(), "solid")) {
            return fail("not an STL file: it neither begins with 'solid' nor has the size of a "
                        "binary one");
        }
        for (;;) {
            scan_.nextLine(); // the solid's name
            if (!readFacets()) {
                return false;
            }
            scan_.nextLine(); // the name after endsolid
            const std::string_view next = scan_.anyWord();
            if (next.empty()) {
                return true;
            }
            if (!sameWord(next, "solid")) {
                return fail("expected 'solid' or the end of the file, found " + quoted(next));
            }
        }
    }

  private:
    bool fail(std::string reason) {
        failure_ = failAtLine(scan_.line(), std::move(reason));
        return false;
    }

    bool expect(const char* keyword) {
        const std::string_view word = scan_.anyWord();
        if (!sameWord(word, keyword)) {
            return fail(std::string("expected '") + keyword + "', found " +
                        (word.empty() ? std::string("the end of the file") : quoted(word)));
        }
        return true;
    }

    bool number(float& value, bool mustBeFinite) {
        const std::string_view word = scan_.anyWord();
        const NumberStatus status = parseFloat(word, value);
        if (status == NumberStatus::Ok || (!mustBeFinite && status != NumberStatus::Malformed)) {
            return true;
        }
        if (word.empty()) {
            return fail("expected a number, found the end of the file");
        }
        return fail(quoted(word) + (status == NumberStatus::Malformed ? " is not a number"
                                    : status == NumberStatus::NotFinite
                                        ? " is not a finite number"
                                        : " is out of the range of a 32-bit float"));
    }

    // Facets up to and including endsolid.
    bool readFacets() {
        for (;;) {
            const std::string_view word = scan_.anyWord();
            if (sameWord(word, "endsolid")) {
                return true;
            }
            if (!sameWord(word, "facet")) {
                return fail("expected 'facet' or 'endsolid', found " +
                            (word.empty() ? std::string("the end of the file") : quoted(word)));
            }
            float ignored = 0.0f;
            if (!expect("normal") || !number(ignored, false) || !number(ignored, false) ||
                !number(ignored, false) || !expect("outer") || !expect("loop")) {
                return false;
            }
            corners_.clear();
            std::string_view next = scan_.anyWord();
            while (sameWord(next, "vertex")) {
                Vec3 p;
                if (!number(p.x, true) || !number(p.y, true) || !number(p.z, true)) {
                    return false;
                }
                if (model_.positions.size() >= UINT32_MAX ||
                    !makeRoom(model_.positions, 1, budget_) || !makeRoom(corners_, 1, budget_)) {
                    return fail(tooLargeReason(budget_));
                }
                corners_.push_back(static_cast<std::uint32_t>(model_.positions.size()));
                model_.positions.push_back(p);
                next = scan_.anyWord();
            }
            if (!sameWord(next, "endloop")) {
                return fail("expected 'vertex' or 'endloop', found " +
                            (next.empty() ? std::string("the end of the file") : quoted(next)));
            }
            if (corners_.size() < 3) {
                return fail("a facet needs at least three vertices, this one has " +
                            std::to_string(corners_.size()));
            }
            if (!addFace(model_, corners_, {}, budget_)) {
                return fail(tooLargeReason(budget_));
            }
            if (!expect("endfacet")) {
                return false;
            }
        }
    }

    TextScanner scan_;
    RawModel& model_;
    MemoryBudget& budget_;
    ReadFailure& failure_;
    std::vector<std::uint32_t> corners_;
};

} // namespace

bool readStl(std::span<const std::uint8_t> bytes, RawModel& model, MemoryBudget& budget,
             ReadFailure& failure) {
    model = RawModel{};
    model.weldByPosition = true;
    if (bytes.size() >= kFirstTriangle) {
        const std::uint32_t count = littleEndian32(&bytes[kHeaderBytes]);
        const std::uint64_t expected = kFirstTriangle + std::uint64_t{kTriangleBytes} * count;
        if (bytes.size() == expected) {
            return readBinary(bytes, count, model, budget, failure);
        }
        // Text has no zero bytes; a file with one near its start is a
        // binary file of the wrong size.
        const auto early = bytes.first(std::min<std::size_t>(bytes.size(), 512));
        if (std::find(early.begin(), early.end(), std::uint8_t{0}) != early.end()) {
            failure = failAtByte(kHeaderBytes, "a binary STL file of " + std::to_string(count) +
                                                   " triangles has " + std::to_string(expected) +
                                                   " bytes, this one has " +
                                                   std::to_string(bytes.size()));
            return false;
        }
    }
    return AsciiStlReader(bytes, model, budget, failure).read();
}

} // namespace model
