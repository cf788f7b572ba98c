// Gauss-Legendre quadrature: rejected inputs, the calls made to the integrand, known
// integrals, and the nodes and weights against independent long-double computations.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "quadrel.h"

namespace {

// What the integrands saw; each test runs in its own process.
std::vector<double> g_nodes;
std::vector<int> g_points;
int g_power = 0;     // exponent for power()
int g_selected = 0;  // call index at which indicator() returns 1

double record(double x, int* points) {
  g_nodes.push_back(x);
  g_points.push_back(*points);
  return 0.0;
}

double one(double x, int* points) {
  record(x, points);
  return 1.0;
}

double square(double x, int*) { return x * x; }

double fourth(double x, int*) { return x * x * x * x; }

double power(double x, int*) { return std::pow(x, g_power); }

double indicator(double x, int* points) {
  const bool hit = static_cast<int>(g_nodes.size()) == g_selected;
  record(x, points);
  return hit ? 1.0 : 0.0;
}

double overwrite_count(double x, int* points) {
  record(x, points);
  *points = 3;
  return 1.0;
}

double nan_at_third(double x, int* points) {
  record(x, points);
  return g_nodes.size() == 3 ? std::numeric_limits<double>::quiet_NaN() : 1.0;
}

double exp_of(double x, int*) { return std::exp(x); }

int integrate(double (*f)(double, int*), double lower, double upper, int n, double* result) {
  g_nodes.clear();
  g_points.clear();
  return import_mathfunction_quadratische_integration_gauss(f, lower, upper, n, result);
}

// On [-1, 1] the mapping is exact, so the integrand sees the rule's own nodes, and a
// function that is 1 at node i and 0 elsewhere integrates to the rule's own weight w_i.
std::vector<double> nodes_of(int n) {
  double result = 0.0;
  EXPECT_EQ(integrate(record, -1.0, 1.0, n, &result), QUADREL_SUCCESS);
  return g_nodes;
}

double weight_of(int n, int i) {
  g_selected = i;
  double result = 0.0;
  EXPECT_EQ(integrate(indicator, -1.0, 1.0, n, &result), QUADREL_SUCCESS);
  return result;
}

// P_m(x) and P_m'(x) in long double by the three-term recurrence.
long double legendre(int m, long double x, long double* derivative) {
  long double before = 1.0L, last = x;
  for (int k = 1; k < m; ++k) {
    const long double next = ((2 * k + 1) * x * last - k * before) / (k + 1);
    before = last;
    last = next;
  }
  *derivative = m * (x * last - before) / (x * x - 1.0L);
  return last;
}

// The Legendre root next to `start`, refined by Newton's method in long double.
long double refined_root(int m, long double start) {
  long double x = start, derivative = 0.0L;
  for (int i = 0; i < 8; ++i) {
    const long double p = legendre(m, x, &derivative);
    x -= p / derivative;
  }
  return x;
}

long double weight_at(int m, long double root) {
  long double derivative = 0.0L;
  legendre(m, root, &derivative);
  return 2.0L / ((1.0L - root * root) * derivative * derivative);
}

// Distance between two doubles counted in representable values.
int64_t ulps_between(double a, double b) {
  auto ordered = [](double d) {
    int64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return bits < 0 ? INT64_MIN - bits : bits;
  };
  const int64_t diff = ordered(a) - ordered(b);
  return diff < 0 ? -diff : diff;
}

constexpr double kEps = std::numeric_limits<double>::epsilon();

TEST(GaussQuadrature, RejectsInvalidPointCountsBeforeCallingIntegrand) {
  for (int n : {1, 0, -1, INT_MIN}) {
    SCOPED_TRACE(n);
    double result = 2.385;
    EXPECT_EQ(integrate(one, -1.0, 1.0, n, &result), QUADREL_GAUSS_BAD_ARGUMENT);
    EXPECT_TRUE(g_nodes.empty());
    EXPECT_EQ(result, 2.385);
  }
}

// Past 46 340 points m(m + 1) no longer fits an int, and past about a million the series
// coefficients next to x = 1 would overflow unscaled.
TEST(GaussQuadrature, RulesBeyondIntSizedProductsAreAccurate) {
  for (int n : {46340, 1000000}) {
    SCOPED_TRACE(n);
    double result = 0.0;
    EXPECT_EQ(integrate(one, -1.0, 1.0, n, &result), QUADREL_SUCCESS);
    EXPECT_EQ(g_nodes.size(), static_cast<size_t>(n + 1));
    EXPECT_NEAR(result, 2.0, 1e-11);
    EXPECT_EQ(integrate(exp_of, -1.0, 1.0, n, &result), QUADREL_SUCCESS);
    EXPECT_NEAR(result, std::exp(1.0) - std::exp(-1.0), 1e-11);
  }
}

TEST(GaussQuadrature, KnownIntegrals) {
  struct Case {
    const char* name;
    double (*f)(double, int*);
    double lower, upper;
    int n;
    double expected;
  };
  const Case cases[] = {
      {"x^2, two points", square, -1.0, 1.0, 2, 2.0 / 3.0},
      {"x^4 on [0, 1], three points", fourth, 0.0, 1.0, 3, 0.2},
      {"constant on [2, 5]", one, 2.0, 5.0, 3, 3.0},
      {"constant, eleven points", one, -1.0, 1.0, 11, 2.0},
      {"exp on [0.3, 2.1], 25 points", exp_of, 0.3, 2.1, 25, std::exp(2.1) - std::exp(0.3)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    double result = 0.0;
    EXPECT_EQ(integrate(c.f, c.lower, c.upper, c.n, &result), QUADREL_SUCCESS);
    EXPECT_NEAR(result, c.expected, 8 * kEps * std::fabs(c.expected));
  }
}

TEST(GaussQuadrature, CallsIntegrandOncePerNodeWithPointsInUse) {
  struct Case {
    int n;
    int expected_points;
  };
  for (const Case& c :
       {Case{2, 2}, Case{7, 7}, Case{10, 10}, Case{11, 11}, Case{12, 13}, Case{200, 201}}) {
    SCOPED_TRACE(c.n);
    double result = 0.0;
    EXPECT_EQ(integrate(one, 2.5, 7.25, c.n, &result), QUADREL_SUCCESS);
    ASSERT_EQ(g_nodes.size(), static_cast<size_t>(c.expected_points));
    for (size_t i = 0; i < g_nodes.size(); ++i) {
      EXPECT_EQ(g_points[i], c.expected_points);
      if (i > 0) {
        EXPECT_LT(g_nodes[i - 1], g_nodes[i]);
      }
    }
  }
}

TEST(GaussQuadrature, ComputedRuleIsSymmetricWithMiddleNodeAtMidpoint) {
  const std::vector<double> nodes = nodes_of(11);
  ASSERT_EQ(nodes.size(), 11u);
  for (int i = 0; i < 11; ++i) EXPECT_EQ(nodes[i], -nodes[10 - i]) << i;
  EXPECT_EQ(nodes[5], 0.0);
  // The weight formula divides by 1 - x before 1 + x, so mirrored weights may differ in the
  // last bit.
  for (int i = 0; i < 5; ++i) {
    const double weight = weight_of(11, i);
    EXPECT_NEAR(weight, weight_of(11, 10 - i), 2 * kEps * weight) << i;
  }

  double result = 0.0;
  EXPECT_EQ(integrate(record, 2.5, 7.25, 11, &result), QUADREL_SUCCESS);
  EXPECT_EQ(g_nodes[5], 4.875);
}

TEST(GaussQuadrature, EmptyIntervalStillCallsIntegrand) {
  for (int n : {5, 15}) {
    SCOPED_TRACE(n);
    double result = 2.385;
    EXPECT_EQ(integrate(one, 1.75, 1.75, n, &result), QUADREL_SUCCESS);
    EXPECT_EQ(g_nodes.size(), static_cast<size_t>(n));
    EXPECT_EQ(result, 0.0);
  }
}

TEST(GaussQuadrature, SwappedLimitsNegateResult) {
  for (int n : {4, 21}) {
    SCOPED_TRACE(n);
    double forward = 0.0, backward = 0.0;
    EXPECT_EQ(integrate(exp_of, 0.3, 2.1, n, &forward), QUADREL_SUCCESS);
    EXPECT_EQ(integrate(exp_of, 2.1, 0.3, n, &backward), QUADREL_SUCCESS);
    EXPECT_NEAR(backward, -forward, 4 * kEps * std::fabs(forward));
  }
}

TEST(GaussQuadrature, IntegrandWritingPointCountCannotDisturbRule) {
  double result = 0.0;
  EXPECT_EQ(integrate(overwrite_count, -1.0, 1.0, 15, &result), QUADREL_SUCCESS);
  ASSERT_EQ(g_nodes.size(), 15u);
  for (int points : g_points) EXPECT_EQ(points, 15);
  EXPECT_NEAR(result, 2.0, 8 * kEps);
}

TEST(GaussQuadrature, NonFiniteValuePropagates) {
  for (int n : {5, 13}) {
    SCOPED_TRACE(n);
    double result = 0.0;
    EXPECT_EQ(integrate(nan_at_third, -1.0, 1.0, n, &result), QUADREL_SUCCESS);
    EXPECT_TRUE(std::isnan(result));
  }
}

// The tabulated rules are the correctly rounded exact values: within one ulp of a long-double
// Newton computation (which can itself round the wrong way), symmetric, and exact where the
// value is known in closed form.
TEST(GaussQuadrature, FixedRulesMatchIndependentComputation) {
  for (int n = 2; n <= 10; ++n) {
    SCOPED_TRACE(n);
    const std::vector<double> nodes = nodes_of(n);
    ASSERT_EQ(nodes.size(), static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(nodes[i], -nodes[n - 1 - i]);
      const long double root = refined_root(n, nodes[i]);
      EXPECT_LE(ulps_between(nodes[i], static_cast<double>(root)), 1);
      const double weight = weight_of(n, i);
      EXPECT_GT(weight, 0.0);
      EXPECT_LE(ulps_between(weight, static_cast<double>(weight_at(n, root))), 1);
    }
  }
  // Long double rounds this node the wrong way: it lies 2.3e-20 from a rounding midpoint.
  EXPECT_EQ(nodes_of(8)[7], 0.9602898564975362316835608685694729904282);
  EXPECT_EQ(nodes_of(2)[1], 0.5773502691896257645091487805019574556476);  // 1/sqrt(3)
  EXPECT_EQ(nodes_of(3)[2], 0.7745966692414833770358530799564799221666);  // sqrt(3/5)
  EXPECT_EQ(weight_of(3, 0), 5.0 / 9.0);
  EXPECT_EQ(weight_of(3, 1), 8.0 / 9.0);
}

TEST(GaussQuadrature, ComputedNodesMatchLongDoubleNewton) {
  struct Case {
    int m;
    int64_t max_ulps;
  };
  for (const Case& c : {Case{11, 4}, Case{13, 4}, Case{51, 4}, Case{201, 4}, Case{1001, 8}}) {
    SCOPED_TRACE(c.m);
    const std::vector<double> nodes = nodes_of(c.m);
    ASSERT_EQ(nodes.size(), static_cast<size_t>(c.m));
    double weight_sum = 0.0;
    for (int i = 0; i < c.m; ++i) {
      SCOPED_TRACE(i);
      const long double root = refined_root(c.m, nodes[i]);
      EXPECT_LE(ulps_between(nodes[i], static_cast<double>(root)), c.max_ulps);
      if (c.m <= 201) {
        // 2 / ((1 - x^2) P'(x)^2) turns a node's rounding into a relative error of the
        // weight of about eps / (1 - |x|), and the march carries the rounding of earlier
        // steps in both node and derivative.
        const double weight = weight_of(c.m, i);
        weight_sum += weight;
        const double amplification = 1.0 / (1.0 - std::fabs(nodes[i]));
        EXPECT_NEAR(weight, static_cast<double>(weight_at(c.m, root)),
                    64 * kEps * amplification * weight);
      }
    }
    if (c.m <= 201) {
      EXPECT_NEAR(weight_sum, 2.0, 8 * kEps);
    }
  }
}

// Far out the march from root to root gathers rounding from every step before, like a random
// walk: the largest rule stays within 2e-14 of the true roots.
TEST(GaussQuadrature, LargestRuleNodesStayClose) {
  const int m = 46339;
  const std::vector<double> nodes = nodes_of(m);
  ASSERT_EQ(nodes.size(), static_cast<size_t>(m));
  for (int i = m / 2; i < m; i += (i < m - 50 ? 487 : 1)) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(nodes[i], static_cast<double>(refined_root(m, nodes[i])), 2e-14);
  }
}

TEST(GaussQuadrature, IntegratesPolynomialsUpToDegreeTwoMMinusOne) {
  for (int m : {2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 21, 51, 101, 201}) {
    SCOPED_TRACE(m);
    for (int degree : {2 * m - 2, 2 * m - 1}) {
      SCOPED_TRACE(degree);
      g_power = degree;
      double result = 0.0;
      EXPECT_EQ(integrate(power, 0.0, 1.0, m, &result), QUADREL_SUCCESS);
      const double exact = 1.0 / (degree + 1);
      // x^k amplifies the nodes' rounding k times near x = 1.
      EXPECT_NEAR(result, exact, 4 * (degree + 1) * kEps * exact);
    }
    if (m <= 10) {
      // One degree more is beyond the rule: the error is far above rounding.
      g_power = 2 * m;
      double result = 0.0;
      EXPECT_EQ(integrate(power, 0.0, 1.0, m, &result), QUADREL_SUCCESS);
      EXPECT_GT(std::fabs(result - 1.0 / (2 * m + 1)), 1e-13);
    }
  }
}

}  // namespace
