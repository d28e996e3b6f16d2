// A stable least-significant-digit radix sort on unsigned integer keys, for
// sorting many items whose order is given by an integer (Kruskal's
// candidates by weight): linear in the number of items for each 16-bit
// digit the keys differ in.
#pragma once

#include <algorithm>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace tarvel::detail {

// Sorts `items` by key(item), an unsigned integer of up to 64 bits, keeping
// the order of items with equal keys. Digits that every key shares cost one
// counting pass and no move.
template <class Item, class Key>
void radixSortStable(std::vector<Item>& items, Key key) {
    if (items.size() < 2) return;
    std::vector<Item> buffer(items.size());
    std::vector<std::size_t> count(1u << 16);
    for (unsigned shift = 0; shift < 64; shift += 16) {
        std::fill(count.begin(), count.end(), 0);
        for (const Item& item : items) ++count[(key(item) >> shift) & 0xffffu];
        if (count[(key(items[0]) >> shift) & 0xffffu] == items.size()) continue;  // all share this digit
        std::size_t start = 0;
        for (std::size_t& c : count) {
            const std::size_t here = c;
            c = start;
            start += here;
        }
        for (const Item& item : items) buffer[count[(key(item) >> shift) & 0xffffu]++] = item;
        items.swap(buffer);
    }
}

// The order of signed and unsigned integers as unsigned 64-bit keys.
template <class I>
std::uint64_t orderKey(I value) {
    if constexpr (std::is_signed_v<I>) {
        return static_cast<std::uint64_t>(static_cast<std::int64_t>(value)) ^ (std::uint64_t{1} << 63);
    } else {
        return static_cast<std::uint64_t>(value);
    }
}

}  // namespace tarvel::detail
