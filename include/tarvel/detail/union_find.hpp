// Union-find over node indices, shared by Kruskal and Borůvka: union by size
// and full path compression, iterative so that no chain is too long.
#pragma once

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <vector>

namespace tarvel::detail {

// A negative parent entry marks a root and holds minus the size of its set;
// a non-negative entry is the index of the parent. Indices are 32-bit, which
// limits the structure to fewer than 2^31 elements.
class DisjointSet {
public:
    explicit DisjointSet(std::size_t count) {
        if (count > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
            throw std::length_error("too many nodes for a spanning tree");
        }
        parent.assign(count, -1);
    }

    std::int32_t find(std::int32_t x) {
        std::int32_t root = x;
        while (parent[static_cast<std::size_t>(root)] >= 0) root = parent[static_cast<std::size_t>(root)];
        while (parent[static_cast<std::size_t>(x)] >= 0) {
            const std::int32_t next = parent[static_cast<std::size_t>(x)];
            parent[static_cast<std::size_t>(x)] = root;
            x = next;
        }
        return root;
    }

    // Joins the sets of `a` and `b`; false when they were one already. On
    // equal sizes the root of `a` stays the root.
    bool unite(std::int32_t a, std::int32_t b) {
        const std::int32_t ra = find(a);
        const std::int32_t rb = find(b);
        if (ra == rb) return false;
        std::int32_t& pa = parent[static_cast<std::size_t>(ra)];
        std::int32_t& pb = parent[static_cast<std::size_t>(rb)];
        if (-pa >= -pb) {
            pa += pb;
            pb = ra;
        } else {
            pb += pa;
            pa = rb;
        }
        return true;
    }

private:
    std::vector<std::int32_t> parent;
};

}  // namespace tarvel::detail
