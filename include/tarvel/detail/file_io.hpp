// Whole-file reading and atomic replacement, for the graph file.
#pragma once

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <istream>
#include <sstream>
#include <stdexcept>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvel::detail {

[[noreturn]] inline void fileError(const std::string& what, const std::string& filename, int error) {
    throw std::runtime_error(what + " '" + filename + "': " + std::strerror(error));
}

// Replaces `filename` with `text` as a whole: the text goes to a new file in
// the same directory, which is flushed to disk and then renamed over the
// target. On any failure the target is left as it was and the temporary
// file is removed.
inline void replaceFile(const std::string& filename, const std::string& text) {
    std::string temporary = filename + ".XXXXXX";
    const int fd = ::mkstemp(&temporary[0]);
    if (fd < 0) fileError("cannot write graph file", filename, errno);

    struct stat existing;
    mode_t mode;
    if (::stat(filename.c_str(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    const char* data = text.data();
    std::size_t left = text.size();
    int error = 0;
    while (left > 0 && error == 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno != EINTR) error = errno;
            continue;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    if (error == 0 && ::fchmod(fd, mode) != 0) error = errno;
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && std::rename(temporary.c_str(), filename.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        fileError("cannot write graph file", filename, error);
    }
}

// Everything `in` holds from its current position.
inline std::string readAll(std::istream& in) {
    std::string text;
    if (!in) return text;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size > 0 && in) {
        text.resize(static_cast<std::size_t>(size));
        in.read(&text[0], size);
        text.resize(static_cast<std::size_t>(in.gcount()));
        if (in.gcount() == size && in.peek() == std::char_traits<char>::eof()) return text;
        in.clear();
    }
    // Not a regular file (or it grew): read to the end.
    std::ostringstream rest;
    rest << in.rdbuf();
    return text + rest.str();
}

}  // namespace tarvel::detail
