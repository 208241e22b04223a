// Writing a file's bytes whole, in one of three ways:
//  - Direct: the file is created or truncated and written; a failed write
//    removes it again.
//  - Atomic: a file that does not exist yet is written to a temporary file
//    in the same folder (".NAME.<process>.<n>.tmp") and renamed into place,
//    so no reader ever sees part of it and a failure leaves no file. A file
//    that exists already is overwritten in place instead (truncated and
//    written through its own name, never replaced by a rename): whoever
//    created it, a thumbnail service for one, keeps reading the file it
//    made and finds the bytes there.
//  - Replace: always written to a temporary file beside it (as Atomic
//    does), flushed to the disk and renamed over the file the name had, so
//    that file stays whole until the new one has all its bytes: a failure
//    at any step leaves the old file as it was and no temporary. The new
//    file takes the old one's permission bits (where the system has them).
// Errors read "PATH: reason".
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace image {

enum class FileWrite { Direct, Atomic, Replace };

bool writeFileBytes(const std::string& path, std::span<const std::uint8_t> bytes, FileWrite mode,
                    std::string& error);

} // namespace image
