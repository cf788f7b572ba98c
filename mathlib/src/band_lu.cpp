// Band LU factorisation with partial pivoting and solution of A*x = b, in the LINPACK band
// layout.
//
// With m = ml + mu + 1, matrix element a(i,j) (1-based) lives in abd(i - j + m, j): row m
// of abd is the diagonal, rows above it the super-diagonals, rows m+1..m+ml the
// sub-diagonals, and rows 1..ml are room for the fill-in that row interchanges bring into
// the upper band (U has ml + mu super-diagonals). The elimination is that of the dense
// factorisation restricted to the band: step k searches rows m..m+lm of column k for the
// first largest |value|, scales the multipliers by -1/pivot and updates columns k+1..ju,
// where ju is the last column that the interchanges so far have reached. Inside the
// loops all indices are 1-based as in the layout above; the level-1 operations run in the
// order given here, since the results are compared bit for bit (the vectorised axpy and scale
// of level1.h only compute several elements side by side).
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "detail/level1.h"
#include "quadrel.h"
#include "simd.h"

namespace {

// 1-based view of the band array: at(r, j) is abd(r, j). Value is double, or const double
// for the solver, which only reads the band.
template <class Value>
class Band {
 public:
  Band(Value* abd, int lda) noexcept : abd_(abd), lda_(lda) {}
  Value& at(int r, int j) const noexcept {
    return abd_[(r - 1) + static_cast<std::ptrdiff_t>(j - 1) * lda_];
  }
  Value* address(int r, int j) const noexcept { return &at(r, j); }

 private:
  Value* abd_;
  int lda_;
};

// The checks shared by both exports, in argument order; QUADREL_SUCCESS when the layout is
// valid. The leading dimension is judged only against valid bandwidths, and in 64 bits so
// that 2*ml + mu + 1 cannot overflow.
int check_layout(int lda, int ml, int mu) noexcept {
  if (ml >= 0 && mu >= 0 && lda < 2 * std::int64_t{ml} + mu + 1) return QUADREL_BAND_BAD_LDA;
  return QUADREL_SUCCESS;
}
int check_bandwidths(int ml, int mu) noexcept {
  if (ml < 0) return QUADREL_BAND_BAD_LOWER;
  if (mu < 0) return QUADREL_BAND_BAD_UPPER;
  return QUADREL_SUCCESS;
}

// The factorisation proper, on valid arguments (built for each instruction set).
[[gnu::always_inline]] inline int factor(double* abd, int lda, int n, int ml, int mu,
                                         int* ipvt) noexcept {
  const Band<double> band(abd, lda);
  const int m = ml + mu + 1;
  int info = 0;

  // Zero the fill-in rows of the first columns, which no step below clears.
  const int first_cleared = std::min(n, m) - 1;
  for (int jz = mu + 2; jz <= first_cleared; ++jz) {
    for (int i = m + 1 - jz; i <= ml; ++i) band.at(i, jz) = 0.0;
  }

  std::int64_t jz = first_cleared;  // the last column whose fill-in rows are zeroed
  std::int64_t ju = 0;              // the last column that the steps so far reach
  for (int k = 1; k <= n - 1; ++k) {
    ++jz;
    if (jz <= n) {
      for (int i = 1; i <= ml; ++i) band.at(i, static_cast<int>(jz)) = 0.0;
    }
    const int lm = std::min(ml, n - k);  // sub-diagonal elements of column k
    int l = quadrel::level1::largest_magnitude(lm + 1, band.address(m, k)) + m;
    ipvt[k - 1] = l + k - m;
    // An exactly zero pivot (either sign) leaves the step out; a NaN pivot is non-zero.
    if (band.at(l, k) == 0.0) {
      info = k;
      continue;
    }
    if (l != m) std::swap(band.at(l, k), band.at(m, k));
    quadrel::level1::scale(lm, -1.0 / band.at(m, k), band.address(m + 1, k));

    ju = std::min<std::int64_t>(std::max<std::int64_t>(ju, std::int64_t{mu} + ipvt[k - 1]), n);
    int mm = m;
    for (int j = k + 1; j <= ju; ++j) {
      --l;
      --mm;
      const double t = band.at(l, j);
      const double* multipliers = band.address(m + 1, k);
      if (l == mm) {
        quadrel::level1::axpy(lm, t, multipliers, band.address(mm + 1, j));
        continue;
      }
      // The interchange, with row l (inside the updated part) written after the update:
      // a vector load right after a store of one of its elements would stall.
      const double displaced = band.at(mm, j);
      band.at(mm, j) = t;
      quadrel::level1::axpy(lm, t, multipliers, band.address(mm + 1, j));
      band.at(l, j) = t == 0.0 ? displaced : displaced + t * multipliers[l - mm - 1];
    }
  }
  ipvt[n - 1] = n;
  if (band.at(m, n) == 0.0) info = n;
  return info;
}

// The solution proper, on valid arguments and n >= 1 (built for each instruction set).
[[gnu::always_inline]] inline void solve(const double* abd, int lda, int n, int ml, int mu,
                                         const int* ipvt, double* b) noexcept {
  const Band<const double> band(abd, lda);
  const int m = ml + mu + 1;

  // Forward: apply the steps of L in order to b.
  if (ml > 0) {
    for (int k = 1; k <= n - 1; ++k) {
      const int lm = std::min(ml, n - k);
      const int l = ipvt[k - 1];
      const double t = b[l - 1];
      const double* multipliers = band.address(m + 1, k);
      if (l == k) {
        quadrel::level1::axpy(lm, t, multipliers, b + k);
        continue;
      }
      // The interchange, with b(l) written after the update (as in the factorisation).
      const double displaced = b[k - 1];
      b[k - 1] = t;
      quadrel::level1::axpy(lm, t, multipliers, b + k);
      b[l - 1] = t == 0.0 ? displaced : displaced + t * multipliers[l - k - 1];
    }
  }
  // Backward: U*x = b, U with ml + mu super-diagonals, column by column from the last.
  for (int k = n; k >= 1; --k) {
    b[k - 1] = b[k - 1] / band.at(m, k);
    const int lm = std::min(k, m) - 1;
    const int la = m - lm;
    const int lb = k - lm;
    quadrel::level1::axpy(lm, -b[k - 1], band.address(la, k), b + (lb - 1));
  }
}

}  // namespace

extern "C" int import_mathfunction_LU_Zerlegung_band(double* abd, int lda, int n, int ml, int mu,
                                                     int* ipvt) noexcept {
  if (int status = check_layout(lda, ml, mu); status != QUADREL_SUCCESS) return status;
  if (n < 1) return QUADREL_BAND_BAD_ORDER;
  if (int status = check_bandwidths(ml, mu); status != QUADREL_SUCCESS) return status;

  return quadrel::simd::Dispatch<factor>::chosen(abd, lda, n, ml, mu, ipvt);
}

extern "C" int import_mathfunction_loesung_lin_gls_band(const double* abd, int lda, int n, int ml,
                                                        int mu, const int* ipvt,
                                                        double* b) noexcept {
  if (int status = check_layout(lda, ml, mu); status != QUADREL_SUCCESS) return status;
  if (int status = check_bandwidths(ml, mu); status != QUADREL_SUCCESS) return status;
  if (n < 1) return QUADREL_SUCCESS;
  // The forward sweep reads ipvt(k), k < n, which must name a row k..min(n, k + ml).
  if (ml > 0) {
    for (int k = 1; k < n; ++k) {
      if (ipvt[k - 1] < k || ipvt[k - 1] > std::min<std::int64_t>(n, std::int64_t{k} + ml)) {
        return QUADREL_BAND_BAD_PIVOTS;
      }
    }
  }

  quadrel::simd::Dispatch<solve>::chosen(abd, lda, n, ml, mu, ipvt, b);
  return QUADREL_SUCCESS;
}
