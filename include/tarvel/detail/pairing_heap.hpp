// Pairing heaps over numbered items that are melded when their owners join:
// Borůvka keeps one per component, holding the component's candidate
// entries, once phases stop halving the number of components.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "../types.hpp"

namespace tarvel::detail {

// Items 0 .. weight.size() - 1, ordered by (weight, number): among equal
// weights the lower number comes first.
template <class W>
class MeldableHeaps {
public:
    static constexpr std::size_t None = NoNode;

    explicit MeldableHeaps(const std::vector<W>& weights)
        : weight(weights), child(weights.size(), None), sibling(weights.size(), None) {}

    // The root of the heap holding the items of heaps `a` and `b` (None is
    // the empty heap).
    std::size_t meld(std::size_t a, std::size_t b) {
        if (a == None) return b;
        if (b == None) return a;
        if (before(b, a)) std::swap(a, b);
        sibling[b] = child[a];
        child[a] = b;
        return a;
    }

    // Removes the top item `root`; returns the new top.
    std::size_t pop(std::size_t root) {
        pairs.clear();
        for (std::size_t first = child[root]; first != None;) {
            const std::size_t second = sibling[first];
            sibling[first] = None;
            if (second == None) {
                pairs.push_back(first);
                break;
            }
            const std::size_t next = sibling[second];
            sibling[second] = None;
            pairs.push_back(meld(first, second));
            first = next;
        }
        child[root] = None;
        std::size_t top = None;
        for (std::size_t k = pairs.size(); k-- > 0;) top = meld(pairs[k], top);
        return top;
    }

private:
    bool before(std::size_t a, std::size_t b) const {
        return weight[a] != weight[b] ? weight[a] < weight[b] : a < b;
    }

    const std::vector<W>& weight;
    std::vector<std::size_t> child, sibling, pairs;
};

}  // namespace tarvel::detail
