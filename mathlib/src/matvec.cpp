// The general matrix-vector product y := alpha*A*x + beta*y (A not transposed) with
// strided vectors.
//
// A negative stride walks its vector backwards from the last element used: element j
// (0-based) of x lies at (n - 1 - j) * |incx|. Each y(i) receives its column
// contributions in column order, y(i) + (alpha*x(j)) * a(i,j), one product at a time; a
// column whose x(j) is exactly zero is skipped, so NaNs or infinities in it never reach y.
#include <algorithm>
#include <cstddef>

#include "detail/level1.h"
#include "quadrel.h"
#include "simd.h"

namespace {

// Position of element 0 of a strided vector of `count` elements.
std::ptrdiff_t first_position(int count, std::ptrdiff_t stride) noexcept {
  return stride > 0 ? 0 : (static_cast<std::ptrdiff_t>(count) - 1) * -stride;
}

// The product for a contiguous y: the columns with non-zero x(j) are taken four at a time, and
// each y element receives their four terms one after the other while it stays in a
// register. The sums are those of the column-by-column loop, in the same order. Built for
// each instruction set.
[[gnu::always_inline]] inline void add_columns(int m, int n, double alpha, const double* a,
                                               std::ptrdiff_t lda, const double* x,
                                               std::ptrdiff_t step_x, std::ptrdiff_t first_x,
                                               double* y) noexcept {
  using quadrel::simd::kLanes;
  using quadrel::simd::Vec;
  const double* columns[4];
  double factors[4];
  int held = 0;
  std::ptrdiff_t jx = first_x;
  for (int j = 0; j < n; ++j, jx += step_x) {
    if (x[jx] == 0.0) continue;
    columns[held] = a + static_cast<std::ptrdiff_t>(j) * lda;
    factors[held] = alpha * x[jx];
    if (++held < 4) continue;
    held = 0;
    const double* c0 = columns[0];
    const double* c1 = columns[1];
    const double* c2 = columns[2];
    const double* c3 = columns[3];
    const double t0 = factors[0], t1 = factors[1], t2 = factors[2], t3 = factors[3];
    int i = 0;
    for (; i + kLanes <= m; i += kLanes) {
      Vec v, a0, a1, a2, a3;
      quadrel::simd::load(v, y + i);
      quadrel::simd::load(a0, c0 + i);
      quadrel::simd::load(a1, c1 + i);
      quadrel::simd::load(a2, c2 + i);
      quadrel::simd::load(a3, c3 + i);
      v = v + t0 * a0;
      v = v + t1 * a1;
      v = v + t2 * a2;
      v = v + t3 * a3;
      quadrel::simd::store(y + i, v);
    }
    for (; i < m; ++i) {
      double v = y[i];
      v = v + t0 * c0[i];
      v = v + t1 * c1[i];
      v = v + t2 * c2[i];
      v = v + t3 * c3[i];
      y[i] = v;
    }
  }
  // A factor alpha*x(j) may round to zero although x(j) is not: its column is still added, as
  // in the four-column loop above.
  for (int h = 0; h < held; ++h) quadrel::level1::axpy_any_factor(m, factors[h], columns[h], y);
}

}  // namespace

extern "C" int import_mathfunction_matrix_vektor_produkt(int m, int n, double alpha,
                                                         const double* a, int lda, const double* x,
                                                         int incx, double beta, double* y,
                                                         int incy) noexcept {
  if (m < 0 || n < 0 || lda < std::max(1, m) || incx == 0 || incy == 0) {
    return QUADREL_MATVEC_BAD_ARGUMENT;
  }
  if (m == 0 || n == 0 || (alpha == 0.0 && beta == 1.0)) return QUADREL_SUCCESS;

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
  if (alpha == 0.0) return QUADREL_SUCCESS;

  if (step_y == 1) {
    quadrel::simd::Dispatch<add_columns>::chosen(m, n, alpha, a, lda, x, step_x,
                                                 first_position(n, step_x), y);
    return QUADREL_SUCCESS;
  }
  std::ptrdiff_t jx = first_position(n, step_x);
  for (int j = 0; j < n; ++j, jx += step_x) {
    if (x[jx] == 0.0) continue;
    const double t = alpha * x[jx];
    const double* column = a + static_cast<std::ptrdiff_t>(j) * lda;
    std::ptrdiff_t iy = first_y;
    for (int i = 0; i < m; ++i, iy += step_y) y[iy] = y[iy] + t * column[i];
  }
  return QUADREL_SUCCESS;
}
