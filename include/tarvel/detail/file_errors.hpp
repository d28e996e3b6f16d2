// The errors of the graph file that callers tell apart by type: FileError
// (the operating system refused to open, read or write the file) and
// FractionalWeight (a file's weight does not fit an integer graph). They
// belong to json_file.hpp's interface, which includes this header; they
// live in namespace tarvel.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

namespace tarvel {

// A graph file that could not be opened, read or written. The message is
// "WHAT 'NAME': REASON", REASON being the system's text for the error, as
// in "cannot open graph file 'missing.json': No such file or directory";
// error() is the errno value (ENOENT, EISDIR, EACCES, ...), so that callers
// can react to the cause without reading the message.
class FileError : public std::runtime_error {
public:
    FileError(const std::string& what, const std::string& filename, int error)
        : std::runtime_error(what + " '" + filename + "': " + std::strerror(error)),
          code(error),
          name(std::make_shared<const std::string>(filename)) {}

    int error() const noexcept { return code; }
    const std::string& filename() const noexcept { return *name; }

private:
    int code;
    std::shared_ptr<const std::string> name;  // shared: copying an exception must not throw
};

// A weight with a fractional part in a file loaded into a graph of integer
// weights, which would otherwise lose it: "edge K has the fractional weight
// X, but the graph holds integer weights", K being the edge's position in
// the file's edge list (from 0, in the order the edges are added) and X the
// number as the JSON library writes it.
class FractionalWeight : public std::runtime_error {
public:
    FractionalWeight(std::size_t edge, const std::string& weight)
        : std::runtime_error("edge " + std::to_string(edge) + " has the fractional weight " + weight +
                             ", but the graph holds integer weights"),
          position(edge) {}

    std::size_t edge() const noexcept { return position; }

private:
    std::size_t position;
};

}  // namespace tarvel
