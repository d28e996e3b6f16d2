// The streaming document reader, and the direct reader in front of it,
// against the plain procedure through a whole JSON document: random texts
// near the graph file's shape, damaged copies of them, and saved files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "document_reference.hpp"

namespace {

// Upper-case letters are replaced by one of their expansions until none is
// left: members in any order and repeated, every JSON type where names and
// weights go, lists given as objects or lone values, nested junk, escapes,
// weights at the edges of the weight types and in every spelling of a
// JSON number (whole or fractional, exponents, beyond what a double holds
// exactly or at all). Repeated options weigh more.
const std::map<char, std::vector<std::string>> grammar = {
    {'D', {"{B, N, E}", "{E, N, B}", "{E, B, N} trailing {", "{B, N, E, M}", "{M, M, M, M}", "{B, M}", "[D]", "null", "7",
           "\"text\"", ""}},
    {'M', {"\"directed\": B", "\"nodes\": L", "\"edges\": F", "\"d\\u0069rected\": true", "\"junk\": J"}},
    {'B', {"\"directed\": true", "\"directed\": false", "\"directed\": V"}},
    {'N', {"\"nodes\": [A, A]", "\"nodes\": [A, A, A]", "\"nodes\": L"}},
    {'E', {"\"edges\": [O, O]", "\"edges\": [O]", "\"edges\": []", "\"edges\": F"}},
    {'L', {"[]", "[X, A, X]", "{\"b\": X, \"a\": X, \"\\u0061\": X, \"\\u00e9\": A}", "X", "null"}},
    {'F', {"[P, O, P]", "{\"b\": P, \"a\": O, \"b\": O}", "P", "null"}},
    {'O', {"{\"dest\": A, \"src\": A, \"weight\": I}", "{\"weight\": I, \"src\": A, \"dest\": A}"}},
    {'P', {"O", "O", "{\"src\": X, \"weight\": W, \"dest\": X, \"src\": X}", "{\"dest\": A, \"weight\": W}",
           "{\"weight\": W, \"note\": J, \"src\": A, \"dest\": A}", "{\"src\": A, \"dest\": A}", "X"}},
    {'A', {"\"a\"", "\"b\"", "\"c\"", "\"\""}},
    {'X', {"A", "A", "\"\\u0061\"", "\"q\\\"\\n\"", "1", "-2", "3000000000", "2.5", "V"}},
    {'V', {"true", "null", "[\"a\"]", "{\"k\": 1}"}},
    {'I', {"1", "-7", "0", "2147483647", "-2147483648", "I", "I", "R"}},
    {'R', {"2.0", "-0.0", "1e3", "0.5", "-1.25E-3", "9007199254740993", "9007199254740992", "5e-324", "1e-400",
           "123456789.123456789", "-0", "1E+2"}},
    {'W', {"I", "R", "2147483648", "-2147483649", "4294967297", "100000000000000000", "18446744073709551616",
           "9223372036854775807", "-9223372036854775808", "1e300", "1e400", "2.9", "-0.5", "false", "\"3\"", "V",
           "18446744073709551617", "-9223372036854775809", "18446744073709555712", "36893488147419103232"}},
    {'J', {"[1, [2, [3, {\"src\": A}]]]", "{\"nodes\": [\"z\"], \"edges\": 1}", "-0.0", "\"\\ud83d\\ude00\""}},
};

std::string randomText(std::mt19937& rng) {
    std::string text = "D";
    for (std::size_t at; (at = text.find_first_of("DMBNELFOPAXVIRWJ")) != std::string::npos;) {
        const std::vector<std::string>& options = grammar.at(text[at]);
        text.replace(at, 1, options[rng() % options.size()]);
    }
    if (rng() % 3 == 0) {  // damaged: a byte deleted, a byte inserted (a NUL among them) or the rest cut off
        static const char bytes[] = "{}[]\",:\\0e-\xff";
        const std::size_t at = text.empty() ? 0 : rng() % text.size();
        switch (rng() % 3) {
            case 0: text.erase(at, 1); break;
            case 1: text.insert(at, 1, bytes[rng() % sizeof bytes]); break;
            default: text.resize(at); break;
        }
    }
    return text;
}

template <class T, class W>
void expectSameAsDocument(const std::string& text) {
    const std::string expected = reference::outcome([&] { return reference::loadDocument<T, W>(text); });
    EXPECT_EQ(reference::outcome([&] { return tarvel::detail::readDocument<T, W>(text); }), expected) << text;
    EXPECT_EQ(reference::outcome([&] { return tarvel::detail::readGraphText<T, W>(text); }), expected) << text;
}

}  // namespace

TEST(DocumentReader, GivesWhatTheWholeDocumentGives) {
    std::mt19937 rng(2024);
    int built = 0, direct = 0, directDoubles = 0;
    for (int round = 0; round < 4000; ++round) {
        const std::string text = randomText(rng);
        expectSameAsDocument<std::string, int>(text);
        expectSameAsDocument<std::string, double>(text);
        expectSameAsDocument<std::string, float>(text);
        expectSameAsDocument<int, long long>(text);
        expectSameAsDocument<long, unsigned>(text);
        const std::string graph = reference::outcome([&] { return reference::loadDocument<std::string, int>(text); });
        built += graph.compare(0, 8, "directed") == 0 || graph.compare(0, 10, "undirected") == 0;
        tarvel::detail::GraphText<int> found;
        direct += tarvel::detail::GraphTextReader<int>(text).read(found);
        tarvel::detail::GraphText<double> foundDoubles;
        directDoubles += tarvel::detail::GraphTextReader<double>(text).read(foundDoubles);
    }
    EXPECT_GT(built, 200);  // graphs were built and compared, not only errors
    EXPECT_GT(direct, 200);
    EXPECT_GT(directDoubles, 200);
}

TEST(DocumentReader, SavedFilesWithNumbersForNames) {
    std::mt19937 rng(7);
    for (int round = 0; round < 50; ++round) {
        tarvel::GraphStore<int, double> g(round % 2 == 0);
        for (int k = 0; k < 6; ++k) g.addNode(k * 7 - 20);
        for (int k = 0; k < 10; ++k)
            g.addEdge(static_cast<int>(rng() % 6) * 7 - 20, static_cast<int>(rng() % 6) * 7 - 20,
                      std::ldexp(static_cast<double>(rng()), -static_cast<int>(rng() % 40)) - 1e3);
        const std::string text = tarvel::graphFileText(g.view());
        expectSameAsDocument<int, double>(text);
        expectSameAsDocument<int, double>(text.substr(0, rng() % text.size()));
    }
}

// Integers beyond 64 bits, which the JSON library reads as doubles: the
// full digits of a double are taken as that double; one more or one less
// (odd, so no double) is refused, by every reader alike and as the plain
// reading, which judges by printing the double, refuses it.
TEST(DocumentReader, IntegerLiteralsBeyond64BitsAreTakenOnlyWhenExact) {
    std::mt19937_64 rng(64);
    int taken = 0, refused = 0;
    for (int round = 0; round < 400; ++round) {
        double x;
        do {
            const std::uint64_t bits = rng() & ~(std::uint64_t{1} << 63);
            std::memcpy(&x, &bits, sizeof x);
        } while (!std::isfinite(x) || x < 18446744073709551616.0);
        if (round % 2 == 1) x = -x;
        char exact[400];
        std::snprintf(exact, sizeof exact, "%.0f", x);
        std::string nearby = exact;
        char& last = nearby.back();
        last = last < '9' ? static_cast<char>(last + 1) : static_cast<char>(last - 1);
        for (const std::string& w : {std::string(exact), nearby}) {
            const std::string text =
                R"({"directed": false, "nodes": ["a"], "edges": [{"src": "a", "dest": "a", "weight": )" + w + "}]}";
            expectSameAsDocument<std::string, double>(text);
            expectSameAsDocument<std::string, float>(text);
            const std::string got =
                reference::outcome([&] { return tarvel::detail::readDocument<std::string, double>(text); });
            if (w == exact) {
                const auto graph = tarvel::detail::readDocument<std::string, double>(text);
                EXPECT_EQ(graph.view().edges()[0].weight, x) << w;
                ++taken;
            } else {
                EXPECT_NE(got.find("weight " + w + " is not exactly representable"), std::string::npos) << got;
                ++refused;
            }
        }
    }
    EXPECT_EQ(taken, 400);
    EXPECT_EQ(refused, 400);
}

// true and false are weights 1 and 0 in a graph of every weight type, also
// where a later weight written as an integer is checked for exactness: the
// plain reading must not take a boolean for a number with a literal.
TEST(DocumentReader, BooleanWeightsBesideIntegersCheckedForExactness) {
    const std::string head = R"({"directed": true, "nodes": ["a", "b"], "edges": [)"
                             R"({"src": "a", "dest": "b", "weight": true}, {"src": "b", "dest": "a", "weight": false})";
    for (const std::string& last : {std::string("]}"), std::string(R"(, {"src": "a", "dest": "a", "weight": 4294967297}]})"),
                                    std::string(R"(, {"src": "a", "dest": "a", "weight": 18446744073709551617}]})")}) {
        const std::string text = head + last;
        expectSameAsDocument<std::string, int>(text);
        expectSameAsDocument<std::string, double>(text);
        expectSameAsDocument<std::string, float>(text);
    }
    const auto graph = tarvel::detail::readDocument<std::string, float>(head + "]}");
    ASSERT_EQ(graph.view().edges().size(), 2u);
    EXPECT_EQ(graph.view().edges()[0].weight, 1.0f);
    EXPECT_EQ(graph.view().edges()[1].weight, 0.0f);
}
