// Interpolating cubic spline with parabolic run-out: set-up of the second derivatives and
// evaluation at one abscissa.
//
// On [x_i, x_{i+1}] the spline is the cubic with values y_i, y_{i+1} and second derivatives
// M_i, M_{i+1}. Continuity of the first derivative at the interior knots gives, for
// i = 1 .. n-2,
//   (h_{i-1}/6) M_{i-1} + ((x_{i+1} - x_{i-1})/3) M_i + (h_i/6) M_{i+1}
//       = (y_{i+1} - y_i)/h_i - (y_i - y_{i-1})/h_{i-1},   h_i = x_{i+1} - x_i,
// and the end rows M_0 - M_1 = 0 and -M_{n-2} + M_{n-1} = 0 close the system. It is
// tridiagonal and diagonally dominant in every interior row, so Gaussian elimination without
// pivoting (the Thomas algorithm) solves it. The system is stored by columns: triple j holds
// the element above the diagonal (row j-1), the diagonal and the element below (row j+1).
#include <cstddef>

#include "detail/internal.h"
#include "quadrel.h"

namespace quadrel {
namespace {

struct Column {
  double above;     // row j-1, column j
  double diagonal;  // row j, column j
  double below;     // row j+1, column j
};

// Second derivatives of the spline through n >= 3 strictly increasing knots into m2. Returns
// QUADREL_SPLINE_NO_MEMORY, or QUADREL_SPLINE_BAD_KNOTS if the system has a zero on its
// diagonal (which strictly increasing knots exclude), leaving m2 untouched in both cases.
int set_up(int n, const double* x, const double* y, double* m2) noexcept {
  const std::size_t count = static_cast<std::size_t>(n);
  auto columns = scratch<Column>(count);
  auto rhs = scratch<double>(count);
  if (!columns || !rhs) return QUADREL_SPLINE_NO_MEMORY;

  columns[0] = {0.0, 1.0, 0.0};
  rhs[0] = 0.0;
  for (int i = 1; i <= n - 2; ++i) {
    const double h_left = x[i] - x[i - 1];
    const double h_right = x[i + 1] - x[i];
    columns[i - 1].below = h_left / 6.0;
    columns[i].diagonal = (x[i + 1] - x[i - 1]) / 3.0;
    columns[i + 1].above = h_right / 6.0;
    rhs[i] = (y[i + 1] - y[i]) / h_right - (y[i] - y[i - 1]) / h_left;
  }
  columns[1].above = -1.0;
  columns[n - 2].below = -1.0;
  columns[n - 1].diagonal = 1.0;
  columns[n - 1].below = 0.0;
  rhs[n - 1] = 0.0;

  for (int j = 0; j < n; ++j) {
    if (columns[j].diagonal == 0.0) return QUADREL_SPLINE_BAD_KNOTS;
  }

  for (int j = 0; j < n; ++j) m2[j] = rhs[j];
  for (int j = 1; j < n; ++j) {
    const double c = columns[j - 1].below / columns[j - 1].diagonal;
    columns[j].diagonal = columns[j].diagonal - c * columns[j].above;
    m2[j] = m2[j] - c * m2[j - 1];
  }
  m2[n - 1] = m2[n - 1] / columns[n - 1].diagonal;
  for (int j = n - 2; j >= 0; --j) {
    m2[j] = (m2[j] - m2[j + 1] * columns[j + 1].above) / columns[j].diagonal;
  }
  return QUADREL_SUCCESS;
}

// The spline's value at xi, in the nesting that fixes the result bit for bit.
double evaluate(int n, const double* x, const double* y, const double* m2, double xi) noexcept {
  int i = 0;
  while (i < n - 2 && !(xi < x[i + 1])) ++i;
  const double t = xi - x[i];
  const double h = x[i + 1] - x[i];
  const double a = m2[i];
  const double b = m2[i + 1];
  return y[i] + t * ((y[i + 1] - y[i]) / h - (b / 6.0 + a / 3.0) * h +
                     t * (a * 0.5 + t * ((b - a) / (h * 6.0))));
}

}  // namespace
}  // namespace quadrel

extern "C" int import_mathfunction_1d_cubic_spline(int n, const double* x, const double* y,
                                                   double xi, double* value, double* m2,
                                                   bool reuse) noexcept {
  if (n < 2) return QUADREL_SPLINE_BAD_KNOTS;

  if (!reuse) {
    // Written as a negated "<" so that a NaN knot counts as out of order too.
    for (int i = 0; i < n - 1; ++i) {
      if (!(x[i] < x[i + 1])) return QUADREL_SPLINE_BAD_KNOTS;
    }
    if (n == 2) {
      m2[0] = 0.0;
      m2[1] = 0.0;
    } else {
      const int status = quadrel::set_up(n, x, y, m2);
      if (status != QUADREL_SUCCESS) return status;
    }
  }

  *value = quadrel::evaluate(n, x, y, m2, xi);
  return QUADREL_SUCCESS;
}
