// The level-1 vector operations of every quadrel family, with the reference BLAS arithmetic:
// axpy and scale vectorised, swap, dot and the index of the largest magnitude as plain loops.
//
// They are written here rather than taken from the system BLAS: a machine may switch
// libblas.so.3 to an optimised BLAS whose daxpy fuses multiply-adds and whose ddot reorders
// its sum, and quadrel's results must not change with it. Each operation performs the
// reference implementation's operations in its order (the reference unrolling does not
// change the order of any operation); the vectors only compute several independent elements
// side by side, each product and each sum rounded on its own. The functions are always
// inlined, so a caller built for several instruction sets (simd::Dispatch) gets a version of
// each for every set; kernels.h offers axpy and scale to callers that are not.
#pragma once

#include <cmath>

#include "simd.h"

namespace quadrel::level1 {

// y(i) := y(i) + t*x(i), i = 0..n-1, for any t: a zero t still adds its products. When n is
// not a multiple of the vector width, the last four elements are computed as one vector from
// their values on entry and stored after the rest: the elements it shares with the vectors
// before it are written twice with the same value, and no scalar tail is needed.
[[gnu::always_inline]] inline void axpy_any_factor(int n, double t, const double* x,
                                                   double* y) noexcept {
  using simd::kLanes;
  using simd::Vec;
  if (n < kLanes) {
    for (int i = 0; i < n; ++i) y[i] = y[i] + t * x[i];
    return;
  }
  const int last = n - kLanes;
  Vec last_x, last_y;
  simd::load(last_x, x + last);
  simd::load(last_y, y + last);
  const Vec tail = last_y + t * last_x;
  int i = 0;
  for (; i + 2 * kLanes <= n; i += 2 * kLanes) {
    Vec x0, x1, y0, y1;
    simd::load(x0, x + i);
    simd::load(x1, x + i + kLanes);
    simd::load(y0, y + i);
    simd::load(y1, y + i + kLanes);
    simd::store(y + i, y0 + t * x0);
    simd::store(y + i + kLanes, y1 + t * x1);
  }
  if (i + kLanes <= n) {
    Vec x0, y0;
    simd::load(x0, x + i);
    simd::load(y0, y + i);
    simd::store(y + i, y0 + t * x0);
  }
  simd::store(y + last, tail);
}

// y(i) := y(i) + t*x(i), i = 0..n-1, as the reference daxpy does: nothing at all when n < 1 or
// t is zero (either sign), so a zero factor never turns -0 into +0 nor lets an infinity or
// NaN of x through.
[[gnu::always_inline]] inline void axpy(int n, double t, const double* x, double* y) noexcept {
  if (t != 0.0) axpy_any_factor(n, t, x, y);
}

// x(i) := t*x(i), i = 0..n-1.
[[gnu::always_inline]] inline void scale(int n, double t, double* x) noexcept {
  using simd::kLanes;
  int i = 0;
  for (; i + kLanes <= n; i += kLanes) {
    simd::Vec v;
    simd::load(v, x + i);
    simd::store(x + i, t * v);
  }
  for (; i < n; ++i) x[i] = t * x[i];
}

// Exchanges x(i) and y(i), i = 0..n-1.
inline void swap(int n, double* x, double* y) noexcept {
  for (int i = 0; i < n; ++i) {
    const double t = x[i];
    x[i] = y[i];
    y[i] = t;
  }
}

// Sum of x(i)*y(i) from 0.0, added in index order.
inline double dot(int n, const double* x, const double* y) noexcept {
  double sum = 0.0;
  for (int i = 0; i < n; ++i) sum = sum + x[i] * y[i];
  return sum;
}

// Index (0-based) of the first element of largest absolute value; -1 when n < 1.
// A NaN never compares greater, so it is never chosen after the first element.
inline int largest_magnitude(int n, const double* x) noexcept {
  if (n < 1) return -1;
  int best = 0;
  double best_abs = std::fabs(x[0]);
  for (int i = 1; i < n; ++i) {
    const double a = std::fabs(x[i]);
    if (a > best_abs) {
      best = i;
      best_abs = a;
    }
  }
  return best;
}

}  // namespace quadrel::level1
