// Running one computation on several threads: the calling thread is one of
// them, and the first exception of any thread stops the others and reaches
// the caller.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include <sched.h>

#include "../interrupt.hpp"

namespace tarvel::detail {

// Cores to assume instead of the affinity mask's count; 0 for the mask's.
// For tests of many threads on a machine of few cores.
inline std::atomic<unsigned> assumedCores{0};

// The cores this process may run on (its affinity mask), at least 1.
inline unsigned usableCores() {
    if (const unsigned assumed = assumedCores.load(std::memory_order_relaxed)) return assumed;
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1u, static_cast<unsigned>(CPU_COUNT(&set)));
    return std::max(1u, std::thread::hardware_concurrency());
}

// The threads a computation asking for `requested` (0: as many as there are
// usable cores) uses for `work` units of work: never more than the usable
// cores (more would only share them, each with buffers of its own), and no
// thread for less than `grain` units, which costs more than it gives.
inline unsigned threadsFor(unsigned requested, std::size_t work, std::size_t grain) {
    const unsigned cores = usableCores();
    const unsigned usable = requested == 0 ? cores : std::min(requested, cores);
    const std::size_t useful = std::max<std::size_t>(1, work / grain);
    return static_cast<unsigned>(std::max<std::size_t>(1, std::min<std::size_t>(usable, useful)));
}

// Runs work(t, stop) for t = 0 .. threads - 1, t = 0 on the calling thread.
// `stop` turns true when a thread throws; work should look at it often and
// return (or throw). The first exception thrown is rethrown: the others
// are the threads giving up because of it.
template <class Work>
void runThreads(unsigned threads, Work&& work) {
    std::atomic<bool> stop{false};
    std::mutex lock;
    std::exception_ptr first;
    const auto guarded = [&](unsigned t) {
        try {
            work(t, stop);
        } catch (...) {
            std::lock_guard<std::mutex> guard(lock);
            if (!first) first = std::current_exception();
            stop.store(true);
        }
    };
    std::vector<std::thread> workers;
    workers.reserve(threads - 1);
    try {
        for (unsigned t = 1; t < threads; ++t) workers.emplace_back(guarded, t);
    } catch (...) {
        stop.store(true);
        for (std::thread& w : workers) w.join();
        throw;
    }
    guarded(0);
    for (std::thread& w : workers) w.join();
    if (first) std::rethrow_exception(first);
}

// What a worker of runThreads calls as it goes: on the calling thread
// (t = 0), where the interrupt check belongs, that check, counted in units
// of work; on the others a look at `stop`, so that they give up once any
// thread has failed.
class WorkerCheck {
public:
    WorkerCheck(unsigned t, const std::atomic<bool>& stop) : calling(t == 0), stopped(stop) {}

    void operator()(std::size_t units) {
        if (calling) {
            checkpoint(units);
        } else if (stopped.load(std::memory_order_relaxed)) {
            throw Interrupted();
        }
    }

    // The interrupt check at once, for the calling thread while it waits.
    void now() const {
        if (calling) checkpoint.now();
    }

private:
    bool calling;
    const std::atomic<bool>& stopped;
    Checkpoint checkpoint;
};

// Where the threads of runThreads meet: each call of arriveAndWait returns
// once all `count` threads have called it, so that what any did before it
// is seen by all after it. A thread that waits gives up, returning false,
// when `stop` turns true (another thread failed); while it waits it calls
// waiting() every two milliseconds, without the lock (the calling thread's
// interrupt check, which may throw: the thread then leaves the meeting as
// if it had not come).
class Barrier {
public:
    explicit Barrier(unsigned threads) : count(threads) {}

    template <class Waiting>
    bool arriveAndWait(const std::atomic<bool>& stop, Waiting&& waiting) {
        std::unique_lock<std::mutex> guard(lock);
        const std::size_t round = generation;
        if (++arrived == count) {
            arrived = 0;
            ++generation;
            guard.unlock();
            changed.notify_all();
            return true;
        }
        while (generation == round) {
            if (stop.load()) {
                --arrived;
                return false;
            }
            changed.wait_for(guard, std::chrono::milliseconds(2));
            if (generation != round) break;
            guard.unlock();
            try {
                waiting();
            } catch (...) {
                guard.lock();
                if (generation == round) --arrived;
                throw;
            }
            guard.lock();
        }
        return true;
    }

private:
    std::mutex lock;
    std::condition_variable changed;
    const unsigned count;
    unsigned arrived = 0;
    std::size_t generation = 0;
};

}  // namespace tarvel::detail
