// Brent's method: roots at the bracket's ends, ordinary brackets in either order, rejected
// brackets and the iteration limit, counted in calls of the function.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "quadrel.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<double> g_calls;

double line(double x) {
  g_calls.push_back(x);
  return x - 1.0;
}

double shifted_line(double x) {
  g_calls.push_back(x);
  return x - 2.385;
}

double no_real_root(double x) {
  g_calls.push_back(x);
  return x * x + 1.0;
}

double cosine(double x) {
  g_calls.push_back(x);
  return std::cos(x);
}

double cubic(double x) {
  g_calls.push_back(x);
  return (x * x - 2.0) * (x + 4.0);
}

double nan_at_four_and_a_half(double x) {
  g_calls.push_back(x);
  return x == 4.5 ? kNaN : x - 1.0;
}

int find_root(double x1, double x2, double* root, double (*f)(double), double tolerance) {
  g_calls.clear();
  return import_mathfunction_1d_nullstelle(x1, x2, root, f, tolerance);
}

TEST(Root1d, FindsBracketedRoots) {
  struct Case {
    const char* name;
    double (*f)(double);
    double x1, x2, tolerance, expected, max_error;
  };
  const Case cases[] = {
      {"line", line, 0.0, 3.0, 1e-12, 1.0, 1e-12},
      {"line, reversed bracket", line, 3.0, 0.0, 1e-12, 1.0, 1e-12},
      {"cosine", cosine, 1.0, 2.0, 1e-10, std::numbers::pi / 2, 1e-10},
      {"cosine, reversed", cosine, 2.0, 1.0, 1e-10, std::numbers::pi / 2, 1e-10},
      {"cubic, tolerance 0", cubic, 0.0, 3.0, 0.0, std::numbers::sqrt2, 2e-15},
      {"line, tolerance 0", line, -2.5, 7.25, 0.0, 1.0, 2e-15},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    double root = kNaN;
    EXPECT_EQ(find_root(c.x1, c.x2, &root, c.f, c.tolerance), QUADREL_SUCCESS);
    EXPECT_NEAR(root, c.expected, c.max_error);
    EXPECT_LE(g_calls.size(), 1002u);
    ASSERT_GE(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[0], c.x1);
    EXPECT_EQ(g_calls[1], c.x2);
  }
}

TEST(Root1d, ReturnsAnEndWhereFunctionIsZeroOrNaN) {
  struct Case {
    const char* name;
    double (*f)(double);
    double x1, x2;
    double expected;
  };
  const Case cases[] = {
      {"zero at x1", shifted_line, 2.385, 7.5, 2.385},
      {"zero at x2", shifted_line, -1.25, 2.385, 2.385},
      {"zero at x2, reversed", shifted_line, 9.0, 2.385, 2.385},
      {"NaN at x2", nan_at_four_and_a_half, 3.0, 4.5, 4.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    double root = kNaN;
    EXPECT_EQ(find_root(c.x1, c.x2, &root, c.f, 1e-12), QUADREL_SUCCESS);
    EXPECT_EQ(root, c.expected);
    EXPECT_EQ(g_calls.size(), 2u);
  }
}

TEST(Root1d, RejectsEndsOfOneSignAfterTwoCalls) {
  double root = 2.385;
  EXPECT_EQ(find_root(-1.0, 1.0, &root, no_real_root, 1e-12), QUADREL_ROOT1D_NO_ZERO);
  EXPECT_EQ(root, 2.385);
  EXPECT_EQ(g_calls, (std::vector<double>{-1.0, 1.0}));
}

// A NaN tolerance makes every convergence test fail: the iteration runs its 1000 steps after
// the two calls at the ends, and gives up without touching root.
TEST(Root1d, GivesUpAfterIterationLimit) {
  double root = 2.385;
  EXPECT_EQ(find_root(0.0, 3.0, &root, line, kNaN), QUADREL_ROOT1D_NO_ZERO);
  EXPECT_EQ(root, 2.385);
  EXPECT_EQ(g_calls.size(), 1002u);
}

}  // namespace
