// The internal structures against the standard ones they stand in for: the
// probing hash tables against std::unordered_map / std::unordered_set, the
// binary-heap routines against std::push_heap / std::pop_heap.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <tarvel/detail/binary_heap.hpp>
#include <tarvel/detail/builtins.hpp>
#include <tarvel/detail/hash_table.hpp>
#include <tarvel/detail/parallel.hpp>

namespace {

std::uint64_t key(std::size_t a, std::size_t b) { return static_cast<std::uint64_t>(a) << 32 | b; }

}  // namespace

TEST(HashTables, PairTablesAgreeWithStandardContainers) {
    std::mt19937 rng(5);
    for (int round = 0; round < 40; ++round) {
        // Few distinct indices: many repeats, reverses and (a, a) pairs.
        const std::size_t range = 1 + static_cast<std::size_t>(round) * 7;
        tarvel::detail::PairTable<int> table;
        tarvel::detail::PairSet set;
        std::unordered_map<std::uint64_t, int> mapReference;
        std::unordered_set<std::uint64_t> setReference;
        for (int step = 0; step < 3000; ++step) {
            const std::size_t a = rng() % range, b = rng() % range;
            const int value = static_cast<int>(rng() % 1000);
            const auto inserted = table.insert(a, b, value);
            const auto expected = mapReference.emplace(key(a, b), value);
            ASSERT_EQ(inserted.second, expected.second);
            ASSERT_EQ(*inserted.first, expected.first->second);
            if (step % 5 == 0) *inserted.first = expected.first->second = value + 1;  // values stay writable
            ASSERT_EQ(set.insert(b, a), setReference.insert(key(b, a)).second);
            const std::size_t c = rng() % (range + 3), d = rng() % (range + 3);
            const int* found = table.find(c, d);
            const auto it = mapReference.find(key(c, d));
            ASSERT_EQ(found != nullptr, it != mapReference.end());
            if (found != nullptr) {
                ASSERT_EQ(*found, it->second);
            }
            ASSERT_EQ(set.contains(c, d), setReference.count(key(c, d)) == 1);
        }
        EXPECT_EQ(table.size(), mapReference.size());
        EXPECT_EQ(set.size(), setReference.size());
    }
}

TEST(HashTables, NameIndexAgreesWithAStandardMap) {
    std::mt19937 rng(6);
    std::vector<std::string> names;
    tarvel::detail::NameIndex<std::string> index;
    std::unordered_map<std::string, std::size_t> reference;
    for (int step = 0; step < 20000; ++step) {
        const std::string name = std::to_string(rng() % 9000) + (step % 3 == 0 ? "" : "x");
        const std::uint64_t hash = index.hashOf(std::string_view(name));
        const std::size_t found = index.find(std::string_view(name), hash, names);
        const auto it = reference.find(name);
        ASSERT_EQ(found == tarvel::NoNode, it == reference.end()) << name;
        if (it != reference.end()) {
            ASSERT_EQ(found, it->second);
            continue;
        }
        names.push_back(name);
        index.insertNew(hash, names.size() - 1);
        reference.emplace(name, names.size() - 1);
    }
    EXPECT_EQ(index.size(), reference.size());
}

TEST(BinaryHeap, SameStatesAsTheStandardRoutines) {
    // Elements compared by key alone, so equal keys are told apart by their
    // tags: every array state must be the same after every operation.
    struct Item {
        int key;
        int tag;
        bool operator==(const Item& o) const { return key == o.key && tag == o.tag; }
    };
    const auto less = [](const Item& a, const Item& b) { return a.key > b.key; };
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<Item> ours, theirs;
        const int keys = 1 + round % 6;
        for (int step = 0; step < 400; ++step) {
            if (rng() % 3 != 0 || ours.empty()) {
                const Item item{static_cast<int>(rng() % static_cast<unsigned>(keys)), step};
                ours.push_back(item);
                theirs.push_back(item);
                tarvel::detail::pushHeap(ours, less);
                std::push_heap(theirs.begin(), theirs.end(), less);
            } else {
                tarvel::detail::popHeap(ours, less);
                std::pop_heap(theirs.begin(), theirs.end(), less);
                ASSERT_TRUE(ours.back() == theirs.back());
                ours.pop_back();
                theirs.pop_back();
            }
            ASSERT_TRUE(ours == theirs) << "round " << round << " step " << step;
        }
    }
}

// The threads of a computation meet at the barrier every round: none passes
// before all have written their round's value; once a thread fails, the
// others give up waiting instead of hanging.
TEST(Barrier, NoThreadPassesEarlyAndAFailureReleasesTheRest) {
    constexpr unsigned threads = 4;
    constexpr int rounds = 300;
    std::vector<int> written(threads, -1);
    std::atomic<int> wrong{0};
    tarvel::detail::Barrier meeting(threads);
    tarvel::detail::runThreads(threads, [&](unsigned t, const std::atomic<bool>& stop) {
        for (int round = 0; round < rounds; ++round) {
            written[t] = round;
            ASSERT_TRUE(meeting.arriveAndWait(stop, [] {}));
            for (const int value : written) wrong += value != round;
            ASSERT_TRUE(meeting.arriveAndWait(stop, [] {}));
        }
    });
    EXPECT_EQ(wrong.load(), 0);
    tarvel::detail::Barrier again(threads);
    EXPECT_THROW(tarvel::detail::runThreads(threads,
                                            [&](unsigned t, const std::atomic<bool>& stop) {
                                                if (t == 2) throw std::runtime_error("failed");
                                                again.arriveAndWait(stop, [] {});
                                            }),
                 std::runtime_error);
}

// The checked sum without the built-in gives the built-in's answers.
TEST(Builtins, PlainCheckedSumsAgreeWithTheBuiltIn) {
    const auto agree = [](auto a, auto b) {
        decltype(a) sum = 0, plain = 0;
        const bool overflows = tarvel::detail::addOverflows(a, b, sum);
        EXPECT_EQ(tarvel::detail::addOverflowsPlainly(a, b, plain), overflows) << a << " + " << b;
        if (!overflows) {
            EXPECT_EQ(plain, sum) << a << " + " << b;
        }
    };
    using L = std::numeric_limits<std::int64_t>;
    using U = std::numeric_limits<std::uint64_t>;
    const std::int64_t values[] = {L::min(), L::min() + 1, -7, -1, 0, 1, 7, L::max() - 1, L::max()};
    const std::uint64_t unsignedValues[] = {0, 1, 7, U::max() / 2, U::max() - 1, U::max()};
    for (const std::int64_t a : values)
        for (const std::int64_t b : values) agree(a, b);
    for (const std::uint64_t a : unsignedValues)
        for (const std::uint64_t b : unsignedValues) agree(a, b);
}
