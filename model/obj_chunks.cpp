// The fast OBJ reader: the file is cut into pieces at line ends, each piece
// is parsed on its own (on the worker pool, several at once), and the
// pieces are merged in file order, so the model is the general reader's
// (obj_reader.cpp) to the bit. A piece cannot know how many vertices come
// before it, so a relative index (-1 for the last vertex) is kept relative
// to the piece and resolved at the merge.
//
// It gives up (the general reader then reads the file) on everything
// outside the plain forms: a backslash anywhere (a continued line), a
// number or corner the general reader would refuse or reads in a way of
// its own (a '+' sign, an index of more than ten digits), an index out of
// range, a face of fewer than three corners.
#include "model/chunked_reader.h"
#include "model/decimal.h"
#include "model/obj_statements.h"
#include "model/text_scanner.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace model {

namespace {

// A corner's index as a piece keeps it: a file index (from 1) as
// value - 1, >= 0; a relative one as the piece-local index it reaches
// (local count + value, maybe negative) minus kRelative.
constexpr std::int64_t kRelative = std::int64_t{1} << 40;

struct UsedMaterial {
    std::uint64_t triangle; // piece-local triangle where it starts
    std::string name;
};

// What one piece holds.
struct Piece {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool failed = false; // the general reader must read the file
    std::vector<Vec3> positions;
    std::vector<Vec3> normals;
    std::vector<Vec3> colors;
    bool everyVertexHasColor = true;
    std::vector<std::int64_t> corners; // three per triangle
    std::vector<std::int64_t> cornerNormals;
    bool everyCornerHasNormal = true;
    std::int64_t largestPosition = -1; // the largest file index - 1 named
    std::int64_t largestNormal = -1;
    std::vector<UsedMaterial> materials;
    std::vector<std::string> libraries;
};

// A whole number of at most ten digits, with an optional '-'; false for
// anything else (the general reader decides about it).
bool plainIndex(std::string_view text, std::int64_t& value) {
    bool negative = false;
    std::size_t i = 0;
    if (!text.empty() && text[0] == '-') {
        negative = true;
        i = 1;
    }
    if (i == text.size() || text.size() - i > 10) {
        return false;
    }
    std::int64_t v = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return false;
        }
        v = v * 10 + (c - '0');
    }
    if (v == 0 || v > INT64_C(0xffffffff)) {
        return false;
    }
    value = negative ? -v : v;
    return true;
}

class PieceParser {
  public:
    PieceParser(std::span<const std::uint8_t> bytes, Piece& piece)
        : text_(reinterpret_cast<const char*>(bytes.data())), pos_(piece.begin), end_(piece.end),
          piece_(piece) {}

    bool parse() {
        if (std::memchr(text_ + pos_, '\\', end_ - pos_) != nullptr) {
            return false;
        }
        while (pos_ < end_) {
            const std::string_view keyword = word();
            bool ok = true;
            if (keyword.size() == 1 && keyword[0] == 'v') {
                ok = vertex();
            } else if (keyword == "vn") {
                ok = vector(piece_.normals);
            } else if (keyword.size() == 1 && keyword[0] == 'f') {
                ok = face();
            } else if (keyword == "usemtl") {
                piece_.materials.push_back(
                    UsedMaterial{piece_.corners.size() / 3, std::string(word())});
            } else if (keyword == "mtllib") {
                for (std::string_view w = word(); !w.empty(); w = word()) {
                    piece_.libraries.emplace_back(w);
                }
            }
            if (!ok) {
                return false;
            }
            nextLine();
        }
        return true;
    }

  private:
    // The next word of the line; empty at its end or at a comment.
    std::string_view word() {
        const char* p = text_ + pos_;
        const char* const end = text_ + end_;
        while (p < end && kindOf(*p) == ByteKind::Blank) {
            ++p;
        }
        if (p >= end || kindOf(*p) == ByteKind::LineEnd || *p == '#') {
            pos_ = static_cast<std::size_t>(p - text_);
            return {};
        }
        const char* const start = p;
        while (p < end && kindOf(*p) == ByteKind::Word) {
            ++p;
        }
        pos_ = static_cast<std::size_t>(p - text_);
        return std::string_view(start, static_cast<std::size_t>(p - start));
    }

    void nextLine() {
        const void* newline = std::memchr(text_ + pos_, '\n', end_ - pos_);
        pos_ = newline == nullptr ? end_ : static_cast<const char*>(newline) - text_ + 1;
    }

    bool numbers(float* into, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            if (parseFloat(word(), into[i]) != NumberStatus::Ok) {
                return false;
            }
        }
        return true;
    }

    bool vector(std::vector<Vec3>& into) {
        float xyz[3];
        if (!numbers(xyz, 3)) {
            return false;
        }
        into.push_back(Vec3{xyz[0], xyz[1], xyz[2]});
        return true;
    }

    // x y z, then maybe a colour.
    bool vertex() {
        if (!vector(piece_.positions)) {
            return false;
        }
        const std::string_view red = word();
        const std::string_view green = word();
        const std::string_view blue = word();
        Vec3 color;
        piece_.everyVertexHasColor =
            piece_.everyVertexHasColor && vertexColor(red, green, blue, color);
        if (piece_.everyVertexHasColor) {
            piece_.colors.push_back(color);
        } else {
            freeAll(piece_.colors);
        }
        return true;
    }

    static std::int64_t code(std::int64_t value, std::size_t defined) {
        return value > 0 ? value - 1 : static_cast<std::int64_t>(defined) + value - kRelative;
    }

    bool corner(std::string_view w, std::int64_t& position, std::int64_t& normal, bool& hasNormal) {
        const std::size_t slash1 = w.find('/');
        std::int64_t value = 0;
        if (!plainIndex(w.substr(0, slash1), value)) {
            return false;
        }
        position = code(value, piece_.positions.size());
        if (value > 0) {
            piece_.largestPosition = std::max(piece_.largestPosition, position);
        }
        hasNormal = false;
        if (slash1 == std::string_view::npos) {
            return true;
        }
        const std::size_t slash2 = w.find('/', slash1 + 1);
        const std::string_view texture = w.substr(slash1 + 1, slash2 - slash1 - 1);
        if (slash2 == std::string_view::npos) {
            return plainIndex(texture, value); // v/vt
        }
        if ((!texture.empty() && !plainIndex(texture, value)) ||
            w.find('/', slash2 + 1) != std::string_view::npos ||
            !plainIndex(w.substr(slash2 + 1), value)) {
            return false;
        }
        normal = code(value, piece_.normals.size());
        if (value > 0) {
            piece_.largestNormal = std::max(piece_.largestNormal, normal);
        }
        hasNormal = true;
        return true;
    }

    bool face() {
        std::int64_t first[2] = {};
        std::int64_t previous[2] = {};
        std::size_t count = 0;
        for (std::string_view w = word(); !w.empty(); w = word(), ++count) {
            std::int64_t position = 0;
            std::int64_t normal = 0;
            bool hasNormal = false;
            if (!corner(w, position, normal, hasNormal)) {
                return false;
            }
            piece_.everyCornerHasNormal = piece_.everyCornerHasNormal && hasNormal;
            if (count == 0) {
                first[0] = position;
                first[1] = normal;
            } else if (count >= 2) {
                piece_.corners.push_back(first[0]);
                piece_.corners.push_back(previous[0]);
                piece_.corners.push_back(position);
                if (piece_.everyCornerHasNormal) {
                    piece_.cornerNormals.push_back(first[1]);
                    piece_.cornerNormals.push_back(previous[1]);
                    piece_.cornerNormals.push_back(normal);
                }
            }
            previous[0] = position;
            previous[1] = normal;
        }
        if (!piece_.everyCornerHasNormal) {
            freeAll(piece_.cornerNormals);
        }
        return count >= 3;
    }

    const char* text_;
    std::size_t pos_;
    std::size_t end_;
    Piece& piece_;
};

class ObjChunks final : public ChunkedReader {
  public:
    explicit ObjChunks(std::size_t chunkBytes)
        : pieceBytes_(std::max<std::size_t>(chunkBytes / 4, 1)) {}

    Status step(std::span<const std::uint8_t> bytes, WorkerPool* pool,
                MemoryBudget& budget) override {
        if (parsed_ == 0) {
            parsed_ = afterByteOrderMark(bytes);
        }
        // Four pieces a step, and two for every thread where there are more.
        const std::size_t threads = pool != nullptr ? static_cast<std::size_t>(pool->size()) : 1;
        const std::size_t count = std::max<std::size_t>(2 * threads, 4);
        const std::vector<LinePiece> cut = cutAtLines(bytes, parsed_, count, pieceBytes_);
        pieces_.assign(cut.size(), Piece{});
        for (std::size_t p = 0; p < cut.size(); ++p) {
            pieces_[p].begin = cut[p].begin;
            pieces_[p].end = cut[p].end;
        }
        auto job = [&](std::size_t index) {
            Piece& piece = pieces_[index];
            try {
                piece.failed = !PieceParser(bytes, piece).parse();
            } catch (...) {
                piece.failed = true;
            }
        };
        runPieces(pool, pieces_.size(), job);
        for (Piece& piece : pieces_) {
            if (piece.failed || !merge(piece, budget)) {
                return Status::General;
            }
            parsed_ = piece.end;
            piece = Piece{};
        }
        if (parsed_ < bytes.size()) {
            return Status::More;
        }
        return finish() ? Status::Done : Status::General;
    }

    std::uint64_t parsed() const override { return parsed_; }
    RawModel take() override { return std::move(model_); }

  private:
    template <typename T>
    static bool append(std::vector<T>& to, const std::vector<T>& from, MemoryBudget& budget) {
        if (!makeRoom(to, from.size(), budget)) {
            return false;
        }
        to.insert(to.end(), from.begin(), from.end());
        return true;
    }

    // Piece indices as the model's: false when one is out of range.
    static bool resolve(const std::vector<std::int64_t>& codes, std::size_t before,
                        std::vector<std::uint32_t>& into, MemoryBudget& budget) {
        if (!makeRoom(into, codes.size(), budget)) {
            return false;
        }
        for (const std::int64_t code : codes) {
            const std::int64_t index =
                code >= 0 ? code : code + kRelative + static_cast<std::int64_t>(before);
            if (index < 0) {
                return false;
            }
            into.push_back(static_cast<std::uint32_t>(index));
        }
        return true;
    }

    bool merge(const Piece& piece, MemoryBudget& budget) {
        const std::size_t positionsBefore = model_.positions.size();
        const std::size_t normalsBefore = model_.normals.size();
        const std::uint64_t trianglesBefore = model_.triangleCount();
        everyVertexHasColor_ = everyVertexHasColor_ && piece.everyVertexHasColor;
        if (everyVertexHasColor_) {
            if (!append(model_.colors, piece.colors, budget)) {
                return false;
            }
        } else if (model_.colors.capacity() != 0) {
            budget.release(model_.colors.capacity() * sizeof(Vec3));
            freeAll(model_.colors);
        }
        if (positionsBefore + piece.positions.size() >= UINT32_MAX ||
            normalsBefore + piece.normals.size() >= UINT32_MAX ||
            !append(model_.positions, piece.positions, budget) ||
            !append(model_.normals, piece.normals, budget) ||
            !resolve(piece.corners, positionsBefore, model_.corners, budget)) {
            return false;
        }
        everyCornerHasNormal_ = everyCornerHasNormal_ && piece.everyCornerHasNormal;
        if (everyCornerHasNormal_) {
            if (!resolve(piece.cornerNormals, normalsBefore, model_.cornerNormals, budget)) {
                return false;
            }
        } else if (model_.cornerNormals.capacity() != 0) {
            budget.release(model_.cornerNormals.capacity() * sizeof(std::uint32_t));
            freeAll(model_.cornerNormals);
        }
        largestPosition_ = std::max(largestPosition_, piece.largestPosition);
        largestNormal_ = std::max(largestNormal_, piece.largestNormal);
        for (const UsedMaterial& used : piece.materials) {
            if (!materials_.use(model_, trianglesBefore + used.triangle, used.name, budget)) {
                return false;
            }
        }
        for (const std::string& library : piece.libraries) {
            if (!addLibrary(model_, library, budget)) {
                return false;
            }
        }
        return true;
    }

    // As the end of ObjReader::read.
    bool finish() {
        if (largestPosition_ >= static_cast<std::int64_t>(model_.positions.size()) ||
            largestNormal_ >= static_cast<std::int64_t>(model_.normals.size())) {
            return false;
        }
        for (const std::uint32_t index : model_.corners) {
            if (index >= model_.positions.size()) {
                return false;
            }
        }
        bindObjModel(model_, everyCornerHasNormal_, everyVertexHasColor_);
        return true;
    }

    std::size_t pieceBytes_;
    RawModel model_;
    std::vector<Piece> pieces_;
    std::uint64_t parsed_ = 0;
    bool everyVertexHasColor_ = true;
    bool everyCornerHasNormal_ = true;
    std::int64_t largestPosition_ = -1;
    std::int64_t largestNormal_ = -1;
    MaterialNames materials_;
};

} // namespace

std::unique_ptr<ChunkedReader> chunkedObjReader(std::size_t chunkBytes) {
    return std::make_unique<ObjChunks>(chunkBytes);
}

} // namespace model
