// Gauss-Legendre rules: fixed rules of 2 to 10 points from constant tables, and rules of any
// odd number of points from 11 up computed by the Glaser-Liu-Rokhlin method.
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
#include "gauss_legendre.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>

#include "gauss_legendre_rules.h"

namespace quadrel::gauss_legendre {
namespace {

// Heun steps of the root-to-root integration, over theta from pi/2 down to -pi/2.
constexpr int kHeunSteps = 10;
// Terms of the Taylor series of P_m about a root: p(delta) uses u_0 .. u_29 and the derivative
// series q(delta) uses v_0 .. v_28 with v_j = (j + 1) u_{j+1}.
constexpr int kValueTerms = 30;
constexpr int kDerivativeTerms = 29;
// Newton corrections of each root estimate.
constexpr int kNewtonSteps = 5;

// Right-hand side of the root-to-root equation at an angle theta with sin(2 theta) = sine;
// 1 - x^2 is formed as (1 - x)(1 + x), which keeps its accuracy next to x = 1.
double root_slope(double sine, double x, double s) noexcept {
  const double one_minus_x2 = (1.0 - x) * (1.0 + x);
  return -(one_minus_x2 / (s * std::sqrt(one_minus_x2) - 0.5 * x * sine));
}

// Bit-for-bit equality, which tells a repeated Newton iterate (signed zeros and NaN included).
bool same_bits(double a, double b) noexcept {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// The value series p and the derivative series q at one delta.
struct SeriesValues {
  double p = 0.0;
  double q = 0.0;
};

// p(delta) = sum of u_j delta^j for j < kValueTerms and q(delta) = sum of v_j delta^j for
// j < kDerivativeTerms, each summed term by term in increasing powers from 0.0. Both use the
// same powers 1, delta, delta * delta, ..., obtained by repeated multiplication, so each sum is
// the one a separate evaluation gives.
SeriesValues evaluate_series(const double* u, const double* v, double delta) noexcept {
  static_assert(kValueTerms == kDerivativeTerms + 1);
  double p = 0.0, q = 0.0;
  double power = 1.0;
  for (int j = 0; j < kDerivativeTerms; ++j) {
    p = p + u[j] * power;
    q = q + v[j] * power;
    power = power * delta;
  }
  return {p + u[kDerivativeTerms] * power, q};
}

// Nodes, P_m' at the nodes and weights of the m-point rule (m odd, m >= 3) into arrays of m.
//
// The march is sequential, one root after the other, so its cost is the latency of each step.
// Three things shorten it without changing a bit: every Heun integration passes the same
// eleven angles, so sin(2 theta) is computed once per rule; the Heun steps (which need only
// x_k) and the Taylor recurrence (a chain of divisions) are interleaved so that both advance
// together; and a Newton step that reproduces an earlier iterate reuses that iterate's series
// values, since the same delta gives the same sums.
void compute_rule(int m, double* nodes, double* derivatives, double* weights) noexcept {
  // m(m + 1) in 64 bits (m may be as large as INT_MAX), exact in double up to m = 9.4e7.
  const double order_term = static_cast<double>(std::int64_t{m} * (std::int64_t{m} + 1));

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
  const double step = -std::numbers::pi / kHeunSteps;
  // sin(2 theta) at theta = pi/2 and after each of the kHeunSteps steps of h.
  double sines[kHeunSteps + 1];
  double theta = std::numbers::pi / 2.0;
  sines[0] = std::sin(2.0 * theta);
  for (int i = 0; i < kHeunSteps; ++i) {
    theta = theta + step;
    sines[i + 1] = std::sin(2.0 * theta);
  }

  // Taylor coefficients u_j of P_m about a root x_k, from the Legendre equation:
  //   u_{j+2} = ((j(j+1) - m(m+1)) u_j / (j+1) + 2 x_k (j+1) u_{j+1})
  //             / (1 - x_k) / (1 + x_k) / (j+2),
  // divided in that order. u_0 .. u_29 serve the series; the recurrence's u_30 would only feed
  // v_29, which the derivative series leaves out, so it is not formed.
  //
  // Next to x = 1 the coefficients grow like (1 - x_k)^-j, and for rules of about a million
  // points and more they overflow. The series is then taken in delta / h instead, h a power
  // of two just above 1 - x_k, with the coefficients u_j h^j: the recurrence's two terms gain
  // the factors h^2 and h. Elsewhere h = 1, and every factor and division by it is exact.
  constexpr int kRecurrenceSteps = kValueTerms - 2;
  constexpr int kCoefficientsPerHeunStep = (kRecurrenceSteps + kHeunSteps - 1) / kHeunSteps;
  for (int k = middle; k < m - 1; ++k) {
    const double x_k = nodes[k];
    double u[kValueTerms];
    double h = 1.0;
    u[0] = 0.0;
    u[1] = derivatives[k];
    const auto next_coefficient = [&](int j) {
      const double jj = j;
      u[j + 2] = ((jj * (j + 1) - order_term) * (h * h) * u[j] / (jj + 1.0) +
                  2.0 * x_k * (jj + 1.0) * h * u[j + 1]) /
                 (1.0 - x_k) / (1.0 + x_k) / (jj + 2.0);
    };

    // Estimate of the next root: Heun's method on the root-to-root equation, from
    // theta = pi/2 to -pi/2, with the coefficient recurrence alongside.
    double x = x_k;
    int j = 0;
    for (int i = 0; i < kHeunSteps; ++i) {
      const double k1 = step * root_slope(sines[i], x, s);
      x = x + k1;
      const double k2 = step * root_slope(sines[i + 1], x, s);
      x = x + (k2 - k1) / 2.0;
      for (int c = 0; c < kCoefficientsPerHeunStep && j < kRecurrenceSteps; ++c) {
        next_coefficient(j++);
      }
    }
    if (!std::all_of(u, u + kValueTerms, [](double c) { return std::isfinite(c); })) {
      h = std::ldexp(1.0, std::ilogb(1.0 - x_k) + 1);
      u[1] = derivatives[k] * h;
      for (int c = 0; c < kRecurrenceSteps; ++c) next_coefficient(c);
    }
    double delta = x - x_k;
    double v[kDerivativeTerms];
    for (int i = 0; i < kDerivativeTerms; ++i) v[i] = (i + 1.0) * u[i + 1];
    // p and dp/d(delta) at delta.
    const auto series = [&](double at) {
      SeriesValues values = evaluate_series(u, v, at / h);
      values.q = values.q / h;
      return values;
    };

    // Newton on the series: kNewtonSteps times delta <- delta - p(delta) / q(delta); the last
    // q is P_m' at the new root. A step that leaves delta unchanged repeats itself to the end;
    // a step back to the delta before reuses its values.
    SeriesValues now = series(delta);
    SeriesValues before;
    double before_delta = 0.0;
    bool have_before = false;
    for (int i = 0; i < kNewtonSteps; ++i) {
      const double next = delta - now.p / now.q;
      if (same_bits(next, delta)) break;
      if (have_before && same_bits(next, before_delta)) {
        std::swap(now, before);
      } else {
        before = now;
        have_before = true;
        now = series(next);
      }
      before_delta = delta;
      delta = next;
    }
    nodes[k + 1] = x_k + delta;
    derivatives[k + 1] = now.q;
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

}  // namespace

int rule_points(int n) noexcept {
  if (n < 2) return 0;
  if (n <= kLargestFixedRule) return n;
  return (n % 2 == 1) ? n : n + 1;
}

void rule(int m, double* nodes, double* weights, double* work) noexcept {
  if (m <= kLargestFixedRule) {
    for (int i = 0; i < m; ++i) {
      nodes[i] = kFixedRules[m].nodes[i];
      weights[i] = kFixedRules[m].weights[i];
    }
    return;
  }
  compute_rule(m, nodes, work, weights);
}

}  // namespace quadrel::gauss_legendre
