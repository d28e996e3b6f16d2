// The JSON graph file with other name and weight types, and atomic replacement.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "reference.hpp"

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string scratch(const char* name) { return ::testing::TempDir() + name; }

}  // namespace

TEST(JsonFile, RoundTripWithIntegerNamesAndWideWeights) {
    tarvel::Graph<int, long long> g(true);
    for (int i : {5, -3, 12}) g.addNode(i);
    g.addEdge(5, -3, 9'000'000'000LL);
    g.addEdge(12, 12, -1);
    g.addEdge(5, -3, 2);
    const std::string path = scratch("ints.json");
    g.save(path);
    const auto loaded = tarvel::Graph<int, long long>::load(path);
    ASSERT_EQ(loaded.size(), 3u);
    EXPECT_EQ(loaded.nameOf(1), -3);
    ASSERT_EQ(loaded.edgeRecords().size(), 3u);
    EXPECT_EQ(loaded.edgeRecords()[0].getWeight(), 9'000'000'000LL);
    EXPECT_EQ(loaded.neighbours(0), g.neighbours(0));
    const std::string again = scratch("ints-again.json");
    loaded.save(again);
    EXPECT_EQ(readAll(path), readAll(again));
    std::remove(path.c_str());
    std::remove(again.c_str());
}

TEST(JsonFile, FailedSerialisationLeavesTheFileAlone) {
    const std::string path = scratch("kept.json");
    testing_support::G good(false);
    good.addNode("a");
    good.save(path);
    const std::string before = readAll(path);
    testing_support::G bad(false);
    bad.addNode(std::string("\xc3\x28", 2));
    EXPECT_THROW(bad.save(path), nlohmann::json::type_error);
    EXPECT_EQ(readAll(path), before);
    std::remove(path.c_str());
}

TEST(JsonFile, HalfBuiltGraphIsNeverReturned) {
    const std::string path = scratch("half.json");
    std::ofstream(path) << R"({"directed": false, "nodes": ["a", "b"], "edges": [)"
                        << R"({"src": "a", "dest": "b", "weight": 1}, {"src": "a", "dest": "c", "weight": 1}]})";
    try {
        testing_support::G::load(path);
        FAIL() << "no exception";
    } catch (const std::out_of_range& e) {
        EXPECT_NE(std::string(e.what()).find('c'), std::string::npos);
    }
    std::remove(path.c_str());
}
