// Root finding in two variables: convergence, the early exit, the iteration limit, n = 1, the
// single-precision merit sum, singular and NaN systems, rejected n and re-entrant calls.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "quadrel.h"

namespace {

// What the systems below saw; reset by each test.
struct Calls {
  int count = 0;
  bool point0_always_zero = true;
  bool n_and_count_agree = true;
};
thread_local Calls calls;

void note(int n, const double* point, const int* count) {
  ++calls.count;
  if (point[0] != 0.0) calls.point0_always_zero = false;
  if (*count != n) calls.n_and_count_agree = false;
}

void shifted(int n, double* p, double* f, int* count) {
  note(n, p, count);
  f[1] = p[1] - 1.0;
  f[2] = p[2] - 2.0;
}

// The same system scaled by 1e-30: every F_i^2 underflows in single precision.
void tiny_shifted(int n, double* p, double* f, int* count) {
  note(n, p, count);
  f[1] = 1e-30 * (p[1] - 1.0);
  f[2] = 1e-30 * (p[2] - 2.0);
}

// Scaled by 1e-10: F_i^2 still lies in single-precision range.
void small_shifted(int n, double* p, double* f, int* count) {
  note(n, p, count);
  f[1] = 1e-10 * (p[1] - 1.0);
  f[2] = 1e-10 * (p[2] - 2.0);
}

void rosenbrock(int n, double* p, double* f, int* count) {
  note(n, p, count);
  f[1] = 10.0 * (p[2] - p[1] * p[1]);
  f[2] = 1.0 - p[1];
}

void circle_and_line(int n, double* p, double* f, int* count) {
  note(n, p, count);
  f[1] = p[1] * p[1] + p[2] * p[2] - 4.0;
  f[2] = p[1] - p[2];
}

void square_root_of_two(int n, double* p, double* f, int* count) {
  note(n, p, count);
  f[1] = p[1] * p[1] - 2.0;
}

// The second equation does not depend on anything: the Jacobian has a zero row.
void zero_row(int n, double* p, double* f, int* count) {
  note(n, p, count);
  f[1] = p[1] - 1.0;
  f[2] = 0.0;
}

void half_nan(int n, double* p, double* f, int* count) {
  note(n, p, count);
  f[1] = p[1] - 1.0;
  f[2] = std::nan("");
}

void all_nan(int n, double* p, double* f, int* count) {
  note(n, p, count);
  f[1] = std::nan("");
  f[2] = std::nan("");
}

void count_too_large(int, double* p, double* f, int* count) {
  f[1] = p[1] - 1.0;
  f[2] = p[2] - 2.0;
  *count = 7;
}

void count_negative(int, double* p, double* f, int* count) {
  f[1] = p[1] - 1.0;
  f[2] = p[2] - 2.0;
  *count = -5;
}

TEST(Root2d, SolvesSystems) {
  struct Case {
    std::string name;
    quadrel_system_2d f;
    double start[2];
    double root[2];
  };
  const double r2 = std::sqrt(2.0);
  const Case cases[] = {
      {"shifted", shifted, {0, 0}, {1, 2}},
      {"rosenbrock", rosenbrock, {-1.2, 1}, {1, 1}},
      {"circle and line", circle_and_line, {1, 0.5}, {r2, r2}},
      {"count reported too large", count_too_large, {0.375, -2.5}, {1, 2}},
      {"count reported negative", count_negative, {0.375, -2.5}, {1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    calls = {};
    double x[2] = {c.start[0], c.start[1]};
    int reserved = 0;
    EXPECT_EQ(import_mathfunction_2d_nullstelle(2, x, c.f, &reserved, 1e-10), QUADREL_SUCCESS);
    EXPECT_NEAR(x[0], c.root[0], 1e-10);
    EXPECT_NEAR(x[1], c.root[1], 1e-10);
    EXPECT_TRUE(calls.point0_always_zero);
    EXPECT_TRUE(calls.n_and_count_agree);
  }
}

TEST(Root2d, StartPointWellBelowToleranceReturnsAtOnce) {
  calls = {};
  double x[2] = {1.0, 2.0 + 4e-15};
  EXPECT_EQ(import_mathfunction_2d_nullstelle(2, x, shifted, nullptr, 1e-10), QUADREL_SUCCESS);
  EXPECT_EQ(calls.count, 1);
  EXPECT_EQ(x[0], 1.0);
  EXPECT_EQ(x[1], 2.0 + 4e-15);
}

// A tolerance <= 0 is never met: 1000 iterations of two Jacobian columns each, after the
// start, plus the line-search trials of the two steps that still move the point.
TEST(Root2d, NonPositiveToleranceRunsAllIterations) {
  for (double tolerance : {0.0, -2.385}) {
    SCOPED_TRACE(tolerance);
    calls = {};
    double x[2] = {0.0, 0.0};
    EXPECT_EQ(import_mathfunction_2d_nullstelle(2, x, shifted, nullptr, tolerance),
              QUADREL_ROOT2D_NOT_CONVERGED);
    EXPECT_EQ(calls.count, 1 + 2 * 1000 + 2);
    EXPECT_NEAR(x[0], 1.0, 1e-14);
    EXPECT_NEAR(x[1], 2.0, 1e-14);
  }
}

TEST(Root2d, OneUnknownLeavesSecondUntouched) {
  calls = {};
  double x[2] = {1.0, 7.25};
  EXPECT_EQ(import_mathfunction_2d_nullstelle(1, x, square_root_of_two, nullptr, 1e-13),
            QUADREL_SUCCESS);
  EXPECT_NEAR(x[0], std::sqrt(2.0), 1e-13);
  EXPECT_EQ(x[1], 7.25);
  EXPECT_TRUE(calls.n_and_count_agree);
}

// The merit sum is single precision: at scale 1e-30 every square underflows to 0, no step
// ever decreases the merit value, and the point never moves. At scale 1e-10 the same system
// converges.
TEST(Root2d, MeritSumIsSinglePrecision) {
  double x[2] = {1.5, 2.5};
  EXPECT_EQ(import_mathfunction_2d_nullstelle(2, x, tiny_shifted, nullptr, 1e-40),
            QUADREL_ROOT2D_NOT_CONVERGED);
  EXPECT_EQ(x[0], 1.5);
  EXPECT_EQ(x[1], 2.5);

  double y[2] = {1.5, 2.5};
  EXPECT_EQ(import_mathfunction_2d_nullstelle(2, y, small_shifted, nullptr, 1e-20),
            QUADREL_SUCCESS);
  EXPECT_NEAR(y[0], 1.0, 1e-9);
  EXPECT_NEAR(y[1], 2.0, 1e-9);
}

// Systems whose Newton step is not finite, or whose values are NaN: the step is rejected, the
// iteration goes on to its limit, and NaN never counts as converged.
TEST(Root2d, NonFiniteStepsEndAfterAllIterations) {
  struct Case {
    std::string name;
    quadrel_system_2d f;
    int calls;  // the start, then two Jacobian columns per iteration, no line-search trial
  };
  const Case cases[] = {
      {"zero row in the Jacobian", zero_row, 1 + 2 * 1000},
      {"one value NaN", half_nan, 1 + 2 * 1000},
      {"all values NaN", all_nan, 1 + 2 * 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    calls = {};
    double x[2] = {3.0, 5.0};
    EXPECT_EQ(import_mathfunction_2d_nullstelle(2, x, c.f, nullptr, 1e-10),
              QUADREL_ROOT2D_NOT_CONVERGED);
    EXPECT_EQ(calls.count, c.calls);
    EXPECT_EQ(x[0], 3.0);
    EXPECT_EQ(x[1], 5.0);
  }
}

// A Jacobian with a zero row leaves the point where it is, and the unchanged values still face
// the test after the step: between 0.01 * tolerance and tolerance they pass it.
TEST(Root2d, ZeroRowKeepsThePointForTheConvergenceTest) {
  calls = {};
  double x[2] = {1.0 + 5e-11, 2.385};
  EXPECT_EQ(import_mathfunction_2d_nullstelle(2, x, zero_row, nullptr, 1e-10), QUADREL_SUCCESS);
  EXPECT_EQ(calls.count, 1 + 2);
  EXPECT_EQ(x[0], 1.0 + 5e-11);
  EXPECT_EQ(x[1], 2.385);
}

TEST(Root2d, RejectsUnknownCountsOutsideOneAndTwo) {
  for (int n : {0, 3, -1, 1000}) {
    SCOPED_TRACE(n);
    calls = {};
    double x[2] = {2.385, -1.5};
    EXPECT_EQ(import_mathfunction_2d_nullstelle(n, x, shifted, nullptr, 1e-10),
              QUADREL_ROOT2D_BAD_ORDER);
    EXPECT_EQ(calls.count, 0);
    EXPECT_EQ(x[0], 2.385);
    EXPECT_EQ(x[1], -1.5);
  }
}

// The system's own value comes from a nested call: F_1 = x_1 - sqrt(x_2), F_2 = x_2 - 4.
void inner_square(int, double* p, double* f, int*) { f[1] = p[1] * p[1] - p[2]; }

void nested(int, double* p, double* f, int*) {
  double inner[2] = {1.0, p[2]};
  import_mathfunction_2d_nullstelle(1, inner, inner_square, nullptr, 1e-14);
  f[1] = p[1] - inner[0];
  f[2] = p[2] - 4.0;
}

TEST(Root2d, SystemMayCallTheSolver) {
  double x[2] = {1.0, 3.0};
  EXPECT_EQ(import_mathfunction_2d_nullstelle(2, x, nested, nullptr, 1e-10), QUADREL_SUCCESS);
  EXPECT_NEAR(x[0], 2.0, 1e-10);
  EXPECT_NEAR(x[1], 4.0, 1e-10);
}

}  // namespace
