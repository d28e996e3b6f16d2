// A value derived from a graph's contents, made the first time a read asks
// for it and kept until the graph changes: the incoming lists.
//
// Reads ask from any number of threads at once, without a lock: a thread
// that finds no value makes one privately; the first to finish keeps its
// own, the others discard theirs and use the kept one. A making that
// throws (the interrupt check stopping it) leaves nothing behind, so the
// next read makes it anew. Dropping the value is a change of the graph, and
// like every change must not meet a read.
//
// Reads that can do without the value (more slowly) report the work they
// spent doing without it; once that adds up to what making it costs, they
// make it. So a value is not made for reads that never need much, and
// reads that would have needed it pay at most about twice their cost.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <utility>

namespace tarvel::detail {

template <class T>
class BuiltOnce {
public:
    BuiltOnce() = default;
    ~BuiltOnce() { drop(); }
    // A copy of the graph starts without the value: the copy is made to be
    // changed.
    BuiltOnce(const BuiltOnce&) noexcept {}
    BuiltOnce& operator=(const BuiltOnce&) noexcept {
        drop();
        return *this;
    }
    BuiltOnce(BuiltOnce&& other) noexcept
        : value(other.value.exchange(nullptr, std::memory_order_acq_rel)),
          spentWithout(other.spentWithout.exchange(0, std::memory_order_relaxed)) {}
    BuiltOnce& operator=(BuiltOnce&& other) noexcept {
        if (this != &other) {
            drop();
            value.store(other.value.exchange(nullptr, std::memory_order_acq_rel), std::memory_order_release);
            spentWithout.store(other.spentWithout.exchange(0, std::memory_order_relaxed), std::memory_order_relaxed);
        }
        return *this;
    }

    // The value, made by make() when there is none yet.
    template <class Make>
    const T& get(Make&& make) const {
        if (const T* kept = value.load(std::memory_order_acquire)) return *kept;
        std::unique_ptr<const T> mine(new T(make()));
        const T* expected = nullptr;
        if (value.compare_exchange_strong(expected, mine.get(), std::memory_order_acq_rel,
                                          std::memory_order_acquire)) {
            return *mine.release();
        }
        return *expected;  // another thread's, made meanwhile
    }

    // The value when it has been made, else nullptr.
    const T* peek() const noexcept { return value.load(std::memory_order_acquire); }

    // Work done without the value since it was last dropped, as reported.
    std::size_t spent() const noexcept { return spentWithout.load(std::memory_order_relaxed); }
    void spend(std::size_t work) const noexcept { spentWithout.fetch_add(work, std::memory_order_relaxed); }

    void drop() noexcept {
        delete value.exchange(nullptr, std::memory_order_acq_rel);
        spentWithout.store(0, std::memory_order_relaxed);
    }

private:
    mutable std::atomic<const T*> value{nullptr};
    mutable std::atomic<std::size_t> spentWithout{0};
};

}  // namespace tarvel::detail
