// Piecewise-linear interpolation in a table of one variable, with the end segments extended.
//
// A point t strictly inside (x_0, x_{n-1}) takes the first segment k = 1 .. n-1 with
// x_{k-1} <= t <= x_k. In an ascending table (equal neighbours allowed) that is the first k
// with t <= x_k, because every earlier x_k lies below t and x_{k-1} < t holds for the first
// one; a binary search finds it in O(log n). A table that is not ascending (or holds a NaN)
// is scanned from its start for every point, which gives the same first qualifying segment,
// or none.
//
// The binary searches of kLanes consecutive points run side by side, one halving step of all
// of them at a time and without branches: their table reads are independent, so the memory
// system serves them together instead of one search waiting for the next.
#include <cmath>
#include <cstdint>

#include "quadrel.h"

namespace quadrel {
namespace {

// Points searched side by side.
constexpr int kLanes = 16;

bool ascending(int n, const double* x) noexcept {
  for (int k = 1; k < n; ++k) {
    if (!(x[k - 1] <= x[k])) return false;
  }
  return true;
}

// True when the arrays a[0 .. a_count) and b[0 .. b_count) share memory.
bool overlap(const double* a, int a_count, const double* b, int b_count) noexcept {
  const auto a_begin = reinterpret_cast<std::uintptr_t>(a);
  const auto b_begin = reinterpret_cast<std::uintptr_t>(b);
  return a_begin < b_begin + sizeof(double) * unsigned(b_count) &&
         b_begin < a_begin + sizeof(double) * unsigned(a_count);
}

double on_segment(const double* x, const double* y, int k, double t) noexcept {
  const double s = (t - x[k - 1]) / (x[k] - x[k - 1]);
  return (1.0 - s) * y[k - 1] + s * y[k];
}

// The first k = 1 .. n-1 with t <= x[k] in an ascending table, for lanes points t side by side
// (n - 1 when t > x[n-1], a NaN t gives an unspecified k). Each step keeps the half of
// [base, base + length] that holds the answer.
template <int lanes>
void search(int n, const double* x, const double* t, int* k) noexcept {
  const double* base[lanes];
  for (int j = 0; j < lanes; ++j) base[j] = x + 1;
  for (int length = n - 1; length > 1;) {
    const int half = length / 2;
    for (int j = 0; j < lanes; ++j) base[j] = base[j][half] < t[j] ? base[j] + half : base[j];
    length -= half;
  }
  for (int j = 0; j < lanes; ++j) k[j] = static_cast<int>(base[j] - x) + (*base[j] < t[j]);
}

// yi[i] for the point t, with k the segment that a search of an ascending table found for it,
// or k = 0 to scan the table from its start. A point that no segment holds keeps its 0.
void interpolate_point(int n, const double* x, const double* y, double t, int k,
                       double* yi) noexcept {
  if (t <= x[0]) {
    *yi = on_segment(x, y, 1, t);
  } else if (t >= x[n - 1]) {
    *yi = on_segment(x, y, n - 1, t);
  } else if (std::isnan(t)) {
    // A NaN fails every comparison of the scan and keeps its 0.
  } else if (k > 0) {
    *yi = on_segment(x, y, k, t);
  } else {
    for (k = 1; k < n; ++k) {
      if (x[k - 1] <= t && t <= x[k]) {
        *yi = on_segment(x, y, k, t);
        return;
      }
    }
  }
}

// The interpolation proper, for n >= 1.
void interpolate(int n, const double* x, const double* y, int ni, const double* xi,
                 double* yi) noexcept {
  if (ni <= 0) return;

  for (int i = 0; i < ni; ++i) yi[i] = 0.0;
  if (n == 1) {
    for (int i = 0; i < ni; ++i) yi[i] = y[0];
    return;
  }

  // Results written into the table would change it under the scan: such a call is served
  // point by point from the table as it stands, like the plain scan. Points are read before
  // the results of their group are written, which changes nothing when yi is xi itself.
  const bool sorted = !overlap(yi, ni, x, n) && ascending(n, x);
  const bool grouped = sorted && (yi == xi || !overlap(yi, ni, xi, ni));
  int i = 0;
  if (grouped) {
    for (; i + kLanes <= ni; i += kLanes) {
      int k[kLanes];
      search<kLanes>(n, x, xi + i, k);
      for (int j = 0; j < kLanes; ++j) interpolate_point(n, x, y, xi[i + j], k[j], yi + i + j);
    }
  }
  for (; i < ni; ++i) {
    int k = 0;
    if (sorted) search<1>(n, x, xi + i, &k);
    interpolate_point(n, x, y, xi[i], k, yi + i);
  }
}

}  // namespace
}  // namespace quadrel

extern "C" int import_mathfunction_1d_pwl_interpolation(int n, const double* x, const double* y,
                                                        int ni, const double* xi,
                                                        double* yi) noexcept {
  if (n < 1) return QUADREL_INTERP1D_EMPTY_TABLE;
  quadrel::interpolate(n, x, y, ni, xi, yi);
  return QUADREL_SUCCESS;
}
