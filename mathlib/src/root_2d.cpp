// Root of a system of two nonlinear equations: Newton's method made globally convergent by a
// backtracking line search.
//
// Each iteration forms the Jacobian J by forward differences, solves J p = -F for the Newton
// step p (Crout LU decomposition with implicit partial pivoting), and searches along p for a
// point that decreases the merit function M(x) = 0.5 * sum F_i(x)^2 enough:
// M(x0 + lambda p) <= M(x0) + 1e-4 * lambda * (grad M . p), with grad M = J^T F. The first
// trial is the full step lambda = 1; after that lambda comes from the minimum of a quadratic,
// then of a cubic, through the merit values met so far, kept within [0.1, 0.5] of the last.
//
// All vectors are 1-based with n + 1 entries, position 0 unused, because the caller's function
// receives them that way. Every operation below follows a fixed order so that the iterates do
// not depend on the compiler; the merit sum is deliberately accumulated in single precision.
// A NaN function value never passes a convergence test, and every loop ends whatever the
// arithmetic produces.
#include <cmath>

#include "detail/internal.h"
#include "quadrel.h"

namespace quadrel {
namespace {

constexpr int kMaxUnknowns = 2;
constexpr int kSize = kMaxUnknowns + 1;  // 1-based vectors
constexpr int kMaxIterations = 1000;
constexpr double kMinStepScale = 1e-14;    // smallest step, relative to the point
constexpr double kMaxStepFactor = 2000.0;  // step length limit, relative to the start point
constexpr double kDescent = 1e-4;          // sufficient-decrease fraction of the line search
constexpr double kDifferenceStep = 1e-4;   // relative step of the forward differences
constexpr double kTinyPivot = 1e-20;       // replaces an exactly zero pivot

using Vector = double[kSize];
using Matrix = double[kSize][kSize];

// Largest |v_i|, i = 1 .. n; NaN when any v_i is NaN, so that NaN never counts as small.
double largest_magnitude(const Vector v, int n) {
  double largest = 0.0;
  for (int i = 1; i <= n; ++i) {
    const double a = std::fabs(v[i]);
    if (std::isnan(a) || a > largest) largest = a;
  }
  return largest;
}

// The evaluation state of one call: the caller's function, its count and the function values.
class System {
 public:
  System(int n, quadrel_system_2d f) : n_(n), count_(n), f_(f) {
    for (double& value : values_) value = 1.0;
  }

  const Vector& values() const { return values_; }

  // M = 0.5 * sum F_i^2 at the point, leaving F in values().
  double merit(Vector point) {
    f_(n_, point, values_, &count_);
    count_ = clamp_count(count_);
    float sum = 0.0f;
    for (int i = 1; i <= count_; ++i) {
      sum = static_cast<float>(static_cast<double>(sum) + values_[i] * values_[i]);
    }
    return 0.5 * static_cast<double>(sum);
  }

  // The Jacobian by forward differences about the point whose values are in values().
  void jacobian(Vector point, Matrix jac) const {
    for (int j = 1; j <= n_; ++j) {
      const double t = point[j];
      double h = kDifferenceStep * std::fabs(t);
      if (h == 0.0) h = kDifferenceStep;
      point[j] = t + h;
      h = point[j] - t;  // the step as represented
      Vector shifted = {1.0, 1.0, 1.0};
      int count = n_;
      f_(n_, point, shifted, &count);
      count = clamp_count(count);
      point[j] = t;
      for (int i = 1; i <= count; ++i) jac[i][j] = (shifted[i] - values_[i]) / h;
    }
  }

 private:
  // The function reports its value count back; one outside 0 .. n would index beyond the
  // vectors and is taken as n.
  int clamp_count(int count) const { return count < 0 || count > n_ ? n_ : count; }

  int n_;
  int count_;
  quadrel_system_2d f_;
  Vector values_;
};

// Crout's decomposition of jac (rows and columns 1 .. n) with implicit partial pivoting: each
// row is scaled by its largest element when the pivot is chosen. Returns false, leaving jac and
// pivot as they are, when a row is entirely zero (J is singular).
bool decompose(Matrix jac, int n, int* pivot) {
  double scale[kSize];
  for (int i = 1; i <= n; ++i) {
    double big = 0.0;
    for (int j = 1; j <= n; ++j) {
      const double a = std::fabs(jac[i][j]);
      if (a > big) big = a;
    }
    if (big == 0.0) return false;
    scale[i] = 1.0 / big;
  }
  for (int j = 1; j <= n; ++j) {
    for (int i = 1; i < j; ++i) {
      double sum = jac[i][j];
      for (int k = 1; k < i; ++k) sum -= jac[i][k] * jac[k][j];
      jac[i][j] = sum;
    }
    double big = 0.0;
    int imax = j;
    for (int i = j; i <= n; ++i) {
      double sum = jac[i][j];
      for (int k = 1; k < j; ++k) sum -= jac[i][k] * jac[k][j];
      jac[i][j] = sum;
      const double candidate = scale[i] * std::fabs(sum);
      if (candidate >= big) {  // ties go to the later row
        big = candidate;
        imax = i;
      }
    }
    if (imax != j) {
      for (int k = 1; k <= n; ++k) {
        const double t = jac[imax][k];
        jac[imax][k] = jac[j][k];
        jac[j][k] = t;
      }
      scale[imax] = scale[j];
    }
    pivot[j] = imax;
    if (jac[j][j] == 0.0) jac[j][j] = kTinyPivot;
    if (j < n) {
      const double factor = 1.0 / jac[j][j];
      for (int i = j + 1; i <= n; ++i) jac[i][j] *= factor;
    }
  }
  return true;
}

// Solves (L U) x = b in place from decompose's result; forward substitution starts at the
// first nonzero element of the permuted b.
void substitute(const Matrix jac, int n, const int* pivot, Vector b) {
  int first = 0;
  for (int i = 1; i <= n; ++i) {
    const int ip = pivot[i];
    double sum = b[ip];
    b[ip] = b[i];
    if (first != 0) {
      for (int j = first; j < i; ++j) sum -= jac[i][j] * b[j];
    } else if (sum != 0.0) {
      first = i;
    }
    b[i] = sum;
  }
  for (int i = n; i >= 1; --i) {
    double sum = b[i];
    for (int j = i + 1; j <= n; ++j) sum -= jac[i][j] * b[j];
    b[i] = sum / jac[i][i];
  }
}

// Backtracking along p from previous (merit value previous_merit, gradient g). Leaves the new
// point, its merit value in *merit and its function values in the system. A step too small to
// move the point, or one that is not finite, restores the previous point.
void line_search(System& system, int n, const Vector previous, double previous_merit,
                 const Vector g, Vector p, double max_step, Vector point, double* merit) {
  double sum = 0.0;
  for (int i = 1; i <= n; ++i) sum += p[i] * p[i];
  const double length = std::sqrt(sum);
  if (length > max_step) {
    const double factor = max_step / length;
    for (int i = 1; i <= n; ++i) p[i] *= factor;
  }
  double slope = 0.0;
  for (int i = 1; i <= n; ++i) slope += g[i] * p[i];
  if (slope >= 0.0) return;  // not a descent direction

  double test = 0.0;
  bool finite = true;
  for (int i = 1; i <= n; ++i) {
    const double relative = std::fabs(p[i]) / larger_of(std::fabs(previous[i]), 1.0);
    if (relative > test) test = relative;
    finite = finite && std::isfinite(p[i]);
  }
  const double min_lambda = kMinStepScale / test;
  // A singular Jacobian gives an infinite or NaN step, and with it no smallest lambda that
  // the halving below would ever reach.
  if (!finite || !(min_lambda > 0.0)) {
    for (int i = 1; i <= n; ++i) point[i] = previous[i];
    return;
  }

  double lambda = 1.0;
  double lambda2 = 0.0;
  double merit2 = 0.0;
  for (;;) {
    for (int i = 1; i <= n; ++i) point[i] = previous[i] + lambda * p[i];
    *merit = system.merit(point);
    if (lambda < min_lambda) {
      for (int i = 1; i <= n; ++i) point[i] = previous[i];
      return;
    }
    if (*merit <= previous_merit + kDescent * lambda * slope) return;

    double next;
    if (lambda == 1.0) {
      next = -slope / (2.0 * (*merit - previous_merit - slope));
    } else {
      const double r1 = *merit - previous_merit - lambda * slope;
      const double r2 = merit2 - previous_merit - lambda2 * slope;
      const double a = (r1 / (lambda * lambda) - r2 / (lambda2 * lambda2)) / (lambda - lambda2);
      const double b = (r2 * lambda / (lambda2 * lambda2) - lambda2 * r1 / (lambda * lambda)) /
                       (lambda - lambda2);
      if (a == 0.0) {
        next = -slope / (2.0 * b);
      } else {
        const double disc = b * b - 3.0 * a * slope;
        if (disc < 0.0) {
          next = 0.5 * lambda;
        } else if (b <= 0.0) {
          next = (-b + std::sqrt(disc)) / (3.0 * a);
        } else {
          next = -slope / (b + std::sqrt(disc));
        }
      }
      if (next > 0.5 * lambda) next = 0.5 * lambda;
    }
    lambda2 = lambda;
    merit2 = *merit;
    // A NaN or smaller candidate gives 0.1 lambda. Finite arithmetic keeps the candidate
    // below 0.51 lambda; the last line only guards against arithmetic that does not.
    lambda = larger_of(next, 0.1 * lambda);
    if (!(lambda < 0.51 * lambda2)) lambda = 0.5 * lambda2;
  }
}

// The iteration for n = 1 or 2 unknowns, from x to the status.
int solve(int n, double* x, quadrel_system_2d f, double tolerance) {
  System system(n, f);
  Vector point = {0.0, x[0], x[1]};
  Matrix jac = {};
  Vector g, p, previous;
  for (int i = 0; i < kSize; ++i) g[i] = p[i] = previous[i] = 1.0;
  int pivot[kSize] = {1, 1, 1};
  const auto finish = [&](int status) {
    x[0] = point[1];
    x[1] = point[2];
    return status;
  };

  double merit = system.merit(point);
  if (largest_magnitude(system.values(), n) < 0.01 * tolerance) return finish(QUADREL_SUCCESS);

  double sum = 0.0;
  for (int i = 1; i <= n; ++i) sum += point[i] * point[i];
  const double max_step = kMaxStepFactor * larger_of(std::sqrt(sum), static_cast<double>(n));

  for (int iteration = 1; iteration <= kMaxIterations; ++iteration) {
    system.jacobian(point, jac);
    const auto& values = system.values();
    for (int i = 1; i <= n; ++i) {
      double gi = 0.0;
      for (int j = 1; j <= n; ++j) gi += jac[j][i] * values[j];
      g[i] = gi;
    }
    for (int i = 1; i <= n; ++i) previous[i] = point[i];
    const double previous_merit = merit;
    for (int i = 1; i <= n; ++i) p[i] = -values[i];
    // A J with a row of zeros has no Newton step: the point stays where it is, as it does
    // for a step that is not finite (a J singular without a zero row), which the line search
    // rejects.
    if (decompose(jac, n, pivot)) {
      substitute(jac, n, pivot, p);
      line_search(system, n, previous, previous_merit, g, p, max_step, point, &merit);
    }
    if (largest_magnitude(system.values(), n) < tolerance) return finish(QUADREL_SUCCESS);
  }
  return finish(QUADREL_ROOT2D_NOT_CONVERGED);
}

}  // namespace
}  // namespace quadrel

extern "C" int import_mathfunction_2d_nullstelle(int n, double* x, quadrel_system_2d f,
                                                 void* /*reserved*/, double tolerance) noexcept {
  if (n < 1 || n > quadrel::kMaxUnknowns) return QUADREL_ROOT2D_BAD_ORDER;
  return quadrel::solve(n, x, f, tolerance);
}
