// The general matrix-vector product y := alpha*A*x + beta*y (A not transposed) with
// strided vectors.
//
// A negative stride walks its vector backwards from the last element used: element j
// (0-based) of x lies at (n - 1 - j) * |incx|. Each y(i) receives its column
// contributions in column order, y(i) + (alpha*x(j)) * a(i,j), one product at a time; a
// column whose x(j) is exactly zero is skipped, so NaNs or infinities in it never reach y.
#include <algorithm>
#include <cstddef>

#include "quadrel.h"

namespace {

constexpr int kInvalidArgument = 1;

// Position of element 0 of a strided vector of `count` elements.
std::ptrdiff_t first_position(int count, std::ptrdiff_t stride) noexcept {
  return stride > 0 ? 0 : (static_cast<std::ptrdiff_t>(count) - 1) * -stride;
}

}  // namespace

extern "C" int import_mathfunction_matrix_vektor_produkt(int m, int n, double alpha,
                                                         const double* a, int lda, const double* x,
                                                         int incx, double beta, double* y,
                                                         int incy) noexcept {
  if (m < 0 || n < 0 || lda < std::max(1, m) || incx == 0 || incy == 0) {
    return kInvalidArgument;
  }
  if (m == 0 || n == 0 || (alpha == 0.0 && beta == 1.0)) return 0;

  const std::ptrdiff_t step_x = incx;
  const std::ptrdiff_t step_y = incy;
  const std::ptrdiff_t first_y = first_position(m, step_y);

  if (beta != 1.0) {
    std::ptrdiff_t iy = first_y;
    for (int i = 0; i < m; ++i, iy += step_y) {
      // beta = 0 discards the old contents, NaNs included, instead of multiplying them.
      y[iy] = beta == 0.0 ? 0.0 : beta * y[iy];
    }
  }
  if (alpha == 0.0) return 0;

  std::ptrdiff_t jx = first_position(n, step_x);
  for (int j = 0; j < n; ++j, jx += step_x) {
    if (x[jx] == 0.0) continue;
    const double t = alpha * x[jx];
    const double* column = a + static_cast<std::ptrdiff_t>(j) * lda;
    std::ptrdiff_t iy = first_y;
    for (int i = 0; i < m; ++i, iy += step_y) y[iy] = y[iy] + t * column[i];
  }
  return 0;
}
