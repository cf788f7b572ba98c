// Internals shared by the quadrel families: the level-1 vector operations with the
// reference BLAS arithmetic, the larger of two reals with quadrel's tie and NaN rule, and
// scratch memory that never throws.
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

// The larger of two reals with the rule of the exported fmax: the first argument when
// first >= second, the second otherwise. So of two equal values the first is returned
// (larger_of(-0.0, +0.0) is -0.0), and a NaN in either argument gives the second. Our own
// code calls this rather than the name fmax, which the C library also defines.
inline double larger_of(double first, double second) noexcept {
  return first >= second ? first : second;
}

// Whether scratch memory starts as zeros or is left as it comes (for arrays that are
// written before they are read, where filling a large block would cost time).
enum class Fill { kZeros, kNone };

// Scratch array of count elements: null when memory is exhausted, never an exception.
template <class T>
std::unique_ptr<T[]> scratch(std::size_t count, Fill fill = Fill::kZeros) noexcept {
  return std::unique_ptr<T[]>(fill == Fill::kZeros ? new (std::nothrow) T[count]()
                                                   : new (std::nothrow) T[count]);
}

}  // namespace quadrel
