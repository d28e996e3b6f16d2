// Long computations: the same numbers on any number of threads, stopped by
// an interrupt check wherever they are, watched by a progress callback.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "support.hpp"

using namespace testing_support;

namespace {

tarvel::RunOptions threads(unsigned count) {
    tarvel::RunOptions options;
    options.threads = count;
    return options;
}

}  // namespace

// Threads beyond the usable cores are never made: more would only share them.
TEST(Engine, ThreadsAreCappedAtTheUsableCores) {
    const unsigned cores = tarvel::detail::usableCores();
    EXPECT_EQ(tarvel::detail::threadsFor(1000000, std::size_t{1} << 40, 1), cores);
    EXPECT_EQ(tarvel::detail::threadsFor(0, std::size_t{1} << 40, 1), cores);
    EXPECT_EQ(tarvel::detail::threadsFor(1, std::size_t{1} << 40, 1), 1u);
    EXPECT_EQ(tarvel::detail::threadsFor(cores + 5, 3, 1), std::min(cores, 3u));
}

// Seven threads on any machine: the cap is lifted for the test.
class ManyCores {
public:
    ManyCores() { tarvel::detail::assumedCores = 8; }
    ~ManyCores() { tarvel::detail::assumedCores = 0; }
};

TEST(Engine, EveryThreadCountGivesTheSameBits) {
    const ManyCores cores;
    std::mt19937 rng(99);
    for (int round = 0; round < 6; ++round) {
        const bool directed = round % 2 == 0;
        // Big enough for seven threads to be used.
        G g = randomGraph(rng, directed, 400 + 50 * round, 1600 + 100 * round);
        const auto v = g.view();
        const auto closeness = tarvel::closenessCentrality(v, threads(1));
        const auto betweenness = tarvel::betweennessCentrality(v, threads(1));
        const auto reach = tarvel::reachSums(v, threads(1));
        for (unsigned count : {2u, 7u}) {
            EXPECT_EQ(tarvel::closenessCentrality(v, threads(count)), closeness) << round;
            EXPECT_EQ(tarvel::betweennessCentrality(v, threads(count)), betweenness) << round;
            EXPECT_EQ(tarvel::reachSums(v, threads(count)), reach) << round;
        }
        G big = randomGraph(rng, directed, 20000, directed ? 250000 : 125000);
        const auto katz = tarvel::katzCentrality(big.view(), 0.05, 1.0, 60, 0.0, threads(1));
        for (unsigned count : {2u, 7u})
            EXPECT_EQ(tarvel::katzCentrality(big.view(), 0.05, 1.0, 60, 0.0, threads(count)), katz) << round;
        const std::vector<double> beta(big.nodeCount(), 1.0);
        const auto incoming = tarvel::incomingKatzCentrality(big.view(), 0.05, beta, {}, 60, 0.0, true, true, threads(1));
        for (unsigned count : {2u, 7u}) {
            EXPECT_EQ(tarvel::incomingKatzCentrality(big.view(), 0.05, beta, {}, 60, 0.0, true, true, threads(count))
                          .scores,
                      incoming.scores)
                << round;
        }
    }
}

TEST(Engine, AnInterruptCheckStopsEveryLongOperation) {
    std::mt19937 rng(5);
    G g = randomGraph(rng, false, 3000, 12000, -1, 9);  // negative edges: the weighted searches find cycles late
    G d = randomGraph(rng, true, 3000, 12000, -1, 9);
    const auto v = g.view(), dv = d.view();
    const auto revision = v.revision();
    int calls = 0;
    tarvel::InterruptScope scope([&] {
        ++calls;
        throw tarvel::Interrupted();
    });
    const auto none = [](std::size_t, std::size_t) { return 0.0; };
    const std::vector<std::pair<const char*, std::function<void()>>> operations = {
        {"closeness", [&] { tarvel::closenessCentrality(v, threads(2)); }},
        {"betweenness", [&] { tarvel::betweennessCentrality(v, threads(2)); }},
        {"katz", [&] { tarvel::katzCentrality(v, 0.1, 1.0, 1000, 0.0, threads(2)); }},
        {"bellman-ford", [&] { tarvel::bellmanFord(dv, 0, 1); }},
        {"dijkstra", [&] { tarvel::dijkstra(dv, 0, 1); }},
        {"a*", [&] { tarvel::aStar(dv, 0, 1, none); }},
        {"uniform cost", [&] { tarvel::uniformCostSearch(dv, 0, 1); }},
        {"edge colors", [&] { tarvel::edgeColors(v); }},
        {"kruskal", [&] { tarvel::kruskal(v); }},
        {"prim", [&] { tarvel::prim(v); }},
        {"boruvka", [&] { tarvel::boruvka(v); }},
        {"components", [&] { tarvel::connectedComponents(v); }},
        {"strong components", [&] { tarvel::kosarajuComponents(dv); }},
        {"save", [&] { tarvel::graphFileText(v); }},
    };
    for (const auto& [name, run] : operations) {
        const int before = calls;
        EXPECT_THROW(run(), tarvel::Interrupted) << name;
        EXPECT_EQ(calls, before + 1) << name;
    }
    EXPECT_EQ(v.revision(), revision);
}

TEST(Engine, AFlagStopsAComputationFromAnotherThread) {
    std::mt19937 rng(6);
    G g = randomGraph(rng, true, 4000, 40000);
    std::atomic<bool> stop{false};
    const tarvel::InterruptCheck flagged = tarvel::stopWhen(stop);
    // The first check (the computation is running) lets the other thread set
    // the flag and waits until it has; a later check must see it.
    std::promise<void> running, set;
    bool first = true;
    tarvel::InterruptScope scope([&] {
        if (first) {
            first = false;
            running.set_value();
            set.get_future().wait();
        }
        flagged();
    });
    std::thread setter([&] {
        running.get_future().wait();
        stop = true;
        set.set_value();
    });
    EXPECT_THROW(tarvel::betweennessCentrality(g.view(), threads(2)), tarvel::Interrupted);
    setter.join();
}

TEST(Engine, ProgressIsReportedAndCanStop) {
    std::mt19937 rng(7);
    G g = randomGraph(rng, false, 1500, 6000);
    std::vector<std::pair<std::size_t, std::size_t>> seen;
    tarvel::RunOptions options = threads(2);
    options.progress = [&](std::size_t done, std::size_t total) { seen.emplace_back(done, total); };
    tarvel::betweennessCentrality(g.view(), options);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), std::make_pair(std::size_t{1500}, std::size_t{1500}));
    for (std::size_t k = 1; k < seen.size(); ++k) EXPECT_LE(seen[k - 1].first, seen[k].first);
    seen.clear();
    tarvel::katzCentrality(g.view(), 0.1, 1.0, 7, 0.0, options);
    EXPECT_EQ(seen.back(), std::make_pair(std::size_t{7}, std::size_t{7}));
    options.progress = [](std::size_t, std::size_t) { throw std::range_error("enough"); };
    EXPECT_THROW(tarvel::closenessCentrality(g.view(), options), std::range_error);
}
