/* quadrel.h compiles as C (C11, warnings as errors) and its exports link and run from C.
 * Returns 0 when every check passes. */
#include <stdio.h>

#include "quadrel.h"

static int failures = 0;

static void check(int passed, const char* what) {
  if (!passed) {
    fprintf(stderr, "failed: %s\n", what);
    ++failures;
  }
}

int main(void) {
  const double u[3] = {1.0, 0.0, 0.0};
  const double v[3] = {0.0, 1.0, 0.0};
  double w[3] = {-1.0, -1.0, -1.0};
  check(import_mathfunction_kreuzprodukt_vektor3(u, v, w) == QUADREL_SUCCESS,
        "cross product status");
  check(w[0] == 0.0 && w[1] == 0.0 && w[2] == 1.0, "cross product");

  const double p[3] = {1.0, 2.0, 3.0};
  const double q[3] = {4.0, 5.0, 6.0};
  check(import_mathfunction_skalarprodukt_vektor3(p, q) == 32.0, "dot product");

  int64_t now = 0;
  check(import_mathfunction_timestamp(&now) == QUADREL_SUCCESS && now > 0, "timestamp");
  check(import_mathfunction_rotl(UINT32_C(0x80000001), 1) == 3u, "rotl");
  check(import_mathfunction_rotr(1u, 1) == UINT32_C(0x80000000), "rotr");

  /* Rows (0, 1) and (1, 0): pivots (2, 2); b = (3, 4) gives x = (4, 3). */
  double a[4] = {0.0, 1.0, 1.0, 0.0};
  int ipvt[2] = {0, 0};
  double b[2] = {3.0, 4.0};
  check(import_mathfunction_LU_Zerlegung(a, 2, 2, ipvt) == QUADREL_SUCCESS, "factorisation status");
  check(ipvt[0] == 2 && ipvt[1] == 2, "pivots");
  check(import_mathfunction_loesung_lin_gls(a, 2, 2, ipvt, b) == QUADREL_SUCCESS,
        "solution status");
  check(b[0] == 4.0 && b[1] == 3.0, "solution");

  /* Tridiagonal rows (2, 1, 0), (1, 2, 1), (0, 1, 2) in band form, ml = mu = 1, lda = 4. */
  double abd[12] = {0.0, 0.0, 2.0, 1.0, 0.0, 1.0, 2.0, 1.0, 0.0, 1.0, 2.0, 0.0};
  int band_pivots[3];
  check(import_mathfunction_LU_Zerlegung_band(abd, 4, 3, 1, 1, band_pivots) == QUADREL_SUCCESS,
        "band status");
  check(band_pivots[0] == 1 && band_pivots[1] == 2 && band_pivots[2] == 3, "band pivots");

  const double m[4] = {1.0, 3.0, 2.0, 4.0};
  const double x[2] = {1.0, 1.0};
  double y[2] = {10.0, 20.0};
  check(import_mathfunction_matrix_vektor_produkt(2, 2, 1.0, m, 2, x, 1, 0.5, y, 1) ==
                QUADREL_SUCCESS &&
            y[0] == 8.0 && y[1] == 17.0,
        "matrix-vector product");
  check(import_mathfunction_matrix_vektor_produkt(2, 2, 1.0, m, 1, x, 1, 0.5, y, 1) ==
            QUADREL_MATVEC_BAD_ARGUMENT,
        "lda below m rejected");

  return failures == 0 ? 0 : 1;
}
