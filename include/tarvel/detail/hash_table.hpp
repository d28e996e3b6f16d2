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
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "../types.hpp"
#include "builtins.hpp"

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

    // The slot where the probe for `hash` starts (for prefetching); nullptr
    // for an empty table.
    const Slot* home(std::uint64_t hash) const { return slots.empty() ? nullptr : &slots[hash & mask]; }

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
        if ((count + 1) * 4 > slots.size() * 3) grow(slots.empty() ? 16 : slots.size() * 2);
        Slot& slot = slots[freeSlot(hash)];
        slot = fresh;
        ++count;
        return slot;
    }

    // Takes back the newest insertNew, of the slot matching `matches` and
    // probed for from `hash`. Only the newest insertions may be taken back,
    // newest first and with no growth since: an older slot's probe never
    // passed a slot that was empty when it was placed, so no look-up is
    // cut short by the slot becoming empty again.
    template <class Match>
    void takeBackNewest(std::uint64_t hash, Match&& matches) {
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            if (!Policy::isEmpty(slots[i]) && matches(slots[i])) {
                slots[i] = Policy::empty();
                --count;
                return;
            }
        }
    }

    // Makes room for `more` further slots, so that inserting them allocates
    // nothing (and so cannot fail).
    void reserve(std::size_t more) {
        if (more == 0) return;
        std::size_t size = slots.empty() ? 16 : slots.size();
        while ((count + more) * 4 > size * 3) size *= 2;
        if (size != slots.size()) grow(size);
    }

private:
    std::size_t freeSlot(std::uint64_t hash) const {
        std::size_t i = hash & mask;
        while (!Policy::isEmpty(slots[i])) i = (i + 1) & mask;
        return i;
    }

    void grow(std::size_t size) {
        std::vector<Slot> old(size, Policy::empty());
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

    // The indices of `count` keys at once, NoNode for absent ones. Look-ups
    // of a large table are cache misses; working a few keys ahead, the slot
    // and then the name of each key are fetched while earlier keys are
    // compared, so the misses overlap instead of adding up.
    template <class Key>
    void findMany(const Key* keys, std::size_t count, const std::vector<T>& names, NodeIndex* out) const {
        constexpr std::size_t Ahead = 16;
        std::vector<std::uint64_t> hashes(count);
        for (std::size_t i = 0; i < count + 3 * Ahead; ++i) {
            if (i < count) prefetchKey(keys[i]);
            if (i >= Ahead && i - Ahead < count) {
                const std::size_t k = i - Ahead;
                hashes[k] = hashOf(keys[k]);
                if (const NameSlot* slot = table.home(hashes[k])) prefetch(slot);
            }
            if (i >= 2 * Ahead && i - 2 * Ahead < count) {
                // The first slot with the key's tag is almost always its own.
                const std::size_t k = i - 2 * Ahead;
                const auto tag = static_cast<std::uint32_t>(hashes[k]);
                const NameSlot* slot = table.find(hashes[k], [&](const NameSlot& s) { return s.tag == tag; });
                if (slot != nullptr) prefetchKey(names[slot->index]);
            }
            if (i >= 3 * Ahead) {
                const std::size_t k = i - 3 * Ahead;
                out[k] = find(keys[k], hashes[k], names);
            }
        }
    }

    // Prefetches what comparing `key` reads.
    template <class Key>
    static void prefetchKey(const Key& key) {
        if constexpr (std::is_same_v<Key, std::string_view> || std::is_same_v<Key, std::string>) {
            prefetch(key.data());
        } else {
            prefetch(&key);
        }
    }

    // `index` (below 2^32 - 1) must not be present yet.
    void insertNew(std::uint64_t hash, NodeIndex index) {
        table.insertNew(hash, {static_cast<std::uint32_t>(hash), static_cast<std::uint32_t>(index)});
    }

    // Takes back the newest insertNew (see ProbingTable::takeBackNewest).
    void takeBackNewest(std::uint64_t hash, NodeIndex index) {
        table.takeBackNewest(hash, [&](const NameSlot& s) { return s.index == index; });
    }

    std::size_t size() const noexcept { return table.size(); }
    void reserve(std::size_t more) { table.reserve(more); }

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

    void prefetch(NodeIndex a, NodeIndex b) const {
        const PairSlot<Nothing> slot{packPair(a, b)};
        if (const auto* home = table.home(PairSlotPolicy<Nothing>::hashOf(slot))) detail::prefetch(home);
    }

    bool contains(NodeIndex a, NodeIndex b) const {
        const std::uint64_t key = packPair(a, b);
        const PairSlot<Nothing> slot{key};
        return table.find(PairSlotPolicy<Nothing>::hashOf(slot),
                          [&](const PairSlot<Nothing>& s) { return s.key == key; }) != nullptr;
    }

    std::size_t size() const noexcept { return table.size(); }
    void reserve(std::size_t more) { table.reserve(more); }

private:
    ProbingTable<PairSlotPolicy<Nothing>> table;
};

}  // namespace tarvel::detail
