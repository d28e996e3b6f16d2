// The JSON graph file with other name and weight types, and atomic
// replacement; the direct writer and reader against the JSON library's
// document; weights that an integer or floating-point graph must refuse,
// and doubles that must come back bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <random>
#include <regex>
#include <sstream>

#include "document_reference.hpp"
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

namespace {

// What loading `text` gives through each reader: the direct reader with the
// document reader behind it, the document reader alone, and a file.
template <class T, class W>
std::vector<std::string> throughEachReader(const std::string& text) {
    const std::string path = scratch("readers.json");
    std::ofstream(path, std::ios::binary) << text;
    std::vector<std::string> outcomes = {
        reference::outcome([&] { return tarvel::detail::readGraphText<T, W>(text); }),
        reference::outcome([&] { return tarvel::detail::readDocument<T, W>(text); }),
        reference::outcome([&] { return tarvel::loadGraph<T, W>(path); })};
    std::remove(path.c_str());
    return outcomes;
}

std::string withEdges(const std::string& edges, const std::string& nodes = R"(["a", "b"])") {
    return R"({"directed": true, "nodes": )" + nodes + R"(, "edges": )" + edges + "}";
}

std::string edge(const std::string& weight, const std::string& dest = "b") {
    return R"({"src": "a", "dest": ")" + dest + R"(", "weight": )" + weight + "}";
}

// The message every reader gives for `text`, or "differ".
template <class T, class W>
std::string sameOutcome(const std::string& text) {
    const auto outcomes = throughEachReader<T, W>(text);
    for (const auto& o : outcomes) {
        if (o != outcomes[0]) return "differ: " + o + " / " + outcomes[0];
    }
    return outcomes[0];
}

std::string fractional(int k, const std::string& number) {
    return std::string(typeid(tarvel::FractionalWeight).name()) + " edge " + std::to_string(k) +
           " has the fractional weight " + number + ", but the graph holds integer weights";
}

}  // namespace

TEST(JsonFile, FractionalWeightsAreRefusedForIntegerGraphs) {
    using S = std::string;
    const std::string list = "[" + edge("1") + ", " + edge("2.7") + "]";
    EXPECT_EQ((sameOutcome<S, int>(withEdges(list))), fractional(1, "2.7"));
    EXPECT_EQ((sameOutcome<S, unsigned>(withEdges("[" + edge("-1E-7") + "]"))), fractional(0, "-1e-07"));
    const std::string numbered =
        R"({"directed": false, "nodes": [1], "edges": [{"src": 1, "dest": 1, "weight": 0.5}]})";
    EXPECT_EQ((sameOutcome<int, long long>(numbered)), fractional(0, "0.5"));
    // A list given as an object is taken in key order.
    EXPECT_EQ((sameOutcome<S, int>(withEdges(R"({"z": )" + edge("3.25") + R"(, "a": )" + edge("3") + "}"))),
              fractional(1, "3.25"));
    // Beyond the range and fractional: fractional. Whole and beyond: 406.
    EXPECT_EQ((sameOutcome<S, int>(withEdges("[" + edge("3000000000.5") + "]"))), fractional(0, "3000000000.5"));
    EXPECT_NE((sameOutcome<S, int>(withEdges("[" + edge("1e10") + "]")))
                  .find("out_of_range.406] weight 10000000000.0 is outside"),
              std::string::npos);
    // Where the weight is taken: after earlier edges and a missing "weight",
    // before a missing "dest" and the names.
    EXPECT_NE((sameOutcome<S, int>(withEdges("[" + edge("1", "x") + ", " + edge("2.5") + "]"))).find("unknown node"),
              std::string::npos);
    EXPECT_EQ((sameOutcome<S, int>(withEdges(R"([{"weight": 2.5}])"))), fractional(0, "2.5"));
    EXPECT_EQ((sameOutcome<S, int>(withEdges(R"([{"weight": 2.5, "src": 1, "dest": "zz"}])"))), fractional(0, "2.5"));
    EXPECT_NE((sameOutcome<S, int>(withEdges("[" + edge("2.5") + "]", R"(["a", "a"])"))).find("duplicate"),
              std::string::npos);
    try {
        tarvel::detail::readDocument<S, int>(withEdges(list));
        ADD_FAILURE() << "accepted";
    } catch (const tarvel::FractionalWeight& e) {
        EXPECT_EQ(e.edge(), 1u);
    }

    // Whole numbers in any spelling are their integer.
    EXPECT_EQ((sameOutcome<S, int>(withEdges("[" + edge("2.0") + ", " + edge("-0.0") + ", " + edge("1e3") + ", " +
                                                 edge("true") + ", " + edge("false") + ", " + edge("-2.5e1") + "]"))),
              "directed node 1:a node 1:b edge 0>1 2 edge 0>1 0 edge 0>1 1000 edge 0>1 1 edge 0>1 0 edge 0>1 -25");
    EXPECT_EQ((sameOutcome<S, unsigned>(withEdges("[" + edge("-0.0") + "]"))), "directed node 1:a node 1:b edge 0>1 0");
}

TEST(JsonFile, IntegersAFloatingWeightCannotHoldAreRefused) {
    using S = std::string;
    const auto weights = [](const std::string& w) { return withEdges("[" + edge(w) + "]"); };
    const auto refused = [](const std::string& w) {
        return std::string(typeid(nlohmann::json::out_of_range).name()) + " [json.exception.out_of_range.406] weight " +
               w + " is not exactly representable as an edge weight";
    };
    for (const std::string w :
         {"9007199254740993", "-9007199254740993", "18446744073709551615", "9223372036854775807"}) {
        EXPECT_EQ((sameOutcome<S, double>(weights(w))), refused(w));
    }
    EXPECT_EQ((sameOutcome<S, float>(weights("16777217"))), refused("16777217"));
    EXPECT_EQ((sameOutcome<S, float>(weights("16777216"))), "directed node 1:a node 1:b edge 0>1 16777216");
    // Exact ones are taken as they are; a number with a fraction or exponent
    // is a decimal, rounded to the nearest double as ever.
    for (const std::string w : {"7", "-3", "9007199254740992", "-9223372036854775808", "9223372036854775808",
                                "18446744073709549568", "9007199254740993.0", "1e400000000000000000000"}) {
        const auto outcomes = throughEachReader<S, double>(weights(w));
        EXPECT_EQ(outcomes[0], outcomes[1]) << w;
        EXPECT_EQ(outcomes[0], outcomes[2]) << w;
        EXPECT_EQ(outcomes[0].find("representable"), std::string::npos) << w;
    }
    const auto g = tarvel::detail::readGraphText<S, double>(weights("9223372036854775808"));
    EXPECT_EQ(g.view().edges()[0].weight, std::ldexp(1.0, 63));
}

// One rule for every literal written as an integer, of any length: the
// JSON library reads one beyond 64 bits as the nearest double, which must
// then be the literal's value itself.
TEST(JsonFile, IntegersBeyond64BitsFollowTheSameRule) {
    using S = std::string;
    const auto weights = [](const std::string& w) { return withEdges("[" + edge(w) + "]"); };
    const auto refused = [](const std::string& w) {
        return std::string(typeid(nlohmann::json::out_of_range).name()) + " [json.exception.out_of_range.406] weight " +
               w + " is not exactly representable as an edge weight";
    };
    const std::string tenTo300 = "1" + std::string(300, '0');  // 2^300 * 5^300: 697 significant bits
    char exact1e300[400];
    std::snprintf(exact1e300, sizeof exact1e300, "%.0f", 1e300);  // the double 1e300's own digits
    for (const std::string& w : {std::string("18446744073709551617"), std::string("-9223372036854775809"),
                                 std::string("36893488147419103233"),
                                 "18446744073709551616" + std::string(40, '0') + "1", tenTo300}) {
        EXPECT_EQ((sameOutcome<S, double>(weights(w))), refused(w));
        EXPECT_EQ((sameOutcome<S, float>(weights(w))).find("differ"), std::string::npos) << w;
    }
    // Exact: 2^64, -2^64 - 2^12, 2^100, 1e300's digits, the largest double's.
    char largest[400];
    std::snprintf(largest, sizeof largest, "%.0f", std::numeric_limits<double>::max());
    for (const std::string& w : {std::string("18446744073709551616"), std::string("-18446744073709555712"),
                                std::string("1267650600228229401496703205376"), std::string(exact1e300),
                                std::string(largest)}) {
        EXPECT_EQ((sameOutcome<S, double>(weights(w))).find("differ"), std::string::npos) << w;
        const auto g = tarvel::detail::readDocument<S, double>(weights(w));
        EXPECT_EQ(g.view().edges()[0].weight, std::strtod(w.c_str(), nullptr)) << w;
    }
    const auto read1e300 = tarvel::detail::readDocument<S, double>(weights(exact1e300));
    EXPECT_EQ(read1e300.view().edges()[0].weight, 1e300);
    // 2^64 + 2^12 needs 53 bits: a double holds it, a float does not (and a
    // long double gets the document's double, which holds it).
    EXPECT_EQ((sameOutcome<S, float>(weights("18446744073709555712"))), refused("18446744073709555712"));
    EXPECT_EQ((sameOutcome<S, float>(weights("18446744073709551616"))).find("differ"), std::string::npos);
    const auto read2To64 = tarvel::detail::readDocument<S, float>(weights("18446744073709551616"));
    EXPECT_EQ(read2To64.view().edges()[0].weight, std::ldexp(1.0f, 64));
    EXPECT_EQ((sameOutcome<S, long double>(weights("18446744073709555712"))).find("differ"), std::string::npos);
    const auto readWide = tarvel::detail::readDocument<S, long double>(weights("18446744073709555712"));
    EXPECT_EQ(readWide.view().edges()[0].weight, std::ldexp(1.0L, 64) + std::ldexp(1.0L, 12));
    EXPECT_EQ((sameOutcome<S, long double>(weights("18446744073709551617"))), refused("18446744073709551617"));
    // Beyond a float's range stays "outside", named as the document prints it.
    EXPECT_NE((sameOutcome<S, float>(weights(tenTo300))).find("weight 1e+300 is outside the range"), std::string::npos);
    // Integral graphs are unchanged: beyond 64 bits is outside their range.
    EXPECT_NE((sameOutcome<S, long long>(weights("18446744073709551617"))).find("1.8446744073709552e+19 is outside"),
              std::string::npos);
}

namespace {

// The significant digits of a number's text: no sign, point, exponent, or
// zeros before the first or after the last nonzero digit.
std::string significantDigits(const std::string& text) {
    std::string digits;
    for (const char c : text.substr(0, text.find('e'))) {
        if (c >= '0' && c <= '9') digits += c;
    }
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) return "0";
    return digits.substr(first, digits.find_last_not_of('0') + 1 - first);
}

double readBack(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

std::uint64_t bitsOf(double x) {
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

// The weight texts of a saved graph, in file order.
std::vector<std::string> weightTexts(const std::string& file) {
    std::vector<std::string> texts;
    const std::string key = "\"weight\": ";
    for (std::size_t at = 0; (at = file.find(key, at)) != std::string::npos;) {
        at += key.size();
        texts.push_back(file.substr(at, file.find('\n', at) - at));
    }
    return texts;
}

}  // namespace

TEST(JsonFile, DoubleWeightsRoundTripExactlyWithTheFewestDigits) {
    std::vector<double> weights = {2.0, -0.0, 0.0, 5e-324, -2.2250738585072014e-308, 1.7976931348623157e308,
                                   9007199254740992.0, 9007199254740994.0, -9007199254740990.0, 1e15, 1e16, 0.1,
                                   0.0001, 1e-5, 123456789012345.6, 2343827712585.84375, 1.0 / 3};
    std::mt19937_64 rng(53);
    while (weights.size() < 4000) {  // random bit patterns, half of them near 1
        std::uint64_t bits = rng();
        if (weights.size() % 2 == 0) bits = (bits & 0x800FFFFFFFFFFFFFu) | (std::uint64_t{0x3D0 + rng() % 0x60} << 52);
        double x;
        std::memcpy(&x, &bits, sizeof x);
        if (std::isfinite(x)) weights.push_back(x);
    }
    tarvel::Graph<std::string, double> named(true);
    tarvel::Graph<int, double> numbered(true);
    named.addNode("a");
    numbered.addNode(7);
    for (const double w : weights) {
        named.addEdge("a", "a", w);
        numbered.addEdge(7, 7, w);
    }
    const std::string path = scratch("doubles.json");
    named.save(path);
    const std::string text = readAll(path);
    EXPECT_EQ(tarvel::graphFileText(numbered.view()), std::regex_replace(text, std::regex("\"a\""), "7"));

    const std::vector<std::string> texts = weightTexts(text);
    ASSERT_EQ(texts.size(), weights.size());
    EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.begin() + 6),
              (std::vector<std::string>{"2.0", "-0.0", "0.0", "5e-324", "-2.2250738585072014e-308",
                                        "1.7976931348623157e+308"}));
    int sameAsTheLibrary = 0;
    for (std::size_t k = 0; k < weights.size(); ++k) {
        const double w = weights[k];
        const std::string& mine = texts[k];
        ASSERT_EQ(bitsOf(readBack(mine)), bitsOf(w)) << mine;
        // Fewest digits: one digit fewer, correctly rounded, reads back as
        // another double; as many give the same digits.
        const std::string digits = significantDigits(mine);
        char shorter[40], same[40];
        const int k1 = static_cast<int>(digits.size());
        std::snprintf(same, sizeof same, "%.*e", k1 - 1, w);
        EXPECT_EQ(significantDigits(same), digits) << mine;
        if (k1 > 1) {
            std::snprintf(shorter, sizeof shorter, "%.*e", k1 - 2, w);
            EXPECT_NE(bitsOf(readBack(shorter)), bitsOf(w)) << mine;
        }
        // Laid out as the JSON library lays out as many digits.
        const std::string library = nlohmann::json(w).dump();
        if (significantDigits(library).size() == digits.size()) {
            const std::regex digit("[0-9]");
            EXPECT_EQ(std::regex_replace(mine, digit, "#"), std::regex_replace(library, digit, "#")) << mine;
            sameAsTheLibrary += mine == library;
        }
    }
    EXPECT_GT(sameAsTheLibrary, 3900);

    // Every weight back, bit for bit, through both readers and both writers.
    const auto expectSame = [&](const auto& loaded) {
        const auto edges = loaded.view().edges();
        ASSERT_EQ(edges.size(), weights.size());
        for (std::size_t k = 0; k < weights.size(); ++k) ASSERT_EQ(bitsOf(edges[k].weight), bitsOf(weights[k])) << k;
    };
    expectSame(tarvel::loadGraph<std::string, double>(path));
    expectSame(tarvel::detail::readDocument<std::string, double>(text));
    numbered.save(path);
    expectSame(tarvel::loadGraph<int, double>(path));
    std::remove(path.c_str());
}

namespace {

// A name that the JSON library writes as an object.
struct Place {
    int x;
    std::string label;
    bool operator==(const Place& other) const { return x == other.x && label == other.label; }
};

void to_json(nlohmann::json& out, const Place& p) { out = {{"x", p.x}, {"label", p.label}, {"tags", {p.x, "t"}}}; }

}  // namespace

template <>
struct std::hash<Place> {
    std::size_t operator()(const Place& p) const { return std::hash<std::string>{}(p.label) ^ std::hash<int>{}(p.x); }
};

TEST(JsonFile, WriterLaysOutEveryNameTypeAsTheDocumentDoes) {
    std::mt19937 rng(8);
    for (int round = 0; round < 40; ++round) {
        tarvel::Graph<Place, long long> places(round % 2 == 0);
        tarvel::Graph<int, unsigned char> numbers(round % 2 == 1);
        nlohmann::json placeNodes = nlohmann::json::array(), numberNodes = nlohmann::json::array();
        const int n = round % 5;
        for (int k = 0; k < n; ++k) {
            places.addNode(Place{k, std::string(static_cast<std::size_t>(k), '"') + "\n" + std::to_string(k)});
            numbers.addNode(k * 1000 - 2000);
            placeNodes.push_back(places.nameOf(static_cast<std::size_t>(k)));
            numberNodes.push_back(numbers.nameOf(static_cast<std::size_t>(k)));
        }
        for (int k = 0; n > 0 && k < 6; ++k) {
            const auto a = rng() % static_cast<unsigned>(n), b = rng() % static_cast<unsigned>(n);
            places.addEdge(places.nameOf(a), places.nameOf(b), static_cast<long long>(rng()) * -77777);
            numbers.addEdge(numbers.nameOf(a), numbers.nameOf(b), static_cast<unsigned char>(rng()));
        }
        const auto document = [](const auto& g, const nlohmann::json& nodes) {
            nlohmann::json d = {{"directed", g.isDirected()}, {"nodes", nodes}, {"edges", nlohmann::json::array()}};
            for (const auto& e : g.edgeRecords())
                d["edges"].push_back({{"src", e.getSource()}, {"dest", e.getDestination()}, {"weight", e.getWeight()}});
            return d.dump(4) + "\n";
        };
        EXPECT_EQ(tarvel::graphFileText(places.view()), document(places, placeNodes)) << round;
        EXPECT_EQ(tarvel::graphFileText(numbers.view()), document(numbers, numberNodes)) << round;
    }
    // A name the library cannot write fails as the document's writer fails.
    tarvel::Graph<Place, int> bad(true);
    bad.addNode(Place{1, "\xff"});
    EXPECT_THROW(tarvel::graphFileText(bad.view()), nlohmann::json::type_error);
}
