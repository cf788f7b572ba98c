// Vectorised loops of the linear-algebra families; see kernels.h for what each computes and
// simd.h for the vectors and the choice of versions.
#include "kernels.h"

#include <algorithm>
#include <cstddef>

#include "detail/internal.h"
#include "detail/level1.h"
#include "simd.h"

namespace quadrel::kernels {
namespace {

using simd::kLanes;
using simd::load;
using simd::store;
using simd::Vec;
using simd::Vec8;

// ---- update_block ------------------------------------------------------------------------
// The classic blocking of a matrix product: a panel of kKc steps of b is packed into slivers
// of kNr columns, a block of kMc rows of a into slivers of two vectors' rows, and a register
// tile of those rows x kNr columns of c receives the terms of the kKc steps in order before
// it is stored. Storing a sum and loading it again changes nothing, so the blocking keeps
// every element's sequence of roundings. The tile is built with vectors of four doubles
// (baseline, AVX2: 12 sums in 16 registers) and of eight (AVX-512, where twice the work per
// instruction matters and 32 registers hold 24 sums, which halves the reads of a per term).
constexpr int kKc = 256;   // steps per packed panel
constexpr int kMc = 96;    // rows per packed block of a (a multiple of every tile height)
constexpr int kNc = 1200;  // columns per packed panel of b (a multiple of every kNr)

template <class V>
constexpr int lanes = sizeof(V) / sizeof(double);

// The instruction sets' versions of a kernel whose body is Body::run<V>, with V the vectors
// of the set (two registers of the baseline's SSE2 make one vector of four doubles), and the
// version for a given set: Versions<Body, Args...>::of(set).
template <class Body, class... Args>
struct Versions {
  using Function = void (*)(Args...) noexcept;
  static void baseline(Args... args) noexcept { Body::template run<Vec>(args...); }
  QUADREL_TARGET_AVX2 static void avx2(Args... args) noexcept { Body::template run<Vec>(args...); }
  QUADREL_TARGET_AVX512 static void avx512(Args... args) noexcept {
    Body::template run<Vec8>(args...);
  }
  static Function of(InstructionSet set) noexcept {
    if (set == InstructionSet::kAvx512) return avx512;
    if (set == InstructionSet::kAvx2) return avx2;
    return baseline;
  }
};

// The widest vectors of this processor, found once, when the library is loaded.
const InstructionSet kBest = simd::best_instruction_set();

// The version a caller asked for, the baseline when this processor does not run it.
InstructionSet runnable(InstructionSet set) noexcept {
  return set <= kBest ? set : InstructionSet::kBaseline;
}

// Columns of a register tile.
template <class V>
constexpr int kNr = lanes<V> == 8 ? 8 : 6;

// The tile c(0..2*lanes-1, 0..kNr-1) += a-sliver * b-sliver over kc steps. With kSkipZeros a
// term whose b is zero leaves its column of the tile as it was (a selection, not an
// addition of zero, which would turn -0 into +0).
template <class V, bool kSkipZeros>
[[gnu::always_inline]] inline void tile(int kc, const double* ap, const double* bp, double* c,
                                        std::ptrdiff_t ldc) noexcept {
  constexpr int kW = lanes<V>;
  constexpr int kN = kNr<V>;
  V lo[kN];
  V hi[kN];
#pragma GCC unroll 8
  for (int j = 0; j < kN; ++j) {
    load(lo[j], c + j * ldc);
    load(hi[j], c + j * ldc + kW);
  }
  for (int p = 0; p < kc; ++p) {
    V a0;
    V a1;
    load(a0, ap);
    load(a1, ap + kW);
#pragma GCC unroll 8
    for (int j = 0; j < kN; ++j) {
      const double b = bp[j];
      if constexpr (kSkipZeros) {
        V bv;
#pragma GCC unroll 8
        for (int l = 0; l < kW; ++l) bv[l] = b;
        const auto keep = bv == 0.0;
        const V sum_lo = lo[j] + a0 * bv;
        const V sum_hi = hi[j] + a1 * bv;
        lo[j] = keep ? lo[j] : sum_lo;
        hi[j] = keep ? hi[j] : sum_hi;
      } else {
        lo[j] = lo[j] + a0 * b;
        hi[j] = hi[j] + a1 * b;
      }
    }
    ap += 2 * kW;
    bp += kN;
  }
#pragma GCC unroll 8
  for (int j = 0; j < kN; ++j) {
    store(c + j * ldc, lo[j]);
    store(c + j * ldc + kW, hi[j]);
  }
}

// A tile of c that may be cut by the block's edge: full tiles are updated in place, cut
// ones through a full-sized copy (the packed slivers are padded with zeros, so the extra
// rows and columns compute values that are thrown away).
template <class V, bool kSkipZeros>
[[gnu::always_inline]] inline void edge_tile(int rows, int cols, int kc, const double* ap,
                                             const double* bp, double* c,
                                             std::ptrdiff_t ldc) noexcept {
  constexpr int kMr = 2 * lanes<V>;
  if (rows == kMr && cols == kNr<V>) {
    tile<V, kSkipZeros>(kc, ap, bp, c, ldc);
    return;
  }
  double copy[kMr * kNr<V>] = {};
  for (int j = 0; j < cols; ++j) {
    for (int i = 0; i < rows; ++i) copy[i + j * kMr] = c[i + j * ldc];
  }
  tile<V, kSkipZeros>(kc, ap, bp, copy, kMr);
  for (int j = 0; j < cols; ++j) {
    for (int i = 0; i < rows; ++i) c[i + j * ldc] = copy[i + j * kMr];
  }
}

// The steps p of a packed panel (steps[p] increasing) that reach rows row..row+kMr-1 of an
// upper triangle only in part: those with row <= steps[p] < row + kMr - 1, from `first` on;
// each adds its terms to the rows i <= steps[p] of the tile, as plain loops. Returns the
// first step that reaches every row of the tile.
template <int kMr, int kN>
int partial_steps(int kc, int first, const int* steps, int row, int rows, int cols,
                  const double* ap, const double* bp, double* c, std::ptrdiff_t ldc) noexcept {
  int p = first;
  for (; p < kc && steps[p] < row + kMr - 1; ++p) {
    const int reached = std::min(rows, steps[p] - row + 1);
    for (int j = 0; j < cols; ++j) {
      const double b = bp[p * kN + j];
      if (b == 0.0) continue;
      for (int i = 0; i < reached; ++i) {
        c[i + j * ldc] = c[i + j * ldc] + ap[p * kMr + i] * b;
      }
    }
  }
  return p;
}

// Packs rows 0..mc-1 of a for the steps steps[0..kc-1] into slivers of kMr rows, step
// after step, zero-padded below the last row.
template <class V>
[[gnu::always_inline]] inline void pack_a(int mc, int kc, const int* steps, const double* a,
                                          std::ptrdiff_t lda, double* packed) noexcept {
  constexpr int kW = lanes<V>;
  constexpr int kMr = 2 * kW;
  for (int ir = 0; ir < mc; ir += kMr) {
    const int rows = std::min(kMr, mc - ir);
    if (rows == kMr) {
      for (int p = 0; p < kc; ++p) {
        const double* column = a + steps[p] * lda + ir;
        V lo;
        V hi;
        load(lo, column);
        load(hi, column + kW);
        store(packed, lo);
        store(packed + kW, hi);
        packed += kMr;
      }
      continue;
    }
    for (int p = 0; p < kc; ++p) {
      const double* column = a + steps[p] * lda + ir;
      int i = 0;
      for (; i < rows; ++i) packed[i] = column[i];
      for (; i < kMr; ++i) packed[i] = 0.0;
      packed += kMr;
    }
  }
}

// Packs columns 0..nc-1 of b for the steps steps[0..kc-1] into slivers of kNr columns,
// zero-padded right of the last column; has_zero[s] tells whether sliver s holds a zero
// among its real elements.
template <int kNr>
[[gnu::always_inline]] inline void pack_b(int nc, int kc, const int* steps, const double* b,
                                          std::ptrdiff_t ldb, double* packed,
                                          bool* has_zero) noexcept {
  for (int jr = 0; jr < nc; jr += kNr) {
    const int cols = std::min(kNr, nc - jr);
    const double* first = b + jr * ldb;
    bool zero = false;
    for (int p = 0; p < kc; ++p) {
      const double* row = first + steps[p];
      if (cols == kNr) {
#pragma GCC unroll 8
        for (int j = 0; j < kNr; ++j) {
          const double v = row[j * ldb];
          zero = zero || v == 0.0;
          packed[j] = v;
        }
      } else {
        for (int j = 0; j < kNr; ++j) {
          const bool real = j < cols;
          const double v = real ? row[j * ldb] : 0.0;
          zero = zero || (real && v == 0.0);
          packed[j] = v;
        }
      }
      packed += kNr;
    }
    *has_zero++ = zero;
  }
}

// update_block, and with kUpper update_upper_block.
template <bool kUpper>
struct UpdateBlockBody {
  template <class V>
  [[gnu::always_inline]] static void run(int m, int n, const int* steps, int count, const double* a,
                                         std::ptrdiff_t lda, const double* b, std::ptrdiff_t ldb,
                                         double* c, std::ptrdiff_t ldc, double* scratch) noexcept {
    constexpr int kMr = 2 * lanes<V>;
    constexpr int kN = kNr<V>;
    static_assert(kMc % kMr == 0 && kNc % kN == 0);
    if (m < 1 || n < 1 || count < 1) return;
    // Packed slivers start on a cache line, so that no vector of a straddles two.
    double* packed_a = on_cache_line(scratch);
    double* packed_b = packed_a + std::size_t{kMc} * kKc;
    bool has_zero[kNc / kN];
    for (int jc = 0; jc < n; jc += kNc) {
      const int nc = std::min(kNc, n - jc);
      for (int pc = 0; pc < count; pc += kKc) {
        const int kc = std::min(kKc, count - pc);
        const int* panel = steps + pc;
        // With kUpper, rows after the panel's last step take none of its terms.
        const int rows_reached = kUpper ? std::min(m, panel[kc - 1] + 1) : m;
        pack_b<kN>(nc, kc, panel, b + jc * ldb, ldb, packed_b, has_zero);
        for (int ic = 0; ic < rows_reached; ic += kMc) {
          const int mc = std::min(kMc, rows_reached - ic);
          pack_a<V>(mc, kc, panel, a + ic, lda, packed_a);
          for (int jr = 0; jr < nc; jr += kN) {
            const int cols = std::min(kN, nc - jr);
            const double* bp = packed_b + std::ptrdiff_t{jr} * kc;
            const bool zeros = has_zero[jr / kN];
            for (int ir = 0; ir < mc; ir += kMr) {
              const int rows = std::min(kMr, mc - ir);
              const int row = ic + ir;
              const double* ap = packed_a + std::ptrdiff_t{ir} * kc;
              double* ct = c + row + (jc + jr) * ldc;
              int p = 0;
              if constexpr (kUpper) {
                // Steps before the tile's first row reach none of its rows.
                while (p < kc && panel[p] < row) ++p;
                p = partial_steps<kMr, kN>(kc, p, panel, row, rows, cols, ap, bp, ct, ldc);
                if (p == kc) continue;
              }
              if (zeros) {
                edge_tile<V, true>(rows, cols, kc - p, ap + p * kMr, bp + p * kN, ct, ldc);
              } else {
                edge_tile<V, false>(rows, cols, kc - p, ap + p * kMr, bp + p * kN, ct, ldc);
              }
            }
          }
        }
      }
    }
  }
};

template <bool kUpper>
using UpdateBlock =
    Versions<UpdateBlockBody<kUpper>, int, int, const int*, int, const double*, std::ptrdiff_t,
             const double*, std::ptrdiff_t, double*, std::ptrdiff_t, double*>;

}  // namespace

void axpy(int n, double t, const double* x, double* y) noexcept {
  simd::Dispatch<level1::axpy>::chosen(n, t, x, y);
}

void scale(int n, double t, double* x) noexcept { simd::Dispatch<level1::scale>::chosen(n, t, x); }

std::size_t update_scratch_size() noexcept {
  return std::size_t{kMc} * kKc + std::size_t{kKc} * kNc + kCacheLineDoubles;
}

bool supported(InstructionSet set) noexcept { return set <= kBest; }

void update_block(int m, int n, const int* steps, int count, const double* a, std::ptrdiff_t lda,
                  const double* b, std::ptrdiff_t ldb, double* c, std::ptrdiff_t ldc,
                  double* scratch) noexcept {
  static const UpdateBlock<false>::Function chosen = UpdateBlock<false>::of(kBest);
  chosen(m, n, steps, count, a, lda, b, ldb, c, ldc, scratch);
}

void update_block(InstructionSet set, int m, int n, const int* steps, int count, const double* a,
                  std::ptrdiff_t lda, const double* b, std::ptrdiff_t ldb, double* c,
                  std::ptrdiff_t ldc, double* scratch) noexcept {
  UpdateBlock<false>::of(runnable(set))(m, n, steps, count, a, lda, b, ldb, c, ldc, scratch);
}

void update_upper_block(int m, int n, const int* steps, int count, const double* a,
                        std::ptrdiff_t lda, const double* b, std::ptrdiff_t ldb, double* c,
                        std::ptrdiff_t ldc, double* scratch) noexcept {
  static const UpdateBlock<true>::Function chosen = UpdateBlock<true>::of(kBest);
  chosen(m, n, steps, count, a, lda, b, ldb, c, ldc, scratch);
}

void update_upper_block(InstructionSet set, int m, int n, const int* steps, int count,
                        const double* a, std::ptrdiff_t lda, const double* b, std::ptrdiff_t ldb,
                        double* c, std::ptrdiff_t ldc, double* scratch) noexcept {
  UpdateBlock<true>::of(runnable(set))(m, n, steps, count, a, lda, b, ldb, c, ldc, scratch);
}

// ---- lower_steps ---------------------------------------------------------------------------
namespace {

// The columns of b side by side in the lanes of a vector: row i of a group of columns is one
// vector, so that each step is a sequence of vector operations on rows, with the step's
// multiplier l(i,k) the same for every lane. A lane whose t is zero leaves its column as it
// was (a selection, as in tile above); lanes beyond the last column hold zeros and are never
// stored.
struct LowerStepsBody {
  template <class V>
  [[gnu::always_inline]] static void run(int m, int n, const int* steps, int count, const double* l,
                                         std::ptrdiff_t ldl, double* b,
                                         std::ptrdiff_t ldb) noexcept {
    constexpr int kW = lanes<V>;
    double rows[kLowerStepsRows * kW];
    for (int j0 = 0; j0 < n; j0 += kW) {
      const int cols = std::min(kW, n - j0);
      for (int c = 0; c < kW; ++c) {
        const double* column = b + (j0 + c) * ldb;
        for (int i = 0; i < m; ++i) rows[i * kW + c] = c < cols ? column[i] : 0.0;
      }
      for (int s = 0; s < count; ++s) {
        const int k = steps[s];
        const double* multipliers = l + k * ldl;
        V t;
        load(t, rows + k * kW);
        const auto zero = t == 0.0;
        bool any_zero = false;
#pragma GCC unroll 8
        for (int c = 0; c < kW; ++c) any_zero = any_zero || zero[c] != 0;
        for (int i = k + 1; i < m; ++i) {
          V row;
          load(row, rows + i * kW);
          const V sum = row + t * multipliers[i];
          if (any_zero) {
            store(rows + i * kW, zero ? row : sum);
          } else {
            store(rows + i * kW, sum);
          }
        }
      }
      for (int c = 0; c < cols; ++c) {
        double* column = b + (j0 + c) * ldb;
        for (int i = 0; i < m; ++i) column[i] = rows[i * kW + c];
      }
    }
  }
};

using LowerSteps = Versions<LowerStepsBody, int, int, const int*, int, const double*,
                            std::ptrdiff_t, double*, std::ptrdiff_t>;

}  // namespace

void lower_steps(int m, int n, const int* steps, int count, const double* l, std::ptrdiff_t ldl,
                 double* b, std::ptrdiff_t ldb) noexcept {
  static const LowerSteps::Function chosen = LowerSteps::of(kBest);
  chosen(m, n, steps, count, l, ldl, b, ldb);
}

void lower_steps(InstructionSet set, int m, int n, const int* steps, int count, const double* l,
                 std::ptrdiff_t ldl, double* b, std::ptrdiff_t ldb) noexcept {
  LowerSteps::of(runnable(set))(m, n, steps, count, l, ldl, b, ldb);
}

// ---- combine_columns ----------------------------------------------------------------------
namespace {

// Columns ahead of the one being read that are fetched into cache early: the columns are far
// apart in memory, which the hardware's prefetcher follows only slowly.
constexpr int kPrefetchColumns = 8;

// target(0..kVectors*lanes-1) += w[j]*a(., j) for the columns j with w[j] != 0, in order,
// with the sums held in registers.
template <class V, int kVectors>
[[gnu::always_inline]] inline void combine_rows(double* target, const double* a, std::ptrdiff_t lda,
                                                int first, int last, const double* w) noexcept {
  constexpr int kW = lanes<V>;
  V sum[kVectors];
#pragma GCC unroll 8
  for (int v = 0; v < kVectors; ++v) load(sum[v], target + v * kW);
  for (int j = first; j < last; ++j) {
    const double t = w[j];
    if (t == 0.0) continue;
    const double* column = a + j * lda;
    // A prefetch never faults, even past the end of the matrix.
#pragma GCC unroll 8
    for (int line = 0; line < kVectors * kW; line += 8) {
      __builtin_prefetch(column + kPrefetchColumns * lda + line);
    }
#pragma GCC unroll 8
    for (int v = 0; v < kVectors; ++v) {
      V x;
      load(x, column + v * kW);
      sum[v] = sum[v] + t * x;
    }
  }
#pragma GCC unroll 8
  for (int v = 0; v < kVectors; ++v) store(target + v * kW, sum[v]);
}

// Rows in blocks of eight vectors (enough independent sums to keep the adders busy), the
// rest in smaller blocks and one by one.
struct CombineColumnsBody {
  template <class V>
  [[gnu::always_inline]] static void run(int rows, double* target, const double* a,
                                         std::ptrdiff_t lda, int first, int last,
                                         const double* w) noexcept {
    constexpr int kW = lanes<V>;
    int i = 0;
    for (; i + 8 * kW <= rows; i += 8 * kW) {
      combine_rows<V, 8>(target + i, a + i, lda, first, last, w);
    }
    for (; i + 4 * kW <= rows; i += 4 * kW) {
      combine_rows<V, 4>(target + i, a + i, lda, first, last, w);
    }
    for (; i + kW <= rows; i += kW) combine_rows<V, 1>(target + i, a + i, lda, first, last, w);
    for (; i < rows; ++i) {
      double sum = target[i];
      for (int j = first; j < last; ++j) {
        if (w[j] != 0.0) sum = sum + w[j] * a[i + j * lda];
      }
      target[i] = sum;
    }
  }
};

using CombineColumns = Versions<CombineColumnsBody, int, double*, const double*, std::ptrdiff_t,
                                int, int, const double*>;

}  // namespace

void combine_columns(int rows, double* target, const double* a, std::ptrdiff_t lda, int first,
                     int last, const double* w) noexcept {
  static const CombineColumns::Function chosen = CombineColumns::of(kBest);
  chosen(rows, target, a, lda, first, last, w);
}

void combine_columns(InstructionSet set, int rows, double* target, const double* a,
                     std::ptrdiff_t lda, int first, int last, const double* w) noexcept {
  CombineColumns::of(runnable(set))(rows, target, a, lda, first, last, w);
}

}  // namespace quadrel::kernels
