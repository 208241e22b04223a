#include "model/load_model.h"

#include "model/build_meshes.h"
#include "model/text_scanner.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace model {

namespace {

constexpr std::size_t kReadChunk = std::size_t{1} << 16;

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string extensionOf(const std::string& name) {
    const std::string base = baseName(name);
    const std::size_t dot = base.rfind('.');
    if (dot == std::string::npos) {
        return {};
    }
    std::string extension = base.substr(dot + 1);
    for (char& c : extension) {
        c = lower(c);
    }
    return extension;
}

bool beginsWithPlyLine(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 3 && bytes[0] == 'p' && bytes[1] == 'l' && bytes[2] == 'y' &&
           (bytes.size() == 3 || bytes[3] == '\n' || bytes[3] == '\r');
}

bool sizeOfBinaryStl(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 84) {
        return false;
    }
    const std::uint64_t count = std::uint64_t{bytes[80]} | std::uint64_t{bytes[81]} << 8 |
                                std::uint64_t{bytes[82]} << 16 | std::uint64_t{bytes[83]} << 24;
    return bytes.size() == 84 + 50 * count;
}

// The first word of the file, past blank lines (and, by OBJ's rules,
// comments).
std::string_view firstWord(std::span<const std::uint8_t> bytes, bool objRules) {
    TextScanner scan(bytes, afterByteOrderMark(bytes), 1, objRules);
    while (!scan.atEnd()) {
        const std::string_view word = scan.word();
        if (!word.empty()) {
            return word;
        }
        scan.nextLine();
    }
    return {};
}

bool isObjStatement(std::string_view word) {
    static constexpr std::string_view kStatements[] = {"v", "vn", "vt",     "vp",     "f", "o",
                                                       "g", "s",  "usemtl", "mtllib", "l", "p"};
    for (const std::string_view statement : kStatements) {
        if (word == statement) {
            return true;
        }
    }
    return false;
}

bool isSolidWord(std::string_view word) {
    if (word.size() != 5) {
        return false;
    }
    for (std::size_t i = 0; i < 5; ++i) {
        if (lower(word[i]) != "solid"[i]) {
            return false;
        }
    }
    return true;
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

LoadResult failed(const std::string& name, const std::string& reason) {
    LoadResult result;
    result.error = name + ": " + reason;
    return result;
}

// Reads and builds; the file's bytes, already charged, are given back
// (and `owned`, when given, freed) once read.
LoadResult readAndBuild(Format format, std::span<const std::uint8_t> bytes,
                        std::vector<std::uint8_t>* owned, const std::string& name,
                        MemoryBudget& budget) {
    static constexpr ModelReader kReaders[] = {readObj, readPly, readStl};
    RawModel raw;
    ReadFailure failure;
    if (!kReaders[static_cast<int>(format)](bytes, raw, budget, failure)) {
        return failed(name, where(failure) + failure.reason);
    }
    if (owned != nullptr) {
        budget.release(owned->capacity());
        *owned = {};
    }
    LoadResult result;
    std::string reason;
    if (!buildMeshes(raw, budget, result.model, reason)) {
        return failed(name, reason);
    }
    return result;
}

} // namespace

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
    } else if (sizeOfBinaryStl(bytes) || isSolidWord(firstWord(bytes, false))) {
        format = Format::Stl;
    } else if (isObjStatement(firstWord(bytes, true))) {
        format = Format::Obj;
    } else {
        reason = "not an OBJ, PLY or STL file";
        return false;
    }
    return true;
}

LoadResult loadModelAs(Format format, std::span<const std::uint8_t> bytes, const std::string& name,
                       std::uint64_t memoryLimit) {
    MemoryBudget budget(memoryLimit);
    if (!budget.charge(bytes.size())) {
        return failed(name, tooLargeReason(budget));
    }
    return readAndBuild(format, bytes, nullptr, name, budget);
}

LoadResult loadModel(std::span<const std::uint8_t> bytes, const std::string& name,
                     std::uint64_t memoryLimit) {
    Format format = Format::Obj;
    std::string reason;
    if (!detectFormat(bytes, name, format, reason)) {
        return failed(name, reason);
    }
    return loadModelAs(format, bytes, name, memoryLimit);
}

LoadResult loadModelFile(const std::string& path, std::uint64_t memoryLimit) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    if (!file) {
        return failed(path, std::string("cannot open: ") + std::strerror(errno));
    }
    MemoryBudget budget(memoryLimit);
    std::vector<std::uint8_t> bytes;
    // A regular file's size is known: room for it (and one more byte, to
    // see the end) at once. Anything else grows as it is read.
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (!error &&
        !makeRoom(bytes,
                  static_cast<std::size_t>(std::min<std::uintmax_t>(size + 1, budget.limit() + 1)),
                  budget)) {
        return failed(path, tooLargeReason(budget));
    }
    for (;;) {
        if (!makeRoom(bytes, kReadChunk, budget)) {
            return failed(path, tooLargeReason(budget));
        }
        const std::size_t before = bytes.size();
        const std::size_t room = bytes.capacity() - before;
        bytes.resize(bytes.capacity());
        const std::size_t got = std::fread(bytes.data() + before, 1, room, file.get());
        bytes.resize(before + got);
        if (got < room) {
            if (std::ferror(file.get())) {
                return failed(path, "cannot read the file");
            }
            break;
        }
    }
    file.reset();
    Format format = Format::Obj;
    std::string reason;
    if (!detectFormat(bytes, path, format, reason)) {
        return failed(path, reason);
    }
    return readAndBuild(format, bytes, &bytes, path, budget);
}

} // namespace model
