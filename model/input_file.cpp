#include "model/input_file.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

namespace model {

namespace {

#if defined(_WIN32)
using FileStatus = struct _stat64;
int statusOfPath(const char* path, FileStatus& status) {
    // The C runtime's stat fails on a folder named with a separator at its
    // end ("C:\\models\\"): asked again without it (a drive's root keeps it).
    if (_stat64(path, &status) == 0) {
        return 0;
    }
    std::string trimmed(path);
    while (trimmed.size() > 3 && (trimmed.back() == '\\' || trimmed.back() == '/')) {
        trimmed.pop_back();
    }
    return trimmed.size() < std::strlen(path) ? _stat64(trimmed.c_str(), &status) : -1;
}
int statusOfFile(std::FILE* file, FileStatus& status) {
    return _fstat64(_fileno(file), &status);
}
#else
using FileStatus = struct stat;
int statusOfPath(const char* path, FileStatus& status) {
    return stat(path, &status);
}
int statusOfFile(std::FILE* file, FileStatus& status) {
    return fstat(fileno(file), &status);
}
#endif

// Why a path of this kind is not read; empty for a regular file.
std::string kindReason(const FileStatus& status) {
    const auto mode = status.st_mode;
    if ((mode & S_IFMT) == S_IFREG) {
        return {};
    }
    if ((mode & S_IFMT) == S_IFDIR) {
        return "cannot read: it is a folder, not a file";
    }
    if ((mode & S_IFMT) == S_IFCHR) {
        return "cannot read: it is a device, not a file";
    }
#if defined(S_IFIFO)
    if ((mode & S_IFMT) == S_IFIFO) {
        return "cannot read: it is a pipe, not a file";
    }
#endif
#if defined(S_IFSOCK)
    if ((mode & S_IFMT) == S_IFSOCK) {
        return "cannot read: it is a socket, not a file";
    }
#endif
    return "cannot read: it is not a regular file";
}

} // namespace

bool InputFile::open(const std::string& path, std::string& reason) {
    file_.reset();
    size_ = 0;
    position_ = 0;
    if (path.find('\0') != std::string::npos) {
        reason = "cannot open: the name holds a zero byte";
        return false;
    }
    FileStatus status{};
    if (statusOfPath(path.c_str(), status) != 0) {
        reason = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    reason = kindReason(status);
    if (!reason.empty()) {
        return false;
    }
    file_.reset(std::fopen(path.c_str(), "rb"));
    if (!file_) {
        reason = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    if (statusOfFile(file_.get(), status) != 0) {
        reason = "cannot read the file";
        file_.reset();
        return false;
    }
    reason = kindReason(status);
    if (!reason.empty()) {
        file_.reset();
        return false;
    }
    size_ = status.st_size > 0 ? static_cast<std::uint64_t>(status.st_size) : 0;
    return true;
}

bool InputFile::read(std::uint8_t* into, std::size_t count, std::size_t& got) {
    got = 0;
    if (!file_) {
        return false;
    }
    const std::uint64_t left = size_ - position_;
    if (count > left) {
        count = static_cast<std::size_t>(left);
    }
    while (got < count) {
        const std::size_t n = std::fread(into + got, 1, count - got, file_.get());
        got += n;
        if (n == 0) {
            if (std::ferror(file_.get())) {
                return false;
            }
            break; // the file shrank
        }
    }
    position_ += got;
    return true;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace model
