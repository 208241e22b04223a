// The files the page holds for the program: chosen in the browser's file
// picker or dropped on a canvas, read into the page's memory and named by
// the paths the page hands over (the open-file dialog's answer, a drop's
// files). The files of one choice or drop share a folder, so a model's
// materials files are found beside it. The program reads each file once:
// the page lets it go as it is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace platform::web {

enum class PageFileStatus {
    Read,       // `bytes` holds the file's `size` bytes
    Missing,    // the page holds no file by that path
    Unreadable, // the browser could not read it
    TooLarge,   // larger than `maxBytes`, or no memory for it
};

PageFileStatus readPageFile(const std::string& path, std::uint64_t maxBytes,
                            std::unique_ptr<std::uint8_t[]>& bytes, std::size_t& size);

// Hands `bytes` to the browser as a download named `name` (a picture the
// program saves: the page keeps no files of its own).
void offerDownload(const std::string& name, std::span<const std::uint8_t> bytes);

} // namespace platform::web
