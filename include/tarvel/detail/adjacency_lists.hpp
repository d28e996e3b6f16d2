// The adjacency lists of a graph's nodes, and its incoming lists.
//
// A node's entries are always contiguous and found through one 16-byte slot
// per node, so reading a list costs one load before its entries. The lists
// live in one of two places: packed, every list one after another in node
// order in one array (what a large batch of edges, a copy of the graph and
// a repacking make), or, for a list grown since it was packed, a block of
// its own with room to grow. A graph built by one large batch, or loaded
// from a file, is read from one array in node order, as the searches read
// it fastest, and costs no allocation per node.
//
// Entries added to lists of their own are counted: when they outnumber the
// packed entries (by a quarter of the node count and a few thousand more),
// the next change repacks every list first. So a graph built edge by edge
// is mostly packed too, for amortised O(1) per entry: each repacking of L
// entries follows at least L additions.
#pragma once

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "../interrupt.hpp"
#include "../types.hpp"

namespace tarvel::detail {

// Ensures that `count` more elements fit without reallocating, growing
// geometrically (a vector grown one reserve at a time would be quadratic).
template <class Vector>
void makeRoom(Vector& vector, std::size_t count) {
    if (vector.capacity() - vector.size() < count) {
        vector.reserve(std::max(2 * vector.capacity(), vector.size() + count));
    }
}

template <class W>
class AdjacencyLists {
public:
    using Entry = AdjacencyEntry<W>;

    // One node's list: where its entries are and how many, and whether the
    // block holding them is its own (with room for 2^k entries) or part of
    // the packed array.
    struct Slot {
        Entry* data;
        std::uint64_t word;  // size << 6 | (own block ? k + 1 : 0)

        std::size_t size() const noexcept { return static_cast<std::size_t>(word >> 6); }
        bool own() const noexcept { return (word & 63) != 0; }
        std::size_t capacity() const noexcept { return own() ? std::size_t{1} << ((word & 63) - 1) : size(); }
    };

    AdjacencyLists() = default;
    ~AdjacencyLists() { freeBlocks(); }
    AdjacencyLists(AdjacencyLists&& other) noexcept
        : slots(std::move(other.slots)), packed(std::move(other.packed)), total(other.total),
          packedAtPack(other.packedAtPack), addedSincePack(other.addedSincePack) {
        other.slots.clear();
        other.total = other.packedAtPack = other.addedSincePack = 0;
    }
    AdjacencyLists& operator=(AdjacencyLists&& other) noexcept {
        AdjacencyLists taken(std::move(other));
        swap(taken);
        return *this;
    }
    // Copies are made packed, hearing the interrupt check: copyFrom.
    AdjacencyLists(const AdjacencyLists&) = delete;
    AdjacencyLists& operator=(const AdjacencyLists&) = delete;

    std::size_t nodeCount() const noexcept { return slots.size(); }
    std::size_t entryCount() const noexcept { return total; }
    const Slot* slotData() const noexcept { return slots.data(); }

    Span<Entry> operator[](std::size_t node) const noexcept {
        const Slot& slot = slots[node];
        return Span<Entry>(slot.data, slot.size());
    }

    // A packed copy of `other`: every list in node order in one array. The
    // checkpoint is called as it goes; what it throws leaves this unchanged.
    void copyFrom(const AdjacencyLists& other, Checkpoint& checkpoint) {
        std::vector<Slot> copied(other.slots.size(), Slot{nullptr, 0});
        std::unique_ptr<Entry[]> array(other.total == 0 ? nullptr : new Entry[other.total]);
        std::size_t at = 0;
        for (std::size_t u = 0; u < copied.size(); ++u) {
            const Slot& from = other.slots[u];
            checkpoint(from.size() + 1);
            std::copy(from.data, from.data + from.size(), array.get() + at);
            copied[u] = Slot{array.get() + at, std::uint64_t{from.size()} << 6};
            at += from.size();
        }
        freeBlocks();
        slots.swap(copied);
        packed = std::move(array);
        total = packedAtPack = at;
        addedSincePack = 0;
    }

    // Room for `count` more nodes (may throw std::bad_alloc, changing
    // nothing); then addNode cannot fail.
    void reserveNodes(std::size_t count) { makeRoom(slots, count); }
    void addNode() noexcept { slots.push_back(Slot{nullptr, 0}); }
    // Removes the last node, whose list must be empty.
    void removeLastNode() noexcept {
        if (slots.back().own()) delete[] slots.back().data;
        slots.pop_back();
    }

    // Whether `more` additions call for repacking first.
    bool crowded(std::size_t more) const noexcept {
        return addedSincePack + more > packedAtPack + slots.size() / 4 + Slack;
    }

    // Room for `more` entries at the end of `node`'s list, moving it to a
    // block of its own when needed; its entries are unchanged. Throws
    // std::bad_alloc, changing nothing.
    void reserve(std::size_t node, std::size_t more) {
        Slot& slot = slots[node];
        const std::size_t size = slot.size();
        if (slot.capacity() - size >= more || more == 0) return;
        unsigned k = 2;
        while ((std::size_t{1} << k) < size + more) ++k;
        Entry* block = new Entry[std::size_t{1} << k];
        std::copy(slot.data, slot.data + size, block);
        if (slot.own()) delete[] slot.data;
        slot.data = block;
        slot.word = (std::uint64_t{size} << 6) | (k + 1);
    }

    // Appends to `node`'s list; precondition: reserve made room.
    void push(std::size_t node, const Entry& entry) noexcept {
        Slot& slot = slots[node];
        slot.data[slot.size()] = entry;
        slot.word += 64;
        ++total;
        ++addedSincePack;
    }

    // Removes the last entry of `node`'s list (taking back a push).
    void pop(std::size_t node) noexcept {
        slots[node].word -= 64;
        --total;
        --addedSincePack;
    }

    // Packs every list into one new array in node order, each followed by
    // room for extra[u] new entries, which add(append) then places by
    // calling append(node, entry) for each, in order (extra[u] of them for
    // node u). `extra` has one element per node and is used up. What add
    // throws (Interrupted, when it is told to stop) or running out of memory
    // leaves the lists as they were. Cost: O(V + entries).
    template <class Add>
    void packWith(std::vector<std::size_t>& extra, Add&& add) {
        const std::size_t n = slots.size();
        std::size_t sum = total;
        for (const std::size_t more : extra) sum += more;
        std::unique_ptr<Entry[]> array(sum == 0 ? nullptr : new Entry[sum]);
        std::size_t at = 0;
        for (std::size_t u = 0; u < n; ++u) {
            const Slot& slot = slots[u];
            std::copy(slot.data, slot.data + slot.size(), array.get() + at);
            at += slot.size();
            const std::size_t more = extra[u];
            extra[u] = at;  // where u's next new entry goes
            at += more;
        }
        // The block must hold every list and its new entries: add writes
        // up to `at` without looking.
        assert(at == sum);
        Entry* const base = array.get();
        add([&extra, base](std::size_t node, const Entry& entry) { base[extra[node]++] = entry; });
        // Every list now ends where the next one starts.
        freeBlocks();
        std::size_t start = 0;
        for (std::size_t u = 0; u < n; ++u) {
            slots[u] = Slot{base + start, std::uint64_t{extra[u] - start} << 6};
            start = extra[u];
        }
        packed = std::move(array);
        total = packedAtPack = sum;
        addedSincePack = 0;
    }

    // Packs every list as they are. Cost: O(V + entries).
    void repack() {
        std::vector<std::size_t> none(slots.size(), 0);
        packWith(none, [](auto&&) {});
    }

    void swap(AdjacencyLists& other) noexcept {
        slots.swap(other.slots);
        packed.swap(other.packed);
        std::swap(total, other.total);
        std::swap(packedAtPack, other.packedAtPack);
        std::swap(addedSincePack, other.addedSincePack);
    }

private:
    static constexpr std::size_t Slack = 4096;

    void freeBlocks() noexcept {
        for (const Slot& slot : slots)
            if (slot.own()) delete[] slot.data;
    }

    std::vector<Slot> slots;
    std::unique_ptr<Entry[]> packed;  // lists that have not moved since the last packing
    std::size_t total = 0;            // entries in all lists
    std::size_t packedAtPack = 0;     // entries packed by the last packing
    std::size_t addedSincePack = 0;   // entries pushed since
};

// For each node the nodes whose lists hold an entry leading to it: one per
// entry, in node order and, within a node, in list order. Made from the
// adjacency lists when a computation first needs them (a breadth-first
// search from the goal of a directed graph, Kosaraju's second pass) and
// kept with the graph until its next change.
struct IncomingLists {
    std::vector<std::size_t> offsets;  // node u's sources: sources[offsets[u] .. offsets[u + 1])
    std::vector<std::uint32_t> sources;

    Span<std::uint32_t> operator[](std::size_t node) const noexcept {
        return Span<std::uint32_t>(sources.data() + offsets[node], offsets[node + 1] - offsets[node]);
    }
};

// The incoming lists of `lists`, calling the thread's interrupt check as it
// goes. Cost: O(V + E).
template <class W>
IncomingLists incomingLists(const AdjacencyLists<W>& lists) {
    const std::size_t n = lists.nodeCount();
    IncomingLists in;
    in.offsets.assign(n + 1, 0);
    Checkpoint checkpoint;
    for (std::size_t u = 0; u < n; ++u) {
        checkpoint(lists[u].size() + 1);
        for (const auto& entry : lists[u]) ++in.offsets[entry.target + 1];
    }
    for (std::size_t u = 0; u < n; ++u) in.offsets[u + 1] += in.offsets[u];
    in.sources.resize(in.offsets[n]);
    std::vector<std::size_t> fill(in.offsets.begin(), in.offsets.end() - 1);
    for (std::size_t u = 0; u < n; ++u) {
        checkpoint(lists[u].size() + 1);
        for (const auto& entry : lists[u]) in.sources[fill[entry.target]++] = static_cast<std::uint32_t>(u);
    }
    return in;
}

}  // namespace tarvel::detail
