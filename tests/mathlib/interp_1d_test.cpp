// Piecewise-linear interpolation in one variable: the segment chosen for every kind of point,
// the one-entry table, rejected and empty calls, and the search in large ascending tables
// against a plain scan from the table's start.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "quadrel.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<double> interpolate(const std::vector<double>& x, const std::vector<double>& y,
                                const std::vector<double>& xi) {
  std::vector<double> yi(xi.size(), 2.385);
  EXPECT_EQ(
      import_mathfunction_1d_pwl_interpolation(static_cast<int>(x.size()), x.data(), y.data(),
                                               static_cast<int>(xi.size()), xi.data(), yi.data()),
      QUADREL_SUCCESS);
  return yi;
}

TEST(Interp1d, ChoosesSegmentForEveryKindOfPoint) {
  struct Case {
    const char* name;
    std::vector<double> x, y;
    double t, expected;
  };
  const Case cases[] = {
      {"inside a segment", {0, 1, 2}, {0, 10, 0}, 0.5, 5.0},
      {"interior knot takes the segment ending there", {0, 1, 2}, {0, 10, 0}, 1.0, 10.0},
      {"left of the table", {0, 1, 2}, {0, 10, 0}, -1.0, -10.0},
      {"right of the table", {0, 1, 2}, {0, 10, 0}, 3.0, -10.0},
      {"first knot", {0, 1, 2}, {0, 10, 0}, 0.0, 0.0},
      {"last knot", {0, 1, 2}, {0, 10, 0}, 2.0, 0.0},
      {"NaN point", {0, 1, 2}, {0, 10, 0}, kNaN, 0.0},
      {"repeated abscissa", {0, 1, 1, 2}, {0, 10, 20, 30}, 1.0, 10.0},
      {"unordered table, first segment", {0, 2, 1, 3}, {0, 4, 8, 16}, 1.5, 3.0},
      {"unordered table, later segment", {0, 2, 1, 3}, {0, 4, 8, 16}, 2.5, 14.0},
      {"NaN in the table", {0, kNaN, 2}, {0, 10, 0}, 1.0, 0.0},
      {"two entries", {0.5, 2.5}, {1.0, 5.0}, 1.0, 2.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(interpolate(c.x, c.y, {c.t}), std::vector<double>{c.expected});
  }
}

TEST(Interp1d, SingleEntryTableGivesItsValueEverywhere) {
  const std::vector<double> yi = interpolate({7.5}, {2.5}, {-1e300, 0.0, 7.5, kNaN, 1e300});
  EXPECT_EQ(yi, std::vector<double>(5, 2.5));
}

TEST(Interp1d, NoPointsWritesNothing) {
  double yi = 2.385;
  const double x[] = {0.0, 1.0}, y[] = {0.0, 1.0}, xi[] = {0.5};
  for (int ni : {0, -4}) {
    EXPECT_EQ(import_mathfunction_1d_pwl_interpolation(2, x, y, ni, xi, &yi), QUADREL_SUCCESS);
    EXPECT_EQ(yi, 2.385);
  }
}

TEST(Interp1d, RejectsEmptyTableWithoutWriting) {
  double yi[2] = {2.385, 2.385};
  const double x[] = {0.0}, y[] = {1.0}, xi[] = {0.5, 1.5};
  for (int n : {0, -1}) {
    EXPECT_EQ(import_mathfunction_1d_pwl_interpolation(n, x, y, 2, xi, yi),
              QUADREL_INTERP1D_EMPTY_TABLE);
    EXPECT_EQ(yi[0], 2.385);
    EXPECT_EQ(yi[1], 2.385);
  }
}

// The value the first qualifying segment gives, found by scanning from the table's start.
double scanned(const std::vector<double>& x, const std::vector<double>& y, double t) {
  const size_t n = x.size();
  size_t k = 0;
  if (t <= x[0]) {
    k = 1;
  } else if (t >= x[n - 1]) {
    k = n - 1;
  } else {
    for (size_t j = 1; j < n && k == 0; ++j) {
      if (x[j - 1] <= t && t <= x[j]) k = j;
    }
    if (k == 0) return 0.0;
  }
  const double s = (t - x[k - 1]) / (x[k] - x[k - 1]);
  return (1.0 - s) * y[k - 1] + s * y[k];
}

TEST(Interp1d, AscendingTablesMatchScanFromStart) {
  std::mt19937_64 random(20240611);
  std::uniform_real_distribution<double> uniform(-3.0, 3.0);
  for (int n : {2, 3, 17, 1000}) {
    SCOPED_TRACE(n);
    // Ascending with runs of equal abscissae; the points include every knot.
    std::vector<double> x, y;
    double at = -2.0;
    for (int k = 0; k < n; ++k) {
      if (k % 5 != 3) at += 0.25 + 0.01 * k;
      x.push_back(at);
      y.push_back(uniform(random));
    }
    std::vector<double> xi = x;
    for (int i = 0; i < 2000; ++i) xi.push_back(uniform(random) * (n / 10.0 + 1.0));
    const std::vector<double> yi = interpolate(x, y, xi);
    for (size_t i = 0; i < xi.size(); ++i) {
      EXPECT_EQ(yi[i], scanned(x, y, xi[i])) << xi[i];
    }
  }
}

}  // namespace
