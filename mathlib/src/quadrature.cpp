// Gauss-Legendre quadrature of a caller's integrand with one rule of a chosen number of points
// (the rules themselves are in mathlib/rules/gauss_legendre.cpp).
//
// An m-point rule on [-1, 1] has the roots x_i of the Legendre polynomial P_m as nodes and
// w_i = 2 / ((1 - x_i^2) P_m'(x_i)^2) as weights; it integrates polynomials of degree up to
// 2m - 1 exactly. On [a, b] the nodes become ((a + b) + (b - a) x_i) / 2 and the weights
// (b - a) w_i / 2.
#include <cstddef>

#include "detail/internal.h"
#include "detail/level1.h"
#include "gauss_legendre.h"
#include "quadrel.h"

namespace quadrel {
namespace {

using Integrand = double (*)(double, int*);

// Largest rule served without scratch memory.
constexpr int kLargestFixedRule = 10;

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
  return level1::dot(m, w, y);
}

// The integral of f over [lower, upper] with the rule that n asks for; the status.
int integrate(Integrand f, double lower, double upper, int n, double* result) noexcept {
  const int m = gauss_legendre::rule_points(n);
  if (m == 0) return QUADREL_GAUSS_BAD_ARGUMENT;

  if (m <= kLargestFixedRule) {
    double x[kLargestFixedRule];
    double w[kLargestFixedRule];
    double y[kLargestFixedRule];
    gauss_legendre::rule(m, x, w, nullptr);
    *result = apply_rule(f, lower, upper, m, x, w, y);
    return QUADREL_SUCCESS;
  }

  const std::size_t count = static_cast<std::size_t>(m);
  auto work = scratch<double>(4 * count);
  if (!work) return QUADREL_GAUSS_NO_MEMORY;
  double* nodes = work.get();
  double* derivatives = nodes + count;
  double* weights = derivatives + count;
  double* values = weights + count;

  gauss_legendre::rule(m, nodes, weights, derivatives);
  *result = apply_rule(f, lower, upper, m, nodes, weights, values);
  return QUADREL_SUCCESS;
}

}  // namespace
}  // namespace quadrel

extern "C" int import_mathfunction_quadratische_integration_gauss(double (*f)(double, int*),
                                                                  double lower, double upper, int n,
                                                                  double* result) noexcept {
  return quadrel::integrate(f, lower, upper, n, result);
}
