// Binary-heap routines over a vector, written out so that the order in which
// equal elements leave the heap is the library's own and not whatever the
// standard library in use does. Prim's algorithm orders its heap by key
// alone, so that order is part of its result.
//
// The routines follow the classic "hole" scheme: pushHeap sifts the new last
// element up; popHeap moves the last element out, walks the hole from the
// root down to a leaf along the larger child (the right one unless the left
// is strictly larger), then sifts the moved element up from there.
// `less(a, b)` orders the heap: the element for which no other is greater
// is on top, as with std::push_heap / std::pop_heap.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace tarvel::detail {

template <class E, class Less>
void siftUp(std::vector<E>& heap, std::size_t hole, std::size_t top, E value, Less& less) {
    std::size_t parent = (hole - 1) / 2;
    while (hole > top && less(heap[parent], value)) {
        heap[hole] = std::move(heap[parent]);
        hole = parent;
        parent = (hole - 1) / 2;
    }
    heap[hole] = std::move(value);
}

// Adds the last element of `heap` to the heap formed by the ones before it.
template <class E, class Less>
void pushHeap(std::vector<E>& heap, Less less) {
    const std::size_t last = heap.size() - 1;
    if (last == 0) return;
    E value = std::move(heap[last]);
    siftUp(heap, last, 0, std::move(value), less);
}

// Moves the top element to the back of `heap` (the caller pops it off) and
// makes the elements before it a heap again.
template <class E, class Less>
void popHeap(std::vector<E>& heap, Less less) {
    if (heap.size() < 2) return;
    const std::size_t length = heap.size() - 1;  // elements left in the heap
    E value = std::move(heap[length]);
    heap[length] = std::move(heap[0]);
    std::size_t hole = 0;
    std::size_t child = 0;
    while (child < (length - 1) / 2) {
        child = 2 * (child + 1);
        if (less(heap[child], heap[child - 1])) --child;
        heap[hole] = std::move(heap[child]);
        hole = child;
    }
    if ((length & 1) == 0 && child == (length - 2) / 2) {
        child = 2 * (child + 1);
        heap[hole] = std::move(heap[child - 1]);
        hole = child - 1;
    }
    siftUp(heap, hole, 0, std::move(value), less);
}

}  // namespace tarvel::detail
