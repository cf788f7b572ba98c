// Cubic spline with parabolic run-out: rejected inputs, small cases with known results, the
// interval choice at knots, reuse of the second derivatives, and accuracy properties.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "quadrel.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double spline(const std::vector<double>& x, const std::vector<double>& y, double xi,
              std::vector<double>& m2, bool reuse = true) {
  double value = kNaN;
  EXPECT_EQ(import_mathfunction_1d_cubic_spline(static_cast<int>(x.size()), x.data(), y.data(), xi,
                                                &value, m2.data(), reuse),
            QUADREL_SUCCESS);
  return value;
}

TEST(CubicSpline, RejectsBadInputWithoutWriting) {
  struct Case {
    const char* name;
    std::vector<double> x;
    int n;
    bool reuse;
  };
  const Case cases[] = {
      {"one knot", {0.0}, 1, false},
      {"one knot, reuse", {0.0}, 1, true},
      {"no knots", {0.0}, 0, false},
      {"negative count, reuse", {0.0}, -3, true},
      {"repeated knot", {0.0, 1.0, 1.0, 2.0}, 4, false},
      {"decreasing knots", {0.0, 1.5, 0.75, 2.0}, 4, false},
      {"two knots reversed", {1.0, 0.0}, 2, false},
      {"NaN knot", {0.0, kNaN, 2.0}, 3, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<double> y(c.x.size(), 2.385);
    std::vector<double> m2(c.x.size(), -7.5);
    double value = 4.25;
    EXPECT_EQ(import_mathfunction_1d_cubic_spline(c.n, c.x.data(), y.data(), 0.5, &value, m2.data(),
                                                  c.reuse),
              QUADREL_SPLINE_BAD_KNOTS);
    EXPECT_EQ(value, 4.25);
    for (double m : m2) EXPECT_EQ(m, -7.5);
  }
}

TEST(CubicSpline, TwoKnotsGiveStraightLine) {
  const std::vector<double> x = {0.0, 1.0}, y = {0.0, 2.0};
  std::vector<double> m2 = {9.0, 9.0};
  EXPECT_EQ(spline(x, y, 0.25, m2, false), 0.5);
  EXPECT_EQ(m2, (std::vector<double>{0.0, 0.0}));
  EXPECT_EQ(spline(x, y, 2.0, m2), 4.0);
  EXPECT_EQ(spline(x, y, -1.5, m2), -3.0);
}

TEST(CubicSpline, ThreeKnotsGiveTheParabola) {
  const std::vector<double> x = {0.0, 1.0, 2.0}, y = {0.0, 1.0, 4.0};
  std::vector<double> m2(3);
  EXPECT_EQ(spline(x, y, 1.5, m2, false), 2.25);
  for (double m : m2) EXPECT_DOUBLE_EQ(m, 2.0);
  EXPECT_EQ(spline(x, y, 3.0, m2), 9.0);
  EXPECT_EQ(spline(x, y, -1.0, m2), 1.0);
}

TEST(CubicSpline, KnotsReturnTheirValues) {
  const std::vector<double> x = {-1.25, 0.5, 0.875, 2.0, 3.5, 3.75};
  const std::vector<double> y = {2.385, -0.75, 1.125, 4.5, -2.0, 0.25};
  std::vector<double> m2(x.size());
  spline(x, y, 0.0, m2, false);
  // An interior knot starts its own interval (t = 0), so the value is exact; the last knot
  // ends the last interval and is reproduced up to rounding.
  for (size_t k = 0; k + 1 < x.size(); ++k) EXPECT_EQ(spline(x, y, x[k], m2), y[k]) << k;
  EXPECT_NEAR(spline(x, y, x.back(), m2), y.back(), 1e-14);
  EXPECT_TRUE(std::isnan(spline(x, y, kNaN, m2)));
}

TEST(CubicSpline, ReuseReadsSecondDerivativesWithoutWritingThem) {
  const std::vector<double> x = {0.0, 0.5, 1.25, 2.0, 3.0};
  const std::vector<double> y = {1.0, 2.385, 0.5, -1.0, 0.75};
  std::vector<double> m2(x.size());
  const double fresh = spline(x, y, 1.7, m2, false);
  const std::vector<double> computed = m2;
  EXPECT_EQ(spline(x, y, 1.7, m2), fresh);
  EXPECT_EQ(m2, computed);

  // With zero second derivatives every piece is the chord.
  std::vector<double> zeros(x.size(), 0.0);
  EXPECT_EQ(spline(x, y, 0.25, zeros), 1.0 + 0.25 * ((2.385 - 1.0) / 0.5));
}

TEST(CubicSpline, ReuseSkipsKnotCheck) {
  const std::vector<double> x = {0.0, 1.0, 1.0, 2.0}, y = {0.0, 2.0, 3.0, 5.0};
  std::vector<double> m2(4, 0.0);
  EXPECT_EQ(spline(x, y, 0.5, m2), 1.0);
}

TEST(CubicSpline, ReproducesParabola) {
  auto parabola = [](double t) { return 2.385 * t * t - 1.5 * t + 0.75; };
  const std::vector<double> x = {-2.0, -1.25, 0.0, 0.5, 1.75, 2.0, 3.5};
  std::vector<double> y;
  for (double t : x) y.push_back(parabola(t));
  std::vector<double> m2(x.size());
  spline(x, y, 0.0, m2, false);
  for (double m : m2) EXPECT_NEAR(m, 2 * 2.385, 1e-12);
  for (double t = -3.0; t <= 4.5; t += 0.125) {
    EXPECT_NEAR(spline(x, y, t, m2), parabola(t), 1e-12 * (1.0 + parabola(t))) << t;
  }
}

// Away from the ends, where the run-out condition's error has died out, halving the knot
// spacing divides the error by 16.
TEST(CubicSpline, ConvergesAtFourthOrderInTheInterior) {
  double previous = 0.0;
  for (int n : {41, 81, 161, 321}) {
    SCOPED_TRACE(n);
    std::vector<double> x(n), y(n), m2(n);
    for (int i = 0; i < n; ++i) {
      x[i] = 3.0 * i / (n - 1);
      y[i] = std::sin(x[i]);
    }
    spline(x, y, 0.0, m2, false);
    double error = 0.0;
    for (int k = 0; k <= 1000; ++k) {
      const double t = 1.0 + k / 1000.0;
      error = std::fmax(error, std::fabs(spline(x, y, t, m2) - std::sin(t)));
    }
    if (previous > 0.0) {
      EXPECT_GT(previous / error, 14.0);
      EXPECT_LT(previous / error, 18.0);
    }
    previous = error;
  }
}

}  // namespace
