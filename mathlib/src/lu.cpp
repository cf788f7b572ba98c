// Dense LU factorisation with partial pivoting, solution of A*x = b and inversion, in the
// LINPACK layout for general matrices.
//
// The factorisation is Gaussian elimination by columns. Step k (1-based) picks the pivot
// row l as the first row of largest |a(i,k)|, i >= k, exchanges a(l,k) and a(k,k), scales
// the sub-diagonal part of column k by -1/a(k,k) (the stored multipliers carry inverted
// signs) and, for each later column j, exchanges a(l,j) with a(k,j) and adds
// a(k,j) * column k to the part of column j below row k. The interchange of step k is
// applied to columns k..n only, so L is held as the sequence of steps
//   A = P1 * E1^-1 * P2 * E2^-1 * ... * P(n-1) * E(n-1)^-1 * U,
// not as a row-permuted triangle. Every loop uses the level-1 operations of internal.h in
// the order given here; the results are compared bit for bit with that order.
#include <cstddef>
#include <utility>

#include "internal.h"
#include "quadrel.h"

namespace {

// Status of an argument outside the contract: minus its position in the argument list.
constexpr int kBadLda = -2;
constexpr int kBadPivots = -4;

// Status of the inversion when its scratch vector cannot be obtained.
constexpr int kNoScratch = 1;

// Column j (0-based) of a column-major matrix with leading dimension lda.
double* column(double* a, int lda, int j) noexcept {
  return a + static_cast<std::ptrdiff_t>(j) * lda;
}
const double* column(const double* a, int lda, int j) noexcept {
  return a + static_cast<std::ptrdiff_t>(j) * lda;
}

// The leading dimension must hold a column of n elements; with n < 1 there is no column.
bool lda_too_small(int lda, int n) noexcept { return n >= 1 && lda < n; }

// Every pivot that the solution and the inversion read, ipvt(k) for k < n, must name a row
// k..n; anything else would index outside the matrix.
bool pivots_valid(const int* ipvt, int n) noexcept {
  for (int k = 1; k < n; ++k) {
    if (ipvt[k - 1] < k || ipvt[k - 1] > n) return false;
  }
  return true;
}

}  // namespace

extern "C" int import_mathfunction_LU_Zerlegung(double* a, int lda, int n, int* ipvt) noexcept {
  if (lda_too_small(lda, n)) return kBadLda;
  if (n < 1) return 0;

  int info = 0;
  for (int k = 0; k < n - 1; ++k) {  // 0-based step; the caller sees k + 1
    double* pivot_column = column(a, lda, k);
    const int below = n - k - 1;  // rows under the diagonal
    const int l = k + quadrel::idamax(below + 1, pivot_column + k);
    ipvt[k] = l + 1;
    // An exactly zero pivot (either sign) leaves the step out; a NaN pivot is non-zero.
    if (pivot_column[l] == 0.0) {
      info = k + 1;
      continue;
    }
    if (l != k) std::swap(pivot_column[l], pivot_column[k]);
    quadrel::dscal(below, -1.0 / pivot_column[k], pivot_column + k + 1);
    for (int j = k + 1; j < n; ++j) {
      double* target = column(a, lda, j);
      const double t = target[l];
      if (l != k) {
        target[l] = target[k];
        target[k] = t;
      }
      quadrel::daxpy(below, t, pivot_column + k + 1, target + k + 1);
    }
  }
  ipvt[n - 1] = n;
  if (column(a, lda, n - 1)[n - 1] == 0.0) info = n;
  return info;
}

extern "C" int import_mathfunction_loesung_lin_gls(const double* a, int lda, int n, const int* ipvt,
                                                   double* b) noexcept {
  if (lda_too_small(lda, n)) return kBadLda;
  if (n < 1) return 0;
  if (!pivots_valid(ipvt, n)) return kBadPivots;

  // Forward: apply the steps of L in order to b.
  for (int k = 0; k < n - 1; ++k) {
    const int l = ipvt[k] - 1;
    const double t = b[l];
    if (l != k) {
      b[l] = b[k];
      b[k] = t;
    }
    quadrel::daxpy(n - k - 1, t, column(a, lda, k) + k + 1, b + k + 1);
  }
  // Backward: U*x = b, column by column from the last.
  for (int k = n - 1; k >= 0; --k) {
    const double* u = column(a, lda, k);
    b[k] = b[k] / u[k];
    quadrel::daxpy(k, -b[k], u, b);
  }
  return 0;
}

extern "C" int import_mathfunction_inversion_matrix(double* a, int lda, int n,
                                                    const int* ipvt) noexcept {
  if (lda_too_small(lda, n)) return kBadLda;
  if (n < 1) return 0;
  if (!pivots_valid(ipvt, n)) return kBadPivots;
  // work(k+1..n) holds the multipliers of column k while that column is rebuilt.
  const auto work = quadrel::scratch<double>(static_cast<std::size_t>(n));
  if (!work) return kNoScratch;

  // inverse(U) in place: column k of the inverse from the columns before it.
  for (int k = 0; k < n; ++k) {
    double* col_k = column(a, lda, k);
    col_k[k] = 1.0 / col_k[k];
    quadrel::dscal(k, -col_k[k], col_k);
    for (int j = k + 1; j < n; ++j) {
      double* col_j = column(a, lda, j);
      const double t = col_j[k];
      col_j[k] = 0.0;
      quadrel::daxpy(k + 1, t, col_k, col_j);
    }
  }
  // inverse(A) = inverse(U) * E(n-1) * P(n-1) * ... * E1 * P1, applied from the right.
  for (int k = n - 2; k >= 0; --k) {
    double* col_k = column(a, lda, k);
    for (int i = k + 1; i < n; ++i) {
      work[i] = col_k[i];
      col_k[i] = 0.0;
    }
    for (int j = k + 1; j < n; ++j) quadrel::daxpy(n, work[j], column(a, lda, j), col_k);
    const int l = ipvt[k] - 1;
    if (l != k) quadrel::dswap(n, col_k, column(a, lda, l));
  }
  return 0;
}
