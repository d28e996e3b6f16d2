// Open-addressing hash tables used by the graph store and the algorithms:
// NameIndex (node name -> NodeIndex, the names themselves kept by the graph)
// and PairTable (pair of node indices -> value). Both use linear probing over
// a power-of-two array and never remove entries, as graphs only grow.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "types.hpp"

namespace tarvel::detail {

// Maps node names to their indices. A slot holds the name's hash and its
// index; the name is compared through the graph's index -> name vector, so
// names are stored only once. Look-ups accept any key type that hashes like
// T and compares equal to it (std::string_view for std::string).
template <class T>
class NameIndex {
public:
    template <class Key>
    static std::uint64_t hashOf(const Key& key) {
        return PairHash::mix(static_cast<std::uint64_t>(std::hash<Key>{}(key)));
    }

    template <class Key>
    NodeIndex find(const Key& key, std::uint64_t hash, const std::vector<T>& names) const {
        if (slots.empty()) return NoNode;
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot& slot = slots[i];
            if (slot.index == NoNode) return NoNode;
            if (slot.hash == hash && names[slot.index] == key) return slot.index;
        }
    }

    // `index` must not be present yet.
    void insert(std::uint64_t hash, NodeIndex index) {
        if ((count + 1) * 4 > slots.size() * 3) grow();
        place(hash, index);
        ++count;
    }

    std::size_t size() const noexcept { return count; }

private:
    struct Slot {
        std::uint64_t hash;
        NodeIndex index;
    };

    void place(std::uint64_t hash, NodeIndex index) {
        std::size_t i = hash & mask;
        while (slots[i].index != NoNode) i = (i + 1) & mask;
        slots[i] = {hash, index};
    }

    void grow() {
        std::vector<Slot> old(slots.empty() ? 16 : slots.size() * 2, Slot{0, NoNode});
        old.swap(slots);
        mask = slots.size() - 1;
        for (const Slot& slot : old)
            if (slot.index != NoNode) place(slot.hash, slot.index);
    }

    std::vector<Slot> slots;
    std::size_t mask = 0;
    std::size_t count = 0;
};

// Maps ordered pairs of node indices to values, hashed with PairHash.
template <class V>
class PairTable {
public:
    using Key = std::pair<NodeIndex, NodeIndex>;

    // The value of `key`, or nullptr.
    const V* find(const Key& key) const {
        if (slots.empty()) return nullptr;
        for (std::size_t i = PairHash{}(key) & mask;; i = (i + 1) & mask) {
            const Slot& slot = slots[i];
            if (slot.key.first == NoNode) return nullptr;
            if (slot.key == key) return &slot.value;
        }
    }
    V* find(const Key& key) { return const_cast<V*>(static_cast<const PairTable&>(*this).find(key)); }

    // Adds `key` with `value` unless present; returns the stored value and
    // whether it was added.
    std::pair<V*, bool> insert(const Key& key, const V& value) {
        if (V* found = find(key)) return {found, false};
        if ((count + 1) * 4 > slots.size() * 3) grow();
        Slot& slot = slots[freeSlot(key)];
        slot = {key, value};
        ++count;
        return {&slot.value, true};
    }

    std::size_t size() const noexcept { return count; }

private:
    struct Slot {
        Key key;
        V value;
    };

    std::size_t freeSlot(const Key& key) const {
        std::size_t i = PairHash{}(key) & mask;
        while (slots[i].key.first != NoNode) i = (i + 1) & mask;
        return i;
    }

    void grow() {
        std::vector<Slot> old(slots.empty() ? 16 : slots.size() * 2, Slot{Key(NoNode, NoNode), V()});
        old.swap(slots);
        mask = slots.size() - 1;
        for (const Slot& slot : old)
            if (slot.key.first != NoNode) slots[freeSlot(slot.key)] = slot;
    }

    std::vector<Slot> slots;
    std::size_t mask = 0;
    std::size_t count = 0;
};

}  // namespace tarvel::detail
