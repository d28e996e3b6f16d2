// Pairing heaps over numbered items that are melded when their owners join:
// Borůvka keeps one per component, holding the component's candidate
// entries, once phases stop halving the number of components.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "../types.hpp"

namespace tarvel::detail {

// Items 0 .. weight.size() - 1, numbered with Index, ordered by (weight,
// number): among equal weights the lower number comes first.
template <class W, class Index = std::size_t>
class MeldableHeaps {
public:
    static constexpr Index None = ~Index{0};

    explicit MeldableHeaps(const std::vector<W>& weights)
        : weight(weights), child(weights.size(), None), sibling(weights.size(), None) {}

    // The root of the heap holding the items of heaps `a` and `b` (None is
    // the empty heap).
    Index meld(Index a, Index b) {
        if (a == None) return b;
        if (b == None) return a;
        if (before(b, a)) std::swap(a, b);
        sibling[b] = child[a];
        child[a] = b;
        return a;
    }

    // Removes the top item `root`; returns the new top.
    Index pop(Index root) {
        pairs.clear();
        for (Index first = child[root]; first != None;) {
            const Index second = sibling[first];
            sibling[first] = None;
            if (second == None) {
                pairs.push_back(first);
                break;
            }
            const Index next = sibling[second];
            sibling[second] = None;
            pairs.push_back(meld(first, second));
            first = next;
        }
        child[root] = None;
        Index top = None;
        for (std::size_t k = pairs.size(); k-- > 0;) top = meld(pairs[k], top);
        return top;
    }

private:
    bool before(Index a, Index b) const {
        return weight[a] != weight[b] ? weight[a] < weight[b] : a < b;
    }

    const std::vector<W>& weight;
    std::vector<Index> child, sibling, pairs;
};

}  // namespace tarvel::detail
