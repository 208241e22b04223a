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
#include "model/bytes.h"
#include "model/chunked_reader.h"
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

bool sameWord(std::string_view word, std::string_view keyword) {
    return equalsIgnoringCase(word, keyword);
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
                xyz[a] = loadFloat(&bytes[at], false);
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

namespace {

// Welds the corners of a binary file as they are read: a position's first
// corner makes it a vertex (numbered in that order, keeping that corner's
// bits), later corners at the same position (-0 and +0 alike) name it. The
// model is then the general reader's after the loader's weld (item 3).
class BinaryStlChunks final : public ChunkedReader {
  public:
    explicit BinaryStlChunks(std::size_t chunkBytes)
        : trianglesPerStep_(std::max<std::size_t>(chunkBytes / kTriangleBytes, 1)) {}

    Status step(std::span<const std::uint8_t> bytes, WorkerPool*, MemoryBudget& budget) override {
        if (parsed_ == 0) {
            count_ = load32(&bytes[kHeaderBytes], false);
            parsed_ = kFirstTriangle;
            model_.weldByPosition = false;
            // Charged as the general reader charges: a position and a corner
            // for every corner, so a file is refused for its size alike. The
            // positions' share beyond the welded ones is given back at the
            // end (and the weld's table is charged on top meanwhile).
            reserved_ = std::uint64_t{3} * count_ * sizeof(Vec3);
            if (!charge(budget, std::uint64_t{3} * count_ * sizeof(std::uint32_t) + reserved_)) {
                return Status::General;
            }
            model_.corners.reserve(std::size_t{3} * count_);
        }
        const std::uint64_t end = std::min<std::uint64_t>(count_, next_ + trianglesPerStep_);
        for (; next_ < end; ++next_) {
            const std::uint8_t* corner =
                bytes.data() + kFirstTriangle + next_ * kTriangleBytes + 12;
            for (int v = 0; v < 3; ++v, corner += 12) {
                std::uint32_t bits[3];
                for (int a = 0; a < 3; ++a) {
                    bits[a] = load32(corner + 4 * a, false);
                    if ((bits[a] & 0x7f800000u) == 0x7f800000u) {
                        return Status::General; // not finite: the general reader says where
                    }
                    bits[a] = (bits[a] & 0x7fffffffu) == 0 ? 0 : bits[a];
                }
                std::uint32_t vertex = 0;
                if (!weld(bits, corner, vertex, budget)) {
                    return Status::General;
                }
                model_.corners.push_back(vertex);
            }
        }
        parsed_ = kFirstTriangle + next_ * kTriangleBytes;
        if (next_ < count_) {
            return Status::More;
        }
        parsed_ = bytes.size();
        budget.release(std::uint64_t{slots_.capacity()} * sizeof(Slot) + reserved_);
        freeAll(slots_);
        model_.positions.shrink_to_fit();
        budget.charge(std::uint64_t{model_.positions.capacity()} * sizeof(Vec3));
        return Status::Done;
    }

    std::uint64_t parsed() const override { return parsed_; }
    RawModel take() override { return std::move(model_); }

  private:
    // A welded position: its bits (zeros as +0) and its vertex number + 1
    // (0: empty).
    struct Slot {
        std::uint32_t bits[3];
        std::uint32_t vertex;
    };

    static bool charge(MemoryBudget& budget, std::uint64_t bytes) { return budget.charge(bytes); }

    static std::uint64_t hash(const std::uint32_t bits[3]) {
        std::uint64_t x = (std::uint64_t{bits[0]} << 32 | bits[1]) * 0x9e3779b97f4a7c15u;
        x ^= (x >> 29) + bits[2] * 0xbf58476d1ce4e5b9u;
        x *= 0x94d049bb133111ebu;
        return x ^ (x >> 32);
    }

    bool grow(MemoryBudget& budget) {
        const std::size_t size = slots_.empty() ? 4096 : 2 * slots_.size();
        if (!charge(budget, std::uint64_t{size} * sizeof(Slot))) {
            return false;
        }
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(size, Slot{{0, 0, 0}, 0});
        for (const Slot& s : old) {
            if (s.vertex != 0) {
                std::size_t at = hash(s.bits) & (size - 1);
                while (slots_[at].vertex != 0) {
                    at = (at + 1) & (size - 1);
                }
                slots_[at] = s;
            }
        }
        budget.release(std::uint64_t{old.capacity()} * sizeof(Slot));
        return true;
    }

    bool weld(const std::uint32_t bits[3], const std::uint8_t* corner, std::uint32_t& vertex,
              MemoryBudget& budget) {
        if (2 * (model_.positions.size() + 1) > slots_.size() && !grow(budget)) {
            return false;
        }
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t at = hash(bits) & mask;; at = (at + 1) & mask) {
            Slot& slot = slots_[at];
            if (slot.vertex == 0) {
                std::vector<Vec3>& positions = model_.positions;
                if (positions.size() == positions.capacity()) {
                    // Within what is charged: never past a position a corner.
                    positions.reserve(
                        std::min<std::size_t>(std::max<std::size_t>(2 * positions.size(), 1024),
                                              std::size_t{3} * count_));
                }
                model_.positions.push_back(Vec3{loadFloat(corner, false),
                                                loadFloat(corner + 4, false),
                                                loadFloat(corner + 8, false)});
                slot = Slot{{bits[0], bits[1], bits[2]},
                            static_cast<std::uint32_t>(model_.positions.size())};
                vertex = slot.vertex - 1;
                return true;
            }
            if (slot.bits[0] == bits[0] && slot.bits[1] == bits[1] && slot.bits[2] == bits[2]) {
                vertex = slot.vertex - 1;
                return true;
            }
        }
    }

    std::size_t trianglesPerStep_;
    RawModel model_;
    std::vector<Slot> slots_;
    std::uint32_t count_ = 0;
    std::uint64_t reserved_ = 0; // charged for the positions while welding
    std::uint64_t next_ = 0;     // the next triangle
    std::uint64_t parsed_ = 0;
};

// ASCII files in pieces on the worker pool. A piece begins at a line whose
// first word is "facet", where the sequential reader is between facets, and
// must end there too (or at the end of the file); then the pieces' corners,
// joined in order, are the general reader's. Anything else is given up.
class AsciiStlChunks final : public ChunkedReader {
  public:
    explicit AsciiStlChunks(std::size_t chunkBytes)
        : chunkBytes_(std::max<std::size_t>(chunkBytes, 1)) {}

    Status step(std::span<const std::uint8_t> bytes, WorkerPool* pool,
                MemoryBudget& budget) override {
        if (parsed_ == 0) {
            parsed_ = afterByteOrderMark(bytes);
            model_.weldByPosition = true;
            const auto early = bytes.first(std::min<std::size_t>(bytes.size(), 512));
            if (bytes.size() >= kFirstTriangle &&
                std::find(early.begin(), early.end(), std::uint8_t{0}) != early.end()) {
                return Status::General;
            }
        }
        const std::size_t threads = pool != nullptr ? static_cast<std::size_t>(pool->size()) : 1;
        const std::size_t count = std::max<std::size_t>(2 * threads, 4);
        std::vector<LinePiece> pieces =
            cutAtLines(bytes, parsed_, count, std::max<std::size_t>(chunkBytes_ / count, 1));
        moveToFacets(bytes, pieces);
        struct Read {
            bool ok = false;
            std::vector<Vec3> positions;
            std::vector<std::uint32_t> corners; // piece-local positions
        };
        std::vector<Read> reads(pieces.size());
        auto job = [&](std::size_t i) {
            try {
                reads[i].ok = readPiece(bytes, pieces[i], reads[i].positions, reads[i].corners);
            } catch (...) {
                reads[i].ok = false;
            }
        };
        runPieces(pool, pieces.size(), job);
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            const Read& read = reads[i];
            const std::size_t before = model_.positions.size();
            if (!read.ok || before + read.positions.size() >= UINT32_MAX ||
                !makeRoom(model_.positions, read.positions.size(), budget) ||
                !makeRoom(model_.corners, read.corners.size(), budget)) {
                return Status::General;
            }
            model_.positions.insert(model_.positions.end(), read.positions.begin(),
                                    read.positions.end());
            for (const std::uint32_t corner : read.corners) {
                model_.corners.push_back(static_cast<std::uint32_t>(before + corner));
            }
            parsed_ = pieces[i].end;
        }
        if (parsed_ < bytes.size()) {
            return Status::More;
        }
        return ended_ ? Status::Done : Status::General;
    }

    std::uint64_t parsed() const override { return parsed_; }
    RawModel take() override { return std::move(model_); }

  private:
    static std::string_view anyWord(const char*& p, const char* end) {
        while (p < end && kindOf(*p) != ByteKind::Word) {
            ++p;
        }
        const char* const start = p;
        while (p < end && kindOf(*p) == ByteKind::Word) {
            ++p;
        }
        return std::string_view(start, static_cast<std::size_t>(p - start));
    }

    static void skipLine(const char*& p, const char* end) {
        const void* newline = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        p = newline == nullptr ? end : static_cast<const char*>(newline) + 1;
    }

    static bool startsWithFacet(const std::uint8_t* line, const std::uint8_t* end) {
        const char* p = reinterpret_cast<const char*>(line);
        return equalsIgnoringCase(nextWordOfLine(p, reinterpret_cast<const char*>(end)), "facet");
    }

    // Moves each piece's end (so the next one's start) on to the next line
    // that begins with "facet" (the lines passed go to the piece before).
    static void moveToFacets(std::span<const std::uint8_t> bytes, std::vector<LinePiece>& pieces) {
        const std::uint8_t* const end = bytes.data() + bytes.size();
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            std::size_t cut = std::max(pieces[i].begin, pieces[i].end);
            while (cut < bytes.size() && !startsWithFacet(bytes.data() + cut, end)) {
                const void* newline = std::memchr(bytes.data() + cut, '\n', bytes.size() - cut);
                cut = newline == nullptr
                          ? bytes.size()
                          : static_cast<std::size_t>(static_cast<const std::uint8_t*>(newline) -
                                                     bytes.data()) +
                                1;
            }
            pieces[i].end = cut;
            if (i + 1 < pieces.size()) {
                pieces[i + 1].begin = cut;
                pieces[i + 1].end = std::max(pieces[i + 1].end, cut); // maybe swallowed: empty
            }
        }
        std::erase_if(pieces, [](const LinePiece& piece) { return piece.begin >= piece.end; });
    }

    // As AsciiStlReader::read, from between facets (or the start of the
    // file) to between facets (or the end of the file, after an endsolid).
    bool readPiece(std::span<const std::uint8_t> bytes, const LinePiece& piece,
                   std::vector<Vec3>& positions, std::vector<std::uint32_t>& corners) {
        const char* const text = reinterpret_cast<const char*>(bytes.data());
        const char* p = text + piece.begin;
        const char* const end = text + piece.end;
        const bool last = piece.end >= bytes.size();
        if (piece.begin == afterByteOrderMark(bytes)) {
            if (!equalsIgnoringCase(anyWord(p, end), "solid")) {
                return false;
            }
            skipLine(p, end);
        }
        std::uint32_t face[3];
        for (;;) {
            const std::string_view word = anyWord(p, end);
            if (word.empty()) {
                return !last; // between facets at the cut
            }
            if (equalsIgnoringCase(word, "endsolid")) {
                skipLine(p, end);
                const std::string_view next = anyWord(p, end);
                if (next.empty()) {
                    ended_ = last;
                    return last;
                }
                if (!equalsIgnoringCase(next, "solid")) {
                    return false;
                }
                skipLine(p, end);
                continue;
            }
            float ignored = 0.0f;
            if (!equalsIgnoringCase(word, "facet") ||
                !equalsIgnoringCase(anyWord(p, end), "normal")) {
                return false;
            }
            for (int a = 0; a < 3; ++a) {
                if (parseFloat(anyWord(p, end), ignored) == NumberStatus::Malformed) {
                    return false;
                }
            }
            if (!equalsIgnoringCase(anyWord(p, end), "outer") ||
                !equalsIgnoringCase(anyWord(p, end), "loop")) {
                return false;
            }
            std::size_t count = 0;
            std::string_view next = anyWord(p, end);
            for (; equalsIgnoringCase(next, "vertex"); next = anyWord(p, end), ++count) {
                Vec3 v;
                if (parseFloat(anyWord(p, end), v.x) != NumberStatus::Ok ||
                    parseFloat(anyWord(p, end), v.y) != NumberStatus::Ok ||
                    parseFloat(anyWord(p, end), v.z) != NumberStatus::Ok) {
                    return false;
                }
                const auto index = static_cast<std::uint32_t>(positions.size());
                positions.push_back(v);
                if (count < 2) {
                    face[count] = index;
                    continue;
                }
                corners.push_back(face[0]);
                corners.push_back(face[1]);
                corners.push_back(index);
                face[1] = index;
            }
            if (count < 3 || !equalsIgnoringCase(next, "endloop") ||
                !equalsIgnoringCase(anyWord(p, end), "endfacet")) {
                return false;
            }
        }
    }

    std::size_t chunkBytes_;
    RawModel model_;
    std::uint64_t parsed_ = 0;
    bool ended_ = false; // the last piece ended after an endsolid
};

// Binary or ASCII, as readStl decides.
class StlChunks final : public ChunkedReader {
  public:
    explicit StlChunks(std::size_t chunkBytes) : chunkBytes_(chunkBytes) {}

    Status step(std::span<const std::uint8_t> bytes, WorkerPool* pool,
                MemoryBudget& budget) override {
        if (!reader_) {
            if (hasBinaryStlSize(bytes, bytes.size())) {
                reader_ = std::make_unique<BinaryStlChunks>(chunkBytes_);
            } else {
                reader_ = std::make_unique<AsciiStlChunks>(chunkBytes_);
            }
        }
        return reader_->step(bytes, pool, budget);
    }

    std::uint64_t parsed() const override { return reader_ ? reader_->parsed() : 0; }
    RawModel take() override { return reader_->take(); }

  private:
    std::size_t chunkBytes_;
    std::unique_ptr<ChunkedReader> reader_;
};

} // namespace

bool hasBinaryStlSize(std::span<const std::uint8_t> head, std::uint64_t fileSize) {
    return head.size() >= kFirstTriangle &&
           fileSize ==
               kFirstTriangle + std::uint64_t{kTriangleBytes} * load32(&head[kHeaderBytes], false);
}

bool isStl(std::span<const std::uint8_t> bytes) {
    return hasBinaryStlSize(bytes, bytes.size()) ||
           equalsIgnoringCase(firstWord(bytes, false), "solid");
}

std::unique_ptr<ChunkedReader> chunkedStlReader(std::size_t chunkBytes) {
    return std::make_unique<StlChunks>(chunkBytes);
}

bool readStl(std::span<const std::uint8_t> bytes, RawModel& model, MemoryBudget& budget,
             ReadFailure& failure) {
    model = RawModel{};
    model.weldByPosition = true;
    if (bytes.size() >= kFirstTriangle) {
        const std::uint32_t count = load32(&bytes[kHeaderBytes], false);
        const std::uint64_t expected = kFirstTriangle + std::uint64_t{kTriangleBytes} * count;
        if (hasBinaryStlSize(bytes, bytes.size())) {
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
