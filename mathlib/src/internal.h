// Internals shared by the quadrel families: the level-1 vector operations with the
// reference BLAS arithmetic, the maximum with quadrel's NaN rule, and scratch memory
// that never throws.
//
// The level-1 operations are written here rather than taken from the system BLAS: a
// machine may switch libblas.so.3 to an optimised BLAS whose daxpy fuses multiply-adds
// and whose ddot reorders its sum, and quadrel's results must not change with it. Each
// loop below performs the reference implementation's operations in its order (the
// reference unrolling does not change the order of any operation).
#pragma once

#include <cmath>
#include <cstddef>
#include <memory>
#include <new>

namespace quadrel {

// Index (0-based) of the first element of largest absolute value; -1 when n < 1.
// A NaN never compares greater, so it is never chosen after the first element.
inline int idamax(int n, const double* x) noexcept {
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

// x := alpha * x
inline void dscal(int n, double alpha, double* x) noexcept {
  for (int i = 0; i < n; ++i) x[i] = alpha * x[i];
}

// y := y + alpha * x; nothing at all when alpha is zero.
inline void daxpy(int n, double alpha, const double* x, double* y) noexcept {
  if (n < 1 || alpha == 0.0) return;
  for (int i = 0; i < n; ++i) y[i] = y[i] + alpha * x[i];
}

inline void dswap(int n, double* x, double* y) noexcept {
  for (int i = 0; i < n; ++i) {
    const double t = x[i];
    x[i] = y[i];
    y[i] = t;
  }
}

// Sum of x[i]*y[i] from 0.0, added in index order.
inline double ddot(int n, const double* x, const double* y) noexcept {
  double sum = 0.0;
  for (int i = 0; i < n; ++i) sum = sum + x[i] * y[i];
  return sum;
}

// The larger of two reals with the NaN rule of the exported fmax: the first argument
// when first >= second, the second otherwise (so a NaN in either gives the second).
// Our own code calls this rather than the name fmax, which the C library also defines.
inline double larger_of(double first, double second) noexcept {
  return first >= second ? first : second;
}

// Scratch arrays filled with zeros (value-initialised): null when memory is exhausted,
// never an exception.
template <class T>
std::unique_ptr<T[]> scratch(std::size_t count) noexcept {
  return std::unique_ptr<T[]>(new (std::nothrow) T[count]());
}

}  // namespace quadrel
