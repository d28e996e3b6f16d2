// Open-addressing hash tables used by the graph store and the algorithms:
// NameIndex (node name -> NodeIndex, the names themselves kept by the graph),
// PairTable (pair of node indices -> value) and PairSet. Both use linear probing over
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
        const auto tag = static_cast<std::uint32_t>(hash);
        for (std::size_t i = tag & mask;; i = (i + 1) & mask) {
            const Slot& slot = slots[i];
            if (slot.index == kEmpty) return NoNode;
            if (slot.tag == tag && names[slot.index] == key) return slot.index;
        }
    }

    // `index` (below 2^32 - 1) must not be present yet.
    void insert(std::uint64_t hash, NodeIndex index) {
        if ((count + 1) * 4 > slots.size() * 3) grow();
        place({static_cast<std::uint32_t>(hash), static_cast<std::uint32_t>(index)});
        ++count;
    }

private:
    static constexpr std::uint32_t kEmpty = ~std::uint32_t{0};

    // A slot keeps the lower half of the name's hash, which picks the slot
    // and skips most name comparisons, and the node's index.
    struct Slot {
        std::uint32_t tag;
        std::uint32_t index;
    };

    void place(Slot slot) {
        std::size_t i = slot.tag & mask;
        while (slots[i].index != kEmpty) i = (i + 1) & mask;
        slots[i] = slot;
    }

    void grow() {
        std::vector<Slot> old(slots.empty() ? 16 : slots.size() * 2, Slot{0, kEmpty});
        old.swap(slots);
        mask = slots.size() - 1;
        for (const Slot& slot : old)
            if (slot.index != kEmpty) place(slot);
    }

    std::vector<Slot> slots;
    std::size_t mask = 0;
    std::size_t count = 0;
};

// Ordered pairs of node indices packed into one 64-bit key (graphs hold
// fewer than 2^32 nodes, so no real key is all ones).
inline constexpr std::uint64_t kNoPair = ~std::uint64_t{0};

inline std::uint64_t packPair(NodeIndex a, NodeIndex b) { return static_cast<std::uint64_t>(a) << 32 | b; }

inline std::size_t pairSlot(std::uint64_t key) {
    return PairHash{}(std::pair<std::uint64_t, std::uint64_t>(key >> 32, key & 0xffffffffu));
}

// Maps ordered pairs of node indices to values, hashed with PairHash.
template <class V>
class PairTable {
public:
    using Key = std::pair<NodeIndex, NodeIndex>;

    // The value of `key`, or nullptr.
    const V* find(const Key& key) const {
        if (slots.empty()) return nullptr;
        const std::uint64_t packed = packPair(key.first, key.second);
        for (std::size_t i = pairSlot(packed) & mask;; i = (i + 1) & mask) {
            const Slot& slot = slots[i];
            if (slot.key == packed) return &slot.value;
            if (slot.key == kNoPair) return nullptr;
        }
    }
    V* find(const Key& key) { return const_cast<V*>(static_cast<const PairTable&>(*this).find(key)); }

    // Adds `key` with `value` unless present; returns the stored value and
    // whether it was added.
    std::pair<V*, bool> insert(const Key& key, const V& value) {
        if (V* found = find(key)) return {found, false};
        if ((count + 1) * 4 > slots.size() * 3) grow();
        const std::uint64_t packed = packPair(key.first, key.second);
        Slot& slot = slots[freeSlot(packed)];
        slot = {packed, value};
        ++count;
        return {&slot.value, true};
    }

private:
    struct Slot {
        std::uint64_t key;
        V value;
    };

    std::size_t freeSlot(std::uint64_t packed) const {
        std::size_t i = pairSlot(packed) & mask;
        while (slots[i].key != kNoPair) i = (i + 1) & mask;
        return i;
    }

    void grow() {
        std::vector<Slot> old(slots.empty() ? 16 : slots.size() * 2, Slot{kNoPair, V()});
        old.swap(slots);
        mask = slots.size() - 1;
        for (const Slot& slot : old)
            if (slot.key != kNoPair) slots[freeSlot(slot.key)] = slot;
    }

    std::vector<Slot> slots;
    std::size_t mask = 0;
    std::size_t count = 0;
};

// A set of ordered pairs of node indices.
class PairSet {
public:
    // Adds the pair; false when it was there already.
    bool insert(NodeIndex a, NodeIndex b) {
        if ((count + 1) * 4 > slots.size() * 3) grow();
        const std::uint64_t packed = packPair(a, b);
        for (std::size_t i = pairSlot(packed) & mask;; i = (i + 1) & mask) {
            if (slots[i] == packed) return false;
            if (slots[i] == kNoPair) {
                slots[i] = packed;
                ++count;
                return true;
            }
        }
    }

private:
    void grow() {
        std::vector<std::uint64_t> old(slots.empty() ? 16 : slots.size() * 2, kNoPair);
        old.swap(slots);
        mask = slots.size() - 1;
        for (const std::uint64_t key : old) {
            if (key == kNoPair) continue;
            std::size_t i = pairSlot(key) & mask;
            while (slots[i] != kNoPair) i = (i + 1) & mask;
            slots[i] = key;
        }
    }

    std::vector<std::uint64_t> slots;
    std::size_t mask = 0;
    std::size_t count = 0;
};

}  // namespace tarvel::detail
