// The streaming document reader and the direct reader against the plain
// procedure through a whole JSON document, on random texts near the graph
// file's shape and on damaged copies of them.
#include <gtest/gtest.h>

#include <cmath>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "document_reference.hpp"

namespace {

class TextMaker {
public:
    explicit TextMaker(std::mt19937& generator) : rng(generator) {}

    std::string document() {
        if (rng() % 8 == 0) return pick({"[{\"directed\": true}]", "\"text\"", "null", "7", "", "{} x", "[1, {\"a\": 2}"});
        clean = rng() % 4 == 0;  // a file the direct reader takes, unless damaged
        std::string text = "{";
        std::vector<int> members = {0, 1, 2};
        if (!clean) {
            for (std::size_t k = rng() % 4; k > 0; --k) members.push_back(static_cast<int>(rng() % 5));
            if (rng() % 8 == 0) members.erase(members.begin());
        }
        std::shuffle(members.begin(), members.end(), rng);
        for (std::size_t k = 0; k < members.size(); ++k) {
            switch (members[k]) {
                case 0: text += "\"directed\": " + (clean || rng() % 2 ? pick({"true", "false"}) : pick({"1", "null", "\"yes\"", "[]"})); break;
                case 1: text += "\"nodes\": " + list(&TextMaker::name); break;
                case 2: text += "\"edges\": " + list(&TextMaker::edge); break;
                case 3: text += "\"d\\u0069rected\": false"; break;
                default: text += "\"junk\": " + junk(); break;
            }
            text += k + 1 < members.size() ? ", " : "";
        }
        return text + pick({"}", "} trailing {", "}\n]"});
    }

    // A few bytes deleted, inserted or cut off.
    std::string damaged(std::string text) {
        static const char bytes[] = "{}[]\",:\\0e-\xff";
        for (std::size_t k = 1 + rng() % 3; k > 0 && !text.empty(); --k) {
            const std::size_t at = rng() % text.size();
            switch (rng() % 3) {
                case 0: text.erase(at, 1); break;
                case 1: text.insert(at, 1, bytes[rng() % sizeof bytes]); break;  // the final NUL too
                default: text.resize(at); break;
            }
        }
        return text;
    }

private:
    std::string pick(std::initializer_list<const char*> options) {
        return *(options.begin() + static_cast<std::ptrdiff_t>(rng() % options.size()));
    }

    std::string junk() { return pick({"[1, [2, [3, {\"src\": \"a\"}]]]", "{\"nodes\": [\"z\"]}", "-0.0", "\"\\ud83d\\ude00\""}); }

    std::string name() {
        if (clean || rng() % 3 != 0) return pick({"\"a\"", "\"b\"", "\"c\"", "\"\""});
        return pick({"\"\\u0061\"", "\"q\\\"\\n\"", "1", "-2", "3000000000", "2.5", "true", "null", "[\"a\"]", "{\"k\": 1}"});
    }

    std::string weight() {
        if (clean || rng() % 2 == 0) return pick({"1", "-7", "0", "2147483647", "-2147483648"});
        return pick({"2147483648", "-2147483649", "4294967297", "100000000000000000", "18446744073709551616",
                     "9223372036854775807", "-9223372036854775808", "1e300", "1e400", "2.9", "-0.5", "true", "false",
                     "\"3\"", "null", "[1]", "{}"});
    }

    std::string edge() {
        if (!clean && rng() % 6 == 0) return name();
        std::vector<int> fields = {0, 1, 2};
        if (!clean) {
            for (std::size_t k = rng() % 3; k > 0; --k) fields.push_back(static_cast<int>(rng() % 4));
            if (rng() % 4 == 0) fields.erase(fields.begin() + static_cast<std::ptrdiff_t>(rng() % fields.size()));
        }
        std::shuffle(fields.begin(), fields.end(), rng);
        std::string text = "{";
        for (std::size_t k = 0; k < fields.size(); ++k) {
            switch (fields[k]) {
                case 0: text += "\"weight\": " + weight(); break;
                case 1: text += "\"dest\": " + name(); break;
                case 2: text += "\"src\": " + name(); break;
                default: text += "\"note\": " + junk(); break;
            }
            text += k + 1 < fields.size() ? ", " : "";
        }
        return text + "}";
    }

    // An array, an object (its members iterated by key), or a lone value.
    std::string list(std::string (TextMaker::*element)()) {
        const auto shape = clean ? 2 : rng() % 6;
        if (shape == 0) return (this->*element)();
        std::string text = shape == 1 ? "{" : "[";
        for (std::size_t k = rng() % 5; k > 0; --k) {
            if (shape == 1) text += pick({"\"b\": ", "\"a\": ", "\"\\u0061\": ", "\"ab\": ", "\"\\u00e9\": "});
            text += (this->*element)();
            text += k > 1 ? ", " : "";
        }
        return text + (shape == 1 ? "}" : "]");
    }

    std::mt19937& rng;
    bool clean = false;
};

template <class T, class W>
void expectSameAsDocument(const std::string& text, int round) {
    const std::string expected = reference::outcome([&] { return reference::loadDocument<T, W>(text); });
    EXPECT_EQ(reference::outcome([&] { return tarvel::detail::readDocument<T, W>(text); }), expected)
        << round << ": " << text;
    EXPECT_EQ(reference::outcome([&] { return tarvel::detail::readGraphText<T, W>(text); }), expected)
        << round << ": " << text;
}

}  // namespace

TEST(DocumentReader, GivesWhatTheWholeDocumentGives) {
    std::mt19937 rng(2024);
    TextMaker maker(rng);
    int loaded = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string text = maker.document();
        if (round % 3 == 0) text = maker.damaged(text);
        expectSameAsDocument<std::string, int>(text, round);
        expectSameAsDocument<std::string, double>(text, round);
        expectSameAsDocument<int, long long>(text, round);
        expectSameAsDocument<long, unsigned>(text, round);
        const std::string outcome = reference::outcome([&] { return reference::loadDocument<std::string, int>(text); });
        loaded += outcome.rfind("directed", 0) == 0 || outcome.rfind("undirected", 0) == 0;
    }
    EXPECT_GT(loaded, 150);  // graphs were built, not only errors compared
}

TEST(DocumentReader, SavedFilesOfEveryWeightType) {
    std::mt19937 rng(7);
    for (int round = 0; round < 50; ++round) {
        tarvel::GraphStore<int, double> g(round % 2 == 0);
        for (int k = 0; k < 6; ++k) g.addNode(k * 7 - 20);
        for (int k = 0; k < 10; ++k)
            g.addEdge(static_cast<int>(rng() % 6) * 7 - 20, static_cast<int>(rng() % 6) * 7 - 20,
                      std::ldexp(static_cast<double>(rng()), -static_cast<int>(rng() % 40)) - 1e3);
        const std::string text = tarvel::graphFileText(g.view());
        expectSameAsDocument<int, double>(text, round);
        expectSameAsDocument<int, double>(text.substr(0, rng() % text.size()), round);
    }
}
