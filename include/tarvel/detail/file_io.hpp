// The graph file on disk: opening and whole-file reading, writing and
// atomic replacement, each wait interruptible by the thread's check.
#pragma once

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include "../interrupt.hpp"
#include "file_errors.hpp"

namespace tarvel::detail {

[[noreturn]] inline void fileError(const char* what, const std::string& filename, int error) {
    throw FileError(what, filename, error);
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
    // Closes now and returns 0 or the error. Linux releases the descriptor
    // even when close reports EINTR, and nothing is left to flush: that is
    // no failure.
    int close() noexcept {
        const int result = ::close(fd);
        fd = -1;
        return result == 0 || errno == EINTR ? 0 : errno;
    }

private:
    int fd;
};

// A megabyte at a time, so that the thread's interrupt check is heard while
// a big file is read or written.
inline constexpr std::size_t IoChunk = std::size_t{1} << 20;

// The longest wait between two calls of the interrupt check while a file
// waits for its other end (a FIFO's reader or writer, room in a pipe,
// bytes from a device).
inline constexpr std::chrono::milliseconds WaitSlice{2};

// Waits until `fd` reports one of `events`, a hang-up or an error (the next
// read or write tells which), calling the thread's interrupt check every
// WaitSlice meanwhile. Returns 0, or poll's error. Throws what the check
// throws.
inline int awaitDescriptor(int fd, short events) {
    const Checkpoint checkpoint;
    pollfd entry{fd, events, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, static_cast<int>(WaitSlice.count()));
        if (ready > 0) return 0;
        if (ready < 0 && errno != EINTR) return errno;
        checkpoint.now();  // a signal's handler may be the one that throws
    }
}

// Writes all of `text`; returns 0 or the error. A descriptor that takes no
// more for now (a full pipe, opened without blocking) is waited for. EINTR
// is no failure: the write is tried again once the interrupt check has had
// its say. Throws what the thread's interrupt check throws.
inline int writeAll(int fd, std::string_view text) {
    Checkpoint checkpoint;
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t written = ::write(fd, text.data() + done, std::min(text.size() - done, IoChunk));
        if (written > 0) {
            done += static_cast<std::size_t>(written);
            checkpoint(static_cast<std::size_t>(written));
        } else if (written == 0) {
            return EIO;  // no progress: never loop forever
        } else if (errno == EINTR) {
            checkpoint.now();
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (const int error = awaitDescriptor(fd, POLLOUT)) return error;
        } else {
            return errno;
        }
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

// Opens `filename` with `flags`, trying again after EINTR.
inline int openFile(const std::string& filename, int flags, mode_t mode = 0) {
    const Checkpoint checkpoint;
    for (;;) {
        const int fd = ::open(filename.c_str(), flags, mode);
        if (fd >= 0 || errno != EINTR) return fd;
        checkpoint.now();
    }
}

// Writes into an existing file that is not a regular one (a device, a FIFO)
// as opening it for writing would: such a file cannot be replaced by
// renaming without destroying it, and has no disk contents to flush. It is
// opened without blocking, so that every wait is one the interrupt check is
// heard in: a FIFO without a reader refuses to open (ENXIO) and is tried
// again every WaitSlice until a reader comes; a full pipe is polled.
inline void writeInto(const std::string& filename, const std::string& text, bool fifo) {
    const Checkpoint checkpoint;
    int opened;
    while ((opened = openFile(filename, O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK)) < 0) {
        if (errno != ENXIO || !fifo) fileError("cannot write graph file", filename, errno);
        checkpoint.now();
        std::this_thread::sleep_for(WaitSlice);
    }
    Descriptor fd(opened);
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
// FileError "cannot write graph file 'NAME': REASON" for every failure to
// write; what the thread's interrupt check throws (a regular file is then
// untouched too).
inline void replaceFile(const std::string& filename, const std::string& text) {
    checkFileName(filename);
    struct stat existing;
    const bool exists = ::stat(filename.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) fileError("cannot write graph file", filename, EISDIR);
    if (exists && !S_ISREG(existing.st_mode)) return writeInto(filename, text, S_ISFIFO(existing.st_mode));

    const std::string target = linkTarget(filename);
    // A short name of its own: the target's name may already be as long as
    // the file system allows.
    const std::string pattern = directoryOf(target) + ".tarvel-XXXXXX";
    std::string temporary;
    int created;
    do {
        temporary = pattern;
        created = ::mkstemp(&temporary[0]);
    } while (created < 0 && errno == EINTR);
    Descriptor fd(created);
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
    if (error == 0) {
        int synced;
        while ((synced = ::fsync(fd.get())) != 0 && errno == EINTR) {
        }
        if (synced != 0) error = errno;
    }
    const int closeError = fd.close();
    if (error == 0) error = closeError;
    if (error == 0 && std::rename(temporary.c_str(), target.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        fileError("cannot write graph file", filename, error);
    }
}

// A graph file opened for reading. Opening never waits: a FIFO is opened
// without blocking, and its writer is waited for by the reads
// (descriptor_stream.hpp). Errors: std::invalid_argument for a name holding
// a NUL byte; FileError "cannot open graph file 'NAME': REASON" when it
// cannot be opened (a missing file, no permission) or is a directory
// (EISDIR).
class InputFile {
public:
    explicit InputFile(const std::string& filename) : name(filename), fd(openFor(filename)) {
        struct stat info;
        if (::fstat(fd.get(), &info) != 0) fileError("cannot open graph file", filename, errno);
        if (S_ISDIR(info.st_mode)) fileError("cannot open graph file", filename, EISDIR);
        regular = S_ISREG(info.st_mode);
        if (regular) {
            size = static_cast<std::size_t>(info.st_size);
            // Plain blocking reads for a file on disk, whatever the file
            // system makes of the flag.
            const int flags = ::fcntl(fd.get(), F_GETFL);
            if (flags == -1 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) == -1) {
                fileError("cannot open graph file", filename, errno);
            }
        }
    }

    const std::string& filename() const noexcept { return name; }
    int descriptor() const noexcept { return fd.get(); }
    // A regular file, whose end is known: read whole. Anything else (FIFO,
    // device, terminal) is read as its bytes arrive.
    bool isRegular() const noexcept { return regular; }

    // The whole contents of a regular file, gathered into one buffer
    // reserved from its length, a megabyte at a time.
    // Errors: FileError "cannot read graph file 'NAME': REASON"; what the
    // thread's interrupt check throws.
    std::string readAll() const {
        std::string text;
        text.reserve(size);
        std::vector<char> chunk(IoChunk);
        Checkpoint checkpoint;
        for (;;) {
            checkpoint.now();
            const ssize_t got = ::read(fd.get(), chunk.data(), chunk.size());
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) fileError("cannot read graph file", name, errno);
            if (got == 0) return text;
            text.append(chunk.data(), static_cast<std::size_t>(got));
        }
    }

private:
    static int openFor(const std::string& filename) {
        checkFileName(filename);
        const Checkpoint checkpoint;
        int fd;
        // A regular file under another process's write lease refuses a
        // non-blocking open until the lease is given up (within the
        // system's lease-break time), which the refusal itself asks for.
        while ((fd = openFile(filename, O_RDONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK)) < 0 && errno == EWOULDBLOCK) {
            struct stat info;
            if (::stat(filename.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
                fileError("cannot open graph file", filename, EWOULDBLOCK);
            }
            checkpoint.now();
            std::this_thread::sleep_for(WaitSlice);
        }
        if (fd < 0) fileError("cannot open graph file", filename, errno);
        return fd;
    }

    std::string name;
    Descriptor fd;
    bool regular = false;
    std::size_t size = 0;
};

}  // namespace tarvel::detail
