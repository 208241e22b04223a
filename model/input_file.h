// A model file (or a file beside it) opened for reading: only a regular
// file is opened, and it is read to the size it had when it was opened.
//
// The kind of the path is asked before it is opened, so a folder, a device
// (/dev/zero), a pipe or a socket is refused at once: opening a pipe would
// wait for a writer, and a device would be read without end. Then the open
// file is asked again (the path may have changed in between). Plain C
// stdio and the system's stat, which MinGW and emscripten have too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace model {

class InputFile {
  public:
    // Opens `path`. False, with the reason as a message says it after the
    // file's name ("cannot open: No such file or directory", "cannot read:
    // it is a folder, not a file"), when it is not a regular file or cannot
    // be opened.
    bool open(const std::string& path, std::string& reason);

    // Bytes the file had when it was opened.
    std::uint64_t size() const { return size_; }
    // Bytes read so far.
    std::uint64_t position() const { return position_; }

    // Reads up to `count` bytes, never past size(); returns how many were
    // read (fewer only at the end of the file, or when it shrank). False on
    // a read error.
    bool read(std::uint8_t* into, std::size_t count, std::size_t& got);

    void close() { file_.reset(); }

  private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;
};

// The folder part of a path, up to and including its last '/' or '\\';
// empty for a bare name.
std::string folderOf(const std::string& path);

} // namespace model
