// The JSON graph file with other name and weight types, and atomic replacement.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "support.hpp"

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
    ASSERT_EQ(loaded.nodeCount(), 3u);
    EXPECT_EQ(loaded.nameOf(1), -3);
    ASSERT_EQ(loaded.edgeRecords().size(), 3u);
    EXPECT_EQ(loaded.edgeRecords()[0].getWeight(), 9'000'000'000LL);
    EXPECT_TRUE(std::equal(loaded.view().neighbors(0).begin(), loaded.view().neighbors(0).end(),
                           g.view().neighbors(0).begin(), g.view().neighbors(0).end()));
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

namespace {

// Names built from pieces that exercise escaping and UTF-8 handling.
std::string randomName(std::mt19937& rng) {
    static const std::vector<std::string> pieces = {
        "a", "Z", " ", "\"", "\\", "/", "\n", "\t", "\b", "\f", "\r", std::string(1, '\0'), "\x01", "\x1f", "\x7f",
        "\xc3\xa9", "\xe6\x9d\xb1", "\xf0\x9f\x99\x82", "\xed\x9f\xbf", "\xef\xbf\xbf", "\xc3", "\xed\xa0\x80",
        "\xf4\x90\x80\x80", "\xc0\xaf", "\xe0\x80\xaf", "{", "]", ",", ":"};
    std::string name;
    for (std::size_t k = rng() % 5; k > 0; --k) name += pieces[rng() % pieces.size()];
    return name;
}

}  // namespace

TEST(JsonFile, DirectTextEqualsTheDocumentWriter) {
    std::mt19937 rng(515);
    int written = 0, read = 0;
    for (int round = 0; round < 300; ++round) {
        std::vector<std::string> names;
        for (std::size_t k = rng() % 8; k > 0; --k) names.push_back(randomName(rng));
        std::sort(names.begin(), names.end());
        names.erase(std::unique(names.begin(), names.end()), names.end());
        testing_support::G graph(rng() % 2 == 0);
        for (const auto& n : names) graph.addNode(n);
        for (std::size_t k = names.empty() ? 0 : rng() % 6; k > 0; --k)
            graph.addEdge(names[rng() % names.size()], names[rng() % names.size()], static_cast<int>(rng()));
        const auto records = graph.edgeRecords();

        nlohmann::json document;
        document["directed"] = graph.isDirected();
        document["nodes"] = nlohmann::json::array();
        for (const auto& n : names) document["nodes"].push_back(n);
        document["edges"] = nlohmann::json::array();
        for (const auto& e : records)
            document["edges"].push_back({{"src", e.getSource()}, {"dest", e.getDestination()}, {"weight", e.getWeight()}});
        std::string expected;
        try {
            expected = document.dump(4) + "\n";
        } catch (const nlohmann::json::type_error& error) {
            EXPECT_FALSE(std::all_of(names.begin(), names.end(), tarvel::detail::validUtf8)) << round;
            try {  // the same name and byte reported, without a document
                tarvel::graphFileText(graph.view());
                ADD_FAILURE() << round;
            } catch (const nlohmann::json::type_error& mine) {
                EXPECT_STREQ(mine.what(), error.what()) << round;
            }
            continue;
        }
        ASSERT_TRUE(std::all_of(names.begin(), names.end(), tarvel::detail::validUtf8)) << round;
        EXPECT_EQ(tarvel::detail::graphText(graph.view(), graph.view().fileRecords()), expected) << round;
        ++written;

        // The direct reader either declines or reads what the document reader reads.
        for (const std::string& text : {expected, document.dump(), document.dump(1, '\t') + " trailing"}) {
            tarvel::detail::GraphText<int> found;
            if (!tarvel::detail::GraphTextReader<int>(text).read(found)) continue;
            ++read;
            ASSERT_EQ(found.nodes.size(), names.size());
            for (std::size_t k = 0; k < names.size(); ++k) EXPECT_EQ(found.nodes[k], names[k]);
            ASSERT_EQ(found.edges.size(), records.size());
            for (std::size_t k = 0; k < records.size(); ++k) {
                EXPECT_EQ(found.edges[k].src, records[k].getSource());
                EXPECT_EQ(found.edges[k].weight, records[k].getWeight());
            }
        }
    }
    EXPECT_GT(written, 50);  // both paths were really exercised
    EXPECT_GT(read, 50);
}

TEST(JsonFile, DirectReaderDeclinesWhatItDoesNotHandle) {
    const auto reads = [](const std::string& text) {
        tarvel::detail::GraphText<int> found;
        return tarvel::detail::GraphTextReader<int>(text).read(found);
    };
    EXPECT_TRUE(reads(R"({"directed": true, "nodes": ["a"], "edges": [{"weight": -5, "src": "a", "dest": "a"}]} x)"));
    EXPECT_TRUE(reads(R"( {"edges":[],"directed":false} )"));
    for (const char* text : {
             R"({"directed": true, "directed": false})", R"({"nodes": []})", R"({"directed": 1})",
             R"({"directed": true, "extra": 1})", R"({"directed": true, "nodes": ["a\"b"]})",
             R"({"directed": true, "nodes": [1]})", R"({"directed": truex})",
             R"({"directed": true, "edges": [{"src": "a", "dest": "a", "weight": 1.5}]})",
             R"({"directed": true, "edges": [{"src": "a", "dest": "a", "weight": 01}]})",
             R"({"directed": true, "edges": [{"src": "a", "dest": "a", "weight": 1234567890123456789}]})",
             R"({"directed": true, "edges": [{"src": "a", "dest": "a", "weight": 2147483648}]})",
             R"({"directed": true, "edges": [{"src": "a", "dest": "a", "weight": -2147483649}]})",
             R"({"directed": true, "edges": [{"src": "a", "dest": "a"}]})",
             R"({"directed": true, "edges": [{"src": "a", "src": "a", "dest": "a", "weight": 1}]})",
             "{\"directed\": true, \"nodes\": [\"\xc3\"]}", "\xef\xbb\xbf{\"directed\": true}", "", "[]"}) {
        EXPECT_FALSE(reads(text)) << text;
    }
}
