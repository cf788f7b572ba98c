// Independent references for the coupling stand-in's magnets: the Akoun-Yonnet closed form
// for parallel cuboids, the field of an axially polarised cylinder as a stack of current
// loops, and Gauss-Legendre rules by Newton's method. Header only; none of it shares code
// with the stand-in.
#pragma once

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace magnet_reference {

// The magnetic constant in N/A², CODATA 2018.
inline constexpr double kMu0 = 1.25663706212e-6;

using Vector = std::array<double, 3>;

// Akoun and Yonnet, IEEE Trans. Magn. 20 (1984) 1962: the force on a cuboid of half edges
// h2 centred at `at` from a cuboid of half edges h1 centred at the origin, edges parallel,
// both polarised along z (j1, j2 in T). Summed in long double: its 64 terms are far larger
// than their sum.
inline Vector akoun_yonnet(const Vector& h1, double j1, const Vector& h2, double j2,
                           const Vector& at) {
  using Real = long double;
  Real f[3] = {0, 0, 0};
  for (int corner = 0; corner < 64; ++corner) {
    const auto pick = [&](int bit, double value) {
      return ((corner >> bit) & 1) ? -Real(value) : Real(value);
    };
    const Real u = Real(at[0]) + pick(1, h2[0]) - pick(0, h1[0]);
    const Real v = Real(at[1]) + pick(3, h2[1]) - pick(2, h1[1]);
    const Real w = Real(at[2]) + pick(5, h2[2]) - pick(4, h1[2]);
    const Real r = std::sqrt(u * u + v * v + w * w);
    const Real sign = (__builtin_popcount(corner) % 2) ? -1 : 1;
    const Real angle = std::atan(u * v / (r * w));
    f[0] += sign * ((v * v - w * w) / 2 * std::log(r - u) + u * v * std::log(r - v) +
                    v * w * angle + r * u / 2);
    f[1] += sign * ((u * u - w * w) / 2 * std::log(r - v) + u * v * std::log(r - u) +
                    u * w * angle + r * v / 2);
    f[2] += sign * (-u * w * std::log(r - u) - v * w * std::log(r - v) + u * v * angle - r * w);
  }
  const Real scale = Real(j1) * j2 / (4 * std::numbers::pi_v<Real> * kMu0);
  return {double(scale * f[0]), double(scale * f[1]), double(scale * f[2])};
}

// The n-point Gauss-Legendre rule on [-1, 1]: Newton's method on P_n from Chebyshev-like
// first guesses.
struct Rule {
  std::vector<double> nodes, weights;
};

inline Rule gauss_legendre(int n) {
  Rule rule{std::vector<double>(n), std::vector<double>(n)};
  for (int i = 0; i < n; ++i) {
    double x = std::cos(std::numbers::pi * (i + 0.75) / (n + 0.5));
    double derivative = 0.0;
    for (int step = 0; step < 8; ++step) {
      double p0 = 1.0, p1 = x;
      for (int k = 2; k <= n; ++k) {
        const double p2 = ((2 * k - 1) * x * p1 - (k - 1) * p0) / k;
        p0 = p1;
        p1 = p2;
      }
      derivative = n * (x * p1 - p0) / (x * x - 1.0);
      x -= p1 / derivative;
    }
    rule.nodes[i] = x;
    rule.weights[i] = 2.0 / ((1.0 - x * x) * derivative * derivative);
  }
  return rule;
}

// Calls f(x, weight) at the nodes of `rule` repeated on `panels` equal parts of [a, b].
template <class F>
void integrate(const Rule& rule, int panels, double a, double b, F&& f) {
  const double width = (b - a) / panels;
  for (int p = 0; p < panels; ++p) {
    for (size_t i = 0; i < rule.nodes.size(); ++i) {
      f(a + width * (p + 0.5 * (1.0 + rule.nodes[i])), 0.5 * width * rule.weights[i]);
    }
  }
}

// The field, in the cylinder's frame, of a cylinder (radius a, half height b, axis z,
// centred) polarised along its axis with j: its surface current j / mu0 per unit height is
// a stack of circular loops, each with the textbook field in complete elliptic integrals,
// summed over the height with `rule` on `panels` parts.
inline Vector cylinder_by_loops(double a, double b, double j, const Vector& p, const Rule& rule,
                                int panels) {
  const double rho = std::hypot(p[0], p[1]);
  double b_rho = 0.0, b_z = 0.0;
  integrate(rule, panels, -b, b, [&](double height, double weight) {
    const double zeta = p[2] - height;
    const double far2 = (a + rho) * (a + rho) + zeta * zeta;
    const double near2 = (a - rho) * (a - rho) + zeta * zeta;
    const double k = std::sqrt(4.0 * a * rho / far2);
    const double big_k = std::comp_ellint_1(k), big_e = std::comp_ellint_2(k);
    // mu0 I / (2 pi) with I = j / mu0 per unit height: j / (2 pi).
    const double scale = weight * j / (2.0 * std::numbers::pi) / std::sqrt(far2);
    b_z += scale * (big_k + (a * a - rho * rho - zeta * zeta) / near2 * big_e);
    if (rho > 0.0) {
      b_rho += scale * zeta / rho * (-big_k + (a * a + rho * rho + zeta * zeta) / near2 * big_e);
    }
  });
  if (rho == 0.0) return {0.0, 0.0, b_z};
  return {b_rho * p[0] / rho, b_rho * p[1] / rho, b_z};
}

}  // namespace magnet_reference
