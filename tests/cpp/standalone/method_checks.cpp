#include <tarvel/method_checks.hpp>

#include <gtest/gtest.h>

TEST(Standalone, MethodChecks) {
    tarvel::checkMethod(tarvel::SCCAlgo::KOSARAJU);
    EXPECT_THROW(tarvel::checkMethod(static_cast<tarvel::MSTAlgo>(3)), std::runtime_error);
}
