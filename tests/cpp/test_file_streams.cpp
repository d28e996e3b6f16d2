// Graph files that are not regular files (pipes, FIFOs, devices): read as
// their bytes arrive with the outcome a regular file gives, and every wait
// for the other end stopped by the interrupt check and untroubled by
// signals (also a regular file's wait for another process's lease). Also
// the errors of files that cannot be opened, read or written.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>
#include <future>
#include <random>
#include <string>
#include <thread>

#include <fcntl.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "document_reference.hpp"
#include "support.hpp"

namespace {

using namespace std::chrono_literals;

std::string scratch(const std::string& name) { return ::testing::TempDir() + "streams-" + name; }

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A reader that stops early leaves the writer with EPIPE, not a signal.
const bool pipeSignalIgnored = std::signal(SIGPIPE, SIG_IGN) != SIG_ERR;

// Writes `text` to `fd` in pieces of 1 to `longest` bytes, then closes it;
// stops quietly when the reader has gone.
void writeInPieces(int fd, const std::string& text, std::size_t longest, unsigned seed) {
    std::mt19937 rng(seed);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t piece = std::min(text.size() - at, 1 + rng() % longest);
        const ssize_t written = ::write(fd, text.data() + at, piece);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) break;
        at += static_cast<std::size_t>(written);
    }
    ::close(fd);
}

// Opens the FIFO at `path` for blocking writes once a reader has it open;
// -1 once `givenUp` is set first (a faulty reader must not hang the test).
int openWhenRead(const std::string& path, const std::function<bool()>& givenUp) {
    for (;;) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) {
            ::fcntl(fd, F_SETFL, 0);
            return fd;
        }
        if (errno != ENXIO || givenUp()) return -1;
        std::this_thread::sleep_for(1ms);
    }
}

// The outcome of loading `text` from an anonymous pipe (through /dev/fd) or
// from a FIFO, written by another thread in small pieces.
template <class W>
std::string throughPipe(const std::string& text, bool fifo, std::size_t longest, unsigned seed) {
    const auto load = [](const std::string& name) {
        return reference::outcome([&] { return tarvel::loadGraph<std::string, W>(name); });
    };
    if (fifo) {
        const std::string path = scratch("fifo");
        ::unlink(path.c_str());
        EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
        std::atomic<bool> loaded{false};
        std::thread writer([&] {
            const int fd = openWhenRead(path, [&] { return loaded.load(); });
            if (fd >= 0) writeInPieces(fd, text, longest, seed);
        });
        const std::string result = load(path);
        loaded = true;
        writer.join();
        ::unlink(path.c_str());
        return result;
    }
    int ends[2];
    EXPECT_EQ(::pipe(ends), 0);
    std::thread writer([&] { writeInPieces(ends[1], text, longest, seed); });
    const std::string result = load("/dev/fd/" + std::to_string(ends[0]));
    ::close(ends[0]);  // the writer sees its reader gone
    writer.join();
    return result;
}

// The saved text of a random graph, often damaged, or with text after it.
std::string randomFileText(std::mt19937& rng, bool fractional) {
    tarvel::Graph<std::string, double> g(rng() % 2 == 0);
    const int n = static_cast<int>(rng() % 12);
    for (int k = 0; k < n; ++k) g.addNode(k % 3 == 0 ? "n\\\"\xc3\xa9" + std::to_string(k) : std::to_string(k));
    for (int k = 0; n > 0 && k < static_cast<int>(rng() % 30); ++k) {
        const double w = fractional ? static_cast<double>(static_cast<int>(rng() % 2000) - 1000) / 8
                                    : static_cast<double>(static_cast<int>(rng() % 2000) - 1000);
        g.addEdge(g.nameOf(rng() % static_cast<std::size_t>(n)), g.nameOf(rng() % static_cast<std::size_t>(n)), w);
    }
    std::string text = tarvel::graphFileText(g.view());
    static const char bytes[] = "{}[]\",:\\0e-\xff";
    switch (rng() % 5) {
        case 0: text.resize(rng() % (text.size() + 1)); break;
        case 1: text.insert(rng() % text.size(), 1, bytes[rng() % sizeof bytes]); break;
        case 2: text += rng() % 2 ? " {\"directed\": 3" : "\xff garbage"; break;
        default: break;
    }
    return text;
}

}  // namespace

TEST(FileStreams, PipesAndFifosGiveWhatARegularFileGives) {
    ASSERT_TRUE(pipeSignalIgnored);
    std::mt19937 rng(99);
    const std::string file = scratch("regular.json");
    int graphs = 0;
    for (int round = 0; round < 80; ++round) {
        const std::string text = randomFileText(rng, round % 2 == 0);
        writeText(file, text);
        const auto expected = [&](auto weight) {
            using W = decltype(weight);
            return reference::outcome([&] { return tarvel::loadGraph<std::string, W>(file); });
        };
        const std::string asInt = expected(0), asDouble = expected(0.0);
        graphs += asDouble.compare(0, 8, "directed") == 0 || asDouble.compare(0, 10, "undirected") == 0;
        const bool fifo = round % 3 == 0;
        const std::size_t longest = round % 4 == 0 ? 1 : 64;
        EXPECT_EQ(throughPipe<int>(text, fifo, longest, static_cast<unsigned>(round)), asInt) << text;
        EXPECT_EQ(throughPipe<double>(text, fifo, longest, static_cast<unsigned>(round)), asDouble) << text;
    }
    EXPECT_GT(graphs, 20);  // graphs were compared, not only errors

    // Far more than a pipe holds, in small pieces: the reader waits again and again.
    testing_support::G big = testing_support::randomGraph(rng, true, 3000, 6000, -50, 50);
    const std::string text = tarvel::graphFileText(big.view()) + "trailing";
    writeText(file, text);
    const std::string expected = reference::outcome([&] { return tarvel::loadGraph<std::string, int>(file); });
    EXPECT_EQ(throughPipe<int>(text, true, 300, 1), expected);
    EXPECT_EQ(throughPipe<int>(text, false, 300, 2), expected);
    std::remove(file.c_str());
}

TEST(FileStreams, ReadingStopsAfterTheValueOrAtTheFirstInvalidByte) {
    // /dev/zero never ends; its first byte is the error.
    const std::string nul = reference::outcome(
        [] { return tarvel::detail::readDocument<std::string, int>(std::string_view("\0", 1)); });
    EXPECT_EQ(reference::outcome([] { return tarvel::loadGraph<std::string, int>("/dev/zero"); }), nul);

    // A complete value is enough: the writer's end stays open meanwhile.
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const std::string value = R"({"directed": true, "nodes": ["a"]} {"more)";
    ASSERT_EQ(::write(ends[1], value.data(), value.size()), static_cast<ssize_t>(value.size()));
    auto loaded = std::async(std::launch::async, [&] {
        return tarvel::loadGraph<std::string, int>("/dev/fd/" + std::to_string(ends[0]));
    });
    const bool returned = loaded.wait_for(60s) == std::future_status::ready;
    ::close(ends[1]);  // ends a load that waited for the end after all
    EXPECT_TRUE(returned);
    EXPECT_EQ(loaded.get().nodeCount(), 1u);
    ::close(ends[0]);
}

namespace {

// Runs `call` on a thread whose interrupt check throws once a flag is set,
// sets the flag once `waiting()` holds (on the test's thread) and the check
// has been called since (the call is in a wait that hears its check), and
// reports what ended the call: "returned", "interrupted" or an error's
// message. A call that has not ended after a generous bound is released by
// `release` (and the test fails).
std::string stopWhileWaiting(const std::function<void()>& call, const std::function<void()>& release,
                             const std::function<bool()>& waiting = [] { return true; }) {
    std::atomic<bool> stop{false};
    std::atomic<unsigned> checks{0};
    std::promise<std::string> ended;
    std::thread worker([&] {
        tarvel::InterruptScope scope([&] {
            checks.fetch_add(1);
            if (stop.load()) throw tarvel::Interrupted();
        });
        try {
            call();
            ended.set_value("returned");
        } catch (const tarvel::Interrupted&) {
            ended.set_value("interrupted");
        } catch (const std::exception& e) {
            ended.set_value(e.what());
        }
    });
    auto result = ended.get_future();
    const auto bound = std::chrono::steady_clock::now() + 60s;
    const auto pending = [&] { return result.wait_for(0s) == std::future_status::timeout; };
    while (pending() && !waiting() && std::chrono::steady_clock::now() < bound) std::this_thread::sleep_for(1ms);
    for (const unsigned seen = checks.load(); pending() && checks.load() == seen;) std::this_thread::sleep_for(1ms);
    stop = true;
    if (result.wait_until(bound) != std::future_status::ready) release();
    worker.join();
    return result.get();
}

extern "C" void onTestSignal(int) {}

volatile std::sig_atomic_t leaseBroken = 0;
extern "C" void onLeaseBreak(int) { leaseBroken = 1; }

}  // namespace

TEST(FileStreams, InterruptCheckStopsWaitsForTheOtherEnd) {
    const std::string fifo = scratch("lonely-fifo");
    ::unlink(fifo.c_str());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto openAndClose = [&](int flags) { ::close(::open(fifo.c_str(), flags | O_NONBLOCK)); };

    // No writer ever comes.
    EXPECT_EQ(stopWhileWaiting([&] { tarvel::loadGraph<std::string, int>(fifo); },
                               [&] { openAndClose(O_WRONLY); }),
              "interrupted");
    // No reader ever comes.
    const testing_support::G g(true);
    EXPECT_EQ(stopWhileWaiting([&] { tarvel::saveGraph(g.view(), fifo); }, [&] { openAndClose(O_RDONLY); }),
              "interrupted");
    // A reader that stops reading: the save waits for room in the pipe.
    std::mt19937 rng(3);
    const testing_support::G big = testing_support::randomGraph(rng, true, 2000, 4000);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    const auto pipeFull = [&] {  // the save has written all the pipe holds
        int size = 0;
        return ::ioctl(reader, FIONREAD, &size) == 0 && size >= ::fcntl(reader, F_GETPIPE_SZ);
    };
    EXPECT_EQ(stopWhileWaiting([&] { tarvel::saveGraph(big.view(), fifo); },
                               [&] {
                                   char sink[4096];
                                   while (::read(reader, sink, sizeof sink) != 0) {
                                   }
                               },
                               pipeFull),
              "interrupted");
    ::close(reader);
    ::unlink(fifo.c_str());
}

TEST(FileStreams, SignalsDuringWaitsAreNoFailure) {
    struct sigaction handler {}, before {};
    handler.sa_handler = onTestSignal;  // no SA_RESTART: waits end with EINTR
    sigemptyset(&handler.sa_mask);
    ASSERT_EQ(::sigaction(SIGUSR1, &handler, &before), 0);
    const std::string fifo = scratch("signalled-fifo");
    ::unlink(fifo.c_str());
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::mt19937 rng(4);
    const testing_support::G g = testing_support::randomGraph(rng, false, 1500, 3000);
    const std::string text = tarvel::graphFileText(g.view());
    const auto pester = [](std::thread& target) {
        for (int k = 0; k < 20; ++k) {
            ::pthread_kill(target.native_handle(), SIGUSR1);
            std::this_thread::sleep_for(1ms);
        }
    };

    // Saving: signals while it waits for a reader and for room in the pipe.
    std::promise<std::string> saved;
    auto saveEnded = saved.get_future();
    std::thread saver([&] {
        try {
            tarvel::saveGraph(g.view(), fifo);
            saved.set_value("saved");
        } catch (const std::exception& e) {
            saved.set_value(e.what());
        }
    });
    pester(saver);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    std::string received;
    for (char chunk[8192];;) {
        const ssize_t got = ::read(reader, chunk, sizeof chunk);
        if (got > 0) received.append(chunk, static_cast<std::size_t>(got));
        if (got == 0 && saveEnded.wait_for(0s) == std::future_status::ready) break;
        if (got <= 0) std::this_thread::sleep_for(1ms);
        ::pthread_kill(saver.native_handle(), SIGUSR1);
    }
    ::close(reader);
    saver.join();
    EXPECT_EQ(saveEnded.get(), "saved");
    EXPECT_EQ(received, text);

    // Loading: signals while it waits for a writer and for bytes.
    std::promise<std::string> loaded;
    auto loadEnded = loaded.get_future();
    std::thread loader([&] {
        loaded.set_value(reference::outcome([&] { return tarvel::loadGraph<std::string, int>(fifo); }));
    });
    pester(loader);
    const int writer =
        openWhenRead(fifo, [&] { return loadEnded.wait_for(0s) == std::future_status::ready; });
    for (std::size_t at = 0; writer >= 0 && at < text.size(); at += 5000) {
        if (::write(writer, text.data() + at, std::min<std::size_t>(5000, text.size() - at)) <= 0) break;
        ::pthread_kill(loader.native_handle(), SIGUSR1);
        std::this_thread::sleep_for(1ms);
    }
    ::close(writer);
    loader.join();
    EXPECT_EQ(loadEnded.get(),
              reference::outcome([&] { return tarvel::detail::readDocument<std::string, int>(text); }));
    ::unlink(fifo.c_str());
    ::sigaction(SIGUSR1, &before, nullptr);
}

TEST(FileStreams, FileErrorsNameTheFileAndTheCause) {
    // "errno name: message" of the FileError `call` throws.
    const auto failure = [](const std::function<void()>& call) {
        try {
            call();
        } catch (const tarvel::FileError& e) {
            return std::to_string(e.error()) + " " + e.filename() + ": " + e.what();
        }
        return std::string("no FileError");
    };
    const auto expected = [](int error, const std::string& name, const char* what, const char* reason) {
        return std::to_string(error) + " " + name + ": " + what + " graph file '" + name + "': " + reason;
    };
    const auto load = [&](const std::string& name) {
        return failure([&] { tarvel::loadGraph<std::string, int>(name); });
    };
    const testing_support::G g(true);
    const auto save = [&](const std::string& name) { return failure([&] { tarvel::saveGraph(g.view(), name); }); };

    const std::string missing = scratch("missing.json"), directory = scratch("directory"), loop = scratch("loop.json");
    ::mkdir(directory.c_str(), 0700);
    ::unlink(loop.c_str());
    ASSERT_EQ(::symlink(loop.c_str(), loop.c_str()), 0);
    EXPECT_EQ(load(missing), expected(ENOENT, missing, "cannot open", "No such file or directory"));
    EXPECT_EQ(load(directory), expected(EISDIR, directory, "cannot open", "Is a directory"));
    EXPECT_EQ(load(loop), expected(ELOOP, loop, "cannot open", "Too many levels of symbolic links"));
    if (::geteuid() != 0) {  // permission bits do not stop root
        const std::string locked = scratch("locked.json");
        writeText(locked, "{}");
        ::chmod(locked.c_str(), 0);
        EXPECT_EQ(load(locked), expected(EACCES, locked, "cannot open", "Permission denied"));
        std::remove(locked.c_str());
    }
    // Opened, but its reads fail: address 0 of the process is not mapped.
    EXPECT_EQ(load("/proc/self/mem"), expected(EIO, "/proc/self/mem", "cannot read", "Input/output error"));
    EXPECT_EQ(save(directory), expected(EISDIR, directory, "cannot write", "Is a directory"));
    const std::string nowhere = missing + "/g.json";
    EXPECT_EQ(save(nowhere), expected(ENOENT, nowhere, "cannot write", "No such file or directory"));

    const std::string socketPath = scratch("socket");
    ::unlink(socketPath.c_str());
    const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listening, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(save(socketPath), expected(ENXIO, socketPath, "cannot write", "No such device or address"));
    EXPECT_EQ(load(socketPath), expected(ENXIO, socketPath, "cannot open", "No such device or address"));
    ::close(listening);
    ::unlink(socketPath.c_str());
    ::unlink(loop.c_str());
    ::rmdir(directory.c_str());
}

TEST(FileStreams, AFileUnderAWriteLeaseIsWaitedFor) {
    const std::string path = scratch("leased.json");
    writeText(path, R"({"directed": true, "nodes": ["a"]})");
    struct sigaction handler {}, before {};
    handler.sa_handler = onLeaseBreak;  // told of the lease break by this signal rather than SIGIO
    sigemptyset(&handler.sa_mask);
    ASSERT_EQ(::sigaction(SIGUSR2, &handler, &before), 0);
    leaseBroken = 0;
    const int holder = ::open(path.c_str(), O_RDONLY);
    ASSERT_EQ(::fcntl(holder, F_SETSIG, SIGUSR2), 0);
    if (::fcntl(holder, F_SETLEASE, F_WRLCK) != 0) {
        ::close(holder);
        GTEST_SKIP() << "no leases here: " << std::strerror(errno);
    }
    auto loaded = std::async(std::launch::async, [&] {
        return reference::outcome([&] { return tarvel::loadGraph<std::string, int>(path); });
    });
    // The lease break comes from the load's refused open: it has waited by then.
    for (const auto bound = std::chrono::steady_clock::now() + 60s;
         leaseBroken == 0 && std::chrono::steady_clock::now() < bound;) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(leaseBroken, 1);
    ::fcntl(holder, F_SETLEASE, F_UNLCK);
    EXPECT_EQ(loaded.get(), "directed node 1:a");
    ::close(holder);
    ::sigaction(SIGUSR2, &before, nullptr);
    std::remove(path.c_str());
}
