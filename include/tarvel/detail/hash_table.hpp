// The one open-addressing hash table of the library: linear probing over a
// power-of-two array of slots, at most three quarters full, no removal
// (graphs only grow). What a slot holds and how it is hashed again when the
// table grows is the policy's:
//
//   struct Policy {
//       using Slot = ...;
//       static Slot empty();                        // the free slot
//       static bool isEmpty(const Slot&);
//       static std::uint64_t hashOf(const Slot&);   // for regrowth
//   };
//
// Two tables are built on it: NameIndex (node name -> index, the names
// themselves kept by the graph) and PairTable (ordered pair of node indices
// -> value; a PairTable of Nothing is a set of pairs).
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "../types.hpp"

namespace tarvel::detail {

template <class Policy>
class ProbingTable {
public:
    using Slot = typename Policy::Slot;

    std::size_t size() const noexcept { return count; }

    // The slot with `hash` for which `matches(slot)` holds, or nullptr.
    template <class Match>
    const Slot* find(std::uint64_t hash, Match&& matches) const {
        if (slots.empty()) return nullptr;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot& slot = slots[i];
            if (Policy::isEmpty(slot)) return nullptr;
            if (matches(slot)) return &slot;
        }
    }

    // Adds `fresh` unless a matching slot is present; returns the stored
    // slot and whether it was added. The look-up comes before any growth, so
    // a present key never reallocates the table.
    template <class Match>
    std::pair<Slot*, bool> insert(std::uint64_t hash, Match&& matches, const Slot& fresh) {
        if (const Slot* found = find(hash, matches)) return {const_cast<Slot*>(found), false};
        return {&insertNew(hash, fresh), true};
    }

    // Adds `fresh`, whose key the caller knows to be absent.
    Slot& insertNew(std::uint64_t hash, const Slot& fresh) {
        if ((count + 1) * 4 > slots.size() * 3) grow();
        Slot& slot = slots[freeSlot(hash)];
        slot = fresh;
        ++count;
        return slot;
    }

private:
    std::size_t freeSlot(std::uint64_t hash) const {
        std::size_t i = hash & mask;
        while (!Policy::isEmpty(slots[i])) i = (i + 1) & mask;
        return i;
    }

    void grow() {
        std::vector<Slot> old(slots.empty() ? 16 : slots.size() * 2, Policy::empty());
        old.swap(slots);
        mask = slots.size() - 1;
        for (const Slot& slot : old)
            if (!Policy::isEmpty(slot)) slots[freeSlot(Policy::hashOf(slot))] = slot;
    }

    std::vector<Slot> slots;
    std::size_t mask = 0;
    std::size_t count = 0;
};

// ---- node name -> NodeIndex ----------------------------------------------

// A slot keeps the lower half of the name's hash, which picks the slot and
// skips most name comparisons, and the node's index; the name is compared
// through the graph's index -> name vector, so names are stored once.
struct NameSlot {
    std::uint32_t tag;
    std::uint32_t index;
};

struct NameSlotPolicy {
    using Slot = NameSlot;
    static constexpr std::uint32_t Free = ~std::uint32_t{0};
    static Slot empty() { return {0, Free}; }
    static bool isEmpty(const Slot& s) { return s.index == Free; }
    static std::uint64_t hashOf(const Slot& s) { return s.tag; }
};

// Look-ups accept any key type that hashes like T and compares equal to it
// (std::string_view for std::string).
template <class T>
class NameIndex {
public:
    template <class Key>
    static std::uint64_t hashOf(const Key& key) {
        // Only the low 32 bits are kept in a slot, so they must be well mixed.
        return static_cast<std::uint32_t>(PairHash::mix(static_cast<std::uint64_t>(std::hash<Key>{}(key))));
    }

    template <class Key>
    NodeIndex find(const Key& key, std::uint64_t hash, const std::vector<T>& names) const {
        const auto tag = static_cast<std::uint32_t>(hash);
        const NameSlot* slot =
            table.find(hash, [&](const NameSlot& s) { return s.tag == tag && names[s.index] == key; });
        return slot == nullptr ? NoNode : slot->index;
    }

    // `index` (below 2^32 - 1) must not be present yet.
    void insertNew(std::uint64_t hash, NodeIndex index) {
        table.insertNew(hash, {static_cast<std::uint32_t>(hash), static_cast<std::uint32_t>(index)});
    }

    std::size_t size() const noexcept { return table.size(); }

private:
    ProbingTable<NameSlotPolicy> table;
};

// ---- ordered pair of node indices -> value --------------------------------

// Pairs are packed into one 64-bit key (indices are below 2^32 - 1, so no
// real key is all ones).
inline std::uint64_t packPair(NodeIndex a, NodeIndex b) { return static_cast<std::uint64_t>(a) << 32 | b; }
inline constexpr std::uint64_t NoPair = ~std::uint64_t{0};

struct Nothing {};

template <class V>
struct PairSlot {
    std::uint64_t key = NoPair;
    V value{};
};

template <>
struct PairSlot<Nothing> {
    std::uint64_t key = NoPair;
};

template <class V>
struct PairSlotPolicy {
    using Slot = PairSlot<V>;
    static Slot empty() { return Slot{}; }
    static bool isEmpty(const Slot& s) { return s.key == NoPair; }
    static std::uint64_t hashOf(const Slot& s) {
        return PairHash{}(std::pair<std::uint64_t, std::uint64_t>(s.key >> 32, s.key & 0xffffffffu));
    }
};

template <class V>
class PairTable {
public:
    // The value of (a, b), or nullptr.
    const V* find(NodeIndex a, NodeIndex b) const {
        const std::uint64_t key = packPair(a, b);
        const auto* slot = table.find(hash(key), [&](const PairSlot<V>& s) { return s.key == key; });
        return slot == nullptr ? nullptr : &slot->value;
    }

    // Adds (a, b) with `value` unless present; returns the stored value and
    // whether it was added.
    std::pair<V*, bool> insert(NodeIndex a, NodeIndex b, const V& value) {
        const std::uint64_t key = packPair(a, b);
        const auto result = table.insert(hash(key), [&](const PairSlot<V>& s) { return s.key == key; },
                                         PairSlot<V>{key, value});
        return {&result.first->value, result.second};
    }

    std::size_t size() const noexcept { return table.size(); }

private:
    static std::uint64_t hash(std::uint64_t key) { return PairSlotPolicy<V>::hashOf(PairSlot<V>{key, V()}); }

    ProbingTable<PairSlotPolicy<V>> table;
};

class PairSet {
public:
    // Adds (a, b); false when it was there already.
    bool insert(NodeIndex a, NodeIndex b) {
        const std::uint64_t key = packPair(a, b);
        const PairSlot<Nothing> slot{key};
        return table.insert(PairSlotPolicy<Nothing>::hashOf(slot),
                            [&](const PairSlot<Nothing>& s) { return s.key == key; }, slot)
            .second;
    }

    bool contains(NodeIndex a, NodeIndex b) const {
        const std::uint64_t key = packPair(a, b);
        const PairSlot<Nothing> slot{key};
        return table.find(PairSlotPolicy<Nothing>::hashOf(slot),
                          [&](const PairSlot<Nothing>& s) { return s.key == key; }) != nullptr;
    }

    std::size_t size() const noexcept { return table.size(); }

private:
    ProbingTable<PairSlotPolicy<Nothing>> table;
};

}  // namespace tarvel::detail
