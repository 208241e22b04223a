#include "image/file_write.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#include <process.h>
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace image {

namespace {

#ifdef _WIN32
constexpr int kBinary = _O_BINARY;
constexpr int kNoInherit = _O_NOINHERIT;
constexpr int kNewFileMode = _S_IREAD | _S_IWRITE;
int processId() {
    return _getpid();
}
int writeSome(int fd, const std::uint8_t* data, std::size_t size) {
    // The runtime's write takes an unsigned int count.
    const unsigned int chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned int>(size);
    return _write(fd, data, chunk);
}
#else
constexpr int kBinary = 0;
constexpr int kNoInherit = O_CLOEXEC;
constexpr mode_t kNewFileMode = 0666; // less the umask, as for any new file
int processId() {
    return static_cast<int>(::getpid());
}
long writeSome(int fd, const std::uint8_t* data, std::size_t size) {
    return static_cast<long>(::write(fd, data, size));
}
#endif

// The file's bytes on the disk before it is renamed over another.
bool flushToDisk(int fd) {
#ifdef _WIN32
    return _commit(fd) == 0;
#else
    return ::fsync(fd) == 0;
#endif
}

// Renames `from` over `to`, replacing the file there (std::rename does not
// on Windows).
bool renameOver(const std::string& from, const std::string& to) {
#ifdef _WIN32
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : EIO;
    return false;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

std::string failure(const std::string& path, int code) {
    return path + ": " + std::strerror(code);
}

// Writes every byte (flushed to the disk when `flush`) and closes; false,
// with errno's reason, on a short write or a failed flush or close.
bool writeAndClose(int fd, std::span<const std::uint8_t> bytes, const std::string& path,
                   std::string& error, bool flush = false) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto wrote = writeSome(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            error = failure(path, wrote < 0 ? errno : ENOSPC);
            ::close(fd);
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    if (flush && !flushToDisk(fd)) {
        error = failure(path, errno);
        ::close(fd);
        return false;
    }
    if (::close(fd) != 0) {
        error = failure(path, errno);
        return false;
    }
    return true;
}

bool isRegularFile(const std::string& path, unsigned* permissions = nullptr) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || (info.st_mode & S_IFMT) != S_IFREG) {
        return false;
    }
    if (permissions != nullptr) {
        *permissions = static_cast<unsigned>(info.st_mode) & 07777u;
    }
    return true;
}

// The folder part of a path, with its separator ("" for a bare name).
std::string folderOf(const std::string& path) {
    std::size_t cut = path.find_last_of('/');
#ifdef _WIN32
    const std::size_t backslash = path.find_last_of("\\:");
    if (backslash != std::string::npos && (cut == std::string::npos || backslash > cut)) {
        cut = backslash;
    }
#endif
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// A new file beside `path` that nobody else has: created exclusively, under
// a name with this process's number and a counter.
int createTemporary(const std::string& path, std::string& temporary) {
    static std::atomic<unsigned> counter{0};
    const std::string folder = folderOf(path);
    const std::string name = path.substr(folder.size());
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder + "." + name + "." + std::to_string(processId()) + "." +
                    std::to_string(counter.fetch_add(1)) + ".tmp";
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | kBinary | kNoInherit,
                              kNewFileMode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

bool writeDirect(const std::string& path, std::span<const std::uint8_t> bytes, std::string& error) {
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | kBinary | kNoInherit, kNewFileMode);
    if (fd < 0) {
        error = failure(path, errno);
        return false;
    }
    if (!writeAndClose(fd, bytes, path, error)) {
        std::remove(path.c_str());
        return false;
    }
    return true;
}

} // namespace

bool writeFileBytes(const std::string& path, std::span<const std::uint8_t> bytes, FileWrite mode,
                    std::string& error) {
    if (mode == FileWrite::Direct) {
        return writeDirect(path, bytes, error);
    }
    unsigned permissions = 0;
    const bool exists = isRegularFile(path, &permissions);
    if (exists && mode == FileWrite::Atomic) {
        // In place: whoever made the file reads it through the same name
        // and, on some systems, the same open file.
        const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | kBinary | kNoInherit);
        if (fd >= 0) {
            return writeAndClose(fd, bytes, path, error);
        }
        if (errno != ENOENT) {
            error = failure(path, errno);
            return false;
        }
        // Gone since: written as a new file below.
    }
    std::string temporary;
    const int fd = createTemporary(path, temporary);
    if (fd < 0) {
        error = failure(path, errno);
        return false;
    }
    const bool replacing = mode == FileWrite::Replace;
#ifndef _WIN32
    if (replacing && exists && ::fchmod(fd, static_cast<mode_t>(permissions)) != 0) {
        error = failure(path, errno);
        ::close(fd);
        std::remove(temporary.c_str());
        return false;
    }
#endif
    if (!writeAndClose(fd, bytes, path, error, replacing)) {
        std::remove(temporary.c_str());
        return false;
    }
    if (replacing ? !renameOver(temporary, path)
                  : std::rename(temporary.c_str(), path.c_str()) != 0) {
        error = failure(path, errno);
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace image
