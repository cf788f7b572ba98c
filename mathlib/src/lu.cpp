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
// not as a row-permuted triangle. The results are compared bit for bit with that order.
//
// Large matrices are factored by a recursive column-blocked schedule that gives every
// element the same operations in the same order: the multipliers of step k never change
// after step k, and the interchanges of a step touch only later columns, so the steps can
// be applied to a block of later columns at a later time, many at once. Applying a group
// of steps to a block, all its interchanges may come first if the multipliers of each step
// are read with the later interchanges of the group applied to them (the value that sits
// in row i when step k is applied to it is the one that ends in row i); the multipliers
// are exchanged that way for the time of the update and exchanged back afterwards. A zero
// step factor t = a(k,j) leaves step k out of column j, as the plain loop's daxpy does,
// and a step with a zero pivot is left out altogether. The inversion is blocked in the
// same spirit (see invert_upper and apply_lower_steps below).
#include <algorithm>
#include <cstddef>
#include <memory>
#include <utility>

#include "detail/internal.h"
#include "detail/level1.h"
#include "kernels.h"
#include "quadrel.h"
#include "simd.h"

namespace {

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

// Orders from which the blocked schedules pay for their scratch memory; below them, and
// whenever that memory cannot be had, the plain loops run.
constexpr int kBlockedFactorOrder = 64;
constexpr int kBlockedInverseOrder = 48;

// Factorisation: panels of at most kLeafWidth columns are factored column by column; steps
// are applied to later columns kStepChunk at a time, the triangle of a chunk kTriangleChunk
// at a time.
constexpr int kLeafWidth = 16;
constexpr int kStepChunk = 128;
constexpr int kTriangleChunk = 32;
static_assert(kTriangleChunk <= quadrel::kernels::kLowerStepsRows);

// Inversion: inverse(U) by blocks of kUpperBlock columns; the steps of L applied
// kLowerChunk steps at a time to blocks of kRowBlock rows.
constexpr int kUpperBlock = 64;
constexpr int kLowerChunk = 128;
constexpr int kRowBlock = 64;

// The plain factorisation loop, step after step. Records ipvt(k) for k < n - 1 and returns the
// largest zero-pivot step, 0 if there is none (the last diagonal element is left to the
// caller).
int factor_steps(double* a, int lda, int n, int* ipvt) noexcept {
  int info = 0;
  for (int k = 0; k < n - 1; ++k) {
    double* pivot_column = column(a, lda, k);
    const int below = n - k - 1;  // rows under the diagonal
    const int l = k + quadrel::level1::largest_magnitude(below + 1, pivot_column + k);
    ipvt[k] = l + 1;
    // An exactly zero pivot (either sign) leaves the step out; a NaN pivot is non-zero.
    if (pivot_column[l] == 0.0) {
      info = k + 1;
      continue;
    }
    if (l != k) std::swap(pivot_column[l], pivot_column[k]);
    quadrel::kernels::scale(below, -1.0 / pivot_column[k], pivot_column + k + 1);
    for (int j = k + 1; j < n; ++j) {
      double* target = column(a, lda, j);
      const double t = target[l];
      if (l != k) {
        target[l] = target[k];
        target[k] = t;
      }
      quadrel::kernels::axpy(below, t, pivot_column + k + 1, target + k + 1);
    }
  }
  return info;
}

// The recursive column-blocked factorisation (see the top of this file).
class BlockedFactorisation {
 public:
  BlockedFactorisation(double* a, int lda, int n, int* ipvt, int* steps, double* scratch) noexcept
      : a_(a), lda_(lda), n_(n), ipvt_(ipvt), steps_(steps), scratch_(scratch) {}

  // Factors columns 0..n-1; returns the largest zero-pivot step, 0 if there is none (the
  // last diagonal element is left to the caller).
  int run() noexcept {
    panel(0, n_);
    return info_;
  }

 private:
  double* col(int j) const noexcept { return column(a_, lda_, j); }
  // A step whose pivot was zero left its column as it was, the zero diagonal included; a
  // step that was made left its non-zero (or NaN) pivot on the diagonal.
  bool made(int k) const noexcept { return col(k)[k] != 0.0; }

  // Factors columns c0..c1-1, to which the steps before c0 have been applied.
  void panel(int c0, int c1) noexcept {
    if (c1 - c0 <= kLeafWidth) {
      leaf(c0, c1);
      return;
    }
    const int mid = c0 + (c1 - c0) / 2;
    panel(c0, mid);
    apply_steps(c0, mid, mid, c1);
    panel(mid, c1);
  }

  // Factors columns c0..c1-1, to which the steps before c0 have been applied, column by
  // column: each column takes the leaf's earlier steps, all interchanges first (with the
  // earlier multipliers exchanged by the later interchanges while the leaf is factored, as in
  // apply_steps), its rows among the steps one step after the other, and its rows below
  // them in one pass that holds their sums in registers; then its own step is made.
  void leaf(int c0, int c1) noexcept {
    double factors[kLeafWidth];
    const int last_step = std::min(c1, n_ - 1);
    for (int j = c0; j < c1; ++j) {
      double* target = col(j);
      for (int k = c0; k < j; ++k) {
        const int l = ipvt_[k] - 1;
        if (l != k) std::swap(target[k], target[l]);
      }
      for (int k = c0; k < j; ++k) {
        const double t = made(k) ? target[k] : 0.0;
        factors[k - c0] = t;
        if (t == 0.0) continue;
        const double* multipliers = col(k);
        for (int i = k + 1; i < j; ++i) target[i] = target[i] + t * multipliers[i];
      }
      quadrel::kernels::combine_columns(n_ - j, target + j, col(c0) + j, lda_, 0, j - c0, factors);
      if (j >= last_step) continue;
      const int below = n_ - j - 1;
      const int l = j + quadrel::level1::largest_magnitude(below + 1, target + j);
      ipvt_[j] = l + 1;
      if (target[l] == 0.0) {
        info_ = j + 1;
        continue;
      }
      if (l != j) {
        std::swap(target[l], target[j]);
        for (int k = c0; k < j; ++k) std::swap(col(k)[l], col(k)[j]);
      }
      quadrel::kernels::scale(below, -1.0 / target[j], target + j + 1);
    }
    for (int j = last_step - 1; j > c0; --j) {
      const int l = ipvt_[j] - 1;
      if (l == j) continue;
      for (int k = c0; k < j; ++k) std::swap(col(k)[l], col(k)[j]);
    }
  }

  // Applies the steps s0..s1-1 (all before n-1) to columns j0..j1-1, to which the steps
  // before s0 have been applied.
  void apply_steps(int s0, int s1, int j0, int j1) noexcept {
    for (int c = s0; c < s1; c += kStepChunk) {
      const int e = std::min(c + kStepChunk, s1);
      // All interchanges of the chunk first ...
      for (int j = j0; j < j1; ++j) {
        double* target = col(j);
        for (int k = c; k < e; ++k) {
          const int l = ipvt_[k] - 1;
          if (l != k) std::swap(target[k], target[l]);
        }
      }
      // ... so each step's multipliers are read in the rows where its values now stand.
      exchange_multipliers(c, e, false);
      // Rows c..e-1: the triangle, in which each step feeds the next ones.
      for (int d = c; d < e; d += kTriangleChunk) {
        const int f = std::min(d + kTriangleChunk, e);
        int count = 0;
        for (int k = d; k < f; ++k) {
          if (made(k)) steps_[count++] = k - d;
        }
        quadrel::kernels::lower_steps(f - d, j1 - j0, steps_, count, col(d) + d, lda_, col(j0) + d,
                                      lda_);
        update(d, f, f, e, j0, j1);
      }
      // Rows e..n-1: one rank update.
      update(c, e, e, n_, j0, j1);
      exchange_multipliers(c, e, true);
    }
  }

  // Rows r0..r1-1 of columns j0..j1-1 receive the steps s0..s1-1 that were made.
  void update(int s0, int s1, int r0, int r1, int j0, int j1) noexcept {
    int count = 0;
    for (int k = s0; k < s1; ++k) {
      if (made(k)) steps_[count++] = k;
    }
    quadrel::kernels::update_block(r1 - r0, j1 - j0, steps_, count, a_ + r0, lda_, col(j0), lda_,
                                   col(j0) + r0, lda_, scratch_);
  }

  // Exchanges the multipliers of steps c..e-2 by the interchanges of the later steps of the
  // chunk, in order; with undo, in reverse order, which puts them back. Each column is
  // independent of the others, so the loops run column by column.
  void exchange_multipliers(int c, int e, bool undo) noexcept {
    for (int k = c; k < e - 1; ++k) {
      double* multipliers = col(k);
      for (int i = 0; i < e - k - 1; ++i) {
        const int later = undo ? e - 1 - i : k + 1 + i;
        const int l = ipvt_[later] - 1;
        if (l != later) std::swap(multipliers[later], multipliers[l]);
      }
    }
  }

  double* a_;
  int lda_;
  int n_;
  int* ipvt_;
  int* steps_;
  double* scratch_;
  int info_ = 0;
};

// inverse(U) in place, the plain sweep: column k of the inverse from the columns before it.
void invert_upper_plain(double* a, int lda, int n) noexcept {
  for (int k = 0; k < n; ++k) {
    double* col_k = column(a, lda, k);
    col_k[k] = 1.0 / col_k[k];
    quadrel::kernels::scale(k, -col_k[k], col_k);
    for (int j = k + 1; j < n; ++j) {
      double* col_j = column(a, lda, j);
      const double t = col_j[k];
      col_j[k] = 0.0;
      quadrel::kernels::axpy(k + 1, t, col_k, col_j);
    }
  }
}

// inverse(U) in place by blocks of columns. In the plain sweep, element (i,j) above the
// diagonal ends as
//   x(i,j) = -x(j,j) * ((((0 + u(i,j) x(i,i)) + u(i+1,j) x(i,i+1)) + ...) + u(j-1,j) x(i,j-1)),
// with x(j,j) = 1/u(j,j), x the finished columns of the inverse, and every term whose u is
// zero left out. For a block of columns the u are copied aside and the sums started at +0;
// the terms of the finished columns before the block come first, a block of steps at a time
// (one blocked update in which a step reaches only the rows up to its own), then the terms
// of the block's own columns, column after column: for the rows above the block, a block
// of rows at a time.
void invert_upper(double* a, int lda, int n, double* u, int* steps, double* scratch) noexcept {
  for (int j0 = 0; j0 < n; j0 += kUpperBlock) {
    const int j1 = std::min(j0 + kUpperBlock, n);
    // u(k, j) at u[k + (j - j0) * n].
    for (int j = j0; j < j1; ++j) {
      double* col_j = column(a, lda, j);
      double* u_j = u + static_cast<std::ptrdiff_t>(j - j0) * n;
      for (int i = 0; i < j; ++i) {
        u_j[i] = col_j[i];
        col_j[i] = 0.0;
      }
    }
    for (int k0 = 0; k0 < j0; k0 += kUpperBlock) {
      const int k1 = std::min(k0 + kUpperBlock, j0);
      for (int k = k0; k < k1; ++k) steps[k - k0] = k;
      quadrel::kernels::update_upper_block(k1, j1 - j0, steps, k1 - k0, a, lda, u, n,
                                           column(a, lda, j0), lda, scratch);
    }
    // Rows above the block take every term of the block's columns before theirs, and are
    // finished block of rows by block of rows, with the sums held in registers.
    for (int r0 = 0; r0 < j0; r0 += kRowBlock) {
      const int m = std::min(kRowBlock, j0 - r0);
      for (int j = j0; j < j1; ++j) {
        double* col_j = column(a, lda, j);
        const double* u_j = u + static_cast<std::ptrdiff_t>(j - j0) * n;
        quadrel::kernels::combine_columns(m, col_j + r0, column(a, lda, j0) + r0, lda, 0, j - j0,
                                          u_j + j0);
        quadrel::kernels::scale(m, -(1.0 / col_j[j]), col_j + r0);
      }
    }
    // The block's own rows.
    for (int j = j0; j < j1; ++j) {
      double* col_j = column(a, lda, j);
      const double* u_j = u + static_cast<std::ptrdiff_t>(j - j0) * n;
      for (int k = j0; k < j; ++k) {
        quadrel::kernels::axpy(k - j0 + 1, u_j[k], column(a, lda, k) + j0, col_j + j0);
      }
      col_j[j] = 1.0 / col_j[j];
      quadrel::kernels::scale(j - j0, -col_j[j], col_j + j0);
    }
  }
}

// inverse(A) = inverse(U) * E(n-1) * P(n-1) * ... * E1 * P1, the plain sweep from the right:
// column k gathers the later columns weighted by its multipliers, then trades places with
// column ipvt(k). work holds n doubles.
void apply_lower_steps_plain(double* a, int lda, int n, const int* ipvt, double* work) noexcept {
  for (int k = n - 2; k >= 0; --k) {
    double* col_k = column(a, lda, k);
    for (int i = k + 1; i < n; ++i) {
      work[i] = col_k[i];
      col_k[i] = 0.0;
    }
    for (int j = k + 1; j < n; ++j) quadrel::kernels::axpy(n, work[j], column(a, lda, j), col_k);
    const int l = ipvt[k] - 1;
    if (l != k) quadrel::level1::swap(n, col_k, column(a, lda, l));
  }
}

// The same sweep by blocks of rows. Every column operation of the sweep treats each row
// alike and on its own, so a block of rows can run all the steps of a chunk while it stays
// in cache, with the sums of a column held in registers across the later columns. The
// block's rows of the columns from the chunk on are copied together (`rows` holds
// kRowBlock * n doubles), so that they are read as one stream rather than a cache line or
// two from each page, and copied back where the chunk changed them. The multipliers of the
// chunk are copied aside first (w holds n * kLowerChunk doubles), since each block clears
// them in its own rows.
void apply_lower_steps(double* a, int lda, int n, const int* ipvt, double* w,
                       double* rows) noexcept {
  for (int k1 = n - 1; k1 > 0;) {
    const int k0 = std::max(0, k1 - kLowerChunk);
    for (int k = k0; k < k1; ++k) {
      const double* col_k = column(a, lda, k);
      double* w_k = w + static_cast<std::ptrdiff_t>(k - k0) * n;
      for (int j = k + 1; j < n; ++j) w_k[j] = col_k[j];
    }
    // Column j of the block's copy.
    const auto copy = [&](int j) { return column(rows, kRowBlock, j - k0); };
    for (int r0 = 0; r0 < n; r0 += kRowBlock) {
      const int r1 = std::min(r0 + kRowBlock, n);
      const int m = r1 - r0;
      for (int j = k0; j < n; ++j) std::copy_n(column(a, lda, j) + r0, m, copy(j));
      for (int k = k1 - 1; k >= k0; --k) {
        double* col_k = copy(k);
        for (int i = std::max(r0, k + 1); i < r1; ++i) col_k[i - r0] = 0.0;
        quadrel::kernels::combine_columns(m, col_k, copy(k + 1), kRowBlock, 0, n - k - 1,
                                          w + static_cast<std::ptrdiff_t>(k - k0) * n + k + 1);
        const int l = ipvt[k] - 1;
        if (l != k) quadrel::level1::swap(m, col_k, copy(l));
      }
      for (int k = k0; k < k1; ++k) {
        std::copy_n(copy(k), m, column(a, lda, k) + r0);
        const int l = ipvt[k] - 1;
        if (l >= k1) std::copy_n(copy(l), m, column(a, lda, l) + r0);
      }
    }
    k1 = k0;
  }
}

// The solution works on a group of kGroup columns at a time: the group's own rows (and the
// rows its interchanges reach) step by step, then every other row in one pass that adds the
// group's terms in order, so that b is read and written once and the columns are streamed
// side by side.
constexpr int kGroup = 4;

// y(i) := (...((y(i) + t[0]*x[0][i]) + t[1]*x[1][i]) + ...) + t[kCount-1]*x[kCount-1][i] for
// i in [first, last): the sums of kCount axpys in order.
template <int kCount>
[[gnu::always_inline]] inline void add_terms(int first, int last, const double* t,
                                             const double* const* x, double* y) noexcept {
  using quadrel::simd::kLanes;
  using quadrel::simd::Vec;
  int i = first;
  for (; i + 2 * kLanes <= last; i += 2 * kLanes) {
    Vec lo;
    Vec hi;
    quadrel::simd::load(lo, y + i);
    quadrel::simd::load(hi, y + i + kLanes);
#pragma GCC unroll 4
    for (int c = 0; c < kCount; ++c) {
      Vec x_lo;
      Vec x_hi;
      quadrel::simd::load(x_lo, x[c] + i);
      quadrel::simd::load(x_hi, x[c] + i + kLanes);
      lo = lo + t[c] * x_lo;
      hi = hi + t[c] * x_hi;
    }
    quadrel::simd::store(y + i, lo);
    quadrel::simd::store(y + i + kLanes, hi);
  }
  for (; i < last; ++i) {
    double sum = y[i];
#pragma GCC unroll 4
    for (int c = 0; c < kCount; ++c) sum = sum + t[c] * x[c][i];
    y[i] = sum;
  }
}

// add_terms on [first, last) except the rows listed in `skip` (increasing, at most kGroup),
// for `count` columns.
[[gnu::always_inline]] inline void add_terms_except(int first, int last, const int* skip,
                                                    int skipped, int count, const double* t,
                                                    const double* const* x, double* y) noexcept {
  static_assert(kGroup == 4);
  for (int s = 0; s <= skipped; ++s) {
    const int end = s < skipped ? skip[s] : last;
    switch (count) {
      case 1:
        add_terms<1>(first, end, t, x, y);
        break;
      case 2:
        add_terms<2>(first, end, t, x, y);
        break;
      case 3:
        add_terms<3>(first, end, t, x, y);
        break;
      case 4:
        add_terms<4>(first, end, t, x, y);
        break;
      default:
        break;
    }
    first = end + 1;
  }
}

// A*x = b from the factors: the steps of L in order, then U*x = b from the last column.
[[gnu::always_inline]] inline void solve(const double* a, int lda, int n, const int* ipvt,
                                         double* b) noexcept {
  double t[kGroup];
  const double* x[kGroup];
  int k = 0;
  for (; k + kGroup <= n - 1; k += kGroup) {
    const int end = k + kGroup;
    // Rows beyond the group that its interchanges reach take its steps one by one.
    int reached[kGroup];
    int count_reached = 0;
    for (int s = k; s < end; ++s) {
      const int l = ipvt[s] - 1;
      if (l < end) continue;
      int r = count_reached;
      while (r > 0 && reached[r - 1] > l) --r;
      if (r > 0 && reached[r - 1] == l) continue;
      for (int q = count_reached++; q > r; --q) reached[q] = reached[q - 1];
      reached[r] = l;
    }
    int count = 0;
    for (int s = k; s < end; ++s) {
      const int l = ipvt[s] - 1;
      const double factor = b[l];
      if (l != s) {
        b[l] = b[s];
        b[s] = factor;
      }
      if (factor == 0.0) continue;
      const double* multipliers = column(a, lda, s);
      for (int i = s + 1; i < end; ++i) b[i] = b[i] + factor * multipliers[i];
      for (int r = 0; r < count_reached; ++r) {
        b[reached[r]] = b[reached[r]] + factor * multipliers[reached[r]];
      }
      t[count] = factor;
      x[count++] = multipliers;
    }
    add_terms_except(end, n, reached, count_reached, count, t, x, b);
  }
  for (; k < n - 1; ++k) {
    const int l = ipvt[k] - 1;
    const double factor = b[l];
    if (l != k) {
      b[l] = b[k];
      b[k] = factor;
    }
    quadrel::level1::axpy(n - k - 1, factor, column(a, lda, k) + k + 1, b + k + 1);
  }

  k = n - 1;
  for (; k + 1 >= kGroup; k -= kGroup) {
    const int begin = k + 1 - kGroup;
    int count = 0;
    for (int s = k; s >= begin; --s) {
      const double* u = column(a, lda, s);
      b[s] = b[s] / u[s];
      const double factor = -b[s];
      if (factor == 0.0) continue;
      for (int i = begin; i < s; ++i) b[i] = b[i] + factor * u[i];
      t[count] = factor;
      x[count++] = u;
    }
    add_terms_except(0, begin, nullptr, 0, count, t, x, b);
  }
  for (; k >= 0; --k) {
    const double* u = column(a, lda, k);
    b[k] = b[k] / u[k];
    quadrel::level1::axpy(k, -b[k], u, b);
  }
}

}  // namespace

extern "C" int import_mathfunction_LU_Zerlegung(double* a, int lda, int n, int* ipvt) noexcept {
  if (lda_too_small(lda, n)) return QUADREL_LU_BAD_LDA;
  if (n < 1) return QUADREL_SUCCESS;

  int info = 0;
  std::unique_ptr<int[]> steps;
  std::unique_ptr<double[]> scratch;
  if (n >= kBlockedFactorOrder) {
    steps = quadrel::scratch<int>(kStepChunk, quadrel::Fill::kNone);
    scratch =
        quadrel::scratch<double>(quadrel::kernels::update_scratch_size(), quadrel::Fill::kNone);
  }
  if (steps && scratch) {
    info = BlockedFactorisation(a, lda, n, ipvt, steps.get(), scratch.get()).run();
  } else {
    info = factor_steps(a, lda, n, ipvt);
  }
  ipvt[n - 1] = n;
  if (column(a, lda, n - 1)[n - 1] == 0.0) info = n;
  return info;
}

extern "C" int import_mathfunction_loesung_lin_gls(const double* a, int lda, int n, const int* ipvt,
                                                   double* b) noexcept {
  if (lda_too_small(lda, n)) return QUADREL_LU_BAD_LDA;
  if (n < 1) return QUADREL_SUCCESS;
  if (!pivots_valid(ipvt, n)) return QUADREL_LU_BAD_PIVOTS;
  quadrel::simd::Dispatch<solve>::chosen(a, lda, n, ipvt, b);
  return QUADREL_SUCCESS;
}

extern "C" int import_mathfunction_inversion_matrix(double* a, int lda, int n,
                                                    const int* ipvt) noexcept {
  if (lda_too_small(lda, n)) return QUADREL_LU_BAD_LDA;
  if (n < 1) return QUADREL_SUCCESS;
  if (!pivots_valid(ipvt, n)) return QUADREL_LU_BAD_PIVOTS;

  if (n >= kBlockedInverseOrder) {
    const std::size_t order = static_cast<std::size_t>(n);
    const auto steps = quadrel::scratch<int>(kUpperBlock, quadrel::Fill::kNone);
    const auto scratch =
        quadrel::scratch<double>(quadrel::kernels::update_scratch_size(), quadrel::Fill::kNone);
    const auto copies =
        quadrel::scratch<double>(order * std::max(kUpperBlock, kLowerChunk), quadrel::Fill::kNone);
    const auto rows = quadrel::scratch<double>(order * kRowBlock + quadrel::kCacheLineDoubles,
                                               quadrel::Fill::kNone);
    if (steps && scratch && copies && rows) {
      invert_upper(a, lda, n, copies.get(), steps.get(), scratch.get());
      apply_lower_steps(a, lda, n, ipvt, copies.get(), quadrel::on_cache_line(rows.get()));
      return QUADREL_SUCCESS;
    }
  }
  // work(k+1..n) holds the multipliers of column k while that column is rebuilt.
  const auto work = quadrel::scratch<double>(static_cast<std::size_t>(n));
  if (!work) return QUADREL_LU_NO_MEMORY;
  invert_upper_plain(a, lda, n);
  apply_lower_steps_plain(a, lda, n, ipvt, work.get());
  return QUADREL_SUCCESS;
}
