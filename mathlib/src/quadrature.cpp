// Gauss-Legendre quadrature: fixed rules of 2 to 10 points from constant tables, and rules of
// any odd number of points from 11 up computed by the Glaser-Liu-Rokhlin method.
//
// An m-point rule on [-1, 1] has the roots x_i of the Legendre polynomial P_m as nodes and
// w_i = 2 / ((1 - x_i^2) P_m'(x_i)^2) as weights; it integrates polynomials of degree up to
// 2m - 1 exactly. On [a, b] the nodes become ((a + b) + (b - a) x_i) / 2 and the weights
// (b - a) w_i / 2.
//
// The computed rule walks from the middle root (zero, m odd) to the right, one root at a time.
// Along the way P_m satisfies the Legendre equation (1 - x^2) y'' - 2x y' + m(m + 1) y = 0, so
// with the substitution used by Glaser, Liu and Rokhlin the next root is the solution at
// theta = -pi/2 of dx/dtheta = -(1 - x^2) / (s sqrt(1 - x^2) - x sin(2 theta) / 2),
// s = sqrt(m(m + 1)), started at theta = pi/2 from the current root. A short Heun integration
// gives an estimate, which Newton's method refines on a 30-term Taylor series of P_m about the
// current root; the series' coefficients follow from the differential equation. The left half
// follows by symmetry. Every step keeps a fixed operation order, so a rule comes out the same
// bit for bit on every machine.
#include <cmath>
#include <cstddef>
#include <numbers>

#include "gauss_legendre_rules.h"
#include "internal.h"
#include "quadrel.h"

namespace quadrel {
namespace {

using Integrand = double (*)(double, int*);

// Largest computed rule: m(m + 1) must stay within a 32-bit int (46 341 * 46 342 does not).
constexpr int kLargestComputedRule = 46340;
// Heun steps of the root-to-root integration, over theta from pi/2 down to -pi/2.
constexpr int kHeunSteps = 10;
// Taylor coefficients u_0 .. u_30 of P_m about a root; p(delta) uses u_0 .. u_29 and the
// derivative series q(delta) uses v_0 .. v_28 with v_j = (j + 1) u_{j+1}.
constexpr int kValueTerms = 30;
constexpr int kDerivativeTerms = 29;
// Newton corrections of each root estimate.
constexpr int kNewtonSteps = 5;

enum Status { kOk = 0, kRejected = 1, kNoMemory = 2 };

// Right-hand side of the root-to-root equation; 1 - x^2 is formed as (1 - x)(1 + x), which
// keeps its accuracy next to x = 1.
double root_slope(double theta, double x, double s) noexcept {
  const double one_minus_x2 = (1.0 - x) * (1.0 + x);
  return -(one_minus_x2 / (s * std::sqrt(one_minus_x2) - 0.5 * x * std::sin(2.0 * theta)));
}

// Sum of c_j delta^j for j < terms, term by term in increasing powers.
double power_series(const double* c, int terms, double delta) noexcept {
  double sum = 0.0;
  double power = 1.0;
  for (int j = 0; j < terms; ++j) {
    sum = sum + c[j] * power;
    power = power * delta;
  }
  return sum;
}

// Nodes, P_m' at the nodes and weights of the m-point rule (m odd, 3 <= m <= 46 340) into
// arrays of m.
void compute_rule(int m, double* nodes, double* derivatives, double* weights) noexcept {
  const double order = m;
  const double order_term = order * (m + 1);  // m(m + 1), exact in double

  // P_i(0) and P_i'(0) by the three-term recurrence, carrying the last two of each.
  double p_before = 0.0, p_last = 1.0;    // P_{i-1}(0), P_i(0)
  double dp_before = 0.0, dp_last = 0.0;  // P'_{i-1}(0), P'_i(0)
  for (int i = 0; i < m; ++i) {
    const double k = i;
    const double p_next = -k * p_before / (k + 1.0);
    const double dp_next = ((2.0 * k + 1.0) * p_last - k * dp_before) / (k + 1.0);
    p_before = p_last;
    p_last = p_next;
    dp_before = dp_last;
    dp_last = dp_next;
  }
  const int middle = (m - 1) / 2;
  nodes[middle] = p_last;  // P_m(0), a zero for odd m
  derivatives[middle] = dp_last;

  const double s = std::sqrt(order_term);
  const double half_pi = std::numbers::pi / 2.0;
  const double step = -std::numbers::pi / kHeunSteps;
  for (int k = middle; k < m - 1; ++k) {
    const double x_k = nodes[k];

    // Estimate of the next root: Heun's method on the root-to-root equation.
    double x = x_k;
    double theta = half_pi;
    for (int i = 0; i < kHeunSteps; ++i) {
      const double k1 = step * root_slope(theta, x, s);
      x = x + k1;
      theta = theta + step;
      const double k2 = step * root_slope(theta, x, s);
      x = x + (k2 - k1) / 2.0;
    }
    double delta = x - x_k;

    // Taylor coefficients of P_m about x_k from the Legendre equation, with P_m(x_k) = 0.
    double u[kValueTerms + 2] = {};
    double v[kValueTerms + 1] = {};
    u[0] = 0.0;
    u[1] = derivatives[k];
    for (int j = 0; j <= kValueTerms - 2; ++j) {
      const double jj = j;
      u[j + 2] =
          ((jj * (j + 1) - order_term) * u[j] / (jj + 1.0) + 2.0 * x_k * (jj + 1.0) * u[j + 1]) /
          (1.0 - x_k) / (1.0 + x_k) / (jj + 2.0);
    }
    for (int j = 0; j < kValueTerms; ++j) v[j] = (j + 1.0) * u[j + 1];

    // Newton on the series; the last derivative value is P_m' at the new root.
    double q = power_series(v, kDerivativeTerms, delta);
    for (int i = 0; i < kNewtonSteps; ++i) {
      const double p = power_series(u, kValueTerms, delta);
      delta = delta - p / q;
      q = power_series(v, kDerivativeTerms, delta);
    }
    nodes[k + 1] = x_k + delta;
    derivatives[k + 1] = q;
  }

  // P_m is odd and P_m' even: the left half mirrors the right (the middle node included).
  for (int i = 0; i <= middle; ++i) {
    nodes[i] = -nodes[m - 1 - i];
    derivatives[i] = derivatives[m - 1 - i];
  }

  // Weights, scaled so that they sum to exactly 2 up to the rounding of the scaling.
  for (int i = 0; i < m; ++i) {
    weights[i] = 2.0 / (1.0 - nodes[i]) / (1.0 + nodes[i]) / derivatives[i] / derivatives[i];
  }
  double sum = 0.0;
  for (int i = 0; i < m; ++i) sum = sum + weights[i];
  for (int i = 0; i < m; ++i) weights[i] = (2.0 * weights[i]) / sum;
}

// Maps the rule in x and w (arrays of m) to [lower, upper] in place, evaluates f at every node
// into y, and returns the weighted sum. All calls come before the sum. The integrand gets its
// own copy of m for every call, so writing through the pointer cannot disturb the rule.
double apply_rule(Integrand f, double lower, double upper, int m, double* x, double* w,
                  double* y) noexcept {
  for (int i = 0; i < m; ++i) {
    x[i] = ((lower + upper) + (upper - lower) * x[i]) * 0.5;
    w[i] = ((upper - lower) * w[i]) * 0.5;
  }
  for (int i = 0; i < m; ++i) {
    int points = m;
    y[i] = f(x[i], &points);
  }
  return ddot(m, w, y);
}

}  // namespace
}  // namespace quadrel

int import_mathfunction_quadratische_integration_gauss(double (*f)(double, int*), double lower,
                                                       double upper, int n,
                                                       double* result) noexcept {
  using namespace quadrel;
  if (n < 2) return kRejected;

  if (n <= gauss_legendre::kLargestFixedRule) {
    const gauss_legendre::FixedRule& rule = gauss_legendre::kFixedRules[n];
    double x[gauss_legendre::kLargestFixedRule];
    double w[gauss_legendre::kLargestFixedRule];
    double y[gauss_legendre::kLargestFixedRule];
    for (int i = 0; i < n; ++i) {
      x[i] = rule.nodes[i];
      w[i] = rule.weights[i];
    }
    *result = apply_rule(f, lower, upper, n, x, w, y);
    return kOk;
  }

  // Computed rules always have an odd number of points.
  const int m = (n % 2 == 1) ? n : n + 1;
  if (m > kLargestComputedRule) return kRejected;

  const std::size_t count = static_cast<std::size_t>(m);
  auto work = scratch<double>(4 * count);
  if (!work) return kNoMemory;
  for (std::size_t i = 0; i < 4 * count; ++i) work[i] = 0.0;
  double* nodes = work.get();
  double* derivatives = nodes + count;
  double* weights = derivatives + count;
  double* values = weights + count;

  compute_rule(m, nodes, derivatives, weights);
  *result = apply_rule(f, lower, upper, m, nodes, weights, values);
  return kOk;
}
