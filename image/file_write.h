// Writing a file's bytes whole, in one of two ways:
//  - Direct: the file is created or truncated and written; a failed write
//    removes it again.
//  - Atomic: a file that does not exist yet is written to a temporary file
//    in the same folder (".NAME.<process>.<n>.tmp") and renamed into place,
//    so no reader ever sees part of it and a failure leaves no file. A file
//    that exists already is overwritten in place instead (truncated and
//    written through its own name, never replaced by a rename): whoever
//    created it, a thumbnail service for one, keeps reading the file it
//    made and finds the bytes there.
// Errors read "PATH: reason".
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace image {

enum class FileWrite { Direct, Atomic };

bool writeFileBytes(const std::string& path, std::span<const std::uint8_t> bytes, FileWrite mode,
                    std::string& error);

} // namespace image
