// Whole-file reading and replacement, for the graph file.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "../interrupt.hpp"

namespace tarvel::detail {

[[noreturn]] inline void fileError(const std::string& what, const std::string& filename, int error) {
    throw std::runtime_error(what + " '" + filename + "': " + std::strerror(error));
}

// The operating system reads a file name up to its first NUL byte, so a name
// holding one would silently name another file.
inline void checkFileName(const std::string& filename) {
    if (filename.find('\0') != std::string::npos) throw std::invalid_argument("embedded null byte");
}

// Closes a descriptor on every way out, exceptions included.
class Descriptor {
public:
    explicit Descriptor(int descriptor) noexcept : fd(descriptor) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
    int get() const noexcept { return fd; }
    // Closes now and returns 0 or the error.
    int close() noexcept {
        const int result = ::close(fd);
        fd = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int fd;
};

// A megabyte at a time, so that the thread's interrupt check is heard while
// a big file is read or written.
inline constexpr std::size_t IoChunk = std::size_t{1} << 20;

// Writes all of `text`; returns 0 or the error. Throws what the thread's
// interrupt check throws.
inline int writeAll(int fd, const std::string& text) {
    const char* data = text.data();
    std::size_t left = text.size();
    Checkpoint checkpoint;
    while (left > 0) {
        checkpoint.now();
        const ssize_t written = ::write(fd, data, std::min(left, IoChunk));
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return errno;
        if (written == 0) return EIO;  // no progress: never loop forever
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return 0;
}

// `path` up to and including its last '/', or "" (the current directory).
inline std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file that a symbolic link at `filename` finally leads to, following
// chains and reading relative links from the link's own directory; a name
// that is no link is its own target. The target need not exist.
inline std::string linkTarget(const std::string& filename) {
    std::string path = filename;
    for (int hops = 0;; ++hops) {
        struct stat info;
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
        if (hops == 40) fileError("cannot write graph file", filename, ELOOP);  // the kernel's own limit
        std::string link(static_cast<std::size_t>(info.st_size) + 64, '\0');
        ssize_t length;
        while ((length = ::readlink(path.c_str(), &link[0], link.size())) >= static_cast<ssize_t>(link.size())) {
            link.resize(2 * link.size());  // the link changed since lstat
        }
        if (length < 0) fileError("cannot write graph file", filename, errno);
        link.resize(static_cast<std::size_t>(length));
        path = !link.empty() && link[0] == '/' ? link : directoryOf(path) + link;
    }
}

// Writes into an existing file that is not a regular one (a device, a FIFO)
// as opening it for writing would: such a file cannot be replaced by
// renaming without destroying it, and has no disk contents to flush.
inline void writeInto(const std::string& filename, const std::string& text) {
    Descriptor fd(::open(filename.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) fileError("cannot write graph file", filename, errno);
    int error = writeAll(fd.get(), text);
    const int closeError = fd.close();
    if (error == 0) error = closeError;
    if (error != 0) fileError("cannot write graph file", filename, error);
}

// Writes `text` to what `filename` names. A regular file (also one reached
// through symbolic links, which stay links) is replaced as a whole: the text
// goes to a new file in the target's directory, which is flushed to disk
// and renamed over the target, so that on any failure the target is left as
// it was and the temporary file is removed. A device or FIFO is written
// into. Errors: std::invalid_argument for a name holding a NUL byte;
// std::runtime_error naming the file for every failure to write.
inline void replaceFile(const std::string& filename, const std::string& text) {
    checkFileName(filename);
    struct stat existing;
    const bool exists = ::stat(filename.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) fileError("cannot write graph file", filename, EISDIR);
    if (exists && !S_ISREG(existing.st_mode)) return writeInto(filename, text);

    const std::string target = linkTarget(filename);
    // A short name of its own: the target's name may already be as long as
    // the file system allows.
    std::string temporary = directoryOf(target) + ".tarvel-XXXXXX";
    Descriptor fd(::mkstemp(&temporary[0]));
    if (fd.get() < 0) fileError("cannot write graph file", filename, errno);

    mode_t mode;
    if (exists) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    int error;
    try {
        error = writeAll(fd.get(), text);
    } catch (...) {  // interrupted: leave nothing behind
        fd.close();
        ::unlink(temporary.c_str());
        throw;
    }
    if (error == 0 && ::fchmod(fd.get(), mode) != 0) error = errno;
    if (error == 0 && ::fsync(fd.get()) != 0) error = errno;
    const int closeError = fd.close();
    if (error == 0) error = closeError;
    if (error == 0 && std::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        fileError("cannot write graph file", filename, error);
    }
}

// The whole contents of `filename`; "" for a file that cannot be opened or
// read (a missing file, a directory). A regular file's text is gathered into
// one buffer reserved from its length, a megabyte at a time.
inline std::string readFile(const std::string& filename) {
    checkFileName(filename);
    Descriptor fd(::open(filename.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return std::string();
    struct stat info;
    std::string text;
    if (::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode)) text.reserve(static_cast<std::size_t>(info.st_size));
    std::vector<char> chunk(IoChunk);
    Checkpoint checkpoint;
    for (;;) {
        checkpoint.now();
        const ssize_t got = ::read(fd.get(), chunk.data(), chunk.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return std::string();
        if (got == 0) break;
        text.append(chunk.data(), static_cast<std::size_t>(got));
    }
    return text;
}

}  // namespace tarvel::detail
