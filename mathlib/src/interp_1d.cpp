// Piecewise-linear interpolation in a table of one variable, with the end segments extended.
//
// A point t strictly inside (x_0, x_{n-1}) takes the first segment k = 1 .. n-1 with
// x_{k-1} <= t <= x_k. In an ascending table (equal neighbours allowed) that is the first k
// with t <= x_k, because every earlier x_k lies below t and x_{k-1} < t holds for the first
// one; a binary search finds it in O(log n). A table that is not ascending (or holds a NaN)
// is scanned from its start for every point, which gives the same first qualifying segment,
// or none.
#include <algorithm>
#include <cmath>

#include "quadrel.h"

namespace quadrel {
namespace {

enum Status { kOk = 0, kRejected = 1 };

bool ascending(int n, const double* x) noexcept {
  for (int k = 1; k < n; ++k) {
    if (!(x[k - 1] <= x[k])) return false;
  }
  return true;
}

double on_segment(const double* x, const double* y, int k, double t) noexcept {
  const double s = (t - x[k - 1]) / (x[k] - x[k - 1]);
  return (1.0 - s) * y[k - 1] + s * y[k];
}

}  // namespace
}  // namespace quadrel

int import_mathfunction_1d_pwl_interpolation(int n, const double* x, const double* y, int ni,
                                             const double* xi, double* yi) noexcept {
  using namespace quadrel;
  if (n < 1) return kRejected;

  for (int i = 0; i < ni; ++i) yi[i] = 0.0;
  if (n == 1) {
    for (int i = 0; i < ni; ++i) yi[i] = y[0];
    return kOk;
  }

  const bool sorted = ascending(n, x);
  for (int i = 0; i < ni; ++i) {
    const double t = xi[i];
    if (t <= x[0]) {
      yi[i] = on_segment(x, y, 1, t);
    } else if (t >= x[n - 1]) {
      yi[i] = on_segment(x, y, n - 1, t);
    } else if (std::isnan(t)) {
      // A NaN fails every comparison of the search and keeps its 0.
    } else if (sorted) {
      // x_0 < t < x_{n-1} here, so the search ends inside the table.
      const int k = static_cast<int>(std::lower_bound(x + 1, x + n, t) - x);
      yi[i] = on_segment(x, y, k, t);
    } else {
      for (int k = 1; k < n; ++k) {
        if (x[k - 1] <= t && t <= x[k]) {
          yi[i] = on_segment(x, y, k, t);
          break;
        }
      }
    }
  }
  return kOk;
}
