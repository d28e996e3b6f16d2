// The graph store: indices, adjacency entries and edge records after
// sequences of addNode/addEdge.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <tarvel/tarvel.hpp>

using G = tarvel::Graph<std::string, int>;
using Entries = std::vector<tarvel::AdjacencyEntry<int>>;

namespace {

G withNodes(bool directed, std::initializer_list<const char*> names) {
    G g(directed);
    for (const char* name : names) g.addNode(name);
    return g;
}

Entries entries(const G& g, std::size_t node) {
    const auto list = g.view().neighbors(node);
    return Entries(list.begin(), list.end());
}

std::vector<std::tuple<std::string, std::string, int>> records(const G& g) {
    std::vector<std::tuple<std::string, std::string, int>> out;
    for (const auto& e : g.edgeRecords()) out.emplace_back(e.getSource(), e.getDestination(), e.getWeight());
    return out;
}

}  // namespace

TEST(Store, NodesGetDenseIndicesInInsertionOrder) {
    G g = withNodes(true, {"x", "y", "z", "", "X"});
    EXPECT_EQ(g.nodeCount(), 5u);
    EXPECT_EQ(g.indexOf("x"), 0u);
    EXPECT_EQ(g.indexOf("z"), 2u);
    EXPECT_EQ(g.indexOf(""), 3u);
    EXPECT_EQ(g.nameOf(4), "X");
    EXPECT_TRUE(g.hasNode(""));
    EXPECT_FALSE(g.hasNode("Z"));
}

TEST(Store, DuplicateNodeIsRefusedAndChangesNothing) {
    G g = withNodes(false, {"a"});
    try {
        g.addNode("a");
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "duplicate nodes are not allowed");
    }
    EXPECT_EQ(g.nodeCount(), 1u);
    EXPECT_EQ(g.indexOf("a"), 0u);
}

TEST(Store, DirectedParallelEdgesAndSelfLoops) {
    G g = withNodes(true, {"a", "b"});
    g.addEdge("a", "b", 5);
    g.addEdge("a", "b", 5);
    g.addEdge("b", "b", -3);
    EXPECT_EQ(entries(g, 0), (Entries{{1, 5}, {1, 5}}));
    EXPECT_EQ(entries(g, 1), (Entries{{1, -3}}));
    EXPECT_EQ(records(g).size(), 3u);
    EXPECT_EQ(records(g)[2], std::make_tuple(std::string("b"), std::string("b"), -3));
}

TEST(Store, UndirectedKeepsFirstRecordPerPairButEveryEntry) {
    G g = withNodes(false, {"a", "b"});
    g.addEdge("a", "b", 5);
    g.addEdge("b", "a", 7);
    EXPECT_EQ(entries(g, 0), (Entries{{1, 5}, {1, 7}}));
    EXPECT_EQ(entries(g, 1), (Entries{{0, 5}, {0, 7}}));
    ASSERT_EQ(records(g).size(), 1u);
    EXPECT_EQ(records(g)[0], std::make_tuple(std::string("a"), std::string("b"), 5));
}

TEST(Store, UndirectedSelfLoopHasTwoEntriesAndOneRecord) {
    G g = withNodes(false, {"a"});
    g.addEdge("a", "a", 3);
    EXPECT_EQ(entries(g, 0), (Entries{{0, 3}, {0, 3}}));
    g.addEdge("a", "a", 3);
    EXPECT_EQ(entries(g, 0).size(), 4u);
    EXPECT_EQ(records(g).size(), 1u);
}

TEST(Store, EdgeToMissingNodeNamesItAndChangesNothing) {
    for (bool directed : {true, false}) {
        G g = withNodes(directed, {"a"});
        g.addEdge("a", "a", 1);
        const auto before = entries(g, 0);
        for (const auto& [src, dest] : {std::pair{"a", "ghost"}, std::pair{"ghost", "a"}}) {
            try {
                g.addEdge(src, dest, 1);
                FAIL() << "no exception";
            } catch (const std::out_of_range& e) {
                EXPECT_NE(std::string(e.what()).find("ghost"), std::string::npos);
            }
        }
        EXPECT_FALSE(g.hasNode("ghost"));
        EXPECT_EQ(g.nodeCount(), 1u);
        EXPECT_EQ(entries(g, 0), before);
        EXPECT_EQ(g.edgeRecords().size(), 1u);
    }
    G empty(true);
    EXPECT_THROW(empty.addEdge("a", "b", 0), std::out_of_range);
}

TEST(Store, ManySelfLoopsAndReversedPairsAreRecordedOnce) {
    // Pairs and their reverses, and (a, a) keys, must stay distinct keys.
    G g(false);
    for (int i = 0; i < 2000; ++i) g.addNode(std::to_string(i));
    for (int i = 0; i < 2000; ++i) {
        g.addEdge(std::to_string(i), std::to_string(i), i);
        g.addEdge(std::to_string(i), std::to_string((i + 1) % 2000), i);
        g.addEdge(std::to_string((i + 1) % 2000), std::to_string(i), i);
    }
    EXPECT_EQ(g.edgeRecords().size(), 4000u);
}

TEST(Store, CopiesAreIndependent) {
    G g = withNodes(true, {"a", "b"});
    G copy = g;
    copy.addEdge("a", "b", 1);
    copy.addNode("c");
    EXPECT_TRUE(entries(g, 0).empty());
    EXPECT_FALSE(g.hasNode("c"));
    EXPECT_EQ(copy.edgeRecords().size(), 1u);
}

TEST(PairHash, SpreadsSelfPairsAndReverses) {
    tarvel::PairHash hash;
    std::set<std::size_t> seen;
    for (std::size_t i = 0; i < 1000; ++i) {
        seen.insert(hash(std::pair<std::size_t, std::size_t>(i, i)));
        seen.insert(hash(std::pair<std::size_t, std::size_t>(i, i + 1)));
        seen.insert(hash(std::pair<std::size_t, std::size_t>(i + 1, i)));
    }
    EXPECT_EQ(seen.size(), 3000u);
}

TEST(Store, BatchesEqualSingleCallsAndFailWhole) {
    std::mt19937 rng(3);
    for (int round = 0; round < 50; ++round) {
        const bool directed = round % 2 == 0;
        const int n = 1 + round % 20;
        tarvel::Graph<int, long long> one(directed), batched(directed);
        std::vector<int> names;
        for (int i = 0; i < n; ++i) names.push_back(i * 7);
        std::vector<tarvel::Graph<int, long long>::EdgeSpec> edges;
        for (int k = 0; k < 3 * n; ++k) {
            edges.push_back({names[rng() % names.size()], names[rng() % names.size()], static_cast<long long>(rng())});
        }
        for (int name : names) one.addNode(name);
        for (const auto& e : edges) one.addEdge(e.src, e.dest, e.weight);
        batched.addNodes(names);
        batched.addEdges(edges);
        for (std::size_t u = 0; u < names.size(); ++u) {
            const auto a = one.view().neighbors(u), b = batched.view().neighbors(u);
            EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin(), b.end())) << round;
        }
        EXPECT_EQ(one.edgeRecords().size(), batched.edgeRecords().size());
        // A bad item anywhere leaves the graph as it was.
        const auto before = batched.view().revision();
        edges.push_back({names[0], -1, 1});
        try {
            batched.addEdges(edges);
            FAIL() << "no exception";
        } catch (const std::out_of_range& e) {
            EXPECT_EQ(std::string(e.what()), "item " + std::to_string(edges.size() - 1) + ": unknown node: -1");
        }
        EXPECT_THROW(batched.addNodes({1000, 1001, 1000}), std::runtime_error);
        EXPECT_EQ(batched.view().revision(), before);
        EXPECT_FALSE(batched.hasNode(1000));
    }
}

// A batch whose apply step is told to stop takes back what it made: the
// graph answers as before, the batch of names is whole again, and applying
// it afterwards gives what an unstopped batch gives.
TEST(Store, StoppedBatchesLeaveGraphAndBatchAsTheyWere) {
    std::mt19937 rng(11);
    for (int round = 0; round < 40; ++round) {
        const bool directed = round % 2 == 0;
        G g(directed), whole(directed);
        std::vector<std::string> old, fresh;
        for (int i = 0; i < 300; ++i) old.push_back("o" + std::to_string(i));
        for (int i = 0; i < 12500 + round * 250; ++i) fresh.push_back("f" + std::to_string(i));
        g.addNodes(old);
        whole.addNodes(old);
        std::vector<std::string> all = old;
        all.insert(all.end(), fresh.begin(), fresh.end());
        std::vector<G::EdgeSpec> edges;
        for (int k = 0; k < 20000; ++k) {
            edges.push_back({all[rng() % all.size()], all[rng() % old.size()], static_cast<int>(rng() % 7) - 3});
        }
        const std::size_t stopAt = 1 + rng() % 3;
        std::size_t asked = 0;
        const auto stopOnce = [&] { return ++asked == stopAt; };

        std::vector<std::string> batch = fresh;
        const auto preparedNodes = g.prepareNodes(batch);
        EXPECT_THROW(g.apply(batch, preparedNodes, stopOnce), tarvel::Interrupted);
        EXPECT_EQ(batch, fresh);
        EXPECT_EQ(g.nodeCount(), old.size());
        EXPECT_FALSE(g.hasNode(fresh[0]));
        EXPECT_FALSE(g.hasNode(fresh[stopAt * 4096 - 2]));
        EXPECT_EQ(g.indexOf(old.back()), old.size() - 1);
        g.apply(batch, preparedNodes);
        whole.addNodes(fresh);

        const auto before = g.view().revision();
        const auto preparedEdges = g.prepareEdges(edges);
        asked = 0;
        EXPECT_THROW(g.apply(preparedEdges, stopOnce), tarvel::Interrupted);
        EXPECT_EQ(g.edgeCount(), 0u);
        EXPECT_EQ(g.view().revision(), before);
        for (std::size_t u = 0; u < g.nodeCount(); ++u) ASSERT_TRUE(g.view().neighbors(u).empty()) << u;
        g.apply(preparedEdges);
        whole.addEdges(edges);
        for (std::size_t u = 0; u < g.nodeCount(); ++u) {
            ASSERT_EQ(entries(g, u), entries(whole, u)) << round << " " << u;
            ASSERT_EQ(g.nameOf(u), whole.nameOf(u));
            ASSERT_EQ(g.indexOf(whole.nameOf(u)), u);
        }
        EXPECT_EQ(records(g), records(whole));
    }
}

TEST(Store, CopyingHearsTheInterruptCheck) {
    G g(false);
    std::vector<std::string> names;
    for (int i = 0; i < 50000; ++i) names.push_back(std::to_string(i));
    g.addNodes(names);
    std::atomic<bool> stop{true};
    tarvel::InterruptScope scope(tarvel::stopWhen(stop));
    EXPECT_THROW(G copy(g), tarvel::Interrupted);
    stop = false;
    const G copy(g);
    EXPECT_EQ(copy.nodeCount(), g.nodeCount());
}

namespace {

// The lists as plain vectors, changed alongside a store by the same calls.
struct PlainLists {
    bool directed;
    std::vector<Entries> lists;

    void edge(std::size_t u, std::size_t v, int w) {
        lists[u].push_back({static_cast<std::uint32_t>(v), w});
        if (!directed) lists[v].push_back({static_cast<std::uint32_t>(u), w});
    }
};

void expectSameLists(const G& g, const PlainLists& plain, const std::string& where) {
    ASSERT_EQ(g.nodeCount(), plain.lists.size()) << where;
    std::size_t total = 0;
    for (std::size_t u = 0; u < g.nodeCount(); ++u) {
        ASSERT_EQ(entries(g, u), plain.lists[u]) << where << ", node " << u;
        total += plain.lists[u].size();
    }
    EXPECT_EQ(g.view().entryCount(), total) << where;
}

}  // namespace

// Lists packed by large batches and copies, moved out when they grow and
// repacked when those outnumber the packed ones, always read as the plain
// lists the same calls make; a stopped batch leaves them as they were.
TEST(Store, ListsMatchPlainVectorsThroughEveryKindOfChange) {
    std::mt19937 rng(29);
    for (int round = 0; round < 24; ++round) {
        const bool directed = round % 2 == 0;
        G g(directed);
        PlainLists plain{directed, {}};
        int names = 0;
        const auto node = [&] { return std::to_string(rng() % static_cast<unsigned>(names)); };
        for (int step = 0; step < 60; ++step) {
            const std::string where = "round " + std::to_string(round) + " step " + std::to_string(step);
            const unsigned kind = rng() % 8;
            if (kind == 0 || names == 0) {  // nodes, one or many
                const int count = rng() % 2 == 0 ? 1 : 1 + static_cast<int>(rng() % 700);
                std::vector<std::string> batch;
                for (int k = 0; k < count; ++k) batch.push_back(std::to_string(names + k));
                count == 1 ? g.addNode(batch[0]) : g.addNodes(batch);
                names += count;
                plain.lists.resize(static_cast<std::size_t>(names));
            } else if (kind <= 3) {  // single edges: lists leave the packed array, then get repacked
                for (int k = static_cast<int>(rng() % 1500); k > 0; --k) {
                    const std::string a = node(), b = node();
                    const int w = static_cast<int>(rng() % 9) - 4;
                    g.addEdge(a, b, w);
                    plain.edge(g.indexOf(a), g.indexOf(b), w);
                }
            } else if (kind <= 6) {  // a batch, small or large against the graph
                std::vector<G::EdgeSpec> batch;
                std::vector<std::string> ends;
                const std::size_t large = std::min<std::size_t>(2 * g.view().entryCount() + 50, 6000);
                const std::size_t count = 1 + rng() % (kind == 6 ? large : 40);
                for (std::size_t k = 0; k < 2 * count; ++k) ends.push_back(node());
                for (std::size_t k = 0; k < count; ++k)
                    batch.push_back({ends[2 * k], ends[2 * k + 1], static_cast<int>(rng() % 5)});
                if (rng() % 3 == 0) {  // stopped part way: nothing changes
                    std::size_t asked = 0;
                    const auto prepared = g.prepareEdges(batch);
                    try {
                        g.apply(prepared, [&] { return ++asked == 1; });
                    } catch (const tarvel::Interrupted&) {
                    }
                    if (asked == 1) {
                        expectSameLists(g, plain, where + " (stopped)");
                        continue;
                    }
                    for (const auto& e : batch) plain.edge(g.indexOf(e.src), g.indexOf(e.dest), e.weight);
                } else {
                    g.addEdges(batch);
                    for (const auto& e : batch) plain.edge(g.indexOf(e.src), g.indexOf(e.dest), e.weight);
                }
            } else {  // a copy, packed, changed apart from the original
                G copy(g);
                expectSameLists(copy, plain, where + " (copy)");
                copy.addEdge("0", "0", 1);
                expectSameLists(g, plain, where + " (original)");
                g = std::move(copy);
                plain.edge(0, 0, 1);
            }
            expectSameLists(g, plain, where);
        }
    }
}

// The incoming lists: every entry's source, in node then list order; kept
// until the next change, which a read then sees; a making stopped by the
// interrupt check leaves none; threads asking at once all get one value.
TEST(Store, IncomingListsFollowTheEntries) {
    std::mt19937 rng(31);
    for (int round = 0; round < 30; ++round) {
        G g(round % 3 != 0);
        const int n = 1 + round * 7;
        for (int i = 0; i < n; ++i) g.addNode(std::to_string(i));
        for (int change = 0; change < 3; ++change) {
            for (int k = 1 + static_cast<int>(rng() % static_cast<unsigned>(3 * n)); k > 0; --k)
                g.addEdge(std::to_string(rng() % static_cast<unsigned>(n)), std::to_string(rng() % static_cast<unsigned>(n)), 1);
            EXPECT_FALSE(g.view().hasIncoming());
            std::vector<std::vector<std::uint32_t>> expected(static_cast<std::size_t>(n));
            for (std::size_t u = 0; u < g.nodeCount(); ++u)
                for (const auto& e : g.view().neighbors(u)) expected[e.target].push_back(static_cast<std::uint32_t>(u));
            const auto& incoming = g.view().incoming();
            for (std::size_t v = 0; v < g.nodeCount(); ++v) {
                const auto sources = incoming[v];
                EXPECT_EQ(std::vector<std::uint32_t>(sources.begin(), sources.end()), expected[v]) << round << " " << v;
            }
            EXPECT_EQ(&g.view().incoming(), &incoming);
        }
    }
    G g(true);
    for (int i = 0; i < 20000; ++i) g.addNode(std::to_string(i));
    for (int i = 0; i < 20000; ++i) g.addEdge(std::to_string(i), std::to_string((i * 7) % 20000), 1);
    {
        std::atomic<bool> stop{true};
        tarvel::InterruptScope scope(tarvel::stopWhen(stop));
        EXPECT_THROW(g.view().incoming(), tarvel::Interrupted);
        EXPECT_FALSE(g.view().hasIncoming());
    }
    std::vector<const tarvel::detail::IncomingLists*> seen(4);
    std::vector<std::thread> readers;
    for (std::size_t t = 0; t < seen.size(); ++t) readers.emplace_back([&, t] { seen[t] = &g.view().incoming(); });
    for (std::thread& reader : readers) reader.join();
    for (const auto* lists : seen) EXPECT_EQ(lists, seen[0]);
    EXPECT_EQ((*seen[0])[7].size(), 1u);
}
