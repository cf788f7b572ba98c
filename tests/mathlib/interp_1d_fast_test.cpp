// One-dimensional interpolation against the plain loop (zero the results, then for every point
// the end segments or a scan from the table's start): random tables with ties, signed zeros, NaN
// and disorder, points on and between the knots, and results written over the inputs, all bit
// for bit.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "quadrel.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The plain loop, reading every input where and when it is used (so that results written over
// an input are seen by the later points).
void reference(int n, const double* x, const double* y, int ni, const double* xi, double* yi) {
  for (int i = 0; i < ni; ++i) yi[i] = 0.0;
  if (n == 1) {
    for (int i = 0; i < ni; ++i) yi[i] = y[0];
    return;
  }
  const auto segment = [&](int k, double t) {
    const double s = (t - x[k - 1]) / (x[k] - x[k - 1]);
    return (1.0 - s) * y[k - 1] + s * y[k];
  };
  for (int i = 0; i < ni; ++i) {
    const double t = xi[i];
    if (t <= x[0]) {
      yi[i] = segment(1, t);
    } else if (t >= x[n - 1]) {
      yi[i] = segment(n - 1, t);
    } else {
      for (int k = 1; k < n; ++k) {
        if (x[k - 1] <= t && t <= x[k]) {
          yi[i] = segment(k, t);
          break;
        }
      }
    }
  }
}

bool same_bits(const std::vector<double>& a, const std::vector<double>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::bit_cast<std::uint64_t>(a[i]) != std::bit_cast<std::uint64_t>(b[i])) return false;
  }
  return true;
}

enum class Table { kAscending, kManyTies, kSignedZeros, kWithNaN, kUnordered, kDescending };

std::vector<double> make_table(Table kind, int n, std::mt19937_64& random) {
  std::uniform_real_distribution<double> step(0.0, 1.0);
  std::vector<double> x(n);
  double at = -0.37 * n;
  for (int k = 0; k < n; ++k) {
    switch (kind) {
      case Table::kManyTies:
        if (random() % 3 == 0) at += step(random);
        break;
      case Table::kUnordered:
        at = (step(random) - 0.5) * n;
        break;
      case Table::kDescending:
        at -= step(random) + 0.01;
        break;
      default:
        at += step(random) + (random() % 4 == 0 ? 0.0 : 0.01);
    }
    x[k] = at;
  }
  if (kind == Table::kSignedZeros) {
    // A run of zeros of both signs in the middle: equal under <=, different in their bits.
    for (int k = n / 3; k < n / 3 + 4 && k < n; ++k) x[k] = (k % 2 == 0) ? 0.0 : -0.0;
    for (int k = 0; k < n / 3; ++k) x[k] = -std::fabs(x[k]) - 1.0;
    for (int k = n / 3 + 4; k < n; ++k) x[k] = std::fabs(x[k]) + 1.0 + k;
  }
  if (kind == Table::kWithNaN) x[n / 2] = kNaN;
  return x;
}

std::vector<double> make_points(const std::vector<double>& x, int count, std::mt19937_64& random) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  double low = x[0], high = x[0];
  for (double v : x) {
    if (v < low) low = v;
    if (v > high) high = v;
  }
  std::vector<double> xi(count);
  for (double& t : xi) {
    switch (random() % 10) {
      case 0:
        t = x[random() % x.size()];
        break;  // exactly on a knot
      case 1:
        t = (random() % 2 == 0) ? 0.0 : -0.0;
        break;
      case 2:
        t = low - unit(random) * 5.0;
        break;
      case 3:
        t = high + unit(random) * 5.0;
        break;
      case 4: {
        const double specials[] = {kNaN, kInf, -kInf, low, high};
        t = specials[random() % 5];
        break;
      }
      default:
        t = low + (high - low) * unit(random);
    }
  }
  return xi;
}

TEST(Interp1dFast, MatchesThePlainLoopOnRandomTables) {
  struct Case {
    const char* name;
    Table kind;
  };
  const Case cases[] = {
      {"ascending", Table::kAscending},      {"many ties", Table::kManyTies},
      {"signed zeros", Table::kSignedZeros}, {"NaN in the table", Table::kWithNaN},
      {"unordered", Table::kUnordered},      {"descending", Table::kDescending},
  };
  std::mt19937_64 random(2385);
  for (const Case& c : cases) {
    for (int n : {2, 3, 5, 16, 17, 100, 1023, 2500}) {
      SCOPED_TRACE(std::string(c.name) + ", n = " + std::to_string(n));
      const std::vector<double> x = make_table(c.kind, n, random);
      std::vector<double> y(n);
      for (double& v : y) v = std::uniform_real_distribution<double>(-3.0, 3.0)(random);
      // Counts around the group size, so that full groups and a remainder both occur.
      for (int ni : {1, 15, 16, 33, 1500}) {
        const std::vector<double> xi = make_points(x, ni, random);
        std::vector<double> expected(ni, 2.385), actual(ni, -2.385);
        reference(n, x.data(), y.data(), ni, xi.data(), expected.data());
        ASSERT_EQ(import_mathfunction_1d_pwl_interpolation(n, x.data(), y.data(), ni, xi.data(),
                                                           actual.data()),
                  QUADREL_SUCCESS);
        EXPECT_TRUE(same_bits(actual, expected)) << "ni = " << ni;
      }
    }
  }
}

// Results written over the points, the values or the abscissae: later points see what earlier
// ones wrote, exactly as in the plain loop.
TEST(Interp1dFast, ResultsOverInputsFollowThePlainLoop) {
  struct Case {
    const char* name;
    int xi_offset, yi_offset;  // offsets into one buffer: x at 0, y at n, spare from 2n
  };
  const int n = 40, ni = 40;
  const Case cases[] = {
      {"results over the points", 2 * n, 2 * n},
      {"results one after the points", 2 * n, 2 * n + 1},
      {"results one before the points", 2 * n + 1, 2 * n},
      {"results over the values", 2 * n, n},
      {"results over the abscissae", 2 * n, 0},
      {"results over the table's second half", 2 * n, n / 2},
  };
  std::mt19937_64 random(11);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // An ascending table with ties over [-4, 5.75] and values in [-2, 2], so that a result
    // written over a later point puts that point inside the table again.
    std::vector<double> buffer(2 * n + ni + 1), x(n);
    for (int k = 0; k < n; ++k) {
      x[k] = -4.0 + 0.25 * (k - k % 3 / 2);
      buffer[k] = x[k];
      buffer[n + k] = std::uniform_real_distribution<double>(-2.0, 2.0)(random);
    }
    const std::vector<double> xi = make_points(x, ni, random);
    for (int i = 0; i < ni; ++i) buffer[c.xi_offset + i] = xi[i];
    buffer[c.xi_offset] = 0.3;
    std::vector<double> expected = buffer, actual = buffer;
    reference(n, expected.data(), expected.data() + n, ni, expected.data() + c.xi_offset,
              expected.data() + c.yi_offset);
    ASSERT_EQ(import_mathfunction_1d_pwl_interpolation(n, actual.data(), actual.data() + n, ni,
                                                       actual.data() + c.xi_offset,
                                                       actual.data() + c.yi_offset),
              QUADREL_SUCCESS);
    EXPECT_TRUE(same_bits(actual, expected));
  }
}

}  // namespace
