// A 4-ary heap of nodes keyed by a priority, one entry per node, with
// decrease-key: the queue of Dijkstra, uniform-cost search and A*.
//
// Those searches order their queues totally (priority, then node index), so
// any queue releases the nodes in the same order; keeping one entry per node
// (instead of leaving stale entries behind) keeps the heap small, and four
// children per node make it shallow.
#pragma once

#include <cstdint>
#include <vector>

namespace tarvel::detail {

// `Before(a, b)`: entry a leaves the heap before entry b. Entries are
// (key, node) pairs; Before must order them totally.
template <class Key, class Before>
class IndexedHeap {
public:
    struct Entry {
        Key key;
        std::uint32_t node;
    };

    IndexedHeap(std::size_t nodes, Before order) : position(nodes, Absent), before(order) {}

    bool empty() const noexcept { return heap.empty(); }

    // The node that would leave next; precondition: not empty.
    std::uint32_t peek() const noexcept { return heap.front().node; }

    // Puts `node` in the heap with `key`, or gives it `key` if it is there
    // already.
    void push(std::uint32_t node, Key key) {
        const Entry entry{key, node};
        const std::uint32_t at = position[node];
        if (at == Absent) {
            heap.push_back(entry);
            siftUp(heap.size() - 1, entry);
        } else if (before(entry, heap[at])) {
            siftUp(at, entry);
        } else {
            siftDown(at, entry);
        }
    }

    // Removes and returns the first entry.
    Entry pop() {
        const Entry top = heap.front();
        position[top.node] = Absent;
        const Entry last = heap.back();
        heap.pop_back();
        if (!heap.empty()) siftDown(0, last);
        return top;
    }

private:
    static constexpr std::uint32_t Absent = ~std::uint32_t{0};

    void place(std::size_t at, const Entry& entry) {
        heap[at] = entry;
        position[entry.node] = static_cast<std::uint32_t>(at);
    }

    void siftUp(std::size_t hole, const Entry& entry) {
        while (hole > 0) {
            const std::size_t parent = (hole - 1) / 4;
            if (!before(entry, heap[parent])) break;
            place(hole, heap[parent]);
            hole = parent;
        }
        place(hole, entry);
    }

    void siftDown(std::size_t hole, const Entry& entry) {
        const std::size_t size = heap.size();
        for (;;) {
            const std::size_t first = 4 * hole + 1;
            if (first >= size) break;
            std::size_t best = first;
            const std::size_t end = first + 4 < size ? first + 4 : size;
            for (std::size_t child = first + 1; child < end; ++child)
                if (before(heap[child], heap[best])) best = child;
            if (!before(heap[best], entry)) break;
            place(hole, heap[best]);
            hole = best;
        }
        place(hole, entry);
    }

    std::vector<Entry> heap;
    std::vector<std::uint32_t> position;  // of each node in `heap`, or Absent
    Before before;
};

}  // namespace tarvel::detail
