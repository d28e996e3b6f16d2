// Reading a graph file that is not a regular one (a FIFO, a device, a
// terminal) as its bytes arrive, so that the parser can stop at the first
// invalid byte or after the first complete value of an endless input.
#pragma once

#include <streambuf>
#include <string>
#include <vector>

#include <poll.h>
#include <unistd.h>

#include "../interrupt.hpp"
#include "file_io.hpp"

namespace tarvel::detail {

// The bytes of an open file as a std::streambuf, read a chunk at a time
// when the parser asks for more, never ahead of it. Every wait calls the
// thread's interrupt check every WaitSlice: the descriptor (opened without
// blocking) is polled before each read, and read only once it reports bytes
// or a hang-up. That is also what keeps a FIFO's "no writer yet" apart from
// its end: a FIFO opened for reading without blocking reads as empty until
// a writer comes, but reports neither bytes nor a hang-up to poll until a
// writer has come, so the first writer is waited for as a blocking open
// would wait for it.
// Errors (from the stream's reads): FileError "cannot read graph file
// 'NAME': REASON"; what the interrupt check throws.
class DescriptorStream : public std::streambuf {
public:
    explicit DescriptorStream(const InputFile& input) : file(input), buffer(std::size_t{64} << 10) {}

protected:
    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        for (;;) {
            if (const int error = awaitDescriptor(file.descriptor(), POLLIN)) {
                fileError("cannot read graph file", file.filename(), error);
            }
            const ssize_t got = ::read(file.descriptor(), buffer.data(), buffer.size());
            if (got == 0) return traits_type::eof();
            if (got > 0) {
                checkpoint(static_cast<std::size_t>(got));
                setg(buffer.data(), buffer.data(), buffer.data() + got);
                return traits_type::to_int_type(buffer[0]);
            }
            if (errno == EINTR) {
                checkpoint.now();
            } else if (errno != EAGAIN && errno != EWOULDBLOCK) {  // taken by another reader meanwhile
                fileError("cannot read graph file", file.filename(), errno);
            }
        }
    }

private:
    const InputFile& file;
    std::vector<char> buffer;
    Checkpoint checkpoint;
};

}  // namespace tarvel::detail
