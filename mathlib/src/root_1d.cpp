// Zero of a function of one variable by Brent's method.
//
// The iteration keeps three abscissae: b, the best estimate so far; c, with f(c) of the sign
// opposite to f(b), so that [b, c] brackets the zero; and a, the previous b. Each step tries
// inverse quadratic interpolation through a, b and c (a secant step when a and c coincide)
// and accepts it only if it lands well inside the bracket and shrinks faster than the step
// before last; otherwise it bisects. A step is never shorter than tol1, so the bracket keeps
// shrinking even where the interpolation stalls.
#include <algorithm>
#include <cmath>

#include "quadrel.h"

namespace quadrel {
namespace {

constexpr int kMaxIterations = 1000;
// Relative part of the convergence test: about three times the spacing of doubles at |b|.
constexpr double kRelativeTolerance = 6e-16;

bool same_strict_sign(double u, double v) noexcept {
  return (u > 0.0 && v > 0.0) || (u < 0.0 && v < 0.0);
}

// Brent's iteration from the ends x1 and x2; the status, and the zero through root.
int find_zero(double x1, double x2, double* root, double (*f)(double), double tolerance) {
  double a = x1, b = x2, c = x2;
  double fa = f(x1);
  double fb = f(x2);
  if (same_strict_sign(fa, fb)) return QUADREL_ROOT1D_NO_ZERO;

  double fc = fb;
  double d = 0.0;  // the last step
  double e = 0.0;  // the step before
  for (int iteration = 0; iteration < kMaxIterations; ++iteration) {
    // Keep the zero between b and c.
    if (same_strict_sign(fb, fc)) {
      c = a;
      fc = fa;
      d = b - a;
      e = d;
    }
    // Make b the end with the smaller function value.
    if (std::fabs(fc) < std::fabs(fb)) {
      a = b;
      b = c;
      c = a;
      fa = fb;
      fb = fc;
      fc = fa;
    }

    const double tol1 = kRelativeTolerance * std::fabs(b) + 0.5 * tolerance;
    const double xm = 0.5 * (c - b);
    if (std::fabs(xm) <= tol1 || fb == 0.0) {
      *root = b;
      return QUADREL_SUCCESS;
    }

    if (std::fabs(e) >= tol1 && std::fabs(fa) > std::fabs(fb)) {
      const double s = fb / fa;
      double p, q;
      if (a == c) {
        p = 2.0 * xm * s;
        q = 1.0 - s;
      } else {
        q = fa / fc;
        const double r = fb / fc;
        p = s * (2.0 * xm * q * (q - r) - (b - a) * (r - 1.0));
        q = (q - 1.0) * (r - 1.0) * (s - 1.0);
      }
      if (p > 0.0) q = -q;
      p = std::fabs(p);
      const double min1 = 3.0 * xm * q - std::fabs(tol1 * q);
      const double min2 = std::fabs(e * q);
      if (2.0 * p < std::min(min1, min2)) {
        e = d;
        d = p / q;
      } else {
        d = xm;
        e = d;
      }
    } else {
      d = xm;
      e = d;
    }

    a = b;
    fa = fb;
    if (std::fabs(d) > tol1) {
      b = b + d;
    } else {
      b = (xm >= 0.0) ? b + tol1 : b - tol1;
    }
    fb = f(b);
  }
  return QUADREL_ROOT1D_NO_ZERO;
}

}  // namespace
}  // namespace quadrel

extern "C" int import_mathfunction_1d_nullstelle(double x1, double x2, double* root,
                                                 double (*f)(double), double tolerance) noexcept {
  return quadrel::find_zero(x1, x2, root, f, tolerance);
}
