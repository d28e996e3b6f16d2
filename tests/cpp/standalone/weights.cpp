#include <tarvel/weights.hpp>

#include <gtest/gtest.h>

TEST(Standalone, Weights) {
    static_assert(std::is_same_v<tarvel::Distance<int>, std::int64_t>);
    static_assert(std::is_same_v<tarvel::Distance<float>, double>);
    static_assert(std::is_same_v<tarvel::Distance<long double>, long double>);
    EXPECT_EQ(tarvel::detail::extend<int>(std::int64_t{1} << 40, 2147483647), (std::int64_t{1} << 40) + 2147483647);
    EXPECT_THROW(tarvel::detail::extend<long long>(tarvel::Unreached<long long> - 1, 1), std::overflow_error);
    EXPECT_THROW(tarvel::detail::extend<unsigned long long>(0, ~0ULL), std::overflow_error);
    EXPECT_THROW(tarvel::detail::checkWeight(std::nan("")), std::invalid_argument);
    // An overflowed float sum reaches a node not reached before, and only such a node.
    const double inf = tarvel::Unreached<float>;
    EXPECT_TRUE(tarvel::detail::improves<float>(inf, inf, [] { return false; }));
    EXPECT_FALSE(tarvel::detail::improves<float>(inf, inf, [] { return true; }));
}
