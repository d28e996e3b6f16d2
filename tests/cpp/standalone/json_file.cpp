#include <tarvel/json_file.hpp>

#include <gtest/gtest.h>

TEST(Standalone, JsonFile) {
    tarvel::GraphStore<std::string, int> g(true);
    g.addNode("a");
    g.addNode("b");
    g.addEdge("a", "b", -2);
    const std::string path = ::testing::TempDir() + "standalone.json";
    tarvel::saveGraph(g.view(), path);
    const auto loaded = tarvel::loadGraph<std::string, int>(path);
    EXPECT_EQ(loaded.nodeCount(), 2u);
    ASSERT_EQ(loaded.edgeRecords().size(), 1u);
    EXPECT_EQ(loaded.edgeRecords()[0].getWeight(), -2);
    std::remove(path.c_str());
}
