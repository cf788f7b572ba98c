// Gauss-Legendre quadrature against a literal transcription of the computed rule's operation
// order (every sine evaluated where it occurs, the coefficient recurrence after the Heun
// integration, every Newton step evaluated): nodes, weights and results agree bit for bit.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

#include "quadrel.h"

namespace {

bool same_bits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

struct Rule {
  std::vector<double> nodes, weights;
};

double reference_slope(double theta, double x, double s) {
  const double one_minus_x2 = (1.0 - x) * (1.0 + x);
  return -(one_minus_x2 / (s * std::sqrt(one_minus_x2) - 0.5 * x * std::sin(2.0 * theta)));
}

double reference_series(const double* c, int terms, double delta) {
  double sum = 0.0;
  double power = 1.0;
  for (int j = 0; j < terms; ++j) {
    sum = sum + c[j] * power;
    power = power * delta;
  }
  return sum;
}

// The m-point rule (m odd, at least 11), step by step in the reference transcription's order.
Rule reference_rule(int m) {
  std::vector<double> x(m), d(m);
  const double order_term = double(m) * (m + 1);
  double p_before = 0.0, p_last = 1.0, dp_before = 0.0, dp_last = 0.0;
  for (int i = 0; i < m; ++i) {
    const double k = i;
    const double p_next = -k * p_before / (k + 1.0);
    const double dp_next = ((2.0 * k + 1.0) * p_last - k * dp_before) / (k + 1.0);
    p_before = p_last;
    p_last = p_next;
    dp_before = dp_last;
    dp_last = dp_next;
  }
  const int c = (m - 1) / 2;
  x[c] = p_last;
  d[c] = dp_last;
  const double s = std::sqrt(order_term);
  const double h = -std::numbers::pi / 10;
  for (int k = c; k < m - 1; ++k) {
    double xx = x[k], theta = std::numbers::pi / 2.0;
    for (int i = 0; i < 10; ++i) {
      const double k1 = h * reference_slope(theta, xx, s);
      xx = xx + k1;
      theta = theta + h;
      const double k2 = h * reference_slope(theta, xx, s);
      xx = xx + (k2 - k1) / 2.0;
    }
    double delta = xx - x[k];
    double u[31] = {}, v[30] = {};
    u[1] = d[k];
    for (int j = 0; j <= 28; ++j) {
      const double jj = j;
      u[j + 2] =
          ((jj * (j + 1) - order_term) * u[j] / (jj + 1.0) + 2.0 * x[k] * (jj + 1.0) * u[j + 1]) /
          (1.0 - x[k]) / (1.0 + x[k]) / (jj + 2.0);
    }
    for (int j = 0; j < 30; ++j) v[j] = (j + 1.0) * u[j + 1];
    double q = reference_series(v, 29, delta);
    for (int i = 0; i < 5; ++i) {
      const double p = reference_series(u, 30, delta);
      delta = delta - p / q;
      q = reference_series(v, 29, delta);
    }
    x[k + 1] = x[k] + delta;
    d[k + 1] = q;
  }
  for (int i = 0; i <= c; ++i) {
    x[i] = -x[m - 1 - i];
    d[i] = d[m - 1 - i];
  }
  Rule rule{x, std::vector<double>(m)};
  for (int i = 0; i < m; ++i) rule.weights[i] = 2.0 / (1.0 - x[i]) / (1.0 + x[i]) / d[i] / d[i];
  double sum = 0.0;
  for (int i = 0; i < m; ++i) sum = sum + rule.weights[i];
  for (int i = 0; i < m; ++i) rule.weights[i] = (2.0 * rule.weights[i]) / sum;
  return rule;
}

// What the integrands saw; each test runs in its own process.
std::vector<double> g_nodes;
int g_selected = 0;
std::vector<double> g_values;

double record(double x, int*) {
  g_nodes.push_back(x);
  return 0.0;
}

double indicator(double x, int*) {
  const bool hit = static_cast<int>(g_nodes.size()) == g_selected;
  g_nodes.push_back(x);
  return hit ? 1.0 : 0.0;
}

double tabulated(double x, int*) {
  const double value = g_values[g_nodes.size()];
  g_nodes.push_back(x);
  return value;
}

int integrate(double (*f)(double, int*), double lower, double upper, int n, double* result) {
  g_nodes.clear();
  return import_mathfunction_quadratische_integration_gauss(f, lower, upper, n, result);
}

// On [-1, 1] the mapping is exact (but for the middle node's sign): the integrand sees the rule's
// nodes, and a function that is 1 at node i and 0 elsewhere integrates to the weight w_i.
void expect_rule(int n, const Rule& rule, const std::vector<int>& weight_indices) {
  double result = 0.0;
  ASSERT_EQ(integrate(record, -1.0, 1.0, n, &result), QUADREL_SUCCESS);
  ASSERT_EQ(g_nodes.size(), rule.nodes.size());
  int mismatches = 0;
  for (std::size_t i = 0; i < g_nodes.size(); ++i) {
    const double node = (0.0 + 2.0 * rule.nodes[i]) * 0.5;
    if (!same_bits(g_nodes[i], node) && ++mismatches <= 3) {
      ADD_FAILURE() << "node " << i << ": " << g_nodes[i] << " != " << node;
    }
  }
  EXPECT_EQ(mismatches, 0);
  for (int i : weight_indices) {
    g_selected = i;
    ASSERT_EQ(integrate(indicator, -1.0, 1.0, n, &result), QUADREL_SUCCESS);
    EXPECT_TRUE(same_bits(result, rule.weights[i])) << "weight " << i;
  }
}

TEST(GaussQuadratureFast, SmallRulesMatchTheTranscriptionInEveryWeight) {
  for (int n = 11; n <= 62; ++n) {
    SCOPED_TRACE(n);
    const int m = n % 2 == 1 ? n : n + 1;
    std::vector<int> all(m);
    for (int i = 0; i < m; ++i) all[i] = i;
    expect_rule(n, reference_rule(m), all);
  }
}

TEST(GaussQuadratureFast, LargeRulesMatchTheTranscription) {
  std::mt19937 random(2385);
  for (int m : {101, 203, 1001, 4097, 10001, 46339}) {
    SCOPED_TRACE(m);
    // The outermost weights, where (1 - x)(1 + x) is smallest, the middle and a few others.
    std::vector<int> indices = {0, 1, m / 2, m - 2, m - 1};
    for (int k = 0; k < 4; ++k) indices.push_back(static_cast<int>(random() % m));
    expect_rule(m, reference_rule(m), indices);
  }
}

// Random intervals (reversed, empty, non-finite) and integrand values (zeros, signed zeros,
// huge and tiny magnitudes, NaN) give the sum of the reference transcription.
TEST(GaussQuadratureFast, ResultsMatchTheTranscription) {
  struct Case {
    const char* name;
    double lower, upper;
  };
  const double inf = std::numeric_limits<double>::infinity();
  const Case cases[] = {
      {"ordinary", -0.75, 2.385},
      {"reversed", 3.5, -1.25},
      {"empty", 1.75, 1.75},
      {"tiny", 1e-300, 3e-300},
      {"infinite", -inf, 1.0},
      {"huge", -1e300, 1e300},
      {"not a number", 0.0, std::numeric_limits<double>::quiet_NaN()},
  };
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> value(-4.0, 4.0);
  for (int n : {11, 12, 57, 400, 2047}) {
    const int m = n % 2 == 1 ? n : n + 1;
    const Rule rule = reference_rule(m);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + ", n = " + std::to_string(n));
      g_values.resize(m);
      for (double& y : g_values) {
        switch (random() % 8) {
          case 0:
            y = 0.0;
            break;
          case 1:
            y = -0.0;
            break;
          case 2:
            y = value(random) * 1e250;
            break;
          case 3:
            y = value(random) * 1e-250;
            break;
          default:
            y = value(random);
        }
      }
      if (n == 57) g_values[m / 3] = std::numeric_limits<double>::quiet_NaN();

      double expected = 0.0;
      for (int i = 0; i < m; ++i) {
        const double w = ((c.upper - c.lower) * rule.weights[i]) * 0.5;
        expected = expected + w * g_values[i];
      }
      double result = 0.0;
      ASSERT_EQ(integrate(tabulated, c.lower, c.upper, n, &result), QUADREL_SUCCESS);
      ASSERT_EQ(g_nodes.size(), static_cast<std::size_t>(m));
      for (int i = 0; i < m; ++i) {
        const double x = ((c.lower + c.upper) + (c.upper - c.lower) * rule.nodes[i]) * 0.5;
        ASSERT_TRUE(same_bits(g_nodes[i], x)) << "node " << i;
      }
      EXPECT_TRUE(same_bits(result, expected)) << result << " != " << expected;
    }
  }
}

}  // namespace
