// Vectorised loops of the linear-algebra families (dense LU, its solution and inversion,
// band LU): the level-1 operations, built for the x86-64 baseline (SSE2) and AVX2, and the
// blocked updates, the column combination and the triangle steps, built for AVX-512 too; the
// version for what the processor offers is chosen once per process.
//
// Every kernel performs exactly the arithmetic of the plain loops named in its comment, in
// the same order for every element: each product and each sum is rounded on its own (no
// fused multiply-add; the library is compiled with -ffp-contract=off and no target enables
// FMA), and vectors only run several independent elements side by side. The results are
// therefore the same, bit for bit, on every processor and with either instruction set.
#pragma once

#include <cstddef>

#include "simd.h"

namespace quadrel::kernels {

// level1::axpy and level1::scale in the version for the processor's widest vectors, for
// callers that are not built for each instruction set themselves.
void axpy(int n, double t, const double* x, double* y) noexcept;
void scale(int n, double t, double* x) noexcept;

// Doubles of scratch that update_block needs.
std::size_t update_scratch_size() noexcept;

// The instruction sets that update_block and combine_columns are built for, from the x86-64
// baseline up.
using InstructionSet = simd::InstructionSet;

// Whether this processor (and its operating system) runs code built for `set`.
bool supported(InstructionSet set) noexcept;

// The rank-`count` update of an m x n block, one step at a time:
//   for s = 0..count-1: k = steps[s]; for each column j with b(k,j) != 0:
//     c(i,j) := c(i,j) + a(i,k)*b(k,j), i = 0..m-1,
// where a(i,k) = a[i + k*lda], b(k,j) = b[k + j*ldb], c(i,j) = c[i + j*ldc]. Each element
// receives its terms in the order of `steps`; a term whose b(k,j) is zero (either sign) is
// left out entirely, as axpy leaves out a zero factor. c must not overlap the a and b
// elements read. `scratch` holds update_scratch_size() doubles. Runs the version for the
// processor's widest vectors.
void update_block(int m, int n, const int* steps, int count, const double* a, std::ptrdiff_t lda,
                  const double* b, std::ptrdiff_t ldb, double* c, std::ptrdiff_t ldc,
                  double* scratch) noexcept;

// The same with the version built for `set` (the baseline when `set` is not supported), so
// that tests can check every version the processor runs.
void update_block(InstructionSet set, int m, int n, const int* steps, int count, const double* a,
                  std::ptrdiff_t lda, const double* b, std::ptrdiff_t ldb, double* c,
                  std::ptrdiff_t ldc, double* scratch) noexcept;

// update_block for a block whose row i takes the term of step k only when i <= k, rows and
// steps numbered alike (the rows of an upper triangle in the columns of a): steps[] must be
// increasing. Terms left out are left out entirely, as zero factors are.
void update_upper_block(int m, int n, const int* steps, int count, const double* a,
                        std::ptrdiff_t lda, const double* b, std::ptrdiff_t ldb, double* c,
                        std::ptrdiff_t ldc, double* scratch) noexcept;
void update_upper_block(InstructionSet set, int m, int n, const int* steps, int count,
                        const double* a, std::ptrdiff_t lda, const double* b, std::ptrdiff_t ldb,
                        double* c, std::ptrdiff_t ldc, double* scratch) noexcept;

// Rows that lower_steps handles at most.
inline constexpr int kLowerStepsRows = 64;

// The steps of a unit lower triangle on an m x n block (m <= kLowerStepsRows), column by
// column, each step on values the earlier ones have updated:
//   for s = 0..count-1: k = steps[s] (increasing); for each column j with b(k,j) != 0:
//     b(i,j) := b(i,j) + b(k,j)*l(i,k), i = k+1..m-1,
// where l(i,k) = l[i + k*ldl] and b(i,j) = b[i + j*ldb]; a zero b(k,j) (either sign) leaves
// step k out of column j, as axpy does. b must not overlap the l elements read. Runs the
// version for the processor's widest vectors; the overload runs the one built for `set` (the
// baseline when `set` is not supported).
void lower_steps(int m, int n, const int* steps, int count, const double* l, std::ptrdiff_t ldl,
                 double* b, std::ptrdiff_t ldb) noexcept;
void lower_steps(InstructionSet set, int m, int n, const int* steps, int count, const double* l,
                 std::ptrdiff_t ldl, double* b, std::ptrdiff_t ldb) noexcept;

// Column combination on `rows` rows: for j = first..last-1 in order, when w[j] != 0,
//   target(i) := target(i) + w[j]*a(i,j), i = 0..rows-1, with a(i,j) = a[i + j*lda].
// target must not overlap the columns read. Runs the version for the processor's widest
// vectors; the overload runs the one built for `set` (the baseline when `set` is not
// supported).
void combine_columns(int rows, double* target, const double* a, std::ptrdiff_t lda, int first,
                     int last, const double* w) noexcept;
void combine_columns(InstructionSet set, int rows, double* target, const double* a,
                     std::ptrdiff_t lda, int first, int last, const double* w) noexcept;

}  // namespace quadrel::kernels
