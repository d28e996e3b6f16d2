// The adjacency lists driven directly, against a plain vector per node: every
// way a list grows (a block of its own, grown past its room one entry or many
// at a time; a packing with room for new entries; a repacking; a copy), and
// after each the sizes, the entries and, once packed, the one array the lists
// share, whose length must be the entry count.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <tarvel/detail/adjacency_lists.hpp>

namespace {

using Lists = tarvel::detail::AdjacencyLists<int>;
using Entry = Lists::Entry;
using Plain = std::vector<std::vector<Entry>>;

void expectSame(const Lists& lists, const Plain& plain, const std::string& where) {
    ASSERT_EQ(lists.nodeCount(), plain.size()) << where;
    std::size_t total = 0;
    for (std::size_t u = 0; u < plain.size(); ++u) {
        const auto list = lists[u];
        ASSERT_EQ(std::vector<Entry>(list.begin(), list.end()), plain[u]) << where << ", node " << u;
        total += plain[u].size();
    }
    ASSERT_EQ(lists.entryCount(), total) << where;
}

// Packed: no list has a block of its own, each ends where the next starts,
// and together they span exactly the entries.
void expectPacked(const Lists& lists, const std::string& where) {
    const std::size_t n = lists.nodeCount();
    if (n == 0) return;
    const Lists::Slot* slots = lists.slotData();
    for (std::size_t u = 0; u < n; ++u) {
        ASSERT_FALSE(slots[u].own()) << where << ", node " << u;
        ASSERT_EQ(slots[u].capacity(), slots[u].size()) << where << ", node " << u;
        if (u + 1 < n) {
            ASSERT_EQ(slots[u].data + slots[u].size(), slots[u + 1].data) << where << ", node " << u;
        }
    }
    const auto span = static_cast<std::size_t>(slots[n - 1].data + slots[n - 1].size() - slots[0].data);
    ASSERT_EQ(span, lists.entryCount()) << where;
}

}  // namespace

TEST(AdjacencyLists, EveryKindOfGrowthKeepsSizesAndEntries) {
    std::mt19937 rng(47);
    int packings = 0, ownBlocks = 0;
    for (int round = 0; round < 40; ++round) {
        Lists lists;
        Plain plain;
        int nextWeight = 0;
        const auto entry = [&] {
            return Entry{static_cast<std::uint32_t>(rng() % (plain.size() + 1)), nextWeight++};
        };
        for (int step = 0; step < 120; ++step) {
            const std::string where = "round " + std::to_string(round) + " step " + std::to_string(step);
            const std::size_t kind = plain.empty() ? 0 : rng() % 10;
            bool packed = false;
            if (kind == 0) {  // nodes, at the end
                for (std::size_t k = 1 + rng() % 6; k > 0; --k) {
                    lists.reserveNodes(1);
                    lists.addNode();
                    plain.emplace_back();
                }
            } else if (kind == 1) {  // the last node goes when its list is empty
                if (plain.back().empty()) {
                    lists.removeLastNode();
                    plain.pop_back();
                }
            } else if (kind <= 4) {  // one list grows by one or many, in one reserve or one at a time
                const std::size_t u = rng() % plain.size();
                const std::size_t more = rng() % 3 == 0 ? rng() % 70 : 1 + rng() % 3;
                const bool atOnce = rng() % 2 == 0;
                if (atOnce) lists.reserve(u, more);
                for (std::size_t k = 0; k < more; ++k) {
                    if (!atOnce) lists.reserve(u, 1);
                    const Entry e = entry();
                    lists.push(u, e);
                    plain[u].push_back(e);
                }
                ownBlocks += lists.slotData()[u].own();
                if (more > 0 && rng() % 4 == 0) {  // the last push taken back
                    lists.pop(u);
                    plain[u].pop_back();
                }
            } else if (kind <= 7) {  // a packing with room for new entries, on few lists or many
                std::vector<std::size_t> extra(plain.size(), 0);
                std::vector<std::size_t> order;  // the new entries' lists, in the order they are placed
                const std::size_t touched = kind == 7 ? plain.size() : 1 + rng() % 2;
                for (std::size_t k = 0; k < touched; ++k) {
                    const std::size_t u = kind == 7 ? k : rng() % plain.size();
                    const std::size_t more = rng() % (kind == 5 ? 3 : 40);
                    extra[u] += more;
                    order.insert(order.end(), more, u);
                }
                std::shuffle(order.begin(), order.end(), rng);
                lists.packWith(extra, [&](auto&& append) {
                    for (const std::size_t u : order) {
                        const Entry e = entry();
                        append(u, e);
                        plain[u].push_back(e);
                    }
                });
                packed = true;
            } else if (kind == 8) {
                lists.repack();
                packed = true;
            } else {  // a packed copy, which replaces the original
                Lists copy;
                tarvel::detail::Checkpoint checkpoint;
                copy.copyFrom(lists, checkpoint);
                expectPacked(copy, where + " (copy)");
                expectSame(copy, plain, where + " (copy)");
                lists = std::move(copy);
                packed = true;
            }
            packings += packed;
            if (packed) expectPacked(lists, where);
            expectSame(lists, plain, where);
            if (testing::Test::HasFatalFailure()) return;
        }
    }
    EXPECT_GT(packings, 1500);
    EXPECT_GT(ownBlocks, 1000);
}
