#include "model/load_model.h"

#include "model/build_meshes.h"
#include "model/bytes.h"
#include "model/chunked_reader.h"
#include "model/input_file.h"
#include "model/materials.h"
#include "model/text_scanner.h"

#include <algorithm>

namespace model {

namespace {

// Bytes read from the disk in one step.
constexpr std::size_t kReadPiece = std::size_t{8} << 20;

std::string extensionOf(const std::string& name) {
    const std::string base = baseName(name);
    const std::size_t dot = base.rfind('.');
    if (dot == std::string::npos) {
        return {};
    }
    std::string extension = base.substr(dot + 1);
    for (char& c : extension) {
        c = lowerAscii(c);
    }
    return extension;
}

bool beginsWithPlyLine(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 3 && bytes[0] == 'p' && bytes[1] == 'l' && bytes[2] == 'y' &&
           (bytes.size() == 3 || bytes[3] == '\n' || bytes[3] == '\r');
}

bool isObjStatement(std::string_view word) {
    static constexpr std::string_view kStatements[] = {"v", "vn", "vt",     "vp",     "f", "o",
                                                       "g", "s",  "usemtl", "mtllib", "l", "p"};
    return std::find(std::begin(kStatements), std::end(kStatements), word) != std::end(kStatements);
}

std::string where(const ReadFailure& failure) {
    switch (failure.where) {
    case ReadFailure::Where::Line:
        return "line " + std::to_string(failure.at) + ": ";
    case ReadFailure::Where::Byte:
        return "byte " + std::to_string(failure.at) + ": ";
    case ReadFailure::Where::File:
        break;
    }
    return {};
}

enum class Phase {
    Open,    // open the file, or take the given bytes
    Read,    // read the next piece of the file
    Parse,   // the fast reader's next chunk
    General, // the general reader, in one step
    Build,   // the materials and the meshes
    Done,
};

} // namespace

struct ModelLoad::State {
    State(std::string name, LoadOptions options)
        : name(std::move(name)), options(std::move(options)), budget(this->options.memoryLimit) {}

    std::string name;
    LoadOptions options;
    MemoryBudget budget;
    Phase phase = Phase::Open;
    bool fromFile = false;
    bool formatGiven = false;
    Format format = Format::Obj;
    InputFile file;
    std::unique_ptr<std::uint8_t[]> owned; // the file's bytes, read from disk
    std::span<const std::uint8_t> bytes;   // the whole file, once read
    std::uint64_t size = 0;                // the file's size
    std::uint64_t read = 0;                // bytes of it read so far
    std::unique_ptr<ChunkedReader> fast;
    std::uint64_t chargedBeforeParse = 0;
    RawModel raw;
    LoadResult result;
    std::uint64_t reported = 0;

    void fail(const std::string& reason) {
        result = LoadResult{};
        result.error = name + ": " + reason;
        end();
    }

    void cancel() {
        result = LoadResult{};
        result.error = name + ": the load was cancelled";
        result.cancelled = true;
        end();
    }

    // Frees all that the load holds but its result.
    void end() {
        phase = Phase::Done;
        file.close();
        owned.reset();
        bytes = {};
        fast.reset();
        raw = RawModel{};
    }

    void open() {
        if (fromFile) {
            std::string reason;
            if (!file.open(name, reason)) {
                return fail(reason);
            }
            size = file.size();
            if (!budget.charge(size)) {
                return fail(tooLargeReason(budget));
            }
            owned.reset(new std::uint8_t[size > 0 ? size : 1]);
            phase = Phase::Read;
            return;
        }
        // Given bytes: the format first, then the memory they take.
        std::string reason;
        if (!formatGiven && !detectFormat(bytes, name, format, reason)) {
            return fail(reason);
        }
        if (!budget.charge(size)) {
            return fail(tooLargeReason(budget));
        }
        beginParse();
    }

    void readPiece() {
        const std::size_t piece = options.chunkBytes != 0 ? options.chunkBytes : kReadPiece;
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(piece, size - read));
        std::size_t got = 0;
        if (!file.read(owned.get() + read, want, got)) {
            return fail("cannot read the file");
        }
        read += got;
        if (got < want) {
            size = read; // the file shrank while it was read
        }
        if (read < size) {
            return;
        }
        file.close();
        bytes = std::span<const std::uint8_t>(owned.get(), size);
        std::string reason;
        if (!detectFormat(bytes, name, format, reason)) {
            return fail(reason);
        }
        beginParse();
    }

    void beginParse() {
        read = size;
        chargedBeforeParse = budget.used();
        const std::size_t chunk = options.chunkBytes != 0 ? options.chunkBytes : kChunkBytes;
        switch (format) {
        case Format::Obj:
            fast = chunkedObjReader(chunk);
            break;
        case Format::Ply:
            fast = chunkedPlyReader(chunk);
            break;
        case Format::Stl:
            fast = chunkedStlReader(chunk);
            break;
        }
        phase = fast ? Phase::Parse : Phase::General;
    }

    void parseChunk() {
        switch (fast->step(bytes, options.pool, budget)) {
        case ChunkedReader::Status::More:
            return;
        case ChunkedReader::Status::Done:
            raw = fast->take();
            fast.reset();
            phase = Phase::Build;
            return;
        case ChunkedReader::Status::General:
            // What the fast reader held is freed: the general reader starts
            // from the file's bytes alone.
            fast.reset();
            budget.release(budget.used() - chargedBeforeParse);
            phase = Phase::General;
            return;
        }
    }

    void readGeneral() {
        static constexpr ModelReader kReaders[] = {readObj, readPly, readStl};
        ReadFailure failure;
        if (!kReaders[static_cast<int>(format)](bytes, raw, budget, failure)) {
            return fail(where(failure) + failure.reason);
        }
        phase = Phase::Build;
    }

    void build() {
        // The file's bytes are read: given back before the meshes are built,
        // and so is the room the lists grew beyond what they hold.
        budget.release(size);
        owned.reset();
        bytes = {};
        fitToSize(raw.positions, budget);
        fitToSize(raw.normals, budget);
        fitToSize(raw.colors, budget);
        fitToSize(raw.corners, budget);
        fitToSize(raw.cornerNormals, budget);
        if (format == Format::Obj) {
            const SiblingReader readSibling = options.readSibling ? options.readSibling
                                              : fromFile          ? siblingsOnDisk(name)
                                                                  : SiblingReader();
            resolveMaterials(raw, readSibling, budget, result.model.notes);
        }
        std::string reason;
        std::vector<std::string> notes = std::move(result.model.notes);
        if (!buildMeshes(raw, budget, options.pool, result.model, reason)) {
            return fail(reason);
        }
        result.model.notes = std::move(notes);
        end();
    }

    // Bytes of the file consumed: half those read plus half those parsed,
    // so it moves through both; the whole file once the model is built.
    std::uint64_t consumed() const {
        if (phase == Phase::Done) {
            return size;
        }
        std::uint64_t parsed = 0;
        if (phase == Phase::Parse) {
            parsed = std::min(fast->parsed(), size);
        } else if (phase == Phase::Build) {
            parsed = size;
        }
        // The last byte counts once the meshes are built.
        return size > 0 ? std::min(read / 2 + parsed / 2, size - 1) : 0;
    }

    void report() {
        if (!options.progress) {
            return;
        }
        const bool succeeded = phase == Phase::Done && result.ok();
        if (phase == Phase::Done && !succeeded) {
            return;
        }
        const std::uint64_t done = std::max(consumed(), reported);
        if (done != reported || succeeded) {
            reported = done;
            options.progress(done, size);
        }
    }
};

ModelLoad::ModelLoad(const std::string& path, LoadOptions options)
    : state_(std::make_unique<State>(path, std::move(options))) {
    state_->fromFile = true;
}

ModelLoad::ModelLoad(std::span<const std::uint8_t> bytes, const std::string& name,
                     LoadOptions options)
    : state_(std::make_unique<State>(name, std::move(options))) {
    state_->bytes = bytes;
    state_->size = bytes.size();
    state_->read = bytes.size();
}

ModelLoad::ModelLoad(Format format, std::span<const std::uint8_t> bytes, const std::string& name,
                     LoadOptions options)
    : ModelLoad(bytes, name, std::move(options)) {
    state_->formatGiven = true;
    state_->format = format;
}

ModelLoad::~ModelLoad() = default;
ModelLoad::ModelLoad(ModelLoad&&) noexcept = default;
ModelLoad& ModelLoad::operator=(ModelLoad&&) noexcept = default;

bool ModelLoad::step() {
    State& s = *state_;
    if (s.phase == Phase::Done) {
        return false;
    }
    if (s.options.cancel != nullptr && s.options.cancel->load(std::memory_order_relaxed)) {
        s.cancel();
        return false;
    }
    switch (s.phase) {
    case Phase::Open:
        s.open();
        break;
    case Phase::Read:
        s.readPiece();
        break;
    case Phase::Parse:
        s.parseChunk();
        break;
    case Phase::General:
        s.readGeneral();
        break;
    case Phase::Build:
        s.build();
        break;
    case Phase::Done:
        break;
    }
    s.report();
    return s.phase != Phase::Done;
}

void ModelLoad::finish() {
    while (step()) {
    }
}

LoadResult ModelLoad::result() {
    finish();
    return std::move(state_->result);
}

std::string baseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool detectFormat(std::span<const std::uint8_t> bytes, const std::string& name, Format& format,
                  std::string& reason) {
    const std::string extension = extensionOf(name);
    if (beginsWithPlyLine(bytes) || extension == "ply") {
        format = Format::Ply;
    } else if (extension == "stl") {
        format = Format::Stl;
    } else if (extension == "obj") {
        format = Format::Obj;
    } else if (isStl(bytes)) {
        format = Format::Stl;
    } else if (isObjStatement(firstWord(bytes, true))) {
        format = Format::Obj;
    } else {
        reason = "not an OBJ, PLY or STL file";
        return false;
    }
    return true;
}

LoadResult loadModelFile(const std::string& path, const LoadOptions& options) {
    ModelLoad load(path, options);
    load.finish();
    return load.result();
}

LoadResult loadModelFile(const std::string& path, std::uint64_t memoryLimit) {
    LoadOptions options;
    options.memoryLimit = memoryLimit;
    return loadModelFile(path, options);
}

LoadResult loadModel(std::span<const std::uint8_t> bytes, const std::string& name,
                     const LoadOptions& options) {
    ModelLoad load(bytes, name, options);
    load.finish();
    return load.result();
}

LoadResult loadModel(std::span<const std::uint8_t> bytes, const std::string& name,
                     std::uint64_t memoryLimit) {
    LoadOptions options;
    options.memoryLimit = memoryLimit;
    return loadModel(bytes, name, options);
}

LoadResult loadModelAs(Format format, std::span<const std::uint8_t> bytes, const std::string& name,
                       const LoadOptions& options) {
    ModelLoad load(format, bytes, name, options);
    load.finish();
    return load.result();
}

LoadResult loadModelAs(Format format, std::span<const std::uint8_t> bytes, const std::string& name,
                       std::uint64_t memoryLimit) {
    LoadOptions options;
    options.memoryLimit = memoryLimit;
    return loadModelAs(format, bytes, name, options);
}

} // namespace model
