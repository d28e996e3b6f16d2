// Stopping a long computation from outside, and watching its progress.
//
// A caller installs a check for its thread with InterruptScope. Every
// algorithm counts its work and calls the check every few milliseconds of
// it; whatever the check throws ends the computation and reaches the caller
// (algorithms only read the graph, so it is unchanged). Worker threads of a
// parallel computation are stopped by their coordinator, which runs on the
// caller's thread and makes the calls.
//
//     std::atomic<bool> stop{false};
//     tarvel::InterruptScope scope(tarvel::stopWhen(stop));   // another thread sets stop
//     auto scores = tarvel::betweennessCentrality(g.view());  // throws tarvel::Interrupted
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <stdexcept>
#include <utility>

namespace tarvel {

// What a check throws when it wants the computation to stop.
class Interrupted : public std::runtime_error {
public:
    Interrupted() : std::runtime_error("the computation was interrupted") {}
};

// A check: returns to let the computation go on, throws to stop it.
using InterruptCheck = std::function<void()>;

// A check that stops the computation once `flag` is true. The flag must
// outlive the scope the check is installed in.
inline InterruptCheck stopWhen(const std::atomic<bool>& flag) {
    return [&flag] {
        if (flag.load(std::memory_order_relaxed)) throw Interrupted();
    };
}

namespace detail {

inline thread_local const InterruptCheck* currentCheck = nullptr;

}  // namespace detail

// Installs `check` for the current thread for the scope's lifetime (scopes
// nest; the innermost check is called).
class InterruptScope {
public:
    explicit InterruptScope(InterruptCheck check) : own(std::move(check)), outer(detail::currentCheck) {
        detail::currentCheck = &own;
    }
    ~InterruptScope() { detail::currentCheck = outer; }
    InterruptScope(const InterruptScope&) = delete;
    InterruptScope& operator=(const InterruptScope&) = delete;

private:
    InterruptCheck own;
    const InterruptCheck* outer;
};

// How far a long computation has come: called with (done, total) from the
// caller's thread, at most about four times a second and once at the end;
// what it throws stops the computation.
using ProgressCallback = std::function<void(std::size_t done, std::size_t total)>;

// Options of the computations that can use several threads.
struct RunOptions {
    // Threads to use: 0 for every core the process may run on, 1 for the
    // sequential computation; more than the cores the process may run on
    // (its affinity mask) gives as many threads as there are such cores.
    // Results are the same for any number.
    unsigned threads = 0;
    ProgressCallback progress;
};

namespace detail {

// Counts an algorithm's work and calls the thread's check every few
// milliseconds of it. Counting costs an addition; the clock is read every
// few thousand units of work.
class Checkpoint {
public:
    Checkpoint() : check(currentCheck) {}

    void operator()(std::size_t units = 1) {
        if (check == nullptr) return;
        count += units;
        if (count < Batch) return;
        count = 0;
        const auto now = std::chrono::steady_clock::now();
        if (now < next) return;
        next = now + Interval;
        (*check)();
    }

    // Calls the check now (when there is one).
    void now() const {
        if (check != nullptr) (*check)();
    }

private:
    static constexpr std::size_t Batch = 4096;
    static constexpr std::chrono::milliseconds Interval{2};

    const InterruptCheck* check;
    std::size_t count = 0;
    std::chrono::steady_clock::time_point next{};
};

// Calls a progress callback at most every quarter of a second.
class ProgressReport {
public:
    explicit ProgressReport(const ProgressCallback& callback) : progress(callback) {}

    void operator()(std::size_t done, std::size_t total) {
        if (!progress) return;
        const auto now = std::chrono::steady_clock::now();
        if (now < next) return;
        next = now + std::chrono::milliseconds(250);
        progress(done, total);
    }

    // The last call, whenever the one before it was.
    void finished(std::size_t done, std::size_t total) const {
        if (progress) progress(done, total);
    }

private:
    const ProgressCallback& progress;
    std::chrono::steady_clock::time_point next = std::chrono::steady_clock::now() + std::chrono::milliseconds(250);
};

}  // namespace detail
}  // namespace tarvel
