/* The computations of fortran_test.f90 made again through quadrel.h from C, so that the
 * Fortran program can compare the two bit for bit. Sizes are small and fixed. */
#include <quadrel.h>
#include <string.h>

enum { kMaxOrder = 16, kMaxBand = 64, kMaxPoints = 64 };

static double integrand(double x, int* points) {
  (void)points;
  return 1.0 / (1.0 + x * x);
}

int reference_lu_solve(int n, const double* a, double* b) {
  double factors[kMaxOrder * kMaxOrder];
  int pivots[kMaxOrder];
  if (n > kMaxOrder) return -1;
  memcpy(factors, a, sizeof(double) * (size_t)(n * n));
  const int info = import_mathfunction_LU_Zerlegung(factors, n, n, pivots);
  if (info != QUADREL_SUCCESS) return info;
  return import_mathfunction_loesung_lin_gls(factors, n, n, pivots, b);
}

int reference_band_solve(const double* abd, int lda, int n, int ml, int mu, double* b) {
  double factors[kMaxBand * kMaxOrder];
  int pivots[kMaxOrder];
  if (n > kMaxOrder || lda * n > kMaxBand * kMaxOrder) return -1;
  memcpy(factors, abd, sizeof(double) * (size_t)(lda * n));
  const int info = import_mathfunction_LU_Zerlegung_band(factors, lda, n, ml, mu, pivots);
  if (info != QUADREL_SUCCESS) return info;
  return import_mathfunction_loesung_lin_gls_band(factors, lda, n, ml, mu, pivots, b);
}

int reference_gauss(double lower, double upper, int n, double* result) {
  return import_mathfunction_quadratische_integration_gauss(integrand, lower, upper, n, result);
}

int reference_spline(int n, const double* x, const double* y, double xi, double* value) {
  double m2[kMaxPoints];
  if (n > kMaxPoints) return -1;
  return import_mathfunction_1d_cubic_spline(n, x, y, xi, value, m2, false);
}

int reference_interpolation_2d(int n, const double* x, const double* y, const double* z, int ni,
                               const double* xi, const double* yi, double* zi) {
  return import_mathfunction_2d_pwl_interpolation(n, x, y, z, ni, xi, yi, zi);
}
